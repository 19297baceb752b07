#include "ui/SplitOrder.h"

#include "cue/CueBreakpoints.h"
#include "exact/ExactSplit.h"
#include "exact/StreamLayout.h"
#include "ui/BreakpointsController.h"

namespace brelvik::ui {

SplitOrder MakeSplitOrder(const BreakpointsController& breakpoints, const std::string& sourcePath,
                          const std::string& splitTemplate, const StreamFigures& figures,
                          bool exact) {
  SplitOrder order;
  order.SourcePath = sourcePath;
  order.Template = splitTemplate;
  order.Figures = figures;
  order.Breakpoints = breakpoints.List();
  order.Exact = exact;
  if (breakpoints.Sheet()) {
    order.AlsoRead.Protect(breakpoints.SheetPath(), "the cue sheet");
  }
  if (!exact) {
    return order;
  }
  // Each breakpoint stands for the time at which the position display began
  // to show it, or for the time it came from.
  for (int i = 0; i < order.Breakpoints.Count(); ++i) {
    order.Requests.push_back({breakpoints.TimeOf(i), order.Breakpoints.Text(i)});
    if (breakpoints.Sheet()) {
      order.Names.push_back(
          cue::NamesAt(*breakpoints.Sheet(), order.Breakpoints.Value(i), figures));
    }
  }
  return order;
}

std::string RunSplitOrder(const SplitOrder& order, InputFile& source,
                          const SplitProgress& progress) {
  if (!order.Exact) {
    Split(source, order.Template, order.Figures.FrameBytes, order.Breakpoints, progress,
          order.AlsoRead);
    return {};
  }
  const exact::IndexOutcome index = exact::IndexStream(order.SourcePath);
  if (!index.Layout) {
    return index.Refusal;
  }
  const exact::PlanOutcome plan = exact::PlanCuts(*index.Layout, order.Requests);
  if (!plan.Plan) {
    return plan.Refusal;
  }
  exact::SplitExact(source, *index.Layout, *plan.Plan, order.Template, progress, order.Names,
                    order.AlsoRead);
  return {};
}

}  // namespace brelvik::ui
