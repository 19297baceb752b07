#include "ui/waveform/OverviewStrip.h"

#include <QMouseEvent>
#include <QPainter>
#include <algorithm>

#include "ui/waveform/MarksPainter.h"
#include "ui/waveform/SharedDecode.h"
#include "ui/waveform/WaveformLook.h"
#include "waveform/Envelope.h"

namespace brelvik::ui {
namespace {

constexpr int kFrameSlack = 2;  // pixels beside the frame that still grip it

}  // namespace

OverviewStrip::OverviewStrip(QWidget* parent) : QWidget(parent) {
  setObjectName("WaveformOverview");
  setFixedHeight(look::kOverviewHeight);
  setAttribute(Qt::WA_OpaquePaintEvent);
}

void OverviewStrip::SetSource(SharedDecode* decode, double durationMs) {
  if (decode_ != nullptr) {
    disconnect(decode_, nullptr, this, nullptr);
  }
  decode_ = decode;
  durationMs_ = std::max(durationMs, 0.0);
  detailSpan_ = waveform::WholeSpan(durationMs_);
  grip_.reset();
  if (decode_ != nullptr) {
    connect(decode_, &SharedDecode::Opened, this, &OverviewStrip::Invalidate);
    connect(decode_, &SharedDecode::Grew, this, &OverviewStrip::Invalidate);
    connect(decode_, &SharedDecode::Finished, this, &OverviewStrip::Invalidate);
    connect(decode_, &QObject::destroyed, this, [this] { SetSource(nullptr, 0); });
  }
  Invalidate();
}

void OverviewStrip::SetMarks(const WaveformMarks& marks) {
  marks_ = marks;
  update();
}

void OverviewStrip::SetLanes(Lanes lanes) {
  lanes_ = lanes;
  Invalidate();
}

void OverviewStrip::SetDetailSpan(const waveform::ViewSpan& span) {
  detailSpan_ = span;
  update();
}

waveform::ViewScale OverviewStrip::Scale() const {
  return waveform::ViewScale({0, durationMs_ > 0 ? durationMs_ : 1}, std::max(width(), 1));
}

std::pair<int, int> OverviewStrip::FrameColumns() const {
  const waveform::ViewScale scale = Scale();
  const int first = std::clamp(scale.ColumnOf(detailSpan_.StartMs), 0, width() - 1);
  const int last = std::clamp(scale.ColumnOf(detailSpan_.EndMs()) - 1, first, width() - 1);
  return {first, last};
}

void OverviewStrip::Invalidate() {
  imageCurrent_ = false;
  update();
}

void OverviewStrip::RebuildImage() {
  imageCurrent_ = true;
  const waveform::Envelope* envelope = decode_ != nullptr ? decode_->Envelope() : nullptr;
  if (envelope == nullptr || durationMs_ <= 0) {
    image_ = QImage();
    return;
  }
  const double perColumn = Scale().MsPerPixel() * envelope->Rate() / 1000.0;
  DrawEnvelope(envelope->Columns(0, perColumn, width()), height(), lanes_, image_);
}

void OverviewStrip::paintEvent(QPaintEvent*) {
  if (!imageCurrent_) {
    RebuildImage();
  }
  QPainter painter(this);
  painter.fillRect(rect(), image_.isNull() ? look::kUndecoded : look::kBackground);
  if (durationMs_ <= 0) {
    return;
  }
  const waveform::ViewScale scale = Scale();
  MarksPainter marks(painter, scale, height());
  marks.Silences(marks_.Silences);
  painter.drawImage(0, 0, image_);
  marks.Markers(marks_.Markers, false);
  marks.Playhead(marks_.PlayheadMs);
  const auto [first, last] = FrameColumns();
  painter.setPen(QPen(look::kFrame, 1));
  painter.setBrush(Qt::NoBrush);
  painter.drawRect(first, 0, last - first, height() - 1);
}

void OverviewStrip::resizeEvent(QResizeEvent*) {
  Invalidate();
}

void OverviewStrip::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton || durationMs_ <= 0) {
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
