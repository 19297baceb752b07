#include "ui/Controls.h"

#include <QApplication>
#include <QFile>
#include <QFrame>
#include <QIcon>
#include <QLabel>
#include <QTextDocument>
#include <QToolButton>

namespace brelvik::ui {

QString FromPath(const std::string& path) {
  return QFile::decodeName(QByteArray::fromStdString(path));
}

std::string ToPath(const QString& path) {
  return QFile::encodeName(path).toStdString();
}

QFont SmallCaptionFont() {
  return QFont("Verdana", 7);
}

QFont ValueFont() {
  return QFont("Verdana", 8, QFont::Bold);
}

QFont ListFont() {
  return QFont("Arial", 8);
}

void PlacePanel(QFrame* panel, const char* name, int left, int top, int width, int height) {
  panel->setObjectName(name);
  panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  panel->setLineWidth(1);
  panel->setGeometry(left, top, width, height);
}

QWidget* ToolBar(QWidget* parent, const char* name, int left, int top, int width, int height) {
  auto* bar = new QWidget(parent);
  bar->setObjectName(name);
  bar->setGeometry(left, top, width, height);
  return bar;
}

QToolButton* ToolButton(QWidget* bar, const char* name, const QPixmap& image, const QString& hint,
                        int left, int top, int width, int height) {
  auto* button = new QToolButton(bar);
  button->setObjectName(name);
  button->setAutoRaise(true);
  button->setIcon(QIcon(image));
  button->setIconSize(image.size());
  button->setProperty("imageIndex", -1);
  button->setToolTip(hint);
  button->setFocusPolicy(Qt::NoFocus);
  button->setGeometry(left, top, width, height);
  return button;
}

QLabel* Label(QWidget* panel, const char* name, const QString& text, const QFont& font, int left,
              int top) {
  auto* label = new QLabel(panel);
  label->setTextFormat(Qt::PlainText);
  label->setText(text);
  label->setObjectName(name);
  label->setFont(font);
  label->move(left, top);
  label->adjustSize();
  return label;
}

QString PlainToolTip(const QString& text) {
  if (!Qt::mightBeRichText(text)) {
    return text;
  }
  return "<p style='white-space:pre'>" + text.toHtmlEscaped() + "</p>";
}

void ShowName(QLabel* label, const QString& name) {
  label->setText(label->fontMetrics().elidedText(name, Qt::ElideMiddle, label->width()));
}

BusyCursor::BusyCursor() {
  QApplication::setOverrideCursor(Qt::WaitCursor);
}

BusyCursor::~BusyCursor() {
  QApplication::restoreOverrideCursor();
}

}  // namespace brelvik::ui
