// The window's smaller panels, each a view: it builds its controls where the
// window places them, reports its buttons as signals, shows what it is told
// and follows the window's state.
#pragma once

#include <QFrame>
#include <QPixmap>
#include <string>

#include "ui/WindowState.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QTimer;
class QToolButton;

namespace brelvik::ui {

// The source file's name, the open button and, until a file is open, the
// red arrow moving towards it.
class SourcePanel final : public QFrame {
  Q_OBJECT

 public:
  SourcePanel(QWidget* parent, const QPixmap& openImage);
  QToolButton* OpenButton() const { return open_; }
  // The name in the label, the whole path in its hint.
  void ShowSource(const QString& name, const QString& path);
  void HideArrow();
  void MoveArrow();  // each tick of Open_Timer
  void Follow(const WindowStateHolder& state);

 signals:
  void OpenClicked();

 private:
  QLabel* name_ = nullptr;
  QLabel* arrow_ = nullptr;
  QToolButton* open_ = nullptr;
  QTimer* arrowTimer_ = nullptr;
};

// A breakpoint typed by frame number: the add button and the entry field,
// which takes digits and backspace only.
class EntryPanel final : public QFrame {
  Q_OBJECT

 public:
  EntryPanel(QWidget* parent, const QPixmap& addImage);
  // Whether a typed character reaches the entry field.
  static bool TakesTyped(const QString& typed);
  QString Typed() const;
  bool HasFocus() const;
  void Follow(const WindowStateHolder& state);

 signals:
  void AddClicked();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QLineEdit* entry_ = nullptr;
};

// The program's icon, title and logo, and the "Exact cuts" box.
class InfoPanel final : public QFrame {
  Q_OBJECT

 public:
  explicit InfoPanel(QWidget* parent);
  bool ExactCuts() const;
  // The mark beside "Exact cuts" that says, in its tool tip, why exact
  // pieces of the open file cannot join sample for sample; hidden where they can.
  void ShowExactWarning(const std::string& warning);
  void Follow(const WindowStateHolder& state);

 signals:
  void ExactCutsToggled(bool on);

 private:
  QCheckBox* exactCuts_ = nullptr;
  QLabel* exactWarning_ = nullptr;
};

// The output template's name, or the progress bar while the window is busy;
// the split and output-name buttons.
class OutputPanel final : public QFrame {
  Q_OBJECT

 public:
  OutputPanel(QWidget* parent, const QPixmap& saveImage, const QPixmap& openImage);
  QToolButton* SplitButton() const { return split_; }
  void ShowTemplate(const std::string& splitTemplate);
  // The panel's height and the progress bar's place once the window is made.
  void Settle();
  void SetProgressRange(int maximum);
  void ShowProgress(int value);
  void Follow(const WindowStateHolder& state);

 signals:
  void SplitClicked();
  void OutputClicked();

 private:
  QLabel* template_ = nullptr;
  QProgressBar* progress_ = nullptr;
  QToolButton* split_ = nullptr;
};

}  // namespace brelvik::ui
