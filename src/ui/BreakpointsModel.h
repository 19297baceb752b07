// The breakpoint list as the list box shows it: one row per entry, its text
// the entry's frame number as it was added ("007" stays "007"), its tool tip
// the time it stands for. The rows follow the controller: every change of
// the list resets them.
#pragma once

#include <QAbstractListModel>

namespace brelvik::ui {

class BreakpointsController;

class BreakpointsModel final : public QAbstractListModel {
  Q_OBJECT

 public:
  BreakpointsModel(QObject* parent, const BreakpointsController& breakpoints);

  int rowCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

 private:
  const BreakpointsController& breakpoints_;
};

}  // namespace brelvik::ui
