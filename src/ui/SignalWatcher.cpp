#include "ui/SignalWatcher.h"

#include <QSocketNotifier>

namespace brelvik::ui {

SignalWatcher::SignalWatcher(std::function<void()> onSignal, QObject* parent)
    : QObject(parent), onSignal_(std::move(onSignal)) {
  if (signals_.ReadEnd() < 0) {
    return;
  }
  notifier_ = new QSocketNotifier(signals_.ReadEnd(), QSocketNotifier::Read, this);
  connect(notifier_, &QSocketNotifier::activated, this, [this] { Read(); });
}

void SignalWatcher::Read() {
  if (signals_.Take() != 0 && onSignal_) {
    onSignal_();
  }
}

}  // namespace brelvik::ui
