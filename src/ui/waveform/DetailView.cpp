#include "ui/waveform/DetailView.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>

#include "ui/waveform/DetailFeed.h"
#include "ui/waveform/MarksPainter.h"
#include "ui/waveform/SharedDecode.h"
#include "ui/waveform/WaveformLook.h"
#include "waveform/DetailSpan.h"
#include "waveform/Envelope.h"

namespace brelvik::ui {
namespace {

constexpr double kKeyZoom = 2.0;
constexpr double kWheelZoom = 1.25;   // a notch of the wheel
constexpr double kWheelScroll = 0.1;  // of the span, a notch with Shift
constexpr double kWheelNotch = 120.0;

}  // namespace

DetailView::DetailView(QWidget* parent) : EnvelopePane(parent) {
  setObjectName("WaveformDetail");
  setFocusPolicy(Qt::StrongFocus);
}

DetailView::~DetailView() = default;

void DetailView::SourceChanged() {
  detail_.reset();
  press_.reset();
  if (Decode() != nullptr) {
    detail_ = std::make_unique<DetailFeed>(Decode()->Path(), this);
    connect(detail_.get(), &DetailFeed::Ready, this, &DetailView::Invalidate);
  }
  span_ = waveform::WholeSpan(DurationMs());
  emit SpanChanged(span_);
}

// While the playhead runs on out of the view it was in, the view turns a page.
void DetailView::MarksChanged(const WaveformMarks& before) {
  const std::optional<double> was = before.PlayheadMs;
  const std::optional<double> now = Marks().PlayheadMs;
  if (!was || !now || press_ || !HasFile()) {
    return;
  }
  const bool wasInView = *was >= span_.StartMs && *was < span_.EndMs();
  const bool ranOn = *now >= span_.EndMs() && *now < span_.EndMs() + span_.LengthMs;
  if (wasInView && ranOn) {
    ShowSpan(waveform::MovedTo(span_, DurationMs(), *now));
  }
}

waveform::ViewScale DetailView::Scale() const {
  const waveform::ViewSpan span = span_.LengthMs > 0 ? span_ : waveform::ViewSpan{0, 1};
  return waveform::ViewScale(span, std::max(width(), 1));
}

void DetailView::ShowSpan(waveform::ViewSpan span) {
  const waveform::ViewSpan clamped = waveform::Clamped(span, DurationMs());
  if (clamped == span_) {
    return;
  }
  span_ = clamped;
  Invalidate();
  emit SpanChanged(span_);
}

void DetailView::ZoomBy(double factor, double anchorMs) {
  ShowSpan(waveform::ZoomedAround(span_, DurationMs(), factor, anchorMs));
}

void DetailView::ZoomIn() {
  ZoomBy(kKeyZoom, span_.StartMs + span_.LengthMs / 2);
}

void DetailView::ZoomOut() {
  ZoomBy(1 / kKeyZoom, span_.StartMs + span_.LengthMs / 2);
}

void DetailView::ZoomWhole() {
  ShowSpan(waveform::WholeSpan(DurationMs()));
}

double DetailView::TimeAt(double x) const {
  return std::clamp(Scale().TimeOf(x), 0.0, DurationMs());
}

void DetailView::Grown(std::int64_t from, std::int64_t to) {
  const double msPerFrame = 1000.0 / Envelope()->Rate();
  // Columns reach a bucket of the level they are drawn from beyond their span.
  const double reach = span_.LengthMs / std::max(width(), 1) * waveform::kLevelFactor;
  const double fromMs = static_cast<double>(from) * msPerFrame;
  const double toMs = static_cast<double>(to) * msPerFrame;
  if (fromMs < span_.EndMs() + reach && toMs > span_.StartMs - reach) {
    Invalidate();
  }
}

waveform::ColumnSet DetailView::Columns(const waveform::Envelope& envelope) {
  const double framesPerMs = envelope.Rate() / 1000.0;
  const waveform::ViewScale scale = Scale();
  const double first = span_.StartMs * framesPerMs;
  const double perColumn = scale.MsPerPixel() * framesPerMs;
  const auto streamFrames =
      std::max(envelope.ExpectedFrames(), static_cast<std::int64_t>(DurationMs() * framesPerMs));
  if (const auto request = waveform::DetailFor(first, perColumn, scale.Width(), streamFrames)) {
    detail_->Want(*request);
  }
  return envelope.Columns(first, perColumn, scale.Width(), detail_->Detail());
}

void DetailView::paintEvent(QPaintEvent*) {
  const QImage& image = Image();
  QPainter painter(this);
  painter.fillRect(rect(), image.isNull() ? look::kUndecoded : look::kBackground);
  if (!HasFile()) {
    return;
  }
  MarksPainter marks(painter, Scale(), height());
  marks.Silences(Marks().Silences);
  painter.drawImage(0, 0, image);
  marks.Pieces(Marks().Times());
  marks.Markers(Marks().Markers, true);
  marks.Playhead(Marks().PlayheadMs);
  if (press_ && press_->Dragging) {
    marks.Dragged({*press_->Marker, Marks().SnappedMs(press_->DropMs)});
  }
}

void DetailView::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton || !HasFile()) {
    QWidget::mousePressEvent(event);
    return;
  }
  setFocus(Qt::MouseFocusReason);
  const double x = event->position().x();
  if (event->modifiers() & Qt::ShiftModifier) {
    emit AddRequested(TimeAt(x));
    return;
  }
  const std::vector<double> times = Marks().Times();
  press_ = Press{x, waveform::MarkerAt(Scale(), times, x, look::kMarkerReach)};
  if (press_->Marker) {
    emit MarkerSelected(*press_->Marker);
  }
}

