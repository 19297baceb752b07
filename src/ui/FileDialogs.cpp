#include "ui/FileDialogs.h"

#include <QFileDialog>

namespace brelvik::ui {
namespace {

const QString kFilter = QStringLiteral("mp3 files (*.mp3);;All files (*)");

std::optional<QString> Answer(const QString& path) {
  if (path.isEmpty()) {
    return std::nullopt;
  }
  return path;
}

}  // namespace

std::optional<QString> QtFileDialogs::ChooseSourceFile(QWidget* parent) {
  return Answer(QFileDialog::getOpenFileName(parent, QString(), QString(), kFilter));
}

// No extension is added to a name typed without one.
std::optional<QString> QtFileDialogs::ChooseOutputName(QWidget* parent) {
  return Answer(QFileDialog::getSaveFileName(parent, QString(), QString(), kFilter, nullptr,
                                             QFileDialog::DontConfirmOverwrite));
}

}  // namespace brelvik::ui
