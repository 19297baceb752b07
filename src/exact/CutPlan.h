// Where exact cuts go. A breakpoint is a time on the playback position's time
// base, the decoder's output as a gapless decoder plays it; the cut is the
// start of the audio frame whose first decoded sample is nearest to that
// time. A time at or before the start is the start of the stream, one past
// the end is its end.
#pragma once

#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <vector>

#include "exact/StreamLayout.h"
#include "split/StreamFigures.h"

namespace brelvik::exact {

struct CutRequest {
  double Milliseconds = 0;  // on the playback time base
  std::string Label;        // how the user gave it, for messages
};

// A request for the end of the stream.
inline constexpr double kEndOfStream = std::numeric_limits<double>::infinity();

// The time at which the position display began to show this frame number:
// frame × FrameBytes × 8 ÷ Kbps milliseconds, not truncated.
double FrameNumberMs(std::int32_t frame, const StreamFigures& figures);

// Piece k runs from Bounds[k - 1] up to Bounds[k], in decoder output samples
// counted as StreamLayout counts them.
struct CutPlan {
  std::vector<std::int64_t> Bounds;
  int Pieces() const { return static_cast<int>(Bounds.size()) - 1; }
};

struct PlanOutcome {
  std::optional<CutPlan> Plan;
  std::string Refusal;  // a piece that would hold no audio
};

// The requests in the order of the breakpoint list (ascending); n requests
// give n - 1 pieces.
PlanOutcome PlanCuts(const StreamLayout& layout, const std::vector<CutRequest>& requests);

// The decoder output sample that a cut at this time lands on.
std::int64_t CutSample(const StreamLayout& layout, double milliseconds);

}  // namespace brelvik::exact
