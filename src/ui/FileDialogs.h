// The open and save dialogs, behind an interface so that tests can answer them.
#pragma once

#include <QString>
#include <QWidget>
#include <optional>

namespace brelvik::ui {

class FileDialogs {
 public:
  virtual ~FileDialogs() = default;
  // The chosen path, or nothing when the dialog was cancelled. The open
  // dialog starts in `folder` (the dialog's own choice when empty); the save
  // dialog proposes `proposal`, a folder and a file name.
  virtual std::optional<QString> ChooseSourceFile(QWidget* parent, const QString& folder) = 0;
  virtual std::optional<QString> ChooseOutputName(QWidget* parent, const QString& proposal) = 0;
  // The save dialog for a cue sheet, proposing `proposal`.
  virtual std::optional<QString> ChooseCueSheetName(QWidget* parent, const QString& proposal) = 0;
};

// Qt's own dialogs, filtered to "mp3 files (*.mp3)" and "All files".
class QtFileDialogs final : public FileDialogs {
 public:
  std::optional<QString> ChooseSourceFile(QWidget* parent, const QString& folder) override;
  std::optional<QString> ChooseOutputName(QWidget* parent, const QString& proposal) override;
  // Filtered to "cue sheets (*.cue)" and "All files"; asks before replacing a file.
  std::optional<QString> ChooseCueSheetName(QWidget* parent, const QString& proposal) override;
};

}  // namespace brelvik::ui
