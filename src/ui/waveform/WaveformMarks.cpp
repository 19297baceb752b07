#include "ui/waveform/WaveformMarks.h"

namespace brelvik::ui {

std::optional<int> WaveformMarks::SelectedMarker() const {
  for (std::size_t i = 0; i < Markers.size(); ++i) {
    if (Markers[i].Selected) {
      return static_cast<int>(i);
    }
  }
  return std::nullopt;
}

std::vector<double> WaveformMarks::Times() const {
  std::vector<double> times;
  times.reserve(Markers.size());
  for (const WaveformMarker& marker : Markers) {
    times.push_back(marker.TimeMs);
  }
  return times;
}

}  // namespace brelvik::ui
