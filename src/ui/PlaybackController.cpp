#include "ui/PlaybackController.h"

#include <QSlider>
#include <QTimer>
#include <algorithm>
#include <cstdlib>
#include <limits>

#include "playback/PlaybackDevice.h"
#include "ui/ErrorReports.h"
#include "ui/MediaPanel.h"
#include "ui/WindowState.h"

namespace brelvik::ui {
namespace {

constexpr std::int32_t kPreviewMs = 3000;
// While playing, a track bar further than this from the device's position
// was moved by the user, and the device follows it.
constexpr std::int32_t kFollowToleranceMs = 500;

std::int32_t Saturated(std::int64_t value) {
  return static_cast<std::int32_t>(std::clamp<std::int64_t>(
      value, std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max()));
}

void SetTimer(QTimer* timer, bool on) {
  if (on && !timer->isActive()) {
    timer->start();
  } else if (!on) {
    timer->stop();
  }
}

}  // namespace

PlaybackController::PlaybackController(QObject* parent, std::unique_ptr<PlaybackDevice> device,
                                       MediaPanel& view, WindowStateHolder& state,
                                       const StreamFigures& figures)
    : QObject(parent), device_(std::move(device)), view_(view), state_(state), figures_(figures) {
  const auto timer = [this](const char* name, void (PlaybackController::*tick)()) {
    auto* t = new QTimer(this);
    t->setObjectName(name);
    t->setInterval(100);
    connect(t, &QTimer::timeout, this,
            [this, tick] { Guarded(view_.window(), [this, tick] { (this->*tick)(); }); });
    return t;
  };
  Timer1 = timer("Timer1", &PlaybackController::Follow);
  Play3s_Timer = timer("Play3s_Timer", &PlaybackController::PreviewTick);
  connect(&state_, &WindowStateHolder::stateChanged, this, &PlaybackController::FollowState);
}

PlaybackController::~PlaybackController() = default;

void PlaybackController::FollowState() {
  SetTimer(Timer1, state_.Following());
  SetTimer(Play3s_Timer, state_.Get() == WindowState::Previewing);
}

void PlaybackController::Play() {
  QSlider* bar = view_.TrackBar();
  switch (device_->Mode()) {
    case PlaybackMode::Stopped:
      if (bar->value() == bar->maximum()) {
        SetTrackBarPosition(0);
      }
      [[fallthrough]];
    case PlaybackMode::Open:
    case PlaybackMode::Paused:
      Resume();
      break;
    default:
      break;
  }
}

void PlaybackController::Pause() {
  if (device_->Mode() == PlaybackMode::Playing) {
    device_->Pause();
    state_.Enter(WindowState::Paused);
  } else if (device_->Mode() == PlaybackMode::Paused) {
    Resume();
  }
}

void PlaybackController::Resume() {
  device_->Play();
  state_.Enter(WindowState::Playing);
}

bool PlaybackController::PlayingOrPaused() const {
  const PlaybackMode mode = device_->Mode();
  return mode == PlaybackMode::Playing || mode == PlaybackMode::Paused;
}

void PlaybackController::Stop() {
  device_->Stop();
}

void PlaybackController::ToStart() {
  SetTrackBarPosition(0);
}

void PlaybackController::StepBack() {
  SetTrackBarPosition(view_.TrackBar()->value() - figures_.FrameMs);
}

void PlaybackController::StepForward() {
  SetTrackBarPosition(view_.TrackBar()->value() + figures_.FrameMs);
}

void PlaybackController::ToEnd() {
  SetTrackBarPosition(view_.TrackBar()->maximum());
  device_->Stop();
  device_->Seek(view_.TrackBar()->value());
  ShowPosition(device_->Position());
}

void PlaybackController::TrackBarChange() {
  // While playing, paused or previewing the position belongs to the timers.
  if (state_.Following() || state_.Get() == WindowState::Previewing) {
    return;
  }
  device_->Seek(view_.TrackBar()->value());
  ShowPosition(device_->Position());
}

void PlaybackController::SetTrackBarPosition(int position) {
  QSlider* bar = view_.TrackBar();
  const int clamped = std::clamp(position, bar->minimum(), bar->maximum());
  if (clamped == bar->value()) {
    return;
  }
  {
    const QSignalBlocker quiet(bar);
    bar->setValue(clamped);
  }
  TrackBarChange();
}

// Keeps the track bar and the labels with the device while it plays; a track
// bar moved more than half a second away takes the device with it.
void PlaybackController::Follow() {
  const PlaybackMode mode = device_->Mode();
  // A device without a file (its open was refused) has nothing to follow.
  if (mode == PlaybackMode::Stopped || mode == PlaybackMode::NotReady) {
    state_.Enter(WindowState::Stopped);
    return;
  }
  const std::int32_t wanted = view_.TrackBar()->value();
  if (mode == PlaybackMode::Paused) {
    ShowPosition(wanted);
    return;
  }
  const std::int32_t device = device_->Position();
  if (std::abs(std::int64_t{wanted} - device) > kFollowToleranceMs) {
    device_->Seek(wanted);
    ShowPosition(device);
    device_->Play();
  } else {
    SetTrackBarPosition(device);
    ShowPosition(device);
  }
}

void PlaybackController::Load(const std::string& path) {
  device_->SetFileName(path);
  device_->Open();
  SetTrackBarPosition(0);
  view_.TakeLength(device_->Length());
}

void PlaybackController::PreviewBefore(std::int32_t frame) {
  const std::int32_t at = FramesToMSec(frame, figures_.FrameBytes, figures_.Kbps);
  StartPreview(Saturated(std::max<std::int64_t>(std::int64_t{at} - kPreviewMs, 0)), at);
}

void PlaybackController::PreviewAfter(std::int32_t frame) {
  const std::int32_t at = FramesToMSec(frame, figures_.FrameBytes, figures_.Kbps);
  StartPreview(at,
               Saturated(std::min<std::int64_t>(std::int64_t{at} + kPreviewMs, device_->Length())));
}

// Plays from start until the device reaches end, then returns the track bar
// and the device to where they were.
void PlaybackController::StartPreview(std::int32_t start, std::int32_t end) {
  device_->Stop();
  // What Timer1's next tick would do on seeing the stopped device.
  if (state_.Following()) {
    state_.Enter(WindowState::Stopped);
  }
  QSlider* bar = view_.TrackBar();
  previewEnd_ = end;
  previewReturn_ = bar->value();
  SetTrackBarPosition(start);
  device_->Seek(bar->value());
  // A start at the device's end has nothing to play: Play would start over
  // from 0. The stopped device then ends the preview at the first tick.
  if (bar->value() < device_->Length()) {
    try {
      device_->Play();
    } catch (...) {
      // A preview that cannot sound leaves the position where it was.
      SetTrackBarPosition(previewReturn_);
      device_->Seek(bar->value());
      throw;
    }
  }
  state_.Enter(WindowState::Previewing);
}

void PlaybackController::PreviewTick() {
  const std::int32_t position = device_->Position();
  SetTrackBarPosition(position);
  ShowPosition(position);
  if (position < previewEnd_ && device_->Mode() != PlaybackMode::Stopped) {
    return;
  }
  SetTrackBarPosition(previewReturn_);
  device_->Seek(view_.TrackBar()->value());
  device_->Stop();
  state_.Enter(WindowState::Stopped);
}

void PlaybackController::EndPreview() {
  if (state_.Get() == WindowState::Previewing) {
    state_.Enter(WindowState::Stopped);
  }
}

void PlaybackController::Silence() {
  EndPreview();
  device_->Stop();
}

void PlaybackController::ShowPosition(std::int32_t milliseconds) {
  const PositionTexts texts = SetDataPosition(milliseconds, figures_);
  view_.ShowPosition(QString::fromStdString(texts.Time), QString::fromStdString(texts.Frame));
}

}  // namespace brelvik::ui
