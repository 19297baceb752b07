#include "waveform/PeakBuilder.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>
#include <utility>

namespace brelvik::waveform {

PeakBuilder::PeakBuilder(int channels, std::int64_t bucketFrames)
    : channels_(channels), bucketFrames_(bucketFrames) {
  if (channels < 1 || channels > 2) {
    throw std::invalid_argument("an envelope is made of one or two channels");
  }
  if (bucketFrames < 1) {
    throw std::invalid_argument("a bucket holds one sample frame at least");
  }
}

void PeakBuilder::Feed(const std::int16_t* interleaved, std::size_t frames) {
  while (frames > 0) {
    const auto room = static_cast<std::size_t>(bucketFrames_ - filled_);
    const std::size_t take = std::min(room, frames);
    if (channels_ == 1) {
      FeedRun<1>(interleaved, take);
    } else {
      FeedRun<2>(interleaved, take);
    }
    interleaved += take * static_cast<std::size_t>(channels_);
    frames -= take;
    filled_ += static_cast<std::int64_t>(take);
    frames_ += static_cast<std::int64_t>(take);
    if (filled_ == bucketFrames_) {
      CloseBucket();
    }
  }
}

// One run within a bucket, with the channel count known to the compiler so
// that the loop keeps its accumulators in registers.
template <std::size_t kChannels>
void PeakBuilder::FeedRun(const std::int16_t* interleaved, std::size_t frames) {
  if (frames == 0) {
    return;
  }
  std::array<int, kChannels> low{};
  std::array<int, kChannels> high{};
  std::array<std::uint64_t, kChannels> squares{};
  for (std::size_t c = 0; c < kChannels; ++c) {
    low[c] = filled_ == 0 ? interleaved[c] : open_[c].Min;
    high[c] = filled_ == 0 ? interleaved[c] : open_[c].Max;
  }
  for (std::size_t i = 0; i < frames; ++i) {
    for (std::size_t c = 0; c < kChannels; ++c) {
      const int v = interleaved[i * kChannels + c];
      low[c] = std::min(low[c], v);
      high[c] = std::max(high[c], v);
      squares[c] += static_cast<std::uint32_t>(v * v);  // a square fits in 31 bits
    }
  }
  for (std::size_t c = 0; c < kChannels; ++c) {
    open_[c] = {low[c], high[c], (filled_ == 0 ? 0 : open_[c].Squares) + squares[c]};
  }
}

void PeakBuilder::CloseBucket() {
  for (std::size_t c = 0; c < static_cast<std::size_t>(channels_); ++c) {
    const Channel& channel = open_[c];
    const double rms =
        std::sqrt(static_cast<double>(channel.Squares) / static_cast<double>(filled_));
    closed_.push_back({static_cast<std::int16_t>(channel.Min),
                       static_cast<std::int16_t>(channel.Max),
                       static_cast<std::uint16_t>(std::lround(rms))});
  }
  filled_ = 0;
}

void PeakBuilder::Finish() {
  if (filled_ > 0) {
    CloseBucket();
  }
}

std::vector<Peak> PeakBuilder::Take() {
  return std::exchange(closed_, {});
}

}  // namespace brelvik::waveform
