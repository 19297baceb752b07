// The breakpoints panel: its caption, the list box fed from the breakpoint
// controller (each entry's text its frame number, its hint the time it stands
// for) and the list's menu. It changes nothing itself: it reports the
// selection to the controller and the menu's choices as signals.
#pragma once

#include <QFrame>

class QMenu;

namespace brelvik::ui {

class BreakpointsController;
class BreakpointsListBox;

class BreakpointsPanel final : public QFrame {
  Q_OBJECT

 public:
  BreakpointsPanel(QWidget* parent, BreakpointsController& breakpoints);

  // Opens the menu at the pointer when an entry is selected.
  void PopUpMenu(const QPoint& globalPosition);

 signals:
  void PlayBeforeChosen();
  void PlayAfterChosen();
  void DeleteChosen();

 private:
  void CreateMenu();
  // Shows the controller's selection again after a change of the list.
  void Show();

  BreakpointsController& breakpoints_;
  BreakpointsListBox* list_ = nullptr;
  QMenu* menu_ = nullptr;
  bool showing_ = false;
};

}  // namespace brelvik::ui
