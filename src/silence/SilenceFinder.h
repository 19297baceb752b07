// Finds the pauses in decoded audio: runs of 20 ms windows whose RMS level is
// below a threshold, long enough to count, with something audible on both
// sides. Standard library only; SilenceScan.h feeds it an MP3's samples.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace brelvik::silence {

inline constexpr double kWindowMs = 20.0;  // RMS measured over windows this long

struct SilenceSettings {
  double ThresholdDb =
      -50.0;  // a window whose RMS level (dBFS, all channels) is below this is quiet
  double MinLengthSecs = 1.0;  // the shortest run of quiet windows that counts as a silence
};

struct Silence {
  double StartMs = 0;  // on the decoded (gapless) stream's time base: sample index / rate
  double LengthMs = 0;
  double LevelDb = 0;  // RMS level over the whole run in dBFS, floored at kFloorDb
  double MiddleMs() const { return StartMs + LengthMs / 2; }
};

inline constexpr double kFloorDb = -120.0;

// Throws std::invalid_argument unless ThresholdDb is finite and MinLengthSecs
// is finite and above zero.
void CheckSettings(const SilenceSettings& settings);

// Fed the decoded samples in blocks of any size; finds runs of quiet windows
// lasting at least MinLengthSecs. A run that begins at the very start of the
// stream or lasts to its very end is not a silence between two things, and is
// not reported.
//
// Windows are consecutive and non-overlapping from sample 0; the last, partial
// one is measured over its own length. The windows decide where the runs are;
// a run's edges are then moved out over the 1 ms slices of the loud windows
// next to it that are quiet as well, so that a pause is placed to about a
// millisecond rather than a window. MinLengthSecs applies to the run with its
// edges moved out, the extent that is reported.
class SilenceFinder {
 public:
  // Throws std::invalid_argument for a rate below 1000 Hz, fewer than one
  // channel, or settings CheckSettings refuses.
  SilenceFinder(int rate, int channels, SilenceSettings settings);

  void Feed(const std::int16_t* interleaved, std::size_t frames);
  // Ends the stream; call once, after the last Feed.
  std::vector<Silence> Finish();  // the silences, ascending

 private:
  // The sum of the squared samples of all channels over a stretch of frames.
  struct Slice {
    std::int64_t Start = 0;  // first frame
    std::int64_t Frames = 0;
    std::uint64_t Energy = 0;
  };
  struct Run {
    std::int64_t Start = 0;  // first frame
    std::int64_t End = 0;    // after the last frame
    double Energy = 0;
    bool FromStreamStart = false;
  };

  std::int64_t SliceStart(std::int64_t slice) const;
  bool IsQuiet(double energy, std::int64_t frames) const;
  void CloseSlice();
  void CloseWindow();
  void OpenRun(std::int64_t windowStart);
  void CloseRun();
  Silence ToSilence(const Run& run) const;

  int rate_;
  int channels_;
  SilenceSettings settings_;
  double quietEnergyPerValue_;  // the threshold as a mean square
  std::int64_t sliceIndex_ = 0;
  std::int64_t sliceEnd_ = 0;
  Slice slice_;  // the one being filled
  std::vector<Slice> window_;
  std::vector<Slice> previousWindow_;
  std::optional<Run> run_;
  std::vector<Silence> found_;
};

}  // namespace brelvik::silence
