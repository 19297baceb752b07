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

double WaveformMarks::SnappedMs(double ms) const {
  if (Exact || Figures.Kbps == 0 || Figures.FrameBytes == 0) {
    return ms;
  }
  return FrameStartMs(FrameOfTime(ms, Figures), Figures);
}

double FrameStartMs(std::int32_t frame, const StreamFigures& figures) {
  if (figures.Kbps == 0) {
    return 0;
  }
  const std::int64_t bits = std::int64_t{frame} * figures.FrameBytes * 8;
  return static_cast<double>((bits + figures.Kbps - 1) / figures.Kbps);
}

}  // namespace brelvik::ui
