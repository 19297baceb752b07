// How the program says that what the user asked cannot be done: a refusal
// value, its kind (which the command line turns into an exit code) and the
// text shown as it stands. File and device failures are exceptions instead
// (EStreamError and its kind, playback::DecoderError, EMCIDeviceError).
#pragma once

#include <string>
#include <utility>
#include <variant>

namespace brelvik {

enum class RefusalKind {
  NoAudio,      // a file without valid MPEG audio
  Unreadable,   // a file (or its cue sheet) that cannot be read or analysed at all
  Breakpoint,   // a breakpoint refused by its form or its value
  NothingToDo,  // too few breakpoints for a piece or a track
  CueSheet,     // no usable cue sheet, not one for this file, or a list no sheet can hold
  ExactCut,     // exact cuts that cannot be made in this file or at these times
  NameRefused   // a name that may not be written (a piece's or a sheet's)
};

struct Refusal {
  Refusal(RefusalKind kind, std::string text, std::string detail = {})
      : Kind(kind), Text(std::move(text)), Detail(std::move(detail)) {}

  RefusalKind Kind;
  std::string Text;
  // The text with the path and the system's reason where they add to it, for
  // the command line (EStreamError::Detailed); empty when that is the text.
  std::string Detail;

  const std::string& Detailed() const { return Detail.empty() ? Text : Detail; }

  friend bool operator==(const Refusal&, const Refusal&) = default;
};

// A value, or the refusal that stands in its place.
template <typename T>
class OrRefusal {
 public:
  OrRefusal(T value) : state_(std::move(value)) {}            // NOLINT: implicit by design
  OrRefusal(Refusal refusal) : state_(std::move(refusal)) {}  // NOLINT: implicit by design

  explicit operator bool() const { return std::holds_alternative<T>(state_); }
  T& operator*() { return std::get<T>(state_); }
  const T& operator*() const { return std::get<T>(state_); }
  T* operator->() { return &std::get<T>(state_); }
  const T* operator->() const { return &std::get<T>(state_); }
  const Refusal& Refused() const { return std::get<Refusal>(state_); }

 private:
  std::variant<T, Refusal> state_;
};

}  // namespace brelvik
