// The program `brelvik`: answers --help and --version on the terminal, or
// creates the one window, opens the file named on the command line and runs
// the event loop.
#include <QApplication>
#include <QFileInfo>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <optional>
#include <string>

#include "cue/TextEncoding.h"
#include "playback/MediaPlayer.h"
#include "ui/FileDialogs.h"
#include "ui/MainWindow.h"
#include "ui/Program.h"
#include "ui/SignalWatcher.h"

namespace {

bool HasDisplay(const QStringList& arguments) {
  for (const char* variable : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"}) {
    const char* value = std::getenv(variable);
    if (value != nullptr && *value != '\0') {
      return true;
    }
  }
  return arguments.contains("-platform") || arguments.contains("--platform");
}

// A name from the command line as the terminal may show it: its control
// characters quoted, as brelvik-split prints names.
std::string TerminalText(const QString& text) {
  return brelvik::cue::TerminalText(text.toLocal8Bit().toStdString());
}

// Prints what the command line asks for instead of a window; the exit status,
// or nothing when the window is to start.
std::optional<int> Answer(const brelvik::ui::StartRequest& request) {
  using brelvik::ui::StartRequest;
  switch (request.What) {
    case StartRequest::Kind::Help:
    case StartRequest::Kind::Version:
      std::fputs(request.Text.toLocal8Bit().constData(), stdout);
      return 0;
    case StartRequest::Kind::Refused:
      std::fprintf(stderr, "brelvik: %s\nTry 'brelvik --help' for more information.\n",
                   TerminalText(request.Text).c_str());
      return 2;
    case StartRequest::Kind::Window:
      break;
  }
  return std::nullopt;
}

QStringList ArgumentsOf(int argc, char* argv[]) {
  QStringList arguments;
  for (int i = 0; i < argc; ++i) {
    arguments << QString::fromLocal8Bit(argv[i]);
  }
  return arguments;
}

}  // namespace

int main(int argc, char* argv[]) {
  using brelvik::ui::StartRequest;
  // --help and --version answer without a display. Qt's own options (-style,
  // -platform, ...) are known once the application object has taken them
  // out, so the command line is read again then.
  const QStringList arguments = ArgumentsOf(argc, argv);
  StartRequest request = brelvik::ui::ParseCommandLine(arguments);
  if (request.What != StartRequest::Kind::Refused || !HasDisplay(arguments)) {
    if (const auto status = Answer(request)) {
      return *status;
    }
  }
  if (!HasDisplay(arguments)) {
    std::fprintf(stderr,
                 "brelvik: no display to show the window on; brelvik-split splits from the "
                 "command line (brelvik-split --help)\n");
    return 1;
  }
  QApplication application(argc, argv);
  request = brelvik::ui::ParseCommandLine(QApplication::arguments());
  if (const auto status = Answer(request)) {
    return *status;
  }
  if (!request.File.isEmpty() && !QFileInfo::exists(request.File)) {
    std::fprintf(stderr, "brelvik: %s: no such file; the window starts without it\n",
                 TerminalText(request.File).c_str());
    request.File.clear();
  }
  brelvik::ui::TMain window(std::make_unique<brelvik::TMediaPlayer>(),
                            std::make_unique<brelvik::ui::QtFileDialogs>());
  const brelvik::ui::SignalWatcher endOnSignals([&window] { window.EndOnSignal(); });
  window.show();
  brelvik::ui::OpenAtStart(window, request.File);
  const int result = QApplication::exec();
  endOnSignals.EndByTheSignal();
  return result;
}
