// How both programs end on SIGINT, SIGTERM and SIGHUP: as any program does,
// ended by the signal, but leaving no hidden temporary file of a piece behind.
// Past a file-size limit a write fails ("Stream write error") instead of
// SIGXFSZ ending the program.
#pragma once

#include <string>

namespace brelvik {

// A hidden temporary file being written, listed for as long as this lives so
// that an ending signal removes it first. Forgetting it does not remove it.
class RegisteredTemporary {
 public:
  // `folder` is a descriptor of the folder that holds `name`; it must stay
  // open for as long as this lives.
  RegisteredTemporary(int folder, const std::string& name) noexcept;
  ~RegisteredTemporary();
  RegisteredTemporary(const RegisteredTemporary&) = delete;
  RegisteredTemporary& operator=(const RegisteredTemporary&) = delete;

 private:
  int slot_ = -1;  // none when every slot was taken
};

// Removes every registered temporary file. Safe in a signal handler.
void RemoveTemporaries() noexcept;

// A program without an event loop: the signal ends it at once.
void EndAtOnceOnSignals();

// A program with an event loop: the first signal is written, as its number,
// into a pipe whose read end the loop watches, so that it can end cleanly;
// a second one while the first is handled ends the program at once. Only one
// may exist at a time; destroying it restores the signals' default actions.
class EndSignalPipe {
 public:
  EndSignalPipe();
  ~EndSignalPipe();
  EndSignalPipe(const EndSignalPipe&) = delete;
  EndSignalPipe& operator=(const EndSignalPipe&) = delete;

  // -1 when no pipe could be made (the signals then keep their defaults).
  int ReadEnd() const;
  // Reads what the pipe holds; the signal received, 0 before any.
  int Take();
  int Received() const { return received_; }
  // Ends the program by the signal received, as it would have ended without
  // the handlers; nothing when none came.
  void EndByTheSignal() const;

 private:
  int received_ = 0;
};

}  // namespace brelvik
