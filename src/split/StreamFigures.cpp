#include "split/StreamFigures.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>

namespace brelvik {
namespace {

// Products are taken in 64 bits so that long files do not wrap; a result
// outside the 32-bit range is held at its limit.
std::int32_t ClampToInt32(std::int64_t value) {
  return static_cast<std::int32_t>(std::clamp<std::int64_t>(
      value, std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max()));
}

}  // namespace

std::int32_t MSecToFrames(std::int32_t milliseconds, std::uint16_t frameBytes, std::uint16_t kbps) {
  if (frameBytes == 0) {
    return 0;
  }
  return ClampToInt32(std::int64_t{milliseconds} * kbps / 8 / frameBytes);
}

std::int32_t FramesToMSec(std::int32_t frames, std::uint16_t frameBytes, std::uint16_t kbps) {
  if (kbps == 0) {
    return 0;
  }
  return ClampToInt32(std::int64_t{frames} * frameBytes * 8 / kbps);
}

PositionTexts SetDataPosition(std::int32_t milliseconds, const StreamFigures& figures) {
  constexpr std::int64_t kMsPerDay = 24LL * 60 * 60 * 1000;
  const std::int64_t ofDay = ((milliseconds % kMsPerDay) + kMsPerDay) % kMsPerDay;
  const std::int64_t seconds = ofDay / 1000;
  char time[16];
  std::snprintf(time, sizeof time, "%02d:%02d:%02d", static_cast<int>(seconds / 3600),
                static_cast<int>(seconds / 60 % 60), static_cast<int>(seconds % 60));
  return {time, std::to_string(MSecToFrames(milliseconds, figures.FrameBytes, figures.Kbps))};
}

std::int32_t FrameOfTime(double milliseconds, const StreamFigures& figures) {
  constexpr double kLargest = std::numeric_limits<std::int32_t>::max();
  const double whole = std::clamp(std::round(milliseconds), 0.0, kLargest);
  return MSecToFrames(static_cast<std::int32_t>(whole), figures.FrameBytes, figures.Kbps);
}

std::int64_t EndFrame(std::int64_t fileLength, std::uint16_t frameBytes) {
  if (frameBytes == 0) {
    return 0;
  }
  return (fileLength + frameBytes - 1) / frameBytes;
}

}  // namespace brelvik
