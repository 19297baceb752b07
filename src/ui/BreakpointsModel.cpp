#include "ui/BreakpointsModel.h"

#include <QSize>

#include "ui/BreakpointsController.h"

namespace brelvik::ui {
namespace {

// Each row as high as the list box's font needs, whatever the style says.
constexpr int kRowHeight = 14;

}  // namespace

BreakpointsModel::BreakpointsModel(QObject* parent, const BreakpointsController& breakpoints)
    : QAbstractListModel(parent), breakpoints_(breakpoints) {
  connect(&breakpoints_, &BreakpointsController::Changed, this, [this] {
    beginResetModel();
    endResetModel();
  });
}

int BreakpointsModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : breakpoints_.List().Count();
}

QVariant BreakpointsModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= rowCount()) {
    return {};
  }
  switch (role) {
    case Qt::DisplayRole:
      return QString::fromStdString(breakpoints_.List().Text(index.row()));
    case Qt::ToolTipRole:
      return QString::fromStdString(breakpoints_.TimeText(index.row()));
    case Qt::SizeHintRole:
      return QSize(0, kRowHeight);
    default:
      return {};
  }
}

}  // namespace brelvik::ui
