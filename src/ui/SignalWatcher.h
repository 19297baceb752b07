// Lets the window end on SIGINT, SIGTERM and SIGHUP as any program does, but
// cleanly: the handler only writes the signal's number into a pipe, which the
// event loop reads and turns into a call of the given function. A second
// signal while the first is handled ends the program at once. A file-size
// limit makes a write fail ("Stream write error") instead of ending it.
#pragma once

#include <QObject>
#include <functional>

class QSocketNotifier;

namespace brelvik::ui {

class SignalWatcher final : public QObject {
  Q_OBJECT

 public:
  // Installs the handlers; onSignal runs on the event loop.
  explicit SignalWatcher(std::function<void()> onSignal, QObject* parent = nullptr);
  ~SignalWatcher() override;
  SignalWatcher(const SignalWatcher&) = delete;
  SignalWatcher& operator=(const SignalWatcher&) = delete;

  // The signal that arrived, 0 before any.
  int Received() const { return received_; }
  // Ends the program by the signal received, as it would have ended without
  // the handlers (once the window has closed).
  void EndByTheSignal() const;

 private:
  void Read();

  std::function<void()> onSignal_;
  QSocketNotifier* notifier_ = nullptr;
  int received_ = 0;
};

}  // namespace brelvik::ui
