// The arithmetic of a waveform view: which time each pixel column shows,
// zooming around a point from the whole stream down to kShortestSpanMs
// across the view, scrolling, finding the marker under the pointer, and the
// pieces between neighbouring breakpoints with room for their labels.
// Times are milliseconds on the decoded stream's time line.
#pragma once

#include <optional>
#include <span>
#include <vector>

namespace brelvik::waveform {

inline constexpr double kShortestSpanMs = 20.0;

struct ViewSpan {
  double StartMs = 0;
  double LengthMs = 0;

  double EndMs() const { return StartMs + LengthMs; }
  friend bool operator==(const ViewSpan&, const ViewSpan&) = default;
};

// A span shown across width pixels: column x shows [TimeOf(x), TimeOf(x + 1)).
class ViewScale {
 public:
  ViewScale(ViewSpan span, int width);

  const ViewSpan& Span() const { return span_; }
  int Width() const { return width_; }
  double MsPerPixel() const { return span_.LengthMs / width_; }
  double TimeOf(double x) const { return span_.StartMs + x * MsPerPixel(); }
  double PixelOf(double ms) const { return (ms - span_.StartMs) / MsPerPixel(); }
  // The column that shows this time (outside 0..Width()-1 when off the view).
  int ColumnOf(double ms) const;

 private:
  ViewSpan span_;
  int width_;
};

ViewSpan WholeSpan(double durationMs);
// Within [0, durationMs): from kShortestSpanMs (or the whole of a shorter
// stream) to the whole stream long, ending by its end.
ViewSpan Clamped(ViewSpan span, double durationMs);
// A factor above 1 zooms in; the time anchorMs stays at its pixel, unless the
// span would then reach past either end of the stream.
ViewSpan ZoomedAround(ViewSpan span, double durationMs, double factor, double anchorMs);
ViewSpan ScrolledBy(ViewSpan span, double durationMs, double deltaMs);
ViewSpan MovedTo(ViewSpan span, double durationMs, double startMs);

// The marker nearest to pixel x, no further than tolerance pixels from it;
// of two equally near, the first.
std::optional<int> MarkerAt(const ViewScale& scale, std::span<const double> timesMs, double x,
                            double tolerance);

// The piece between two neighbouring breakpoints, numbered from 1 as the
// split numbers its pieces.
struct PieceSpan {
  int Number = 0;
  double StartMs = 0;
  double EndMs = 0;

  double LengthMs() const { return EndMs - StartMs; }
  friend bool operator==(const PieceSpan&, const PieceSpan&) = default;
};

std::vector<PieceSpan> Pieces(std::span<const double> timesMs);

// Where a label of labelWidth pixels goes to stand for a piece drawn from
// pixel x0 to x1: centred on the part of it in view, or nothing when it does
// not fit there with padding on both sides.
std::optional<double> PieceLabelLeft(double x0, double x1, int viewWidth, double labelWidth,
                                     double padding);

// Labels from left to right, each wanting [Left, Left + Width): which are
// shown, so that shown labels keep gap pixels apart and stay in the view.
struct LabelBox {
  double Left = 0;
  double Width = 0;
};
std::vector<bool> FitLabels(std::span<const LabelBox> labels, int viewWidth, double gap);

}  // namespace brelvik::waveform
