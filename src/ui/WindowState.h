// What the window is doing, held in one place: every part of the window
// follows stateChanged (the usable panels, the running timers, the transport
// buttons' images, the busy cursor), and Enter is the one way to change it.
#pragma once

#include <QObject>

namespace brelvik::ui {

enum class WindowState { NoFile, Stopped, Playing, Paused, Previewing, Splitting, Scanning };

class WindowStateHolder final : public QObject {
  Q_OBJECT

 public:
  using QObject::QObject;

  WindowState Get() const { return state_; }
  void Enter(WindowState state) {
    state_ = state;
    emit stateChanged(state);
  }

  // A split or a search for silences runs.
  bool Busy() const { return state_ == WindowState::Splitting || state_ == WindowState::Scanning; }
  // Playing or paused: the position belongs to the follow timer.
  bool Following() const { return state_ == WindowState::Playing || state_ == WindowState::Paused; }
  // A file is open and the window is neither splitting nor searching.
  bool FileAtHand() const { return state_ != WindowState::NoFile && !Busy(); }

 signals:
  void stateChanged(WindowState state);

 private:
  WindowState state_ = WindowState::NoFile;
};

}  // namespace brelvik::ui
