// The program `brelvik`: creates the one window and runs the event loop.
#include <QApplication>
#include <cstdio>
#include <cstdlib>
#include <memory>

#include "playback/MediaPlayer.h"
#include "ui/FileDialogs.h"
#include "ui/MainWindow.h"
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

}  // namespace

int main(int argc, char* argv[]) {
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
  const int result = QApplication::exec();
  endOnSignals.EndByTheSignal();
  return result;
}
