#include "ui/BreakpointsPanel.h"

#include <QLabel>
#include <QMenu>

#include "ui/BreakpointsController.h"
#include "ui/BreakpointsListBox.h"
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
  connect(list_, &QListWidget::currentRowChanged, this,
          [this](int row) { breakpoints_.Select(row); });
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

void BreakpointsPanel::Show() {
  const QSignalBlocker quiet(list_);
  list_->clear();
  const BreakpointList& list = breakpoints_.List();
  for (int i = 0; i < list.Count(); ++i) {
    auto* item = new QListWidgetItem(QString::fromStdString(list.Text(i)), list_);
    item->setSizeHint(QSize(0, 14));
    item->setToolTip(QString::fromStdString(breakpoints_.TimeText(i)));
  }
  list_->setCurrentRow(list.Selected());
}

}  // namespace brelvik::ui
