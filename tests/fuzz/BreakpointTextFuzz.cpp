// The texts a user gives: breakpoints on the command line and numbers typed
// or pasted into the frame field.
#include <string_view>

#include "FuzzChecks.h"
#include "cli/BreakpointText.h"
#include "split/IntegerText.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  try {
    const brelvik::BreakpointText breakpoint = brelvik::ParseBreakpoint(text);
    if (breakpoint.Form == brelvik::BreakpointText::Kind::Time) {
      brelvik::fuzz::Check(breakpoint.Milliseconds >= 0);
      // A time written back reads as the same time.
      const auto again = brelvik::ParseBreakpoint(brelvik::FormatTime(breakpoint.Milliseconds));
      brelvik::fuzz::Check(again == breakpoint);
    } else {
      brelvik::fuzz::Check(breakpoint.FrameText == text);
    }
    brelvik::FrameTextOf(breakpoint, {128, 417, 10'000, 26});
  } catch (const brelvik::EBreakpointSyntax&) {
  }
  try {
    const std::int32_t value = brelvik::StrToInt(text);
    brelvik::fuzz::Check(!text.empty());
    brelvik::fuzz::Check(value == 0 || text.find_first_not_of("+-0") != std::string_view::npos);
  } catch (const brelvik::EConvertError&) {
  }
  return 0;
}
