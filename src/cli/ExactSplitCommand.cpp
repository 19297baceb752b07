#include "cli/ExactSplitCommand.h"

#include <algorithm>
#include <cmath>
#include <ostream>

#include "cli/BreakpointText.h"
#include "cli/ExitCodes.h"
#include "cli/PieceReport.h"
#include "exact/ExactSplit.h"
#include "split/IntegerText.h"

namespace brelvik {
namespace {

exact::CutRequest RequestOf(const std::string& text, const StreamFigures& figures,
                            const exact::StreamLayout& layout) {
  const BreakpointText breakpoint = ParseBreakpoint(text);
  if (breakpoint.Form == BreakpointText::Kind::Frame) {
    const std::int32_t frame = StrToInt(breakpoint.FrameText);
    if (frame > figures.FrameTotal) {
      throw EBreakpointSyntax("Maximum number of frames: " + std::to_string(figures.FrameTotal) +
                              FrameCountReason(figures.FrameTotal));
    }
    return {exact::FrameNumberMs(frame, figures), text};
  }
  const double durationMs = layout.DurationSecs() * 1000.0;
  if (breakpoint.Milliseconds > durationMs) {
    throw EBreakpointSyntax("The time '" + text + "' lies beyond the end of the audio, " +
                            FormatTime(static_cast<std::int64_t>(std::floor(durationMs))));
  }
  return {static_cast<double>(breakpoint.Milliseconds), text};
}

}  // namespace

ExactRequests ExactRequestsOf(const std::vector<std::string>& texts, bool toEnd,
                              const StreamFigures& figures, const exact::StreamLayout& layout) {
  ExactRequests result;
  result.Requests.push_back({0, "0"});
  for (const std::string& text : texts) {
    try {
      result.Requests.push_back(RequestOf(text, figures, layout));
    } catch (const EBreakpointSyntax& error) {
      result.Refusal = error.what();
      return result;
    } catch (const EConvertError& error) {
      result.Refusal = error.what();
      return result;
    }
  }
  auto& requests = result.Requests;
  const auto earlier = [](const auto& a, const auto& b) { return a.Milliseconds < b.Milliseconds; };
  std::stable_sort(requests.begin(), requests.end(), earlier);
  requests.erase(
      std::unique(requests.begin(), requests.end(),
                  [](const auto& a, const auto& b) { return a.Milliseconds == b.Milliseconds; }),
      requests.end());
  if (toEnd) {
    requests.push_back({exact::kEndOfStream, "the end"});
  }
  return result;
}

void ExplainExactRefusal(const std::string& path, std::ostream& err) {
  try {
    if (const exact::IndexOutcome index = exact::IndexStream(path); !index.Layout) {
      err << index.Refusal << '\n';
    }
  } catch (const EStreamError&) {
    // The analysis has already said that the file cannot be read.
  }
}

int RunExactSplit(const SplitOptions& options, const RequestSource& requestsFor, std::ostream& out,
                  std::ostream& err, const std::vector<exact::PieceNames>& names) {
  exact::IndexOutcome index;
  try {
    index = exact::IndexStream(options.File);
  } catch (const EStreamError& error) {
    err << error.Detailed() << '\n';
    return kExitUnreadable;
  }
  if (!index.Layout) {
    err << index.Refusal << '\n';
    return kExitRefused;
  }
  const exact::StreamLayout& layout = *index.Layout;
  const ExactRequests requests = requestsFor(layout);
  if (!requests.Refusal.empty()) {
    err << requests.Refusal << '\n';
    return kExitRefused;
  }
  if (requests.Requests.size() < 2) {
    err << "Nothing to split: give at least one breakpoint after frame 0, or --to-end\n";
    return kExitRefused;
  }
  const exact::PlanOutcome plan = exact::PlanCuts(layout, requests.Requests);
  if (!plan.Plan) {
    err << plan.Refusal << '\n';
    return kExitRefused;
  }
  const std::string splitTemplate = TemplateOf(options);
  return ReportPieces(splitTemplate, plan.Plan->Pieces(), options.ProgressBar, out, err,
                      [&](const SplitProgress& progress) {
                        InputFile source(options.File);
                        exact::SplitExact(source, layout, *plan.Plan, splitTemplate, progress,
                                          names, PolicyOf(options));
                      });
}

}  // namespace brelvik
