#include "ui/waveform/MarksPainter.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QTime>
#include <cmath>

#include "ui/waveform/WaveformLook.h"

namespace brelvik::ui {
namespace {

constexpr double kHourMs = 3'600'000;
constexpr int kLabelPadding = 3;
constexpr int kLabelGap = 4;

}  // namespace

QString TimeText(double ms) {
  const QTime time = QTime(0, 0).addMSecs(static_cast<int>(std::lround(std::max(ms, 0.0))));
  return time.toString(ms >= kHourMs ? "h:mm:ss.zzz" : "m:ss.zzz");
}

QString MarkerLabel(int index, double ms) {
  return QString("%1 · %2").arg(index + 1).arg(TimeText(ms));
}

QString PieceLabel(const waveform::PieceSpan& piece) {
  return QString("Piece %1 · %2").arg(piece.Number).arg(TimeText(piece.LengthMs()));
}

void MarksPainter::Silences(const std::vector<silence::Silence>& silences) {
  for (const silence::Silence& silence : silences) {
    const int first = std::max(scale_.ColumnOf(silence.StartMs), -1);
    const int end = std::min(scale_.ColumnOf(silence.StartMs + silence.LengthMs), scale_.Width());
    if (end >= 0 && first < scale_.Width()) {
      painter_.fillRect(first, 0, std::max(end - first, 1), height_, look::kSilence);
    }
  }
}

void MarksPainter::Markers(const std::vector<WaveformMarker>& markers, bool labels) {
  std::vector<waveform::LabelBox> boxes;
  std::vector<QString> texts;
  for (std::size_t i = 0; i < markers.size(); ++i) {
    const WaveformMarker& marker = markers[i];
    const int x = scale_.ColumnOf(marker.TimeMs);
    const int wide = marker.Selected ? 1 : 0;
    if (x + wide >= 0 && x - wide < scale_.Width()) {
      painter_.fillRect(x - wide, 0, 1 + 2 * wide, height_,
                        marker.Selected ? look::kSelectedMarker : look::kMarker);
    }
    texts.push_back(MarkerLabel(static_cast<int>(i), marker.TimeMs));
    boxes.push_back({x + 2.0 + wide, LabelWidth(texts.back())});
  }
  if (!labels) {
    return;
  }
  const std::vector<bool> shown = waveform::FitLabels(boxes, scale_.Width(), kLabelGap);
  for (std::size_t i = 0; i < shown.size(); ++i) {
    if (shown[i]) {
      Label(texts[i], boxes[i].Left, 2);
    }
  }
}

void MarksPainter::Pieces(const std::vector<double>& timesMs) {
  const int top = height_ - LabelHeight() - 2;
  for (const waveform::PieceSpan& piece : waveform::Pieces(timesMs)) {
    const QString text = PieceLabel(piece);
    const auto left =
        waveform::PieceLabelLeft(scale_.PixelOf(piece.StartMs), scale_.PixelOf(piece.EndMs),
                                 scale_.Width(), LabelWidth(text), kLabelGap);
    if (left) {
      Label(text, *left, top);
    }
  }
}

void MarksPainter::Playhead(std::optional<double> ms) {
  if (ms) {
    painter_.fillRect(scale_.ColumnOf(*ms), 0, 1, height_, look::kPlayhead);
  }
}

void MarksPainter::Dragged(const DraggedMarker& dragged) {
  const int x = scale_.ColumnOf(dragged.TimeMs);
  painter_.setPen(QPen(look::kSelectedMarker, 1, Qt::DashLine));
  painter_.drawLine(x, 0, x, height_);
  const QString text = MarkerLabel(dragged.Index, dragged.TimeMs);
  const double width = LabelWidth(text);
  // Beside the pointer, on whichever side there is room.
  Label(text, x + 3 + width <= scale_.Width() ? x + 3.0 : x - 3 - width, 2 + LabelHeight() + 2);
}

void MarksPainter::Label(const QString& text, double left, int top) {
  const QRectF box(left, top, LabelWidth(text), LabelHeight());
  painter_.fillRect(box, look::kLabelBack);
  painter_.setPen(look::kLabelText);
  painter_.drawText(box, Qt::AlignCenter, text);
}

int MarksPainter::LabelHeight() const {
  return static_cast<int>(std::ceil(QFontMetricsF(painter_.font()).height())) + 2;
}

double MarksPainter::LabelWidth(const QString& text) const {
  return std::ceil(QFontMetricsF(painter_.font()).horizontalAdvance(text)) + 2 * kLabelPadding;
}

}  // namespace brelvik::ui
