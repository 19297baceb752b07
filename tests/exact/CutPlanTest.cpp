// Where cuts land and how each piece is made up, on layouts described by hand.
#include <gtest/gtest.h>

#include "ExactTestSupport.h"
#include "exact/CutPlan.h"
#include "exact/ExactSplit.h"

namespace brelvik::exact {
namespace {

using brelvik::exact::PrintTo;

// 100 frames, by default with a LAME delay of 576 and padding of 1000.
StreamLayout Layout(std::uint8_t version, std::uint8_t layer, bool mono, std::int64_t first = 1105,
                    int padding = 1000, int firstMainDataBegin = 0) {
  StreamLayout layout;
  layout.Format.VersionIndex = version;
  layout.Format.LayerIndex = layer;
  layout.Format.ChannelMode = mono ? kChannelModeMono : 0;
  layout.SampleRate = version == kVersionMpeg1 ? 44100 : 22050;
  layout.SamplesPerFrame = version != kVersionMpeg1 && layer == kLayerIII ? 576 : 1152;
  layout.AudioFrames = 100;
  layout.FirstSample = first;
  layout.EndSample = 100 * layout.SamplesPerFrame - padding + (padding > 0 ? kDecoderDelay : 0);
  layout.FirstMainDataBegin = firstMainDataBegin;
  return layout;
}

const StreamLayout kMpeg1 = Layout(kVersionMpeg1, kLayerIII, false);  // samples 1105 to 114729

TEST(ExactCutPlan, FrameNumberMsIsNotTruncated) {
  EXPECT_DOUBLE_EQ(FrameNumberMs(38, {128, 417, 0, 0}), 990.375);
  EXPECT_DOUBLE_EQ(FrameNumberMs(3, {96, 313, 0, 0}), 78.25);
}

TEST(ExactCutPlan, CutsAtTheStartOfTheNearestFrame) {
  const std::pair<double, std::int64_t> cases[] = {
      {-5, 1105},
      {0, 1105},
      {0.5, 1152},      // 1127 is nearer frame 1 than frame 0
      {251.84, 12672},  // frame 10.59995
      {1005, 44928},
      {2560, 114048},
      {2575, 114729},  // frame 100 lies past the end
      {kEndOfStream, 114729},
  };
  for (const auto& [ms, sample] : cases) {
    EXPECT_EQ(CutSample(kMpeg1, ms), sample) << ms << " ms";
  }
  // Without a delay frame 0 is nearest, and the stream starts at the decoder's own delay.
  EXPECT_EQ(CutSample(Layout(kVersionMpeg1, kLayerIII, false, 529), 1), 529);
}

TEST(ExactCutPlan, RefusesAPieceWithoutAudio) {
  const PlanOutcome plan = PlanCuts(kMpeg1, {{0, "a"}, {1000, "b"}, {kEndOfStream, "c"}});
  ASSERT_TRUE(plan.Plan) << plan.Refusal;
  EXPECT_EQ(plan.Plan->Bounds, (std::vector<std::int64_t>{1105, 44928, 114729}));
  EXPECT_EQ(PlanCuts(kMpeg1, {{0, "a"}, {1000, "b"}, {1005, "c"}}).Refusal,
            "Piece 2 would hold no audio: breakpoints b and c fall on the same frame");
  EXPECT_EQ(PlanCuts(kMpeg1, {{0, "a"}, {2575, "b"}, {kEndOfStream, "c"}}).Refusal,
            "Piece 2 would hold no audio: breakpoints b and c both lie at or past the end of the "
            "audio");
}

struct RecipeCase {
  const char* Name;
  StreamLayout Layout;
};

const RecipeCase kLayouts[] = {
    {"Mpeg1", kMpeg1},
    {"Mpeg1Mono", Layout(kVersionMpeg1, kLayerIII, true)},
    {"Mpeg2", Layout(kVersionMpeg2, kLayerIII, false)},
    {"Mpeg25Mono", Layout(kVersionMpeg25, kLayerIII, true)},
    {"LongDelay", Layout(kVersionMpeg1, kLayerIII, false, 4000 + 529)},
    {"NoInfoFrame", Layout(kVersionMpeg1, kLayerIII, false, 0, 0)},
};

class ExactRecipe : public ::testing::TestWithParam<RecipeCase> {};

// Every piece between two of a set of cuts near the start, in the middle and
// at the end: the decoder, skipping the piece's delay and dropping its
// padding, plays exactly the samples from `from` to `to`.
TEST_P(ExactRecipe, PlaysExactlyItsSpanAfterAFewPrimingFrames) {
  const StreamLayout& layout = GetParam().Layout;
  const std::int64_t spf = layout.SamplesPerFrame;
  std::vector<std::int64_t> cuts = {layout.FirstSample};
  for (const std::int64_t frame : {1, 2, 3, 4, 5, 8, 41, 42, 98, 99}) {
    if (frame * spf > layout.FirstSample) {
      cuts.push_back(frame * spf);
    }
  }
  cuts.push_back(layout.EndSample);
  const int fewestState = layout.Format.VersionIndex == kVersionMpeg1 ? 1 : 2;
  for (std::size_t a = 0; a + 1 < cuts.size(); ++a) {
    for (std::size_t b = a + 1; b < cuts.size(); ++b) {
      const std::int64_t from = cuts[a];
      const std::int64_t to = cuts[b];
      SCOPED_TRACE("piece from " + std::to_string(from) + " to " + std::to_string(to));
      const PieceRecipe r = RecipeFor(layout, from, to);
      ASSERT_TRUE(r.HeaderFrame);
      const std::int64_t priming = r.SilentFrames + (r.ReservoirFrame ? 1 : 0) + r.StateFrames;
      EXPECT_EQ(priming * spf + from - r.FirstFrame * spf, r.EncoderDelay + kDecoderDelay);
      EXPECT_EQ(r.AudioFrames() * spf - r.EncoderDelay - r.EncoderPadding, to - from);
      EXPECT_EQ(r.LastFrame, to == layout.EndSample ? 99 : to / spf - 1);
      if (a == 0) {
        EXPECT_EQ(r.FirstFrame, 0);
        EXPECT_EQ(r.StateFrames + (r.ReservoirFrame ? 1 : 0), 0);
        continue;
      }
      EXPECT_EQ(r.FirstFrame, from / spf);
      EXPECT_LE(priming, 4);
      // Of the audio before the cut only the frames the decoder's state needs
      // go in, as a player that ignores the delay hears them; the rest of the
      // priming is made frames of silence.
      EXPECT_EQ(r.StateFrames, std::min<std::int64_t>(fewestState, r.FirstFrame));
      EXPECT_EQ(r.ReservoirFrame, r.StateFrames < r.FirstFrame);
      EXPECT_EQ(r.SilentFrames > 0, r.ReservoirFrame && priming > fewestState + 1);
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Layouts, ExactRecipe, ::testing::ValuesIn(kLayouts), CaseName());

TEST(ExactRecipe, FirstPieceKeepsTheDelayAndLastThePadding) {
  EXPECT_EQ(RecipeFor(kMpeg1, 1105, 41 * 1152).EncoderDelay, 576);
  EXPECT_EQ(RecipeFor(kMpeg1, 41 * 1152, 114729).EncoderPadding, 1000);
  // Without an Info frame silent frames keep the first samples from the
  // decoder's own delay, unless the first frame reaches back into a reservoir.
  EXPECT_GT(RecipeFor(Layout(kVersionMpeg1, kLayerIII, false, 0, 0), 0, 41 * 1152).SilentFrames, 0);
  const PieceRecipe reaching =
      RecipeFor(Layout(kVersionMpeg1, kLayerIII, false, 0, 0, 100), 0, 41 * 1152);
  EXPECT_FALSE(reaching.HeaderFrame);
  EXPECT_EQ(reaching.AudioFrames(), 41);
}

}  // namespace
}  // namespace brelvik::exact
