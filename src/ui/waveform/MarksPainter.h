// What the waveform views draw over the envelope: silences shaded behind
// it, the breakpoints' markers with their numbers and times, the pieces
// between them with their numbers and lengths, the playhead, and the marker
// being dragged where it would be dropped.
#pragma once

#include <QString>
#include <optional>
#include <vector>

#include "silence/SilenceFinder.h"
#include "ui/waveform/WaveformMarks.h"
#include "waveform/ViewGeometry.h"

class QPainter;

namespace brelvik::ui {

// "m:ss.zzz", or "h:mm:ss.zzz" from an hour on.
QString TimeText(double ms);
// "3 · 1:02.500": the marker's number in the list, from 1, and its time.
QString MarkerLabel(int index, double ms);
// "Piece 2 · 3:25.500": the piece's number and its length.
QString PieceLabel(const waveform::PieceSpan& piece);

// A marker on its way to a new place.
struct DraggedMarker {
  int Index = 0;
  double TimeMs = 0;
};

class MarksPainter {
 public:
  MarksPainter(QPainter& painter, waveform::ViewScale scale, int height)
      : painter_(painter), scale_(scale), height_(height) {}

  void Silences(const std::vector<silence::Silence>& silences);
  // Markers as lines, and with labels when asked; the selected one wider.
  void Markers(const std::vector<WaveformMarker>& markers, bool labels);
  void Pieces(const std::vector<double>& timesMs);
  void Playhead(std::optional<double> ms);
  void Dragged(const DraggedMarker& dragged);

 private:
  void Label(const QString& text, double left, int top);
  int LabelHeight() const;
  double LabelWidth(const QString& text) const;

  QPainter& painter_;
  waveform::ViewScale scale_;
  int height_;
};

}  // namespace brelvik::ui
