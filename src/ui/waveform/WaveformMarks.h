// What the waveform views show over the audio, as the window gives it to
// them: the breakpoints in list order, the playback position and the
// silences found. The views never change it; they say what the user asked.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "silence/SilenceFinder.h"

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

  std::optional<int> SelectedMarker() const;
  std::vector<double> Times() const;
};

// How far Left and Right move the selected marker.
enum class NudgeStep { Frame, Second };

}  // namespace brelvik::ui
