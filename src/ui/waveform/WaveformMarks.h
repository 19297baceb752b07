// What the waveform views show over the audio, as the window gives it to
// them: the breakpoints in list order, the playback position and the
// silences found. The views never change it; they say what the user asked.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "silence/SilenceFinder.h"
#include "split/StreamFigures.h"

namespace brelvik::ui {

struct WaveformMarker {
  std::int32_t Frame = 0;  // the entry's frame number
  double TimeMs = 0;       // where it is drawn: the time it stands for
  bool Selected = false;

  friend bool operator==(const WaveformMarker&, const WaveformMarker&) = default;
};

struct WaveformMarks {
  std::vector<WaveformMarker> Markers;  // ascending, as in the list
  std::optional<double> PlayheadMs;
  std::vector<silence::Silence> Silences;
  // The list's frame arithmetic, and whether its entries keep the times they
  // were given (exact cuts): a dragged marker is shown where the list would
  // put it, on the start of a frame or, in exact mode, where it is.
  StreamFigures Figures;
  bool Exact = false;

  std::optional<int> SelectedMarker() const;
  std::vector<double> Times() const;
  // Where the list would put an entry dropped at ms.
  double SnappedMs(double ms) const;
};

// The first whole millisecond at which the position shows this frame: the
// time to draw a frame's entry at, as FrameOfTime takes it back to the frame.
double FrameStartMs(std::int32_t frame, const StreamFigures& figures);

// How far Left and Right move the selected marker.
enum class NudgeStep { Frame, Second };

}  // namespace brelvik::ui
