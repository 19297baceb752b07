// Conversions between sample frames and the device's whole milliseconds.
// Milliseconds to samples rounds up and samples to milliseconds rounds down,
// so that a position set in ms reads back as the same ms.
#pragma once

#include <cstdint>

namespace brelvik::playback {

constexpr std::int64_t MsToSamples(std::int64_t ms, std::int64_t rate) {
  return (ms * rate + 999) / 1000;
}

constexpr std::int64_t SamplesToMs(std::int64_t samples, std::int64_t rate) {
  return samples * 1000 / rate;
}

}  // namespace brelvik::playback
