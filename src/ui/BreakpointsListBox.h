// The breakpoint list box. A left press selects the entry under the pointer
// as usual; any other press leaves the selection as it was. After every press
// it reports where the pointer was, so the window can open its menu there.
#pragma once

#include <QListView>
#include <QMouseEvent>

namespace brelvik::ui {

class BreakpointsListBox final : public QListView {
  Q_OBJECT

 public:
  using QListView::QListView;

 signals:
  void Pressed(const QPoint& globalPosition);

 protected:
  void mousePressEvent(QMouseEvent* event) override {
    if (event->button() == Qt::LeftButton) {
      QListView::mousePressEvent(event);
    } else {
      event->accept();
    }
    emit Pressed(event->globalPosition().toPoint());
  }
};

}  // namespace brelvik::ui
