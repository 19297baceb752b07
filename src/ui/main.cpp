// The program `brelvik`: answers --help and --version on the terminal, or
// creates the one window, opens the file named on the command line and runs
// the event loop.
#include <QApplication>
#include <cstdio>
#include <cstdlib>
#include <memory>

#include "playback/MediaPlayer.h"
#include "ui/FileDialogs.h"
#include "ui/MainWindow.h"
#include "ui/Program.h"
#include "ui/SignalWatcher.h"

namespace {

bool HasDisplay() {
  for (const char* variable : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"}) {
    const char* value = std::getenv(variable);
    if (value != nullptr && *value != '\0') {
      return true;
    }
  }
  return false;
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
  const StartRequest request = brelvik::ui::ParseCommandLine(ArgumentsOf(argc, argv));
  switch (request.What) {
    case StartRequest::Kind::Help:
    case StartRequest::Kind::Version:
      std::fputs(request.Text.toLocal8Bit().constData(), stdout);
      return 0;
    case StartRequest::Kind::Refused:
      std::fprintf(stderr, "brelvik: %s\nTry 'brelvik --help' for more information.\n",
                   request.Text.toLocal8Bit().constData());
      return 2;
    case StartRequest::Kind::Window:
      break;
  }
  if (!HasDisplay()) {
    std::fprintf(stderr,
                 "brelvik: no display to show the window on; brelvik-split splits from the "
                 "command line (brelvik-split --help)\n");
    return 1;
  }
  QApplication application(argc, argv);
  brelvik::ui::TMain window(std::make_unique<brelvik::TMediaPlayer>(),
                            std::make_unique<brelvik::ui::QtFileDialogs>());
  const brelvik::ui::SignalWatcher endOnSignals([&window] { window.EndOnSignal(); });
  window.show();
  brelvik::ui::OpenAtStart(window, request.File);
  const int result = QApplication::exec();
  endOnSignals.EndByTheSignal();
  return result;
}
