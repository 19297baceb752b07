// The transport panel: the time and frame display, the track bar and the
// transport buttons with the add-current-frame button. A view: its buttons
// and the user's moves of the track bar are reported as signals; it shows
// what it is told and follows the window's state.
#pragma once

#include <QFrame>
#include <QPixmap>
#include <array>
#include <cstddef>
#include <vector>

#include "ui/WindowState.h"

class QLabel;
class QSlider;
class QToolButton;

namespace brelvik::ui {

class MediaPanel final : public QFrame {
  Q_OBJECT

 public:
  MediaPanel(QWidget* parent, std::vector<QPixmap> mediaImages, const QPixmap& scissors);

  QSlider* TrackBar() const { return trackBar_; }
  QToolButton* PlayButton() const { return transport_[kPlay]; }
  QToolButton* PauseButton() const { return transport_[kPause]; }
  QToolButton* StartButton() const { return transport_[kStart]; }
  QToolButton* RewButton() const { return transport_[kRew]; }
  QToolButton* FFButton() const { return transport_[kFF]; }
  QToolButton* EndButton() const { return transport_[kEnd]; }
  QToolButton* AddCurrentFrameButton() const { return addCurrent_; }

  void ShowPosition(const QString& time, const QString& frame);
  QString FrameText() const;
  // A new file of this length: the track bar's end and ticks.
  void TakeLength(int milliseconds);
  void Follow(const WindowStateHolder& state);

 signals:
  void PlayClicked();
  void PauseClicked();
  void StopClicked();
  void StartClicked();
  void RewClicked();
  void FFClicked();
  void EndClicked();
  void AddCurrentFrameClicked();
  // Each move by the user, whether or not the position changed.
  void TrackBarMoved();

 private:
  void CreateTrackBar();
  void CreateTransport();
  void SetImage(QToolButton* button, int image);

  std::vector<QPixmap> images_;
  QLabel* time_ = nullptr;
  QLabel* frame_ = nullptr;
  QSlider* trackBar_ = nullptr;
  // The transport buttons from left to right, each showing the image of its place.
  enum Place : std::size_t { kPlay, kPause, kStop, kStart, kRew, kFF, kEnd, kPlaces };
  std::array<QToolButton*, kPlaces> transport_{};
  QToolButton* addCurrent_ = nullptr;
};

}  // namespace brelvik::ui
