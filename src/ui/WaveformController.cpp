#include "ui/WaveformController.h"

#include <QApplication>
#include <QEvent>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListView>
#include <QShortcut>
#include <QTimer>
#include <algorithm>
#include <cmath>
#include <limits>
#include <string>

#include "playback/PlaybackDevice.h"
#include "split/BreakpointList.h"
#include "split/OutputNaming.h"
#include "split/StreamFigures.h"
#include "ui/BreakpointsController.h"
#include "ui/Controls.h"
#include "ui/ErrorReports.h"
#include "ui/ListHistory.h"
#include "ui/MainWindow.h"
#include "ui/PlaybackController.h"
#include "ui/waveform/SharedDecode.h"
#include "ui/waveform/WaveformWindow.h"

namespace brelvik::ui {
namespace {

// The playhead follows playback faster than the window's own 100 ms timer.
constexpr int kFollowMs = 40;

// The device's length, or 0 when it holds no file (its open was refused).
double LengthMs(PlaybackDevice& device) {
  try {
    return device.Length();
  } catch (const std::exception&) {
    return 0;
  }
}

}  // namespace

WaveformController::WaveformController(TMain& window, BreakpointsController& breakpoints,
                                       PlaybackController& playback, ListHistory& history,
                                       std::function<bool()> exactCuts)
    : QObject(&window),
      window_(window),
      breakpoints_(breakpoints),
      playback_(playback),
      history_(history),
      exactCuts_(std::move(exactCuts)),
      listBox_(window.findChild<QListView*>("BreakpointsList")),
      follow_(new QTimer(this)) {
  auto* key = new QShortcut(Qt::Key_W, &window_);
  key->setObjectName("Waveform_Shortcut");
  connect(key, &QShortcut::activated, this, &WaveformController::Toggle);
  connect(&breakpoints_, &BreakpointsController::NewFile, this, &WaveformController::FileOpened);
  connect(&breakpoints_, &BreakpointsController::Changed, this, &WaveformController::ShowMarks);
  // The list box's selection is the list's; a marker pressed selects its entry there.
  if (listBox_ != nullptr) {
    connect(listBox_->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            &WaveformController::ShowMarks);
  }
  // The entry field would keep W to itself, and then refuse it: W opens the
  // view from there too.
  entryField_ = window.findChild<QLineEdit*>("AddMan_Ed");
  if (entryField_ != nullptr) {
    entryField_->installEventFilter(this);
  }
  follow_->setInterval(kFollowMs);
  connect(follow_, &QTimer::timeout, this, &WaveformController::FollowPlayhead);
  window_.installEventFilter(this);
}

WaveformController::~WaveformController() = default;

bool WaveformController::Shown() const {
  return view_ != nullptr && view_->isVisible();
}

void WaveformController::Toggle() {
  if (Shown()) {
    Close();
  } else {
    Open();
  }
}

void WaveformController::Open() {
  const bool first = view_ == nullptr;
  if (first) {
    CreateView();
  }
  ShowFile();
  if (first) {
    view_->PlaceBeside(window_);
  }
  view_->show();
  follow_->start();
  ShowMarks();
}

void WaveformController::Close() {
  if (view_ != nullptr) {
    view_->close();
  }
}

void WaveformController::CreateView() {
  view_ = new WaveformWindow(&window_);
  auto* key = new QShortcut(Qt::Key_W, view_);
  key->setObjectName("Waveform_Shortcut");
  connect(key, &QShortcut::activated, this, &WaveformController::Toggle);
  history_.AddKeysTo(*view_, [this] { return ListUsable(); });
  connect(view_, &WaveformWindow::ClickedAt, this, &WaveformController::ClickedAt);
  connect(view_, &WaveformWindow::MarkerSelected, this, &WaveformController::MarkerSelected);
  connect(view_, &WaveformWindow::MarkerDragged, this, &WaveformController::MarkerDragged);
  connect(view_, &WaveformWindow::AddRequested, this, &WaveformController::AddRequested);
  connect(view_, &WaveformWindow::DeleteRequested, this, &WaveformController::DeleteRequested);
  connect(view_, &WaveformWindow::NudgeRequested, this, &WaveformController::NudgeRequested);
  // Closing the view gives up a decode still running; what it has drawn stays.
  connect(view_, &WaveformWindow::Closed, this, [this] {
    follow_->stop();
    // The keys go back to the main window rather than to nowhere.
    if (const QWidget* active = QApplication::activeWindow();
        active == nullptr || active == view_) {
      window_.activateWindow();
    }
    if (decode_ != nullptr && decode_->CurrentState() == SharedDecode::State::Decoding) {
      decode_->Stop();
    }
  });
}

// Another file: the decode of the last one stops, and the view, when it is
// open, starts on the new one.
void WaveformController::FileOpened() {
  silences_.clear();
  if (view_ != nullptr) {
    view_->ShowNoFile();
  }
  decode_.reset();
  if (Shown()) {
    ShowFile();
  }
}

void WaveformController::ShowFile() {
  if (!FileOpen()) {
    view_->ShowNoFile();
    return;
  }
  const double lengthMs = LengthMs(playback_.Device());
  // A decode given up when the view was closed starts again.
  if (decode_ == nullptr || decode_->CurrentState() == SharedDecode::State::Stopped) {
    view_->ShowNoFile();
    decode_ = std::make_unique<SharedDecode>(window_.SourcePath(), lengthMs);
  }
  view_->ShowFile(FromPath(FileNamePart(window_.SourcePath())), decode_.get(), lengthMs);
  ShowMarks();
}

WaveformMarks WaveformController::Marks() const {
  WaveformMarks marks;
  marks.Figures = window_.Figures();
  marks.Exact = exactCuts_();
  const BreakpointList& list = breakpoints_.List();
  for (int i = 0; i < list.Count(); ++i) {
    const std::int32_t frame = list.Value(i);
    const double time = breakpoints_.TimeOf(i);
    // A sheet's last entry stands for the end of the stream: drawn at its frame.
    marks.Markers.push_back({frame, std::isfinite(time) ? time : FrameStartMs(frame, marks.Figures),
                             i == list.Selected()});
  }
  if (FileOpen()) {
    marks.PlayheadMs = playback_.Device().Position();
  }
  marks.Silences = silences_;
  return marks;
}

void WaveformController::ShowMarks() {
  if (!Shown() || !FileOpen()) {
    return;
  }
  Guarded(&window_, [this] {
    shown_ = Marks();
    view_->SetMarks(shown_);
  });
}

void WaveformController::FollowPlayhead() {
  if (!Shown() || !FileOpen()) {
    return;
  }
  Guarded(&window_, [this] {
    const std::optional<double> playhead = playback_.Device().Position();
    if (playhead != shown_.PlayheadMs || exactCuts_() != shown_.Exact) {
      ShowMarks();
    }
  });
}

std::optional<std::vector<silence::Silence>> WaveformController::DecodedSilences() const {
  if (decode_ == nullptr || decode_->CurrentState() != SharedDecode::State::Done ||
      decode_->Path() != window_.SourcePath()) {
    return std::nullopt;
  }
  return decode_->Silences();
}

void WaveformController::ShowSilences(const std::vector<silence::Silence>& silences) {
  silences_ = silences;
  ShowMarks();
}

bool WaveformController::eventFilter(QObject* watched, QEvent* event) {
  // The view goes with the main window.
  if (watched == &window_ && event->type() == QEvent::Close) {
    Close();
  }
  if (watched == entryField_ && event->type() == QEvent::ShortcutOverride) {
    const auto* key = static_cast<QKeyEvent*>(event);
    if (key->key() == Qt::Key_W && key->modifiers() == Qt::NoModifier) {
      event->ignore();
      return true;
    }
  }
  return QObject::eventFilter(watched, event);
}

// Asked while a file is being opened too, before the window shows it as open.
bool WaveformController::FileOpen() const {
  return !window_.SourcePath().empty();
}

// The list changes as the breakpoint panel allows: with a file open and
// neither a split nor a search running.
bool WaveformController::ListUsable() const {
  const WindowState state = window_.State();
  return state != WindowState::NoFile && state != WindowState::Splitting &&
         state != WindowState::Scanning;
}

// The position moves as the transport panel allows.
bool WaveformController::PositionUsable() const {
  const WindowState state = window_.State();
  return state == WindowState::Stopped || state == WindowState::Playing ||
         state == WindowState::Paused;
}

void WaveformController::ClickedAt(double ms) {
  if (PositionUsable()) {
    Guarded(&window_,
            [this, ms] { window_.SetTrackBarPosition(static_cast<int>(std::lround(ms))); });
  }
}

void WaveformController::MarkerSelected(int index) {
  if (listBox_ != nullptr) {
    listBox_->setCurrentIndex(listBox_->model()->index(index, 0));
  } else {
    breakpoints_.Select(index);
    ShowMarks();
  }
}

void WaveformController::MarkerDragged(int index, double ms) {
  Guarded(&window_, [this, index, ms] {
    const MoveOutcome outcome =
        ListUsable() ? breakpoints_.Move(index, FrameOfTime(ms, window_.Figures()),
                                         exactCuts_() ? std::optional(ms) : std::nullopt)
                     : MoveOutcome{};
    if (!outcome.NowAt) {
      // The marker goes back where it was.
      ShowMarks();
      ShowRefusal(outcome.Refusal);
    }
  });
}

void WaveformController::AddRequested(double ms) {
  if (!ListUsable()) {
    return;
  }
  Guarded(&window_, [this, ms] {
    const std::int32_t frame = FrameOfTime(ms, window_.Figures());
    ShowRefusal(
        breakpoints_
            .AddCurrentFrame(std::to_string(frame), exactCuts_() ? std::optional(ms) : std::nullopt)
            .Refusal);
  });
}

void WaveformController::DeleteRequested(int index) {
  if (!ListUsable() || index < 0 || index >= breakpoints_.List().Count()) {
    return;
  }
  MarkerSelected(index);
  breakpoints_.DeleteSelected();
}

void WaveformController::NudgeRequested(int index, int direction, NudgeStep step) {
  if (!ListUsable() || index < 0 || index >= breakpoints_.List().Count()) {
    return;
  }
  Guarded(&window_, [&] {
    const std::int64_t frames =
        step == NudgeStep::Frame ? 1 : std::max(1, FrameOfTime(1000, window_.Figures()));
    const std::int64_t target = breakpoints_.List().Value(index) + direction * frames;
    const auto frame = static_cast<std::int32_t>(
        std::clamp<std::int64_t>(target, std::numeric_limits<std::int32_t>::min(),
                                 std::numeric_limits<std::int32_t>::max()));
    ShowRefusal(breakpoints_.Move(index, frame).Refusal);
  });
}

void WaveformController::ShowRefusal(const std::string& refusal) {
  if (!refusal.empty()) {
    ShowErrorBox(&window_,
                 QString::fromStdString(refusal + FrameCountReason(window_.Figures().FrameTotal)));
  }
}

}  // namespace brelvik::ui
