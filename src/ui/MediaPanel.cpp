#include "ui/MediaPanel.h"

#include <QLabel>
#include <QSlider>
#include <QToolButton>

#include "ui/Controls.h"
#include "ui/Pictures.h"

namespace brelvik::ui {

MediaPanel::MediaPanel(QWidget* parent, std::vector<QPixmap> mediaImages, const QPixmap& scissors)
    : QFrame(parent), images_(std::move(mediaImages)) {
  PlacePanel(this, "Media_Pan", 2, 27, 305, 97);
  Label(this, "Time_Caption", "Time:", SmallCaptionFont(), 12, 8);
  time_ = Label(this, "Time_lb", "00:00:00", ValueFont(), 48, 7);
  time_->setFixedWidth(100);
  Label(this, "Frame_Caption", "Current Frame:", SmallCaptionFont(), 159, 8);
  frame_ = Label(this, "Frame_LB", "0", ValueFont(), 240, 7);
  frame_->setFixedWidth(60);
  CreateTrackBar();
  CreateTransport();
  QWidget* addBar = ToolBar(this, "AddCurrentFrame_ToolBar", 264, 64, 33, 25);
  addCurrent_ = ToolButton(addBar, "AddCurrentFrame_TB", scissors,
                           "Add a breakpoint from current frame", 5, 1, 23, 22);
  connect(addCurrent_, &QToolButton::clicked, this, &MediaPanel::AddCurrentFrameClicked);
}

void MediaPanel::CreateTrackBar() {
  trackBar_ = new QSlider(Qt::Horizontal, this);
  trackBar_->setObjectName("TrackBar");
  trackBar_->setGeometry(8, 24, 289, 33);
  trackBar_->setRange(0, 2000);
  trackBar_->setSingleStep(100);
  trackBar_->setPageStep(10000);
  trackBar_->setTickInterval(100);
  trackBar_->setTickPosition(QSlider::TicksBothSides);
  trackBar_->setToolTip("Drag and Seek...");
  // Each move by the user is reported once, whether or not the position
  // changed; moves from code go through the playback controller.
  connect(trackBar_, &QSlider::actionTriggered, this, [this] {
    {
      const QSignalBlocker quiet(trackBar_);
      trackBar_->setValue(trackBar_->sliderPosition());
    }
    emit TrackBarMoved();
  });
}

void MediaPanel::CreateTransport() {
  QWidget* bar = ToolBar(this, "Media_ToolBar", 18, 66, 151, 23);
  struct Transport {
    const char* name;
    const char* hint;
    void (MediaPanel::*clicked)();
  };
  const std::array<Transport, kPlaces> transport = {{
      {"Play_TB", "Play", &MediaPanel::PlayClicked},
      {"Pause_TB", "Pause", &MediaPanel::PauseClicked},
      {"Stop_TB", "Stop", &MediaPanel::StopClicked},
      {"Start_TB", "Moves to the beginning of the MP3 file", &MediaPanel::StartClicked},
      {"Rew_TB", "Moves backward a frame", &MediaPanel::RewClicked},
      {"FF_TB", "Moves forward a frame", &MediaPanel::FFClicked},
      {"End_TB", "Moves to the end of the MP3 file", &MediaPanel::EndClicked},
  }};
  for (std::size_t place = 0; place < kPlaces; ++place) {
    const Transport& t = transport[place];
    const int index = static_cast<int>(place);
    transport_[place] = ToolButton(bar, t.name, images_[place], t.hint, 19 * index, 2, 19, 18);
    SetImage(transport_[place], index);
    connect(transport_[place], &QToolButton::clicked, this, t.clicked);
  }
}

void MediaPanel::SetImage(QToolButton* button, int image) {
  button->setIcon(QIcon(images_[static_cast<std::size_t>(image)]));
  button->setProperty("imageIndex", image);
}

void MediaPanel::ShowPosition(const QString& time, const QString& frame) {
  time_->setText(time);
  frame_->setText(frame);
}

QString MediaPanel::FrameText() const {
  return frame_->text();
}

void MediaPanel::TakeLength(int milliseconds) {
  trackBar_->setTickInterval(milliseconds / 20);
  trackBar_->setMaximum(milliseconds);
}

void MediaPanel::Follow(const WindowStateHolder& state) {
  const bool previewing = state.Get() == WindowState::Previewing;
  setEnabled(state.FileAtHand() && !previewing);
  SetImage(transport_[kPlay], state.Following() || previewing ? kImagePlaying : kImagePlay);
  SetImage(transport_[kPause], state.Get() == WindowState::Paused ? kImagePaused : kImagePause);
}

}  // namespace brelvik::ui
