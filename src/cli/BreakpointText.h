// Breakpoints as the command line takes them: a frame number ("1200", digits
// only) or a time, "m:ss[.fff]" or "h:mm:ss[.fff]", which becomes a frame
// number through the stream's figures.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

#include "split/StreamFigures.h"

namespace brelvik {

// A text that is neither a frame number nor a time, or a time too large to
// be a playback position.
class EBreakpointSyntax : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

struct BreakpointText {
  enum class Kind { Frame, Time };
  Kind Form = Kind::Frame;
  std::string FrameText;          // Frame: the digits as given, leading zeros kept
  std::int32_t Milliseconds = 0;  // Time

  friend bool operator==(const BreakpointText&, const BreakpointText&) = default;
};

BreakpointText ParseBreakpoint(std::string_view text);

// The frame number text to add to the breakpoint list: a frame number as
// given, a time converted with MSecToFrames.
std::string FrameTextOf(const BreakpointText& breakpoint, const StreamFigures& figures);

// Milliseconds as "m:ss.fff", or "h:mm:ss.fff" from one hour on: the time form
// that ParseBreakpoint reads.
std::string FormatTime(std::int64_t milliseconds);

}  // namespace brelvik
