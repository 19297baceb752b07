#include "ui/ListHistory.h"

#include <QKeySequence>
#include <QScopedValueRollback>
#include <QShortcut>
#include <QUndoStack>
#include <QWidget>
#include <utility>

namespace brelvik::ui {

// One change of the list. Pushing it runs redo once, when the change has
// already been made: that first redo does nothing.
class ListHistory::Step final : public QUndoCommand {
 public:
  Step(ListHistory& history, BreakpointsController::Snapshot before,
       BreakpointsController::Snapshot after)
      : history_(history), before_(std::move(before)), after_(std::move(after)) {}

  void undo() override { history_.PutBack(before_); }
  void redo() override {
    if (done_) {
      history_.PutBack(after_);
    }
    done_ = true;
  }

 private:
  ListHistory& history_;
  BreakpointsController::Snapshot before_;
  BreakpointsController::Snapshot after_;
  bool done_ = false;
};

ListHistory::ListHistory(BreakpointsController& breakpoints, QObject* parent)
    : QObject(parent),
      breakpoints_(breakpoints),
      stack_(new QUndoStack(this)),
      current_(breakpoints.TakeSnapshot()) {
  stack_->setUndoLimit(kSteps);
  connect(&breakpoints_, &BreakpointsController::NewFile, this, [this] {
    stack_->clear();
    newFile_ = true;
  });
  connect(&breakpoints_, &BreakpointsController::Changed, this, &ListHistory::Take);
}

void ListHistory::AddKeysTo(QWidget& window, std::function<bool()> usable) {
  const auto key = [&](const QKeySequence& keys, const char* name, void (ListHistory::*act)()) {
    auto* shortcut = new QShortcut(keys, &window);
    shortcut->setObjectName(name);
    connect(shortcut, &QShortcut::activated, this, [this, usable, act] {
      if (usable()) {
        (this->*act)();
      }
    });
  };
  key(Qt::CTRL | Qt::Key_Z, "Undo_Shortcut", &ListHistory::Undo);
  key(Qt::CTRL | Qt::SHIFT | Qt::Key_Z, "Redo_Shortcut", &ListHistory::Redo);
  key(Qt::CTRL | Qt::Key_Y, "RedoY_Shortcut", &ListHistory::Redo);
}

void ListHistory::Undo() {
  stack_->undo();
}

void ListHistory::Redo() {
  stack_->redo();
}

bool ListHistory::CanUndo() const {
  return stack_->canUndo();
}

bool ListHistory::CanRedo() const {
  return stack_->canRedo();
}

int ListHistory::Steps() const {
  return stack_->count();
}

void ListHistory::Take() {
  BreakpointsController::Snapshot after = breakpoints_.TakeSnapshot();
  BreakpointsController::Snapshot before = std::exchange(current_, after);
  if (puttingBack_ || std::exchange(newFile_, false)) {
    return;
  }
  // Only the selection moved: nothing to undo.
  if (before.List.Entries() == after.List.Entries() && before.Sheet == after.Sheet &&
      before.SheetPath == after.SheetPath) {
    return;
  }
  stack_->push(new Step(*this, std::move(before), std::move(after)));
}

void ListHistory::PutBack(const BreakpointsController::Snapshot& snapshot) {
  const QScopedValueRollback quiet(puttingBack_, true);
  breakpoints_.Restore(snapshot);
}

}  // namespace brelvik::ui
