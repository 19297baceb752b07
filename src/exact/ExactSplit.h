// Exact pieces: each piece is a valid MP3 of its own that plays exactly the
// audio between its two cuts. It holds, in this order:
//   - the source's ID3v2 tag with the track number k/n;
//   - a fresh Info (constant rate) or Xing (variable rate) header frame with
//     the piece's counts, a table of contents and a LAME tag whose encoder
//     delay and padding tell gapless decoders which samples are the piece's;
//   - for a piece after the first, what the decoder needs before the piece's
//     first frame to decode it as it decodes the whole stream: a made frame
//     that carries the bit reservoir's bytes, and the one or two frames before
//     the cut for the synthesis filter's history, all declared as delay;
//   - the piece's frames, copied as they are;
//   - the source's ID3v1 tag with the track byte k.
// The first piece keeps the source's own encoder delay; the piece that runs to
// the end keeps its padding. Layer I and II have no header frame that decoders
// honour, so their pieces are the frames alone (two at least).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "exact/CutPlan.h"
#include "exact/PieceTags.h"
#include "exact/StreamLayout.h"
#include "split/SplitEngine.h"

namespace brelvik::exact {

// How one piece is made up, from the layout and its two bounds alone.
struct PieceRecipe {
  std::int64_t FirstFrame = 0;  // the first frame whose audio the piece plays
  std::int64_t LastFrame = 0;   // inclusive
  int StateFrames = 0;          // frames before FirstFrame, for the decoder's state
  bool ReservoirFrame = false;  // a made frame with the bit reservoir, before those
  int SilentFrames = 0;         // made silent frames before the stream's first frame
  bool HeaderFrame = false;
  int EncoderDelay = 0;
  int EncoderPadding = 0;

  // The frames after the header frame.
  std::int64_t AudioFrames() const {
    return (ReservoirFrame ? 1 : 0) + SilentFrames + StateFrames + (LastFrame - FirstFrame + 1);
  }
};

PieceRecipe RecipeFor(const StreamLayout& layout, std::int64_t from, std::int64_t to);

// Writes the plan's pieces from the open source, named from the template with
// PieceName, calling progress(k) after piece k. The same guarantees as the
// byte-range split: no name the policy refuses is written (PolicyForPieces,
// before anything is written), no truncated piece is left under a final name,
// and a failure raises EStreamError with the same texts, ending the split at
// that piece. names[k - 1], where given, names piece k in its ID3v2 tag.
void SplitExact(InputFile& source, const StreamLayout& layout, const CutPlan& plan,
                const std::string& splitTemplate, const SplitProgress& progress,
                const std::vector<PieceNames>& names = {}, WritePolicy alsoRead = WritePolicy());

}  // namespace brelvik::exact
