// The transport buttons, the track bar and Timer1, driven deterministically:
// the test sets the scripted device's mode and position and runs the ticks.
#include <gmock/gmock.h>

#include <QSlider>
#include <QTimer>
#include <QToolButton>

#include "WindowFixture.h"
#include "ui/Pictures.h"

namespace brelvik::testing {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

class PlaybackTest : public OpenedWindowTest {
 protected:
  bool Timer1On() { return Find<QTimer>("Timer1")->isActive(); }

  void Playing(std::int32_t position) {
    window_.Play_TBClick();
    device_.Position = position;
    device_.Calls.clear();
  }
};

TEST_F(PlaybackTest, PlayFromStoppedPlaysFromTheTrackBarPosition) {
  window_.SetTrackBarPosition(1000);
  device_.Calls.clear();
  window_.Play_TBClick();
  EXPECT_THAT(device_.Calls, ElementsAre("Play"));
  EXPECT_TRUE(Timer1On());
  EXPECT_EQ(Image("Play_TB"), ui::kImagePlaying);
}

TEST_F(PlaybackTest, EndThenPlayRestartsFromTheStart) {
  window_.End_TBClick();
  EXPECT_EQ(Bar()->value(), 2606);
  EXPECT_THAT(device_.Calls, ElementsAre("Seek 2606", "Stop", "Seek 2606"));
  EXPECT_EQ(LabelText("Frame_LB"), "99");  // 2606 ms × 128 kbit/s / 8 / 417 = 99.99
  device_.Calls.clear();

  window_.Play_TBClick();
  EXPECT_THAT(device_.Calls, ElementsAre("Seek 0", "Play"));
  EXPECT_EQ(Bar()->value(), 0);
}

TEST_F(PlaybackTest, PlayFromPausedResumesAndResetsThePauseImage) {
  Playing(500);
  window_.Pause_TBClick();
  EXPECT_THAT(device_.Calls, ElementsAre("Pause"));
  EXPECT_EQ(Image("Pause_TB"), ui::kImagePaused);
  EXPECT_TRUE(Timer1On());

  device_.Mode = PlaybackMode::Paused;
  device_.Calls.clear();
  window_.Play_TBClick();
  EXPECT_THAT(device_.Calls, ElementsAre("Play"));
  EXPECT_EQ(Image("Play_TB"), ui::kImagePlaying);
  EXPECT_EQ(Image("Pause_TB"), ui::kImagePause);
}

TEST_F(PlaybackTest, PauseWhilePausedResumes) {
  device_.Mode = PlaybackMode::Paused;
  window_.Pause_TBClick();
  EXPECT_THAT(device_.Calls, ElementsAre("Play"));
  EXPECT_EQ(Image("Play_TB"), ui::kImagePlaying);
  EXPECT_EQ(Image("Pause_TB"), ui::kImagePause);
}

TEST_F(PlaybackTest, OpenModePlays) {
  device_.Mode = PlaybackMode::Open;
  window_.Play_TBClick();
  EXPECT_THAT(device_.Calls, ElementsAre("Play"));
  EXPECT_TRUE(Timer1On());
}

struct IdleCase {
  const char* Name;
  PlaybackMode Mode;
  bool PressPlay;  // otherwise Pause
};

class IdleButtonTest : public PlaybackTest, public ::testing::WithParamInterface<IdleCase> {};

TEST_P(IdleButtonTest, DoesNothing) {
  device_.Mode = GetParam().Mode;
  if (GetParam().PressPlay) {
    window_.Play_TBClick();
  } else {
    window_.Pause_TBClick();
  }
  EXPECT_THAT(device_.Calls, IsEmpty());
  EXPECT_FALSE(Timer1On());
  EXPECT_EQ(Image("Play_TB"), ui::kImagePlay);
  EXPECT_EQ(Image("Pause_TB"), ui::kImagePause);
}

INSTANTIATE_TEST_SUITE_P(
    Modes, IdleButtonTest,
    ::testing::Values(IdleCase{"PlayWhilePlaying", PlaybackMode::Playing, true},
                      IdleCase{"PlayWhileSeeking", PlaybackMode::Seeking, true},
                      IdleCase{"PauseWhileStopped", PlaybackMode::Stopped, false},
                      IdleCase{"PauseWhenOpen", PlaybackMode::Open, false}),
    [](const auto& test) { return std::string(test.param.Name); });

TEST_F(PlaybackTest, StopStopsTheDeviceAndTheNextTickResetsTheImages) {
  Playing(700);
  window_.Pause_TBClick();
  window_.Stop_TBClick();
  EXPECT_THAT(device_.Calls, ElementsAre("Pause", "Stop"));
  EXPECT_TRUE(Timer1On());
  window_.Timer1Timer();
  EXPECT_FALSE(Timer1On());
  EXPECT_EQ(Image("Play_TB"), ui::kImagePlay);
  EXPECT_EQ(Image("Pause_TB"), ui::kImagePause);
}

TEST_F(PlaybackTest, TickMovesTheTrackBarAndTheLabelsWithTheDevice) {
  Playing(260);
  window_.Timer1Timer();
  EXPECT_EQ(Bar()->value(), 260);
  EXPECT_EQ(LabelText("Time_lb"), "00:00:00");
  EXPECT_EQ(LabelText("Frame_LB"), "9");
  EXPECT_THAT(device_.Calls, IsEmpty());

  device_.Position = 2005;
  window_.Timer1Timer();
  EXPECT_EQ(LabelText("Time_lb"), "00:00:02");
  EXPECT_EQ(LabelText("Frame_LB"), "76");
}

struct FollowCase {
  const char* Name;
  int TrackBar;
  bool Seeks;
};

class FollowRuleTest : public PlaybackTest, public ::testing::WithParamInterface<FollowCase> {};

// The device plays at 1000 ms; the user left the track bar somewhere else.
TEST_P(FollowRuleTest, SeeksOnlyBeyondHalfASecond) {
  Playing(1000);
  window_.SetTrackBarPosition(GetParam().TrackBar);
  EXPECT_THAT(device_.Calls, IsEmpty()) << "no seek while Timer1 owns the track bar";

  window_.Timer1Timer();
  if (GetParam().Seeks) {
    EXPECT_THAT(device_.Calls, ElementsAre("Seek " + std::to_string(GetParam().TrackBar), "Play"));
    EXPECT_EQ(Bar()->value(), GetParam().TrackBar);
  } else {
    EXPECT_THAT(device_.Calls, IsEmpty());
    EXPECT_EQ(Bar()->value(), 1000);
  }
  EXPECT_EQ(LabelText("Frame_LB"), "38") << "the labels show the device's position";
}

INSTANTIATE_TEST_SUITE_P(Distances, FollowRuleTest,
                         ::testing::Values(FollowCase{"Ahead500", 1500, false},
                                           FollowCase{"Ahead501", 1501, true},
                                           FollowCase{"Behind500", 500, false},
                                           FollowCase{"Behind501", 499, true},
                                           FollowCase{"FrameStep", 1026, false}),
                         [](const auto& test) { return std::string(test.param.Name); });

TEST_F(PlaybackTest, WhilePausedTheLabelsFollowTheTrackBarNotTheDevice) {
  Playing(1000);
  device_.Mode = PlaybackMode::Paused;
  window_.SetTrackBarPosition(2000);
  window_.Timer1Timer();
  EXPECT_EQ(LabelText("Frame_LB"), "76");
  EXPECT_THAT(device_.Calls, IsEmpty());
  EXPECT_TRUE(Timer1On());
}

TEST_F(PlaybackTest, FrameStepsMoveTheStoppedDeviceByOneFrame) {
  window_.FF_TBClick();
  window_.FF_TBClick();
  window_.Rew_TBClick();
  EXPECT_THAT(device_.Calls, ElementsAre("Seek 26", "Seek 52", "Seek 26"));
  EXPECT_EQ(Bar()->value(), 26);
  device_.Calls.clear();

  window_.Rew_TBClick();
  window_.Rew_TBClick();  // clamped at 0: no change, no event
  EXPECT_THAT(device_.Calls, ElementsAre("Seek 0"));
}

TEST_F(PlaybackTest, StartAtTheStartDoesNothing) {
  window_.Start_TBClick();
  EXPECT_THAT(device_.Calls, IsEmpty());
  window_.SetTrackBarPosition(900);
  device_.Calls.clear();
  window_.Start_TBClick();
  EXPECT_THAT(device_.Calls, ElementsAre("Seek 0"));
}

TEST_F(PlaybackTest, ChangesFromCodeAreClampedAndRunOnlyWhenTheValueChanges) {
  window_.SetTrackBarPosition(99999);
  window_.SetTrackBarPosition(5000);
  window_.SetTrackBarPosition(-5);
  window_.SetTrackBarPosition(0);
  EXPECT_THAT(device_.Calls, ElementsAre("Seek 2606", "Seek 0"));
}

TEST_F(PlaybackTest, EveryMoveByTheUserRunsTheChangeEventOnce) {
  Bar()->triggerAction(QAbstractSlider::SliderToMinimum);  // already at 0
  Bar()->triggerAction(QAbstractSlider::SliderSingleStepAdd);
  EXPECT_THAT(device_.Calls, ElementsAre("Seek 0", "Seek 100"));
  EXPECT_EQ(LabelText("Frame_LB"), "3");
}

}  // namespace
}  // namespace brelvik::testing
