// What the waveform knows of a stretch of audio, per channel: its lowest and
// highest sample and its RMS level. Buckets of consecutive sample frames are
// summarised by a Peak; a level is a run of equal buckets, and a pixel column
// is drawn from the buckets that it overlaps.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace brelvik::waveform {

struct Peak {
  std::int16_t Min = 0;
  std::int16_t Max = 0;
  std::uint16_t Rms = 0;  // rounded, in sample units (a full-scale square wave: 32768)

  friend bool operator==(const Peak&, const Peak&) = default;
};

// One channel of one pixel column. Known is false where nothing has been
// decoded yet, and past the end of the stream.
struct Column {
  Peak Value;
  bool Known = false;

  friend bool operator==(const Column&, const Column&) = default;
};

// The columns of a view span: Count per channel.
struct ColumnSet {
  int Channels = 0;
  int Count = 0;
  std::vector<Column> Values;  // channel by channel

  Column& At(int channel, int column) { return Values[Index(channel, column)]; }
  const Column& At(int channel, int column) const { return Values[Index(channel, column)]; }

 private:
  std::size_t Index(int channel, int column) const {
    return static_cast<std::size_t>(channel) * static_cast<std::size_t>(Count) +
           static_cast<std::size_t>(column);
  }
};

// The channels of each column joined into one: stereo drawn as one envelope.
ColumnSet JoinChannels(const ColumnSet& set);

// Peaks joined into one: the lowest minimum, the highest maximum, the RMS of
// all the frames they stand for.
class PeakSum {
 public:
  // Adds a peak standing for this many frames (nothing for none).
  void Add(const Peak& peak, std::int64_t frames);
  bool Empty() const { return frames_ == 0; }
  Peak Result() const;

 private:
  int min_ = 0;
  int max_ = 0;
  double squares_ = 0;  // mean square times frames
  std::int64_t frames_ = 0;
};

// Buckets of BucketFrames sample frames each from frame Start on, every one
// full but perhaps the last: a level of the envelope's pyramid, or a span
// decoded on demand.
class PeakLevel {
 public:
  PeakLevel(int channels, std::int64_t start, std::int64_t bucketFrames);

  int Channels() const { return channels_; }
  std::int64_t Start() const { return start_; }
  std::int64_t BucketFrames() const { return bucketFrames_; }
  std::int64_t Buckets() const { return static_cast<std::int64_t>(peaks_.size()) / channels_; }
  // The frame after the last one summarised.
  std::int64_t End() const { return end_; }
  // Channels() peaks; bucket counts from Start.
  std::span<const Peak> Bucket(std::int64_t bucket) const;
  std::int64_t FramesIn(std::int64_t bucket) const;

  void Reserve(std::int64_t buckets);
  // Adds a bucket of Channels() peaks standing for frames sample frames (all
  // but the last bucket must be full).
  void Append(std::span<const Peak> peaks, std::int64_t frames);
  // Adds to sums (one per channel) every bucket that overlaps [first, end);
  // returns where this level's buckets stopped covering the range (end when
  // they covered it all).
  std::int64_t Summarise(std::int64_t first, std::int64_t end, std::span<PeakSum> sums) const;
  std::size_t MemoryBytes() const { return peaks_.capacity() * sizeof(Peak); }
  void ShrinkToFit() { peaks_.shrink_to_fit(); }

 private:
  int channels_;
  std::int64_t start_;
  std::int64_t bucketFrames_;
  std::int64_t end_;
  std::vector<Peak> peaks_;  // bucket by bucket, Channels() each
};

}  // namespace brelvik::waveform
