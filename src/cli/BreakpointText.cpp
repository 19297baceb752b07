#include "cli/BreakpointText.h"

#include <algorithm>
#include <cstdio>
#include <limits>
#include <optional>

namespace brelvik {
namespace {

constexpr std::int64_t kMsPerSecond = 1000;
constexpr std::int64_t kMsPerMinute = 60 * kMsPerSecond;
constexpr std::int64_t kMsPerHour = 60 * kMsPerMinute;

std::string Quoted(std::string_view text) {
  return "'" + std::string(text) + "'";
}

[[noreturn]] void ThrowNotABreakpoint(std::string_view text) {
  throw EBreakpointSyntax(Quoted(text) +
                          " is not a breakpoint: give a frame number (digits only, such as 1200) "
                          "or a time as m:ss[.fff] (3:25.5) or h:mm:ss[.fff] (1:02:03.250)");
}

[[noreturn]] void ThrowTooLate(std::string_view text) {
  throw EBreakpointSyntax("The time " + Quoted(text) + " lies beyond the last position, " +
                          FormatTime(std::numeric_limits<std::int32_t>::max()));
}

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

bool AllDigits(std::string_view text) {
  return !text.empty() && std::all_of(text.begin(), text.end(), IsDigit);
}

// "00" to "59".
std::optional<std::int64_t> SixtiethsOf(std::string_view text) {
  if (text.size() != 2 || !AllDigits(text) || text[0] > '5') {
    return std::nullopt;
  }
  return (text[0] - '0') * 10 + (text[1] - '0');
}

// ".5" is 500 ms, ".25" 250 ms, ".250" 250 ms; no fraction is 0.
std::optional<std::int64_t> FractionMsOf(std::string_view fraction) {
  if (fraction.empty()) {
    return 0;
  }
  if (fraction.size() > 3 || !AllDigits(fraction)) {
    return std::nullopt;
  }
  std::int64_t ms = 0;
  for (std::size_t i = 0; i < 3; ++i) {
    ms = ms * 10 + (i < fraction.size() ? fraction[i] - '0' : 0);
  }
  return ms;
}

// The leading field of a time, in its unit; past the playback positions'
// range it is refused as too late (not as a wrong form).
std::int64_t LeadingMs(std::string_view digits, std::int64_t unit, std::string_view whole) {
  std::int64_t value = 0;
  for (const char c : digits) {
    value = value * 10 + (c - '0');
    if (value * unit > std::numeric_limits<std::int32_t>::max()) {
      ThrowTooLate(whole);
    }
  }
  return value * unit;
}

// Splits "a:b[:c][.fff]" into its fields; nothing for any other form.
std::optional<std::int64_t> TimeMs(std::string_view text) {
  std::string_view clock = text;
  std::string_view fraction;
  if (const auto dot = text.find('.'); dot != std::string_view::npos) {
    clock = text.substr(0, dot);
    fraction = text.substr(dot + 1);
    if (fraction.empty()) {
      return std::nullopt;
    }
  }
  const auto first = clock.find(':');
  if (first == std::string_view::npos || !AllDigits(clock.substr(0, first))) {
    return std::nullopt;
  }
  const std::string_view lead = clock.substr(0, first);
  const std::string_view rest = clock.substr(first + 1);
  const auto second = rest.find(':');
  const auto ms = FractionMsOf(fraction);
  if (!ms) {
    return std::nullopt;
  }
  if (second == std::string_view::npos) {  // m:ss
    const auto seconds = SixtiethsOf(rest);
    if (!seconds) {
      return std::nullopt;
    }
    return LeadingMs(lead, kMsPerMinute, text) + *seconds * kMsPerSecond + *ms;
  }
  const auto minutes = SixtiethsOf(rest.substr(0, second));  // h:mm:ss
  const auto seconds = SixtiethsOf(rest.substr(second + 1));
  if (!minutes || !seconds) {
    return std::nullopt;
  }
  return LeadingMs(lead, kMsPerHour, text) + *minutes * kMsPerMinute + *seconds * kMsPerSecond +
         *ms;
}

}  // namespace

BreakpointText ParseBreakpoint(std::string_view text) {
  if (AllDigits(text)) {
    return {BreakpointText::Kind::Frame, std::string(text), 0};
  }
  const auto ms = TimeMs(text);
  if (!ms) {
    ThrowNotABreakpoint(text);
  }
  if (*ms > std::numeric_limits<std::int32_t>::max()) {
    ThrowTooLate(text);
  }
  return {BreakpointText::Kind::Time, {}, static_cast<std::int32_t>(*ms)};
}

std::string FrameTextOf(const BreakpointText& breakpoint, const StreamFigures& figures) {
  if (breakpoint.Form == BreakpointText::Kind::Frame) {
    return breakpoint.FrameText;
  }
  return std::to_string(MSecToFrames(breakpoint.Milliseconds, figures.FrameBytes, figures.Kbps));
}

std::string FormatTime(std::int64_t milliseconds) {
  const std::int64_t hours = milliseconds / kMsPerHour;
  const auto minutes = static_cast<int>(milliseconds / kMsPerMinute % 60);
  const auto seconds = static_cast<int>(milliseconds / kMsPerSecond % 60);
  const auto fraction = static_cast<int>(milliseconds % kMsPerSecond);
  char text[48];
  if (hours > 0) {
    std::snprintf(text, sizeof text, "%lld:%02d:%02d.%03d", static_cast<long long>(hours), minutes,
                  seconds, fraction);
  } else {
    std::snprintf(text, sizeof text, "%d:%02d.%03d", minutes, seconds, fraction);
  }
  return text;
}

}  // namespace brelvik
