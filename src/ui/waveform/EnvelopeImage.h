// Envelope columns drawn into an image one pixel column each: every channel
// (or all of them joined) in a lane of its own, minimum to maximum in the
// envelope's colour with the RMS level shaded inside, columns not decoded
// yet greyed, transparent elsewhere so that what lies behind shows through.
#pragma once

#include <QImage>

#include "waveform/Peaks.h"

namespace brelvik::ui {

enum class Lanes { Joined, Apart };

struct LaneRows {
  int Top = 0;
  int Height = 0;

  int Middle() const { return Top + Height / 2; }
  // The row of a sample value: full scale just inside the lane.
  int RowOf(int value) const;
};

// Lane `lane` of `lanes` stacked in a view `height` pixels high.
LaneRows LaneOf(int lane, int lanes, int height);

// Into image, made as wide as there are columns and height high (kept as it
// is when it has that size already).
void DrawEnvelope(const waveform::ColumnSet& columns, int height, Lanes lanes, QImage& image);

}  // namespace brelvik::ui
