#include "ui/SignalWatcher.h"

#include <fcntl.h>
#include <unistd.h>

#include <QSocketNotifier>
#include <csignal>

#include "split/FileStreams.h"

namespace brelvik::ui {
namespace {

int gPipe[2] = {-1, -1};
volatile std::sig_atomic_t gPending = 0;

extern "C" void OnSignal(int signal) {
  if (gPending != 0) {
    // Asked again before the first was handled: end now, leaving no hidden
    // temporary file of a piece behind.
    RemovePieceTemporary();
    std::signal(signal, SIG_DFL);
    std::raise(signal);
    return;
  }
  gPending = 1;
  const unsigned char number = static_cast<unsigned char>(signal);
  [[maybe_unused]] const ssize_t written = ::write(gPipe[1], &number, 1);
}

constexpr int kSignals[] = {SIGINT, SIGTERM, SIGHUP};

}  // namespace

SignalWatcher::SignalWatcher(std::function<void()> onSignal, QObject* parent)
    : QObject(parent), onSignal_(std::move(onSignal)) {
  if (gPipe[0] < 0 && ::pipe2(gPipe, O_CLOEXEC | O_NONBLOCK) != 0) {
    return;
  }
  notifier_ = new QSocketNotifier(gPipe[0], QSocketNotifier::Read, this);
  connect(notifier_, &QSocketNotifier::activated, this, [this] { Read(); });
  for (const int signal : kSignals) {
    std::signal(signal, OnSignal);
  }
  std::signal(SIGXFSZ, SIG_IGN);
}

SignalWatcher::~SignalWatcher() {
  for (const int signal : kSignals) {
    std::signal(signal, SIG_DFL);
  }
}

void SignalWatcher::Read() {
  unsigned char number = 0;
  while (::read(gPipe[0], &number, 1) == 1) {
    received_ = number;
  }
  if (received_ != 0 && onSignal_) {
    onSignal_();
  }
}

void SignalWatcher::EndByTheSignal() const {
  if (received_ != 0) {
    std::signal(received_, SIG_DFL);
    std::raise(received_);
  }
}

}  // namespace brelvik::ui
