// Lets the window end on SIGINT, SIGTERM and SIGHUP as any program does, but
// cleanly: the signal comes through the pipe of EndSignalPipe, which the event
// loop watches and turns into a call of the given function. A second signal
// while the first is handled ends the program at once.
#pragma once

#include <QObject>
#include <functional>

#include "io/EndSignals.h"

class QSocketNotifier;

namespace brelvik::ui {

class SignalWatcher final : public QObject {
  Q_OBJECT

 public:
  // Installs the handlers; onSignal runs on the event loop.
  explicit SignalWatcher(std::function<void()> onSignal, QObject* parent = nullptr);
  SignalWatcher(const SignalWatcher&) = delete;
  SignalWatcher& operator=(const SignalWatcher&) = delete;

  // The signal that arrived, 0 before any.
  int Received() const { return signals_.Received(); }
  // Ends the program by the signal received, as it would have ended without
  // the handlers (once the window has closed).
  void EndByTheSignal() const { signals_.EndByTheSignal(); }

 private:
  void Read();

  EndSignalPipe signals_;
  std::function<void()> onSignal_;
  QSocketNotifier* notifier_ = nullptr;
};

}  // namespace brelvik::ui
