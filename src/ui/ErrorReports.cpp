#include "ui/ErrorReports.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QMessageBox>

namespace brelvik::ui {
namespace {

void ShowBox(QWidget* parent, const QString& title, const QString& text) {
  QMessageBox box(QMessageBox::Critical, title, text, QMessageBox::Ok, parent);
  box.setDefaultButton(QMessageBox::Ok);
  box.setEscapeButton(QMessageBox::Ok);
  box.exec();
}

}  // namespace

QString ApplicationTitle(const QString& programFilePath) {
  QString name = QFileInfo(programFilePath).fileName();
  name = name.left(name.indexOf('.')).toLower();
  if (!name.isEmpty()) {
    name[0] = name[0].toUpper();
  }
  return name;
}

QString WithFinalPeriod(const QString& text) {
  if (!text.isEmpty() && text.back() > QChar('.')) {
    return text + '.';
  }
  return text;
}

void ShowErrorBox(QWidget* parent, const QString& text) {
  ShowBox(parent, "Error", text);
}

void ShowGeneralErrorReport(QWidget* parent, const QString& text) {
  ShowBox(parent, ApplicationTitle(QCoreApplication::applicationFilePath()), WithFinalPeriod(text));
}

}  // namespace brelvik::ui
