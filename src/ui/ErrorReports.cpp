#include "ui/ErrorReports.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QMessageBox>

namespace brelvik::ui {
namespace {

void ShowBox(QWidget* parent, QMessageBox::Icon icon, const QString& title, const QString& text) {
  QMessageBox box(icon, title, text, QMessageBox::Ok, parent);
  // The texts hold file names and a sheet's texts: never markup.
  box.setTextFormat(Qt::PlainText);
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
  ShowBox(parent, QMessageBox::Critical, "Error", text);
}

void ShowGeneralErrorReport(QWidget* parent, const QString& text) {
  ShowBox(parent, QMessageBox::Critical, ApplicationTitle(QCoreApplication::applicationFilePath()),
          WithFinalPeriod(text));
}

void ShowInformationBox(QWidget* parent, const QString& text) {
  ShowBox(parent, QMessageBox::Information,
          ApplicationTitle(QCoreApplication::applicationFilePath()), text);
}

}  // namespace brelvik::ui
