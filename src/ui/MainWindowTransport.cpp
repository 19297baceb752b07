// TMain's transport: the media panel's buttons, the track bar and the
// previews of the list's menu, each handed to the playback controller, which
// owns the device and the timers.
#include <QToolButton>

#include "playback/PlaybackDevice.h"
#include "ui/BreakpointsController.h"
#include "ui/ErrorReports.h"
#include "ui/MainWindow.h"
#include "ui/MediaPanel.h"
#include "ui/Pictures.h"
#include "ui/PlaybackController.h"

namespace brelvik::ui {

void TMain::CreateMediaPanel(std::unique_ptr<PlaybackDevice> device) {
  Media_Pan = new MediaPanel(this, mediaImages_, addImages_[kImageScissors]);
  playback_ = new PlaybackController(this, std::move(device), *Media_Pan, *state_,
                                     breakpoints_->Current().Figures());
  connect(Media_Pan, &MediaPanel::TrackBarMoved, this,
          [this] { Guarded(this, [this] { TrackBarChange(); }); });
  const auto click = [this](void (MediaPanel::*clicked)(), void (TMain::*handler)()) {
    connect(Media_Pan, clicked, this, handler);
  };
  click(&MediaPanel::PlayClicked, &TMain::Play_TBClick);
  click(&MediaPanel::PauseClicked, &TMain::Pause_TBClick);
  click(&MediaPanel::StopClicked, &TMain::Stop_TBClick);
  click(&MediaPanel::StartClicked, &TMain::Start_TBClick);
  click(&MediaPanel::RewClicked, &TMain::Rew_TBClick);
  click(&MediaPanel::FFClicked, &TMain::FF_TBClick);
  click(&MediaPanel::EndClicked, &TMain::End_TBClick);
  click(&MediaPanel::AddCurrentFrameClicked, &TMain::AddCurrentFrame_TBClick);
}

void TMain::TrackBarChange() {
  playback_->TrackBarChange();
}

void TMain::SetTrackBarPosition(int position) {
  playback_->SetTrackBarPosition(position);
}

void TMain::Press(void (PlaybackController::*step)()) {
  PlaybackController& playback = *playback_;
  Guarded(this, [&playback, step] { (playback.*step)(); });
}

void TMain::Timer1Timer() {
  playback_->Follow();
}

void TMain::Play3s_TimerTimer() {
  playback_->PreviewTick();
}

PlaybackDevice& TMain::MediaPlayer() {
  return playback_->Device();
}

std::int32_t TMain::PreviewEnd() const {
  return playback_->PreviewEnd();
}

std::int32_t TMain::PreviewReturn() const {
  return playback_->PreviewReturn();
}

void TMain::Play3Secsbefore1Click() {
  if (const BreakpointList& list = breakpoints_->List(); list.Selected() >= 0) {
    playback_->PreviewBefore(list.Value(list.Selected()));
  }
}

void TMain::Play3safter1Click() {
  if (const BreakpointList& list = breakpoints_->List(); list.Selected() >= 0) {
    playback_->PreviewAfter(list.Value(list.Selected()));
  }
}

}  // namespace brelvik::ui
