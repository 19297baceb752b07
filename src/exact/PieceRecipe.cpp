#include "exact/PieceRecipe.h"

#include <algorithm>

namespace brelvik::exact {
namespace {

// The frames before a cut that the decoder must have decoded to give the
// frame after it as in the whole stream: the overlap of the transform and the
// synthesis filter's 512 samples of history come from the two granules
// before, one frame in MPEG 1 and two frames of one granule in MPEG 2 and 2.5.
int StateFramesFor(const FrameHeader& format) {
  return format.VersionIndex == kVersionMpeg1 ? 1 : 2;
}

// Gapless decoders decode at most this many frames of a piece's delay (the
// rest they skip unread by the synthesis filter), so every frame before the
// piece's first must be among them.
constexpr int kDecodedDelayFrames = 4;

// The synthesis filter keeps its history in a ring of 16 slots, one slot per
// 32 samples, and libmpg123's rounding depends on where in that ring a frame
// starts: the frames decoded before a piece's first frame must turn the ring
// as far as the whole stream's decode has turned it by then, to within this
// many frames (found by decoding the pieces of every format).
int RingPeriodFrames(const FrameHeader& format) {
  if (format.VersionIndex == kVersionMpeg1) {
    return 2;
  }
  return format.ChannelMode == kChannelModeMono ? 4 : 2;
}

// How many frames go before frame k of a piece (k past the state frames): a
// made reservoir frame and the state frames, and silent frames in front as
// many as keep the synthesis ring in step.
int PrimingFrames(const StreamLayout& layout, std::int64_t k) {
  const int fewest = 1 + StateFramesFor(layout.Format);
  // Frames the whole stream's decode has run through the filter before frame
  // k: it skips the frames of a long delay beyond the last few.
  const std::int64_t skipped =
      std::max<std::int64_t>(0, layout.FirstSample / layout.SamplesPerFrame - kDecodedDelayFrames);
  const std::int64_t decoded = k - skipped;
  const int period = RingPeriodFrames(layout.Format);
  for (const int step : {period, 2}) {
    for (int priming = fewest; priming <= kDecodedDelayFrames; ++priming) {
      if ((decoded - priming) % step == 0) {
        return priming;
      }
    }
  }
  return fewest;
}

}  // namespace

PieceRecipe RecipeFor(const StreamLayout& layout, std::int64_t from, std::int64_t to) {
  const int spf = layout.SamplesPerFrame;
  const bool startsStream = from == layout.FirstSample;
  const bool endsStream = to == layout.EndSample;
  PieceRecipe recipe;
  recipe.FirstFrame = startsStream ? 0 : from / spf;
  recipe.LastFrame = endsStream ? layout.AudioFrames - 1 : to / spf - 1;
  if (layout.Format.LayerIndex != kLayerIII) {
    return recipe;
  }
  recipe.EncoderPadding = static_cast<int>((recipe.LastFrame + 1) * spf - to) + kDecoderDelay;
  if (startsStream) {
    if (layout.KeepsHeaderFrame) {
      // No gapless figures that every decoder takes alike: the piece starts
      // as the source does and ends on a frame's end, as the source ends.
      recipe.SourceHeaderFrame = true;
    } else if (layout.FirstSample >= kDecoderDelay) {
      recipe.HeaderFrame = true;
      recipe.EncoderDelay = static_cast<int>(layout.FirstSample) - kDecoderDelay;
    } else if (layout.FirstMainDataBegin == 0) {
      // A decoder honours no delay below its own, so the stream's first
      // samples would be lost behind a header frame; silent frames before
      // them keep them, as they leave the decoder as fresh as it was.
      recipe.HeaderFrame = true;
      recipe.SilentFrames = RingPeriodFrames(layout.Format);
      recipe.EncoderDelay =
          recipe.SilentFrames * spf + static_cast<int>(layout.FirstSample) - kDecoderDelay;
    }
    return recipe;
  }
  recipe.HeaderFrame = true;
  const int state = StateFramesFor(layout.Format);
  int priming = 0;
  if (recipe.FirstFrame <= state) {
    // Decoded from the stream's first frame on, as the whole stream is.
    priming = static_cast<int>(recipe.FirstFrame);
    recipe.StateFrames = priming;
  } else {
    priming = PrimingFrames(layout, recipe.FirstFrame);
    recipe.ReservoirFrame = true;
    recipe.StateFrames = state;
    recipe.SilentFrames = priming - 1 - state;
  }
  recipe.EncoderDelay =
      priming * spf + static_cast<int>(from - recipe.FirstFrame * spf) - kDecoderDelay;
  return recipe;
}

}  // namespace brelvik::exact
