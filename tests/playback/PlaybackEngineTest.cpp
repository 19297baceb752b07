// The engine driven with a made-up clock over real lame-encoded files: what
// it hands to the output, against a straight decode, and its modes and
// positions around play, pause, stop, seek and the end of the stream.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <memory>
#include <vector>

#include "PlaybackTestSupport.h"
#include "playback/PlaybackEngine.h"
#include "playback/PlaybackTime.h"

namespace brelvik::playback {
namespace {

using namespace std::chrono_literals;
using Clock = PlaybackEngine::Clock;
using Samples = std::vector<std::int16_t>;

constexpr std::int64_t kChunk = 1024;
const Clock::time_point kStart = Clock::time_point{} + 1h;

bool Silent(const Samples& out) {
  return std::all_of(out.begin(), out.end(), [](std::int16_t v) { return v == 0; });
}

class EngineTest : public ::testing::TestWithParam<testing::ToneFile> {
 protected:
  void SetUp() override {
    const std::string path = testing::EncodeWithLame(dir_, "tone", GetParam().Encoding);
    reference_ = testing::DecodeStraight(path);
    engine_.Load(std::make_unique<Mpg123Decoder>(path), 0);
  }

  std::int64_t Length() const { return reference_.Frames(); }
  std::int64_t SamplesIn(Clock::duration time) const {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(time).count() * reference_.Rate /
           1'000'000'000;
  }
  Clock::duration TimeOf(std::int64_t samples) const {
    return std::chrono::nanoseconds(samples * 1'000'000'000 / reference_.Rate);
  }

  Samples Render(Clock::time_point now, std::int64_t frames = kChunk) {
    Samples out(static_cast<std::size_t>(frames * reference_.Channels), 99);
    engine_.Render(out, now);
    return out;
  }

  // The largest difference between out and the straight decode from frame
  // `from` on.
  int DifferenceFrom(const Samples& out, std::int64_t from) const {
    const auto offset = static_cast<std::size_t>(from * reference_.Channels);
    int largest = 0;
    for (std::size_t i = 0; i < out.size(); ++i) {
      largest = std::max(largest, std::abs(out[i] - reference_.Samples.at(offset + i)));
    }
    return largest;
  }

  // After a seek libmpg123 restarts its synthesis filter, which may round a
  // sample one step differently from a straight decode; audio off by one
  // sample in time differs by hundreds.
  void ExpectAudioFrom(const Samples& out, std::int64_t from) const {
    EXPECT_LE(DifferenceFrom(out, from), 1) << "at sample " << from;
  }

  testing::TempDir dir_;
  testing::ReferenceDecode reference_;
  PlaybackEngine engine_;
};

TEST_P(EngineTest, LoadsStoppedAtZeroWithTheInputsExactLength) {
  EXPECT_EQ(engine_.Mode(kStart), PlaybackMode::Stopped);
  EXPECT_EQ(engine_.PositionSamples(kStart), 0);
  EXPECT_EQ(engine_.LengthSamples(), GetParam().Samples());
  EXPECT_EQ(Length(), GetParam().Samples());
}

TEST_P(EngineTest, SeekLandsOnTheAskedSample) {
  const std::int64_t last = Length() - kChunk;
  for (const std::int64_t target : {0L, 1L, 577L, Length() / 3, Length() / 2 + 13, last}) {
    engine_.Seek(target);
    EXPECT_EQ(engine_.PositionSamples(kStart), target);
    engine_.Play(kStart);
    const auto out = Render(kStart);
    ExpectAudioFrom(out, target);
    EXPECT_GT(DifferenceFrom(out, target == last ? target - 1 : target + 1), 1)
        << "the comparison tells neighbouring samples apart";
  }
}

TEST_P(EngineTest, PositionFollowsTheClockWithinWhatWasHandedOver) {
  engine_.Play(kStart);
  EXPECT_EQ(engine_.Mode(kStart), PlaybackMode::Playing);
  EXPECT_EQ(engine_.PositionSamples(kStart + 50ms), 0) << "nothing handed over yet";
  ExpectAudioFrom(Render(kStart), 0);
  EXPECT_EQ(engine_.PositionSamples(kStart + 10ms), SamplesIn(10ms));
  EXPECT_EQ(engine_.PositionSamples(kStart + 1s), kChunk) << "not ahead of the output";
  const Clock::time_point second = kStart + TimeOf(kChunk);
  ExpectAudioFrom(Render(second), kChunk);
  EXPECT_EQ(engine_.PositionSamples(second + 3ms), kChunk + SamplesIn(3ms));
}

TEST_P(EngineTest, PauseAndStopKeepTheHeardSampleAndPlayGoesOnFromIt) {
  engine_.Seek(1000);
  engine_.Play(kStart);
  Render(kStart);
  engine_.Pause(kStart + 5ms);
  const std::int64_t paused = 1000 + SamplesIn(5ms);
  EXPECT_EQ(engine_.Mode(kStart + 1h), PlaybackMode::Paused);
  EXPECT_EQ(engine_.PositionSamples(kStart + 1h), paused);
  EXPECT_TRUE(Silent(Render(kStart + 1h)));

  engine_.Pause(kStart + 2h);  // resumes
  EXPECT_EQ(engine_.Mode(kStart + 2h), PlaybackMode::Playing);
  ExpectAudioFrom(Render(kStart + 2h), paused);
  engine_.Stop(kStart + 2h + 7ms);
  const std::int64_t stopped = paused + SamplesIn(7ms);
  EXPECT_EQ(engine_.Mode(kStart + 3h), PlaybackMode::Stopped);
  EXPECT_EQ(engine_.PositionSamples(kStart + 3h), stopped);
  engine_.Pause(kStart + 3h);  // nothing while stopped
  EXPECT_EQ(engine_.Mode(kStart + 3h), PlaybackMode::Stopped);

  engine_.Play(kStart + 4h);
  ExpectAudioFrom(Render(kStart + 4h), stopped);
}

TEST_P(EngineTest, TheEndStopsAtTheLengthOnceHeardAndPlayRewinds) {
  std::int64_t at = Length() - 3 * kChunk - 100;
  engine_.Seek(at);
  engine_.Play(kStart);
  Clock::time_point now = kStart;
  for (; at + kChunk <= Length(); at += kChunk, now += TimeOf(kChunk)) {
    ExpectAudioFrom(Render(now), at);
  }
  const auto last = Render(now);  // the stream's last 100 samples, then silence
  const auto tail = last.begin() + (Length() - at) * reference_.Channels;
  ExpectAudioFrom(Samples(last.begin(), tail), at);
  EXPECT_TRUE(Silent(Samples(tail, last.end())));

  EXPECT_EQ(engine_.Mode(now + 1ms), PlaybackMode::Playing) << "the tail is still being heard";
  const Clock::time_point heard = now + TimeOf(Length() - at) + 1ms;
  EXPECT_EQ(engine_.Mode(heard), PlaybackMode::Stopped);
  EXPECT_EQ(engine_.PositionSamples(heard), Length());

  engine_.Play(heard);
  EXPECT_EQ(engine_.PositionSamples(heard), 0);
  ExpectAudioFrom(Render(heard), 0);
}

TEST_P(EngineTest, PlayRewindsOnlyWhenThePositionInMsIsTheLength) {
  const std::int64_t lengthMs = SamplesToMs(Length(), reference_.Rate);
  engine_.Seek(MsToSamples(lengthMs, reference_.Rate));  // reads back as the length
  engine_.Play(kStart);
  ExpectAudioFrom(Render(kStart), 0);

  const std::int64_t before = MsToSamples(lengthMs - 20, reference_.Rate);
  engine_.Seek(before);
  engine_.Play(kStart);
  ExpectAudioFrom(Render(kStart, 100), before);
}

INSTANTIATE_TEST_SUITE_P(ToneFiles, EngineTest, ::testing::ValuesIn(testing::AllToneFiles()),
                         testing::ToneFileTestName);

TEST(EngineLatencyTest, AnOutputThatQueuesHoldsThePositionBack) {
  testing::TempDir dir;
  const auto& tone = testing::AllToneFiles().front();
  PlaybackEngine engine;
  engine.Load(std::make_unique<Mpg123Decoder>(testing::EncodeWithLame(dir, "tone", tone.Encoding)),
              512);
  Samples out(kChunk * 2);
  engine.Play(kStart);
  engine.Render(out, kStart);
  EXPECT_EQ(engine.PositionSamples(kStart + 10ms), 0);
  EXPECT_EQ(engine.PositionSamples(kStart + 20ms), 20 * 44100 / 1000 - 512);
  EXPECT_EQ(engine.PositionSamples(kStart + 1s), kChunk);
}

TEST(EngineUnloadedTest, IsNotReadyAtZeroAndRendersSilence) {
  PlaybackEngine engine;
  EXPECT_EQ(engine.Mode(kStart), PlaybackMode::NotReady);
  EXPECT_EQ(engine.PositionSamples(kStart), 0);
  Samples out(256, 7);
  engine.Render(out, kStart);
  EXPECT_TRUE(Silent(out));
}

}  // namespace
}  // namespace brelvik::playback
