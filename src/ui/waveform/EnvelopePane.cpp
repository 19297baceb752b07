#include "ui/waveform/EnvelopePane.h"

#include <algorithm>

#include "ui/waveform/SharedDecode.h"

namespace brelvik::ui {

EnvelopePane::EnvelopePane(QWidget* parent) : QWidget(parent) {
  setAttribute(Qt::WA_OpaquePaintEvent);
}

void EnvelopePane::SetSource(SharedDecode* decode, double durationMs) {
  if (decode_ != nullptr) {
    disconnect(decode_, nullptr, this, nullptr);
  }
  decode_ = decode;
  durationMs_ = std::max(durationMs, 0.0);
  if (decode_ != nullptr) {
    connect(decode_, &SharedDecode::Opened, this, &EnvelopePane::Invalidate);
    connect(decode_, &SharedDecode::Grew, this, &EnvelopePane::Grown);
    connect(decode_, &SharedDecode::Finished, this, &EnvelopePane::Invalidate);
    connect(decode_, &QObject::destroyed, this, [this] { SetSource(nullptr, 0); });
  }
  SourceChanged();
  Invalidate();
}

void EnvelopePane::SetMarks(const WaveformMarks& marks) {
  const WaveformMarks before = std::exchange(marks_, marks);
  MarksChanged(before);
  update();
}

void EnvelopePane::SetLanes(Lanes lanes) {
  lanes_ = lanes;
  Invalidate();
}

const waveform::Envelope* EnvelopePane::Envelope() const {
  return decode_ != nullptr ? decode_->Envelope() : nullptr;
}

void EnvelopePane::Invalidate() {
  imageCurrent_ = false;
  update();
}

const QImage& EnvelopePane::Image() {
  if (!imageCurrent_) {
    imageCurrent_ = true;
    const waveform::Envelope* envelope = Envelope();
    if (envelope == nullptr || durationMs_ <= 0) {
      image_ = QImage();
    } else {
      DrawEnvelope(Columns(*envelope), height(), lanes_, image_);
    }
  }
  return image_;
}

void EnvelopePane::Grown(std::int64_t, std::int64_t) {
  Invalidate();
}

void EnvelopePane::resizeEvent(QResizeEvent*) {
  Invalidate();
}

}  // namespace brelvik::ui
