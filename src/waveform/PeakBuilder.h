// Decoded samples, fed in blocks of any size, summarised into buckets of a
// fixed number of sample frames: the first step of the envelope, and of a
// span decoded on demand.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "waveform/Peaks.h"

namespace brelvik::waveform {

class PeakBuilder {
 public:
  // Throws std::invalid_argument for fewer than one or more than two
  // channels (MPEG audio has one or two) or buckets of no frames.
  PeakBuilder(int channels, std::int64_t bucketFrames);

  int Channels() const { return channels_; }
  std::int64_t BucketFrames() const { return bucketFrames_; }
  std::int64_t Frames() const { return frames_; }  // fed so far

  void Feed(const std::int16_t* interleaved, std::size_t frames);
  // At the end: closes the last bucket, which may hold fewer frames.
  void Finish();
  // The buckets closed since the last take, Channels() peaks each.
  std::vector<Peak> Take();

 private:
  struct Channel {
    int Min = 0;
    int Max = 0;
    std::uint64_t Squares = 0;
  };
  template <std::size_t kChannels>
  void FeedRun(const std::int16_t* interleaved, std::size_t frames);
  void CloseBucket();

  int channels_;
  std::int64_t bucketFrames_;
  std::int64_t frames_ = 0;
  std::int64_t filled_ = 0;  // frames in the bucket being filled
  std::array<Channel, 2> open_{};
  std::vector<Peak> closed_;
};

}  // namespace brelvik::waveform
