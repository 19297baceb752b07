#include "io/EndSignals.h"

#include <fcntl.h>
#include <limits.h>
#include <unistd.h>

#include <atomic>
#include <csignal>
#include <cstring>

namespace brelvik {
namespace {

constexpr int kEndingSignals[] = {SIGINT, SIGTERM, SIGHUP};

// One temporary per piece being written; a few allow for more than one at
// a time.
constexpr int kSlots = 8;
enum SlotState : int { kFree, kFilling, kHeld };

struct Slot {
  std::atomic<int> State{kFree};
  int Folder = -1;
  char Name[NAME_MAX + 1] = {};
};
Slot gSlots[kSlots];

static_assert(std::atomic<int>::is_always_lock_free, "the slots are read in a signal handler");

// The event loop's pipe; made once, never closed.
int gPipe[2] = {-1, -1};
volatile std::sig_atomic_t gPending = 0;

void Install(void (*handler)(int)) {
  struct sigaction action {};
  action.sa_handler = handler;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  for (const int signal : kEndingSignals) {
    ::sigaction(signal, &action, nullptr);
  }
  std::signal(SIGXFSZ, SIG_IGN);
}

void EndNow(int signal) {
  RemoveTemporaries();
  std::signal(signal, SIG_DFL);
  std::raise(signal);
}

extern "C" void EndAtOnce(int signal) {
  EndNow(signal);
}

extern "C" void WriteIntoThePipe(int signal) {
  if (gPending != 0) {
    EndNow(signal);  // asked again before the first was handled
    return;
  }
  gPending = 1;
  const auto number = static_cast<unsigned char>(signal);
  [[maybe_unused]] const ssize_t written = ::write(gPipe[1], &number, 1);
}

}  // namespace

RegisteredTemporary::RegisteredTemporary(int folder, const std::string& name) noexcept {
  if (name.size() >= sizeof Slot::Name) {
    return;
  }
  for (int i = 0; i < kSlots; ++i) {
    int expected = kFree;
    if (gSlots[i].State.compare_exchange_strong(expected, kFilling)) {
      gSlots[i].Folder = folder;
      std::memcpy(gSlots[i].Name, name.c_str(), name.size() + 1);
      gSlots[i].State.store(kHeld);
      slot_ = i;
      return;
    }
  }
}

RegisteredTemporary::~RegisteredTemporary() {
  if (slot_ >= 0) {
    gSlots[slot_].State.store(kFree);
  }
}

void RemoveTemporaries() noexcept {
  for (Slot& slot : gSlots) {
    int expected = kHeld;
    if (slot.State.compare_exchange_strong(expected, kFilling)) {
      ::unlinkat(slot.Folder, slot.Name, 0);
      slot.State.store(kFree);
    }
  }
}

void EndAtOnceOnSignals() {
  Install(EndAtOnce);
}

EndSignalPipe::EndSignalPipe() {
  if (gPipe[0] < 0 && ::pipe2(gPipe, O_CLOEXEC | O_NONBLOCK) != 0) {
    gPipe[0] = gPipe[1] = -1;
    return;
  }
  gPending = 0;
  Install(WriteIntoThePipe);
}

EndSignalPipe::~EndSignalPipe() {
  for (const int signal : kEndingSignals) {
    std::signal(signal, SIG_DFL);
  }
  gPending = 0;
}

int EndSignalPipe::ReadEnd() const {
  return gPipe[0];
}

int EndSignalPipe::Take() {
  unsigned char number = 0;
  while (gPipe[0] >= 0 && ::read(gPipe[0], &number, 1) == 1) {
    received_ = number;
  }
  return received_;
}

void EndSignalPipe::EndByTheSignal() const {
  if (received_ != 0) {
    std::signal(received_, SIG_DFL);
    std::raise(received_);
  }
}

}  // namespace brelvik
