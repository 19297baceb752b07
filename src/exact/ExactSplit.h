// Exact pieces: each piece is a valid MP3 of its own that plays exactly the
// audio between its two cuts. It holds, in this order:
//   - the source's tags before its audio (see PieceTags);
//   - a fresh Info (constant rate) or Xing (variable rate) header frame with
//     the piece's counts, a table of contents and a LAME tag whose encoder
//     delay and padding tell gapless decoders which samples are the piece's
//     (the first piece of some sources keeps the source's own, see
//     StreamLayout::KeepsHeaderFrame);
//   - what the decoder needs before the piece's first frame (see PieceRecipe);
//   - the piece's frames, copied as they are;
//   - the source's tags after its audio.
// The first piece keeps the source's own encoder delay; the piece that runs to
// the end keeps its padding. Layer I and II have no header frame that decoders
// honour, so their pieces are the frames alone (two at least).
#pragma once

#include <string>
#include <vector>

#include "exact/CutPlan.h"
#include "exact/PieceRecipe.h"
#include "exact/PieceTags.h"
#include "exact/StreamLayout.h"
#include "io/InputFile.h"
#include "io/WritePolicy.h"
#include "split/SplitEngine.h"

namespace brelvik::exact {

// Writes the plan's pieces from the open source, named from the template with
// PieceName, calling progress(k) after piece k. The same guarantees as the
// byte-range split: no name the policy refuses is written (PolicyForPieces,
// before anything is written), no truncated piece is left under a final name,
// and a failure raises EStreamError with the same texts, ending the split at
// that piece. names[k - 1], where given, names piece k in its ID3v2 tag.
void SplitExact(InputFile& source, const StreamLayout& layout, const CutPlan& plan,
                const std::string& splitTemplate, const SplitProgress& progress,
                const std::vector<PieceNames>& names = {}, WritePolicy alsoRead = WritePolicy());

// Why the pieces of a stream in this format cannot join sample for sample,
// where they cannot; empty where they do.
std::string JoinWarning(const FrameHeader& format);
// The same for the stream the walk found.
std::string JoinWarning(const StreamLayout& layout);

}  // namespace brelvik::exact
