#include "waveform/Peaks.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <stdexcept>

namespace brelvik::waveform {

void PeakSum::Add(const Peak& peak, std::int64_t frames) {
  if (frames <= 0) {
    return;
  }
  if (frames_ == 0) {
    min_ = peak.Min;
    max_ = peak.Max;
  } else {
    min_ = std::min<int>(min_, peak.Min);
    max_ = std::max<int>(max_, peak.Max);
  }
  const double rms = peak.Rms;
  squares_ += rms * rms * static_cast<double>(frames);
  frames_ += frames;
}

Peak PeakSum::Result() const {
  if (frames_ == 0) {
    return {};
  }
  const double rms = std::sqrt(squares_ / static_cast<double>(frames_));
  return {static_cast<std::int16_t>(min_), static_cast<std::int16_t>(max_),
          static_cast<std::uint16_t>(std::min(std::lround(rms), 65535L))};
}

ColumnSet JoinChannels(const ColumnSet& set) {
  ColumnSet joined{1, set.Count, std::vector<Column>(static_cast<std::size_t>(set.Count))};
  for (int column = 0; column < set.Count; ++column) {
    PeakSum sum;
    for (int channel = 0; channel < set.Channels; ++channel) {
      const Column& part = set.At(channel, column);
      if (part.Known) {
        sum.Add(part.Value, 1);
      }
    }
    joined.At(0, column) = {sum.Result(), !sum.Empty()};
  }
  return joined;
}

PeakLevel::PeakLevel(int channels, std::int64_t start, std::int64_t bucketFrames)
    : channels_(channels), start_(start), bucketFrames_(bucketFrames), end_(start) {
  if (channels < 1 || bucketFrames < 1) {
    throw std::invalid_argument("a level needs a channel and buckets of a frame at least");
  }
}

std::span<const Peak> PeakLevel::Bucket(std::int64_t bucket) const {
  const auto channels = static_cast<std::size_t>(channels_);
  return std::span(peaks_).subspan(static_cast<std::size_t>(bucket) * channels, channels);
}

std::int64_t PeakLevel::FramesIn(std::int64_t bucket) const {
  const std::int64_t first = start_ + bucket * bucketFrames_;
  return std::clamp<std::int64_t>(end_ - first, 0, bucketFrames_);
}

void PeakLevel::Reserve(std::int64_t buckets) {
  peaks_.reserve(static_cast<std::size_t>(buckets) * static_cast<std::size_t>(channels_));
}

void PeakLevel::Append(std::span<const Peak> peaks, std::int64_t frames) {
  if (end_ != start_ + Buckets() * bucketFrames_) {
    throw std::logic_error("a bucket after the partial last one");
  }
  peaks_.insert(peaks_.end(), peaks.begin(), peaks.end());
  end_ += frames;
}

std::int64_t PeakLevel::Summarise(std::int64_t first, std::int64_t end,
                                  std::span<PeakSum> sums) const {
  first = std::max(first, start_);
  const std::int64_t stop = std::min(end, end_);
  if (first >= stop) {
    return first >= end_ ? first : end;
  }
  const std::int64_t from = (first - start_) / bucketFrames_;
  const std::int64_t to = (stop - start_ + bucketFrames_ - 1) / bucketFrames_;
  for (std::int64_t bucket = from; bucket < to; ++bucket) {
    const std::span<const Peak> peaks = Bucket(bucket);
    const std::int64_t frames = FramesIn(bucket);
    for (int channel = 0; channel < channels_; ++channel) {
      sums[static_cast<std::size_t>(channel)].Add(peaks[static_cast<std::size_t>(channel)], frames);
    }
  }
  return stop;
}

}  // namespace brelvik::waveform
