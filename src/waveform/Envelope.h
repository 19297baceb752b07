// The envelope of a whole stream, per channel, as a pyramid of peak levels:
// level 0 sums up kFinestFrames sample frames a bucket, every level above
// kLevelFactor buckets of the one below it. It grows as decoded buckets
// arrive, and answers "the columns of this span at that many pixels" from
// the coarsest level that still gives every column a bucket of its own.
//
// Memory: 6 bytes a bucket and channel, and the levels above add a third to
// level 0: 2.48 MB an hour of 44.1 kHz stereo, 2.70 MB at 48 kHz (half for
// mono). Spans finer than level 0 are decoded on demand (DetailSpan.h).
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "waveform/Peaks.h"

namespace brelvik::waveform {

inline constexpr std::int64_t kFinestFrames = 1024;
inline constexpr int kLevelFactor = 4;

class Envelope {
 public:
  // expectedFrames: the stream's length as far as it is known before
  // decoding (0 when it is not), so that the levels are reserved once.
  // Throws std::invalid_argument for a rate below 1 or a channel count other
  // than one or two.
  Envelope(int rate, int channels, std::int64_t expectedFrames);

  int Rate() const { return rate_; }
  int Channels() const { return channels_; }
  // The length given at the start until Finish, the decoded length after.
  std::int64_t ExpectedFrames() const { return expected_; }
  std::int64_t DecodedFrames() const { return levels_.front().End(); }
  bool Finished() const { return finished_; }

  // Adds level-0 buckets, Channels() peaks each, of the stream's first end
  // frames: full ones, and at the end of the stream perhaps a last one that
  // holds the rest.
  void Append(std::span<const Peak> peaks, std::int64_t end);
  // After the last Append: the levels above level 0 sum up its last buckets.
  void Finish();

  int Levels() const { return static_cast<int>(levels_.size()); }
  const PeakLevel& Level(int level) const { return levels_[static_cast<std::size_t>(level)]; }

  // Columns of framesPerColumn frames each from firstFrame on. Each column
  // joins the buckets that overlap it, from the coarsest level whose
  // buckets are no longer than a column (level 0 for finer columns), and
  // from finer levels where that one has not summed up the latest buckets
  // yet. A detail (a span decoded on demand) is used for every column that
  // it covers whole.
  ColumnSet Columns(double firstFrame, double framesPerColumn, int count,
                    const PeakLevel* detail = nullptr) const;

  std::size_t MemoryBytes() const;

 private:
  void AppendFinest(std::span<const Peak> peaks, std::int64_t frames);
  // Sums up level's buckets from its first one not summed up yet in the
  // level above, once a whole group of them is there (or any at all).
  void SumUp(std::size_t level, bool partialGroup);
  int LevelFor(double framesPerColumn) const;

  int rate_;
  int channels_;
  std::int64_t expected_;
  bool finished_ = false;
  std::vector<PeakLevel> levels_;
};

}  // namespace brelvik::waveform
