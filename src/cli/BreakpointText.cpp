#include "cli/BreakpointText.h"

#include <charconv>
#include <cstdio>
#include <limits>
#include <regex>

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

// A run of digits that the pattern has already checked; empty gives 0.
std::int64_t DigitsValue(const std::string& digits, std::string_view whole) {
  std::int64_t value = 0;
  const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
  if (error != std::errc{}) {
    ThrowTooLate(whole);
  }
  return value;
}

// ".5" is 500 ms, ".25" 250 ms, ".250" 250 ms.
std::int64_t FractionMs(std::string fraction) {
  fraction.resize(3, '0');
  return (fraction[0] - '0') * 100 + (fraction[1] - '0') * 10 + (fraction[2] - '0');
}

std::int64_t Scaled(std::int64_t value, std::int64_t unit, std::string_view whole) {
  if (value > std::numeric_limits<std::int64_t>::max() / unit) {
    ThrowTooLate(whole);
  }
  return value * unit;
}

std::int32_t CheckedPosition(std::int64_t milliseconds, std::string_view whole) {
  if (milliseconds > std::numeric_limits<std::int32_t>::max()) {
    ThrowTooLate(whole);
  }
  return static_cast<std::int32_t>(milliseconds);
}

}  // namespace

BreakpointText ParseBreakpoint(std::string_view text) {
  static const std::regex kFrame(R"([0-9]+)");
  static const std::regex kMinutes(R"(([0-9]+):([0-5][0-9])(?:\.([0-9]{1,3}))?)");
  static const std::regex kHours(R"(([0-9]+):([0-5][0-9]):([0-5][0-9])(?:\.([0-9]{1,3}))?)");

  const std::string subject(text);
  std::smatch parts;
  if (std::regex_match(subject, kFrame)) {
    return {BreakpointText::Kind::Frame, subject, 0};
  }
  std::int64_t ms = 0;
  if (std::regex_match(subject, parts, kMinutes)) {
    ms = Scaled(DigitsValue(parts[1], text), kMsPerMinute, text) +
         DigitsValue(parts[2], text) * kMsPerSecond + FractionMs(parts[3]);
  } else if (std::regex_match(subject, parts, kHours)) {
    ms = Scaled(DigitsValue(parts[1], text), kMsPerHour, text) +
         DigitsValue(parts[2], text) * kMsPerMinute + DigitsValue(parts[3], text) * kMsPerSecond +
         FractionMs(parts[4]);
  } else {
    ThrowNotABreakpoint(text);
  }
  return {BreakpointText::Kind::Time, {}, CheckedPosition(ms, text)};
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
