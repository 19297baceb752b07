#include "ui/waveform/OverviewStrip.h"

#include <QMouseEvent>
#include <QPainter>
#include <algorithm>

#include "ui/waveform/MarksPainter.h"
#include "ui/waveform/WaveformLook.h"
#include "waveform/Envelope.h"

namespace brelvik::ui {
namespace {

constexpr int kFrameSlack = 2;  // pixels beside the frame that still grip it

}  // namespace

OverviewStrip::OverviewStrip(QWidget* parent) : EnvelopePane(parent) {
  setObjectName("WaveformOverview");
  setFixedHeight(look::kOverviewHeight);
}

void OverviewStrip::SourceChanged() {
  detailSpan_ = waveform::WholeSpan(DurationMs());
  grip_.reset();
}

void OverviewStrip::SetDetailSpan(const waveform::ViewSpan& span) {
  detailSpan_ = span;
  update();
}

waveform::ViewScale OverviewStrip::Scale() const {
  return waveform::ViewScale({0, DurationMs() > 0 ? DurationMs() : 1}, std::max(width(), 1));
}

std::pair<int, int> OverviewStrip::FrameColumns() const {
  const waveform::ViewScale scale = Scale();
  const int first = std::clamp(scale.ColumnOf(detailSpan_.StartMs), 0, width() - 1);
  const int last = std::clamp(scale.ColumnOf(detailSpan_.EndMs()) - 1, first, width() - 1);
  return {first, last};
}

waveform::ColumnSet OverviewStrip::Columns(const waveform::Envelope& envelope) {
  const double perColumn = Scale().MsPerPixel() * envelope.Rate() / 1000.0;
  return envelope.Columns(0, perColumn, width());
}

void OverviewStrip::paintEvent(QPaintEvent*) {
  const QImage& image = Image();
  QPainter painter(this);
  painter.fillRect(rect(), image.isNull() ? look::kUndecoded : look::kBackground);
  if (DurationMs() <= 0) {
    return;
  }
  MarksPainter marks(painter, Scale(), height());
  marks.Silences(Marks().Silences);
  painter.drawImage(0, 0, image);
  marks.Markers(Marks().Markers, false);
  marks.Playhead(Marks().PlayheadMs);
  const auto [first, last] = FrameColumns();
  painter.setPen(QPen(look::kFrame, 1));
  painter.setBrush(Qt::NoBrush);
  painter.drawRect(first, 0, last - first, height() - 1);
}

void OverviewStrip::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton || DurationMs() <= 0) {
    return;
  }
  const double x = event->position().x();
  const auto [first, last] = FrameColumns();
  const bool onFrame = x >= first - kFrameSlack && x <= last + 1 + kFrameSlack;
  grip_ = onFrame ? Scale().TimeOf(x) - detailSpan_.StartMs : detailSpan_.LengthMs / 2;
  if (!onFrame) {
    MoveFrame(x);
  }
}

void OverviewStrip::mouseMoveEvent(QMouseEvent* event) {
  if (grip_) {
    MoveFrame(event->position().x());
  }
}

void OverviewStrip::mouseReleaseEvent(QMouseEvent*) {
  grip_.reset();
}

void OverviewStrip::MoveFrame(double x) {
  emit FrameMoved(Scale().TimeOf(x) - *grip_);
}

}  // namespace brelvik::ui
