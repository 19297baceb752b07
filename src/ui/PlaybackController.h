// The playback side of the window: it owns the device, the follow timer
// (`Timer1`: the track bar and the position display keep up with the device
// while it plays) and the preview timer (`Play3s_Timer`: three seconds around
// a breakpoint, then back to where the track bar was). It drives the
// transport panel and asks the window's state holder for the state changes
// that playing, pausing, stopping and previewing make.
#pragma once

#include <QObject>
#include <cstdint>
#include <memory>
#include <string>

#include "split/StreamFigures.h"

class QTimer;

namespace brelvik {
class PlaybackDevice;
}

namespace brelvik::ui {

class MediaPanel;
class WindowStateHolder;

class PlaybackController final : public QObject {
  Q_OBJECT

 public:
  // `figures` are the open file's, kept by the window.
  PlaybackController(QObject* parent, std::unique_ptr<PlaybackDevice> device, MediaPanel& view,
                     WindowStateHolder& state, const StreamFigures& figures);
  ~PlaybackController() override;

  PlaybackDevice& Device() { return *device_; }
  std::int32_t PreviewEnd() const { return previewEnd_; }
  std::int32_t PreviewReturn() const { return previewReturn_; }

  // The transport buttons.
  void Play();
  void Pause();
  void Stop();
  void ToStart();
  void StepBack();
  void StepForward();
  void ToEnd();
  // Space: plays when idle, pauses or resumes while playing or paused.
  bool PlayingOrPaused() const;

  // The track bar's change event: the device seeks there unless the
  // position belongs to the timers.
  void TrackBarChange();
  // Sets the track bar from code: clamped to 0..Max, and the change event
  // runs only when the clamped value differs from the current one.
  void SetTrackBarPosition(int position);
  void Follow();       // each tick of Timer1
  void PreviewTick();  // each tick of Play3s_Timer

  // The device takes the file; the track bar spans it from its start.
  void Load(const std::string& path);
  // The three seconds before or after this frame.
  void PreviewBefore(std::int32_t frame);
  void PreviewAfter(std::int32_t frame);
  // A preview still running when another file is opened or a split or a
  // search starts ends where it is.
  void EndPreview();
  // Before a split or a search: no preview, and the device stopped.
  void Silence();

 private:
  void Resume();  // plays on from where the device is
  void StartPreview(std::int32_t start, std::int32_t end);
  void ShowPosition(std::int32_t milliseconds);
  void FollowState();

  std::unique_ptr<PlaybackDevice> device_;
  MediaPanel& view_;
  WindowStateHolder& state_;
  const StreamFigures& figures_;
  QTimer* Timer1 = nullptr;
  QTimer* Play3s_Timer = nullptr;
  std::int32_t previewEnd_ = 0;
  std::int32_t previewReturn_ = 0;
};

}  // namespace brelvik::ui
