// The pieces every panel of the window is built from, placed by pixels: sunken
// panels, tool bars, flat tool buttons and plain-text labels in the window's
// fonts; and the conversions between file names and the texts shown.
#pragma once

#include <QFont>
#include <QPixmap>
#include <QString>
#include <string>

class QFrame;
class QLabel;
class QToolButton;
class QWidget;

namespace brelvik::ui {

QString FromPath(const std::string& path);
std::string ToPath(const QString& path);

QFont SmallCaptionFont();
QFont ValueFont();
QFont ListFont();

// Makes the frame the named sunken panel at its place in the window.
void PlacePanel(QFrame* panel, const char* name, int left, int top, int width, int height);
QWidget* ToolBar(QWidget* parent, const char* name, int left, int top, int width, int height);
QToolButton* ToolButton(QWidget* bar, const char* name, const QPixmap& image, const QString& hint,
                        int left, int top, int width, int height);
// Labels show file names too: never as markup.
QLabel* Label(QWidget* panel, const char* name, const QString& text, const QFont& font, int left,
              int top);

// A tool tip shows text that looks like markup as rich text; a path does
// not look like markup then, it is shown as the characters it holds.
QString PlainToolTip(const QString& text);

// A name too long for its label loses its middle to "…", so that it never runs
// under the buttons; the hint keeps the whole path.
void ShowName(QLabel* label, const QString& name);

// Shows the busy cursor for as long as it lives.
class BusyCursor {
 public:
  BusyCursor();
  ~BusyCursor();
  BusyCursor(const BusyCursor&) = delete;
  BusyCursor& operator=(const BusyCursor&) = delete;
};

}  // namespace brelvik::ui
