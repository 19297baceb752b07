#include "waveform/ViewGeometry.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <stdexcept>

namespace brelvik::waveform {

ViewScale::ViewScale(ViewSpan span, int width) : span_(span), width_(width) {
  if (width < 1 || !(span.LengthMs > 0)) {
    throw std::invalid_argument("a view needs a pixel and a span of some length");
  }
}

int ViewScale::ColumnOf(double ms) const {
  const double x = std::floor(PixelOf(ms));
  constexpr double kFar = 1e9;  // far off the view, and well within an int
  return static_cast<int>(std::clamp(x, -kFar, kFar));
}

ViewSpan WholeSpan(double durationMs) {
  return {0, std::max(durationMs, 0.0)};
}

ViewSpan Clamped(ViewSpan span, double durationMs) {
  const double duration = std::max(durationMs, 0.0);
  const double shortest = std::min(kShortestSpanMs, duration);
  const double length = std::clamp(span.LengthMs, shortest, duration);
  const double start = std::clamp(span.StartMs, 0.0, duration - length);
  return {start, length};
}

ViewSpan ZoomedAround(ViewSpan span, double durationMs, double factor, double anchorMs) {
  if (!(factor > 0) || !(span.LengthMs > 0)) {
    return Clamped(span, durationMs);
  }
  const double fraction = (anchorMs - span.StartMs) / span.LengthMs;
  const double length = Clamped({0, span.LengthMs / factor}, durationMs).LengthMs;
  return Clamped({anchorMs - fraction * length, length}, durationMs);
}

ViewSpan ScrolledBy(ViewSpan span, double durationMs, double deltaMs) {
  return Clamped({span.StartMs + deltaMs, span.LengthMs}, durationMs);
}

ViewSpan MovedTo(ViewSpan span, double durationMs, double startMs) {
  return Clamped({startMs, span.LengthMs}, durationMs);
}

std::optional<int> MarkerAt(const ViewScale& scale, std::span<const double> timesMs, double x,
                            double tolerance) {
  std::optional<int> nearest;
  double best = std::numeric_limits<double>::infinity();
  for (std::size_t i = 0; i < timesMs.size(); ++i) {
    // Measured from the middle of the marker's column, where it is drawn.
    const double distance = std::abs(scale.ColumnOf(timesMs[i]) + 0.5 - x);
    if (distance <= tolerance && distance < best) {
      best = distance;
      nearest = static_cast<int>(i);
    }
  }
  return nearest;
}

std::vector<PieceSpan> Pieces(std::span<const double> timesMs) {
  std::vector<PieceSpan> pieces;
  for (std::size_t i = 1; i < timesMs.size(); ++i) {
    pieces.push_back({static_cast<int>(i), timesMs[i - 1], timesMs[i]});
  }
  return pieces;
}

std::optional<double> PieceLabelLeft(double x0, double x1, int viewWidth, double labelWidth,
                                     double padding) {
  const double left = std::max(x0, 0.0);
  const double right = std::min(x1, static_cast<double>(viewWidth));
  if (right - left < labelWidth + 2 * padding) {
    return std::nullopt;
  }
  return (left + right - labelWidth) / 2;
}

std::vector<bool> FitLabels(std::span<const LabelBox> labels, int viewWidth, double gap) {
  std::vector<bool> shown(labels.size(), false);
  double free = -std::numeric_limits<double>::infinity();
  for (std::size_t i = 0; i < labels.size(); ++i) {
    const LabelBox& label = labels[i];
    const bool inView = label.Left >= 0 && label.Left + label.Width <= viewWidth;
    if (inView && label.Left >= free) {
      shown[i] = true;
      free = label.Left + label.Width + gap;
    }
  }
  return shown;
}

}  // namespace brelvik::waveform
