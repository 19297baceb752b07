#include "ui/waveform/WaveformWindow.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QScreen>
#include <QStackedLayout>
#include <QVBoxLayout>

#include "ui/waveform/DetailView.h"
#include "ui/waveform/MarksPainter.h"
#include "ui/waveform/OverviewStrip.h"
#include "ui/waveform/SharedDecode.h"
#include "waveform/Envelope.h"

namespace brelvik::ui {
namespace {

constexpr int kMinimumWidth = 900;
constexpr int kMinimumHeight = 240;
constexpr QSize kFirstSize{1000, 320};
constexpr int kGapToWindow = 8;

QLabel* PlainLabel(const QString& text, QWidget* parent) {
  auto* label = new QLabel(text, parent);
  label->setTextFormat(Qt::PlainText);
  return label;
}

}  // namespace

WaveformWindow::WaveformWindow(QWidget* parent) : QWidget(parent, Qt::Window) {
  setObjectName("Waveform");
  setMinimumSize(kMinimumWidth, kMinimumHeight);
  resize(kFirstSize);

  noFile_ = PlainLabel("No file is open", this);
  noFile_->setObjectName("WaveformNoFile");
  static_cast<QLabel*>(noFile_)->setAlignment(Qt::AlignCenter);

  views_ = new QWidget(this);
  overview_ = new OverviewStrip(views_);
  detail_ = new DetailView(views_);
  status_ = PlainLabel("", views_);
  status_->setObjectName("WaveformStatus");
  lanes_ = new QCheckBox("Channels in two lanes", views_);
  lanes_->setObjectName("WaveformLanes");
  lanes_->setChecked(true);
  lanes_->setFocusPolicy(Qt::NoFocus);
  auto* bar = new QHBoxLayout;
  bar->addWidget(status_, 1);
  bar->addWidget(lanes_);
  auto* column = new QVBoxLayout(views_);
  column->setContentsMargins(4, 4, 4, 4);
  column->setSpacing(4);
  column->addWidget(overview_);
  column->addWidget(detail_, 1);
  column->addLayout(bar);

  pages_ = new QStackedLayout(this);
  pages_->addWidget(noFile_);
  pages_->addWidget(views_);
  setFocusProxy(detail_);

  connect(detail_, &DetailView::SpanChanged, overview_, &OverviewStrip::SetDetailSpan);
  connect(overview_, &OverviewStrip::FrameMoved, this, [this](double startMs) {
    detail_->ShowSpan(waveform::MovedTo(detail_->Span(), detail_->DurationMs(), startMs));
  });
  connect(lanes_, &QCheckBox::toggled, this, &WaveformWindow::ChooseLanes);
  connect(detail_, &DetailView::ClickedAt, this, &WaveformWindow::ClickedAt);
  connect(detail_, &DetailView::MarkerSelected, this, &WaveformWindow::MarkerSelected);
  connect(detail_, &DetailView::MarkerDragged, this, &WaveformWindow::MarkerDragged);
  connect(detail_, &DetailView::AddRequested, this, &WaveformWindow::AddRequested);
  connect(detail_, &DetailView::DeleteRequested, this, &WaveformWindow::DeleteRequested);
  connect(detail_, &DetailView::NudgeRequested, this, &WaveformWindow::NudgeRequested);
  ShowNoFile();
}

void WaveformWindow::ShowFile(const QString& name, SharedDecode* decode, double durationMs) {
  if (decode_ != nullptr) {
    disconnect(decode_, nullptr, this, nullptr);
  }
  decode_ = decode;
  setWindowTitle(name + " — Waveform");
  overview_->SetSource(decode, durationMs);
  detail_->SetSource(decode, durationMs);
  SetMarks({});
  if (decode_ != nullptr) {
    connect(decode_, &SharedDecode::Opened, this, &WaveformWindow::ShowDecodeState);
    connect(decode_, &SharedDecode::Progressed, this, &WaveformWindow::ShowDecodeState);
    connect(decode_, &SharedDecode::Finished, this, &WaveformWindow::ShowDecodeState);
    connect(decode_, &SharedDecode::Failed, this, &WaveformWindow::ShowDecodeState);
    connect(decode_, &QObject::destroyed, this, [this] { decode_ = nullptr; });
  }
  ShowDecodeState();
  pages_->setCurrentWidget(views_);
}

void WaveformWindow::ShowNoFile() {
  ShowFile("", nullptr, 0);
  setWindowTitle("Waveform");
  pages_->setCurrentWidget(noFile_);
}

void WaveformWindow::SetMarks(const WaveformMarks& marks) {
  overview_->SetMarks(marks);
  detail_->SetMarks(marks);
}

void WaveformWindow::PlaceBeside(const QWidget& window) {
  const QRect beside = window.frameGeometry();
  const QScreen* screen = window.screen();
  const QRect room = screen != nullptr ? screen->availableGeometry() : QRect();
  QPoint at(beside.right() + 1 + kGapToWindow, beside.top());
  if (!room.isNull() && at.x() + width() > room.right()) {
    at.setX(beside.left() - kGapToWindow - frameGeometry().width());
    if (at.x() < room.left()) {
      at = QPoint(beside.left(), beside.bottom() + 1 + kGapToWindow);
    }
  }
  move(at);
}

void WaveformWindow::closeEvent(QCloseEvent* event) {
  QWidget::closeEvent(event);
  emit Closed();
}

void WaveformWindow::ShowDecodeState() {
  const waveform::Envelope* envelope = decode_ != nullptr ? decode_->Envelope() : nullptr;
  lanes_->setEnabled(envelope != nullptr && envelope->Channels() == 2);
  if (decode_ == nullptr) {
    status_->clear();
    return;
  }
  switch (decode_->CurrentState()) {
    case SharedDecode::State::Decoding:
      status_->setText(QString("Decoding… %1 %").arg(static_cast<int>(decode_->Fraction() * 100)));
      break;
    case SharedDecode::State::Done:
      status_->setText(QString("%1 Hz, %2, %3")
                           .arg(envelope->Rate())
                           .arg(envelope->Channels() == 2 ? "stereo" : "mono")
                           .arg(TimeText(detail_->DurationMs())));
      break;
    case SharedDecode::State::Failed:
      status_->setText(decode_->Error());
      break;
    case SharedDecode::State::Stopped:
      status_->setText("Decoding stopped");
      break;
  }
}

void WaveformWindow::ChooseLanes() {
  const Lanes lanes = lanes_->isChecked() ? Lanes::Apart : Lanes::Joined;
  overview_->SetLanes(lanes);
  detail_->SetLanes(lanes);
}

}  // namespace brelvik::ui
