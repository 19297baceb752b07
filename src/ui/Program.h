// The command line of the window program: `brelvik [FILE]` opens FILE at
// start; --help and --version answer on the terminal without a window.
#pragma once

#include <QString>
#include <QStringList>

namespace brelvik::ui {

class TMain;

struct StartRequest {
  enum class Kind { Window, Help, Version, Refused };
  Kind What = Kind::Window;
  QString File;  // Window: the file to open at start, as an absolute path; empty for none
  QString Text;  // Help and Version: what to print; Refused: why
};

// The arguments as main gets them, the program's name first.
StartRequest ParseCommandLine(const QStringList& arguments);

// Opens the file as the open button does once its dialog has answered (the
// same analysis, messages and states), as soon as the event loop runs.
void OpenAtStart(TMain& window, const QString& file);

}  // namespace brelvik::ui
