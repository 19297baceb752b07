#include "exact/CutPlan.h"

#include <cmath>

namespace brelvik::exact {

double FrameNumberMs(std::int32_t frame, const StreamFigures& figures) {
  if (figures.Kbps == 0) {
    return 0;
  }
  return static_cast<double>(frame) * figures.FrameBytes * 8.0 / figures.Kbps;
}

std::int64_t CutSample(const StreamLayout& layout, double milliseconds) {
  if (!(milliseconds > 0)) {
    return layout.FirstSample;
  }
  const double spf = layout.SamplesPerFrame;
  const double frame =
      std::round((layout.SampleAtMs(milliseconds) + static_cast<double>(layout.FirstSample)) / spf);
  if (!(frame * spf < static_cast<double>(layout.EndSample))) {
    return layout.EndSample;
  }
  const auto sample = static_cast<std::int64_t>(frame) * layout.SamplesPerFrame;
  return sample <= layout.FirstSample ? layout.FirstSample : sample;
}

PlanOutcome PlanCuts(const StreamLayout& layout, const std::vector<CutRequest>& requests) {
  // Layer I and II pieces have no header frame, and players cannot open a
  // file of a single frame; Layer III pieces always have one more.
  const std::int64_t shortest =
      layout.Format.LayerIndex == kLayerIII ? 1 : 2 * std::int64_t{layout.SamplesPerFrame};
  CutPlan plan;
  for (std::size_t i = 0; i < requests.size(); ++i) {
    const std::int64_t bound = CutSample(layout, requests[i].Milliseconds);
    if (!plan.Bounds.empty() && bound - plan.Bounds.back() < shortest) {
      const std::string piece = "Piece " + std::to_string(i) + " would hold ";
      const std::string labels =
          ": breakpoints " + requests[i - 1].Label + " and " + requests[i].Label;
      if (bound > plan.Bounds.back()) {
        return {std::nullopt, piece + "a single frame, too short for players to open" + labels +
                                  " lie too close"};
      }
      const std::string where = bound == layout.EndSample
                                    ? " both lie at or past the end of the audio"
                                    : " fall on the same frame";
      return {std::nullopt, piece + "no audio" + labels + where};
    }
    plan.Bounds.push_back(bound);
  }
  return {plan, {}};
}

}  // namespace brelvik::exact