void DetailView::mouseMoveEvent(QMouseEvent* event) {
  if (!press_ || !press_->Marker) {
    return;
  }
  const double x = std::clamp(event->position().x(), 0.0, width() - 1.0);
  if (!press_->Dragging && std::abs(x - press_->X) < look::kDragThreshold) {
    return;
  }
  press_->Dragging = true;
  press_->DropMs = TimeAt(x);
  update();
}

void DetailView::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton || !press_) {
    return;
  }
  const Press press = *press_;
  press_.reset();
  if (press.Dragging) {
    update();
    emit MarkerDragged(*press.Marker, press.DropMs);
  } else if (!press.Marker) {
    emit ClickedAt(TimeAt(press.X));
  }
}

void DetailView::wheelEvent(QWheelEvent* event) {
  if (!HasFile()) {
    return;
  }
  // With Shift held some systems turn the wheel's turn into a sideways one.
  const QPoint turn = event->angleDelta();
  const double notches = (turn.y() != 0 ? turn.y() : turn.x()) / kWheelNotch;
  if (event->modifiers() & Qt::ShiftModifier) {
    ShowSpan(waveform::ScrolledBy(span_, DurationMs(), -notches * kWheelScroll * span_.LengthMs));
  } else {
    ZoomBy(std::pow(kWheelZoom, notches), TimeAt(event->position().x()));
  }
  event->accept();
}

void DetailView::keyPressEvent(QKeyEvent* event) {
  const std::optional<int> selected = Marks().SelectedMarker();
  const NudgeStep step =
      event->modifiers() & Qt::ShiftModifier ? NudgeStep::Second : NudgeStep::Frame;
  switch (event->key()) {
    case Qt::Key_Plus:
    case Qt::Key_Equal:
      ZoomIn();
      break;
    case Qt::Key_Minus:
      ZoomOut();
      break;
    case Qt::Key_0:
      ZoomWhole();
      break;
    case Qt::Key_Delete:
      if (selected) {
        emit DeleteRequested(*selected);
      }
      break;
    case Qt::Key_Left:
    case Qt::Key_Right:
      if (selected) {
        emit NudgeRequested(*selected, event->key() == Qt::Key_Left ? -1 : 1, step);
      }
      break;
    default:
      QWidget::keyPressEvent(event);
  }
}

}  // namespace brelvik::ui
