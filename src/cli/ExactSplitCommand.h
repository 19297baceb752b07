// `brelvik-split split --exact`: the same breakpoints, placed on the decoded
// stream's time base and cut on real frames into whole pieces. Exact mode
// walks the frames itself and takes every stream that decoders play,
// whatever the analysis says of the file.
#pragma once

#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

#include "cli/ExitCodes.h"
#include "cli/SplitCommand.h"
#include "cli/StreamReport.h"
#include "exact/CutPlan.h"
#include "exact/PieceTags.h"
#include "exact/StreamLayout.h"
#include "session/Refusal.h"
#include "split/StreamFigures.h"

namespace brelvik {

struct ExactRequests {
  std::vector<exact::CutRequest> Requests;  // ascending by time, the start first
  std::string Refusal;                      // the first breakpoint refused, and why
};

// A frame number stands for the time at which the position display begins to
// show it and is checked against the frame count as the list checks it (where
// the analysis took the file: `figures`; otherwise frame N is the Nth real
// frame); a time is used as given and checked against the real duration.
ExactRequests ExactRequestsOf(const std::vector<std::string>& texts, bool toEnd,
                              const StreamFigures* figures, const exact::StreamLayout& layout);

// The frame walk of the file, or why not: unreadable (with the analysis's
// words for a file it could not read either) or refused (ExactCut).
OrRefusal<exact::StreamLayout> IndexOrRefuse(const std::string& path, const StreamReport& report);

// Plans the cuts, warns on err where the joins cannot be sample for sample,
// and writes the pieces, named in their tags from `names` where given.
int RunExactSplit(const SplitOptions& options, const exact::StreamLayout& layout,
                  const ExactRequests& requests, std::ostream& out, std::ostream& err,
                  const std::vector<exact::PieceNames>& names = {});

}  // namespace brelvik
