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

std::optional<QString> QtFileDialogs::ChooseSourceFile(QWidget* parent, const QString& folder) {
  return Answer(QFileDialog::getOpenFileName(parent, QString(), folder, kFilter));
}

// No extension is added to a name typed without one.
std::optional<QString> QtFileDialogs::ChooseOutputName(QWidget* parent, const QString& proposal) {
  return Answer(QFileDialog::getSaveFileName(parent, QString(), proposal, kFilter, nullptr,
                                             QFileDialog::DontConfirmOverwrite));
}

std::optional<QString> QtFileDialogs::ChooseCueSheetName(QWidget* parent, const QString& proposal) {
  return Answer(QFileDialog::getSaveFileName(parent, QString(), proposal,
                                             QStringLiteral("cue sheets (*.cue);;All files (*)")));
}

}  // namespace brelvik::ui
