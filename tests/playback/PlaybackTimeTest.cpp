#include <gtest/gtest.h>

#include "playback/PlaybackTime.h"

namespace brelvik::playback {
namespace {

class PlaybackTimeTest : public ::testing::TestWithParam<std::int64_t> {};

// A position set in ms reads back as the same ms, and it is the first sample
// that does: one sample earlier reads as the millisecond before.
TEST_P(PlaybackTimeTest, MsGoToTheFirstSampleThatReadsBackAsThem) {
  const std::int64_t rate = GetParam();
  for (std::int64_t ms = 0; ms <= 25'000; ++ms) {
    const std::int64_t samples = MsToSamples(ms, rate);
    ASSERT_EQ(SamplesToMs(samples, rate), ms) << "rate " << rate;
    if (ms > 0) {
      ASSERT_EQ(SamplesToMs(samples - 1, rate), ms - 1) << "rate " << rate;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(SampleRates, PlaybackTimeTest,
                         ::testing::Values(8000, 11025, 16000, 22050, 24000, 32000, 44100, 48000));

TEST(PlaybackTimeLimitsTest, TwoHoursAtTheHighestRateFitTheMsRange) {
  const std::int64_t twoHoursMs = 2LL * 3600 * 1000;
  EXPECT_EQ(MsToSamples(twoHoursMs, 48000), 2LL * 3600 * 48000);
  EXPECT_EQ(SamplesToMs(2LL * 3600 * 48000 + 47, 48000), twoHoursMs);
}

}  // namespace
}  // namespace brelvik::playback
