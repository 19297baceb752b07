#include "ui/JobsController.h"

#include <QTimer>
#include <QWidget>

#include "ui/BreakpointsController.h"
#include "ui/ErrorReports.h"
#include "ui/Panels.h"
#include "ui/PlaybackController.h"
#include "ui/WindowState.h"

namespace brelvik::ui {
namespace {

// The progress bar's steps while silences are searched for.
constexpr int kScanSteps = 1000;

}  // namespace

JobsController::JobsController(QWidget* window, WindowStateHolder& state,
                               PlaybackController& playback, OutputPanel& output,
                               BreakpointsController& breakpoints)
    : QObject(window),
      window_(window),
      state_(state),
      playback_(playback),
      output_(output),
      breakpoints_(breakpoints) {
  connect(&state_, &WindowStateHolder::stateChanged, this, &JobsController::FollowState);
}

JobsController::~JobsController() {
  scan_.reset();
  split_.reset();
}

// The busy cursor stays for the whole split or search.
void JobsController::FollowState() {
  if (!state_.Busy()) {
    busyCursor_.reset();
  } else if (!busyCursor_) {
    busyCursor_.emplace();
  }
}

bool JobsController::Current(int serial, int jobSerial, WindowState running) const {
  return serial == jobSerial && state_.Get() == running;
}

// Locks the window and starts the pieces on a thread of their own; the
// window is usable again when the split reports its end.
void JobsController::StartSplit(bool exact) {
  if (breakpoints_.List().Count() < 2) {
    return;
  }
  playback_.Silence();
  SplitJob::Reports reports;
  reports.Progress = [this](int serial, int piece) { SplitProgressed(serial, piece); };
  reports.Ended = [this](int serial, SplitJob::Ending ending, const QString& text) {
    SplitEnded(serial, ending, text);
  };
  closeAfterSplit_ = false;
  output_.SetProgressRange(breakpoints_.List().Count() - 1);
  state_.Enter(WindowState::Splitting);
  split_ = std::make_unique<SplitJob>(
      this, ++splitSerial_, SplitOrder{breakpoints_.Current(), exact}, std::move(reports));
}

void JobsController::SplitProgressed(int serial, int piece) {
  if (Current(serial, splitSerial_, WindowState::Splitting)) {
    output_.ShowProgress(piece);
  }
}

void JobsController::SplitEnded(int serial, SplitJob::Ending ending, const QString& text) {
  if (!Current(serial, splitSerial_, WindowState::Splitting)) {
    return;
  }
  split_.reset();
  state_.Enter(WindowState::Stopped);
  if (ending == SplitJob::Ending::Failed) {
    ShowGeneralErrorReport(window_, text);
  } else if (!text.isEmpty()) {
    ShowErrorBox(window_, text);
  }
  // Asked to end: the pieces written so far stay, and the window closes.
  if (closeAfterSplit_) {
    QTimer::singleShot(0, window_, [window = window_] { window->close(); });
  }
}

void JobsController::CancelSplit() {
  if (state_.Get() != WindowState::Splitting) {
    return;
  }
  split_.reset();
  state_.Enter(WindowState::Stopped);
}

bool JobsController::CloseAfterPiece() {
  if (state_.Get() != WindowState::Splitting) {
    return false;
  }
  closeAfterSplit_ = true;
  split_->StopAfterPiece();
  return true;
}

void JobsController::StartScan() {
  if (!state_.FileAtHand()) {
    return;
  }
  playback_.Silence();
  output_.SetProgressRange(kScanSteps);
  output_.ShowProgress(0);
  SilenceScan::Reports reports;
  reports.Progress = [this](int serial, double fraction) { ScanProgressed(serial, fraction); };
  reports.Found = [this](int serial, const std::vector<silence::Silence>& silences) {
    Guarded(window_, [&] { ScanFound(serial, silences); });
  };
  reports.Failed = [this](int serial, const QString& error) { ScanFailed(serial, error); };
  scan_ = std::make_unique<SilenceScan>(this, ++scanSerial_, breakpoints_.Current().Source().Path,
                                        silence::SilenceSettings{}, std::move(reports));
  // Its reports come through the event loop, after this.
  state_.Enter(WindowState::Scanning);
}

void JobsController::StopScan() {
  if (state_.Get() != WindowState::Scanning) {
    return;
  }
  scan_.reset();
  state_.Enter(WindowState::Stopped);
}

void JobsController::ScanProgressed(int serial, double fraction) {
  if (Current(serial, scanSerial_, WindowState::Scanning)) {
    output_.ShowProgress(static_cast<int>(fraction * kScanSteps));
  }
}

void JobsController::ScanFound(int serial, const std::vector<silence::Silence>& silences) {
  if (!Current(serial, scanSerial_, WindowState::Scanning)) {
    return;
  }
  scan_.reset();
  state_.Enter(WindowState::Stopped);
  TakeSilences(silences);
}

void JobsController::TakeSilences(const std::vector<silence::Silence>& silences) {
  breakpoints_.AddSilences(silences);
  emit SilencesFound(silences);
  if (silences.empty()) {
    ShowInformationBox(window_, "No silences found");
  }
}

void JobsController::ScanFailed(int serial, const QString& error) {
  if (!Current(serial, scanSerial_, WindowState::Scanning)) {
    return;
  }
  scan_.reset();
  state_.Enter(WindowState::Stopped);
  ShowErrorBox(window_, error.isEmpty()
                            ? "Cannot decode " + FromPath(breakpoints_.Current().Source().Path)
                            : error);
}

}  // namespace brelvik::ui
