#include "waveform/Envelope.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <stdexcept>

namespace brelvik::waveform {
namespace {

// The buckets that a level of the expected length needs, and a few more: a
// length known to the millisecond, or estimated, may fall a little short, and
// a vector that grows by a bucket doubles its memory.
std::int64_t BucketsToReserve(std::int64_t frames, std::int64_t bucketFrames) {
  const std::int64_t buckets = (frames + bucketFrames - 1) / bucketFrames;
  return buckets + buckets / 256 + 4;
}

}  // namespace

Envelope::Envelope(int rate, int channels, std::int64_t expectedFrames)
    : rate_(rate), channels_(channels), expected_(std::max<std::int64_t>(expectedFrames, 0)) {
  if (rate < 1) {
    throw std::invalid_argument("an envelope needs a sample rate");
  }
  if (channels < 1 || channels > 2) {
    throw std::invalid_argument("an envelope is made of one or two channels");
  }
  // Every level that the expected length fills with more than one bucket,
  // reserved at its expected size.
  std::int64_t bucketFrames = kFinestFrames;
  do {
    levels_.emplace_back(channels, 0, bucketFrames);
    levels_.back().Reserve(BucketsToReserve(expected_, bucketFrames));
    bucketFrames *= kLevelFactor;
  } while (bucketFrames < expected_);
}

void Envelope::Append(std::span<const Peak> peaks, std::int64_t end) {
  if (finished_) {
    throw std::logic_error("buckets added to a finished envelope");
  }
  const auto channels = static_cast<std::size_t>(channels_);
  for (std::size_t i = 0; i + channels <= peaks.size(); i += channels) {
    const std::int64_t frames = std::min(kFinestFrames, end - DecodedFrames());
    AppendFinest(peaks.subspan(i, channels), frames);
  }
}

void Envelope::AppendFinest(std::span<const Peak> peaks, std::int64_t frames) {
  levels_.front().Append(peaks, frames);
  for (std::size_t level = 0; level < levels_.size(); ++level) {
    if (levels_[level].Buckets() % kLevelFactor != 0) {
      break;
    }
    SumUp(level, false);
  }
}

void Envelope::Finish() {
  if (finished_) {
    return;
  }
  finished_ = true;
  expected_ = DecodedFrames();
  for (std::size_t level = 0; level < levels_.size(); ++level) {
    SumUp(level, true);
  }
  for (PeakLevel& level : levels_) {
    level.ShrinkToFit();
  }
}

void Envelope::SumUp(std::size_t level, bool partialGroup) {
  if (level + 1 == levels_.size()) {
    // The top level: one more above it once it holds more than one bucket
    // (also where the stream is longer than expected).
    if (levels_[level].Buckets() <= 1) {
      return;
    }
    levels_.emplace_back(channels_, 0, levels_[level].BucketFrames() * kLevelFactor);
  }
  const PeakLevel& below = levels_[level];
  PeakLevel& above = levels_[level + 1];
  const std::int64_t first = above.Buckets() * kLevelFactor;
  const std::int64_t last = std::min(first + kLevelFactor, below.Buckets());
  if (first >= last || (!partialGroup && last - first < kLevelFactor)) {
    return;
  }
  std::array<PeakSum, 2> sums{};
  std::int64_t frames = 0;
  for (std::int64_t bucket = first; bucket < last; ++bucket) {
    const std::span<const Peak> peaks = below.Bucket(bucket);
    const std::int64_t bucketFrames = below.FramesIn(bucket);
    for (std::size_t c = 0; c < peaks.size(); ++c) {
      sums[c].Add(peaks[c], bucketFrames);
    }
    frames += bucketFrames;
  }
  std::array<Peak, 2> joined{};
  for (std::size_t c = 0; c < joined.size(); ++c) {
    joined[c] = sums[c].Result();
  }
  above.Append(std::span(joined).first(static_cast<std::size_t>(channels_)), frames);
}

int Envelope::LevelFor(double framesPerColumn) const {
  int level = 0;
  while (level + 1 < Levels() &&
         static_cast<double>(Level(level + 1).BucketFrames()) <= framesPerColumn) {
    ++level;
  }
  return level;
}

ColumnSet Envelope::Columns(double firstFrame, double framesPerColumn, int count,
                            const PeakLevel* detail) const {
  ColumnSet set{channels_, std::max(count, 0), {}};
  set.Values.resize(static_cast<std::size_t>(channels_) * static_cast<std::size_t>(set.Count));
  const int top = LevelFor(framesPerColumn);
  for (int column = 0; column < set.Count; ++column) {
    const auto first = static_cast<std::int64_t>(std::floor(firstFrame + column * framesPerColumn));
    const auto end = std::max(
        first + 1,
        static_cast<std::int64_t>(std::floor(firstFrame + (column + 1) * framesPerColumn)));
    std::array<PeakSum, 2> sums{};
    const std::int64_t from = std::max<std::int64_t>(first, 0);
    if (end <= 0) {
      continue;
    }
    if (detail != nullptr && detail->Start() <= from && end <= detail->End()) {
      detail->Summarise(from, end, sums);
    } else {
      std::int64_t reached = from;
      for (int level = top; level >= 0 && reached < end; --level) {
        reached = Level(level).Summarise(reached, end, sums);
      }
    }
    for (int c = 0; c < channels_; ++c) {
      const PeakSum& sum = sums[static_cast<std::size_t>(c)];
      set.At(c, column) = {sum.Result(), !sum.Empty()};
    }
  }
  return set;
}

std::size_t Envelope::MemoryBytes() const {
  std::size_t bytes = sizeof(*this) + levels_.capacity() * sizeof(PeakLevel);
  for (const PeakLevel& level : levels_) {
    bytes += level.MemoryBytes();
  }
  return bytes;
}

}  // namespace brelvik::waveform
