// `brelvik-split split --exact`: the same breakpoints, placed on the decoded
// stream's time base and cut on real frames into whole pieces.
#pragma once

#include <functional>
#include <iosfwd>
#include <string>
#include <vector>

#include "cli/SplitCommand.h"
#include "exact/CutPlan.h"
#include "exact/PieceTags.h"
#include "exact/StreamLayout.h"
#include "split/StreamFigures.h"

namespace brelvik {

struct ExactRequests {
  std::vector<exact::CutRequest> Requests;  // ascending by time, the start first
  std::string Refusal;                      // the first breakpoint refused, and why
};

// A frame number stands for the time at which the position display begins to
// show it and is checked against the frame count as the list checks it; a
// time is used as given and checked against the real duration.
ExactRequests ExactRequestsOf(const std::vector<std::string>& texts, bool toEnd,
                              const StreamFigures& figures, const exact::StreamLayout& layout);

// The cuts to make, once the stream's frames are known.
using RequestSource = std::function<ExactRequests(const exact::StreamLayout& layout)>;

// Walks the source's frames, asks for the cuts and writes the pieces, named
// in their tags from `names` where given.
// Says why exact cuts cannot be made in a file that the described analysis
// has refused, when the frame walk knows (free format, for one).
void ExplainExactRefusal(const std::string& path, std::ostream& err);

int RunExactSplit(const SplitOptions& options, const RequestSource& requestsFor, std::ostream& out,
                  std::ostream& err, const std::vector<exact::PieceNames>& names = {});

}  // namespace brelvik
