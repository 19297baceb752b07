#include "ui/BreakpointsPanel.h"

#include <QLabel>
#include <QMenu>

#include "ui/BreakpointsController.h"
#include "ui/BreakpointsListBox.h"
#include "ui/BreakpointsModel.h"
#include "ui/Controls.h"

namespace brelvik::ui {

BreakpointsPanel::BreakpointsPanel(QWidget* parent, BreakpointsController& breakpoints)
    : QFrame(parent), breakpoints_(breakpoints) {
  PlacePanel(this, "Break_Pan", 2, 127, 117, 145);
  Label(this, "Breakpoints_Caption", "Breakpoints List:", SmallCaptionFont(), 8, 6);
  list_ = new BreakpointsListBox(this);
  list_->setObjectName("BreakpointsList");
  list_->setFont(ListFont());
  list_->setGeometry(10, 25, 97, 105);
  list_->setUniformItemSizes(true);
  list_->setModel(new BreakpointsModel(this, breakpoints_));
  connect(list_->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
          [this](const QModelIndex& current) {
            if (!showing_) {
              breakpoints_.Select(current.row());
            }
          });
  connect(list_, &BreakpointsListBox::Pressed, this, &BreakpointsPanel::PopUpMenu);
  connect(&breakpoints_, &BreakpointsController::Changed, this, &BreakpointsPanel::Show);
  CreateMenu();
  Show();
}

void BreakpointsPanel::CreateMenu() {
  menu_ = new QMenu(this);
  menu_->setObjectName("BreakPoint_PopupMenu");
  const auto item = [this](const char* name, const QString& caption, auto chosen) {
    QAction* action = menu_->addAction(caption);
    action->setObjectName(name);
    connect(action, &QAction::triggered, this, chosen);
    return action;
  };
  item("Play3Secsbefore1", "Play 3 Secs before", &BreakpointsPanel::PlayBeforeChosen);
  item("Play3safter1", "Play 3 Secs after", &BreakpointsPanel::PlayAfterChosen);
  QAction* remove =
      item("Deletethisbreakpoint1", "Delete this breakpoint", &BreakpointsPanel::DeleteChosen);
  // Shown beside the item; the window-wide Delete key does the same.
  remove->setShortcut(QKeySequence::Delete);
  remove->setShortcutContext(Qt::WidgetShortcut);
}

void BreakpointsPanel::PopUpMenu(const QPoint& globalPosition) {
  if (breakpoints_.List().Selected() >= 0) {
    menu_->popup(globalPosition);
  }
}

// The rows follow the list through the model; the list's selection is set
// here without being reported back.
void BreakpointsPanel::Show() {
  showing_ = true;
  list_->setCurrentIndex(list_->model()->index(breakpoints_.List().Selected(), 0));
  showing_ = false;
}

}  // namespace brelvik::ui
