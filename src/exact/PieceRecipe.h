// How one piece is made up, from the layout and its two bounds alone: which
// frames of the source it plays, and what goes before them so that a gapless
// decoder gives exactly the source's samples from the piece's first on.
#pragma once

#include <cstdint>

#include "exact/StreamLayout.h"

namespace brelvik::exact {

// A piece after the first carries, before its first frame, the frames that
// a decoder needs to decode that frame as it decodes the whole stream: the
// one (MPEG 1) or two (MPEG 2 and 2.5) frames before it, for the transform's
// overlap and the synthesis filter's history, behind a made frame holding the
// bit reservoir's bytes that they reach back to. libmpg123 also rounds as
// the whole stream's decode did only when as many frames went before, give
// or take a small period; made frames of silence in front make up the count.
// All of it is declared as delay. A player that ignores the delay hears the
// silence and the state frames: one frame of the audio before the cut in
// MPEG 1, two frames of half the length in MPEG 2 and 2.5.
struct PieceRecipe {
  std::int64_t FirstFrame = 0;     // the first frame whose audio the piece plays
  std::int64_t LastFrame = 0;      // inclusive
  int StateFrames = 0;             // frames before FirstFrame, for the decoder's state
  bool ReservoirFrame = false;     // a made frame with the bit reservoir, before those
  int SilentFrames = 0;            // made silent frames before all of those
  bool HeaderFrame = false;        // a fresh header frame
  bool SourceHeaderFrame = false;  // the source's own (StreamLayout::KeepsHeaderFrame)
  int EncoderDelay = 0;
  int EncoderPadding = 0;

  // The frames after a header frame.
  std::int64_t AudioFrames() const {
    return (ReservoirFrame ? 1 : 0) + SilentFrames + StateFrames + (LastFrame - FirstFrame + 1);
  }
};

PieceRecipe RecipeFor(const StreamLayout& layout, std::int64_t from, std::int64_t to);

}  // namespace brelvik::exact
