// Undo and redo of the breakpoint list: every change of the list (an add, a
// delete, a move, a cue sheet opened, silences added) becomes one step, kept
// as the list before and after it. A new file starts an empty history; a
// change of the selection alone is no step.
#pragma once

#include <QObject>
#include <functional>

#include "ui/BreakpointsController.h"

class QUndoStack;
class QWidget;

namespace brelvik::ui {

class ListHistory final : public QObject {
  Q_OBJECT

 public:
  static constexpr int kSteps = 1000;

  ListHistory(BreakpointsController& breakpoints, QObject* parent = nullptr);

  // Ctrl+Z, and Ctrl+Shift+Z and Ctrl+Y, in `window`; the keys do nothing
  // while `usable` says no (a split runs).
  void AddKeysTo(QWidget& window, std::function<bool()> usable);

  void Undo();
  void Redo();
  bool CanUndo() const;
  bool CanRedo() const;
  int Steps() const;

 private:
  class Step;

  void Take();
  void PutBack(const BreakpointsController::Snapshot& snapshot);

  BreakpointsController& breakpoints_;
  QUndoStack* stack_ = nullptr;
  BreakpointsController::Snapshot current_;
  bool puttingBack_ = false;
  bool newFile_ = false;
};

}  // namespace brelvik::ui
