// The device playing real files in real time through SDL's dummy output
// (SDL_AUDIODRIVER=dummy), which consumes audio at about real time. These
// run alone, so that other tests do not starve the audio thread.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "PlaybackTestSupport.h"
#include "playback/MediaPlayer.h"

namespace brelvik {
namespace {

using namespace std::chrono_literals;
using testing::ToneFile;
using SteadyClock = std::chrono::steady_clock;

// The dummy output's pace (about 60 ms over 2 s) plus a chunk in flight.
constexpr int kToleranceMs = 60;

int MsSince(SteadyClock::time_point start) {
  return static_cast<int>(
      std::chrono::duration_cast<std::chrono::milliseconds>(SteadyClock::now() - start).count());
}

class RealTimeTest : public ::testing::TestWithParam<ToneFile> {
 protected:
  void SetUp() override {
    player_.SetFileName(testing::EncodeWithLame(dir_, "tone", GetParam().Encoding));
    player_.Open();
  }

  testing::TempDir dir_;
  TMediaPlayer player_;
};

// Play, pause and resume; the caller sleeps for up to half a second between
// polls, as a busy window thread would.
TEST_P(RealTimeTest, PlaysAtRealTimePausesAndResumes) {
  const auto started = SteadyClock::now();
  player_.Play();
  EXPECT_EQ(player_.Mode(), PlaybackMode::Playing);
  std::this_thread::sleep_for(100ms);
  const int early = player_.Position();
  const auto earlyAt = SteadyClock::now();
  EXPECT_NEAR(early, MsSince(started), kToleranceMs) << "at the start";
  std::this_thread::sleep_for(500ms);
  EXPECT_NEAR(player_.Position() - early, MsSince(earlyAt), kToleranceMs) << "while playing";

  player_.Pause();
  const int paused = player_.Position();
  std::this_thread::sleep_for(150ms);
  EXPECT_EQ(player_.Mode(), PlaybackMode::Paused);
  EXPECT_EQ(player_.Position(), paused) << "a pause freezes the position";

  const auto resumed = SteadyClock::now();
  player_.Pause();
  EXPECT_EQ(player_.Mode(), PlaybackMode::Playing);
  std::this_thread::sleep_for(300ms);
  EXPECT_NEAR(player_.Position(), paused + MsSince(resumed), kToleranceMs) << "after resuming";
}

TEST_P(RealTimeTest, TheEndStopsAtTheLengthAndPlayStartsAgainFromZero) {
  const int length = GetParam().Ms();
  player_.Seek(length - 250);
  const auto started = SteadyClock::now();
  player_.Play();
  while (player_.Mode() == PlaybackMode::Playing && MsSince(started) < 2000) {
    std::this_thread::sleep_for(10ms);
  }
  EXPECT_NEAR(MsSince(started), 250, kToleranceMs) << "stops when the last sample is heard";
  EXPECT_EQ(player_.Mode(), PlaybackMode::Stopped);
  EXPECT_EQ(player_.Position(), length);

  const auto restarted = SteadyClock::now();
  player_.Play();
  EXPECT_EQ(player_.Mode(), PlaybackMode::Playing);
  std::this_thread::sleep_for(100ms);
  EXPECT_NEAR(player_.Position(), MsSince(restarted), kToleranceMs);
}

INSTANTIATE_TEST_SUITE_P(ToneFiles, RealTimeTest,
                         ::testing::ValuesIn(testing::AllToneFiles().begin(),
                                             testing::AllToneFiles().begin() + 3),
                         testing::ToneFileTestName);

}  // namespace
}  // namespace brelvik
