#include "cli/ExactSplitCommand.h"

#include <algorithm>
#include <cmath>
#include <ostream>
#include <utility>

#include "cli/BreakpointText.h"
#include "cli/ExitTable.h"
#include "cli/PieceReport.h"
#include "cli/PrintLine.h"
#include "exact/ExactSplit.h"
#include "io/StreamError.h"
#include "session/SplitJobs.h"
#include "split/BreakpointList.h"
#include "split/IntegerText.h"

namespace brelvik {
namespace {

// The time at which the real frame N begins.
double RealFrameMs(std::int32_t frame, const exact::StreamLayout& layout) {
  const auto sample =
      static_cast<double>(std::int64_t{frame} * layout.SamplesPerFrame - layout.FirstSample);
  return sample * 1000.0 / layout.SampleRate;
}

exact::CutRequest RequestOf(const std::string& text, const StreamFigures* figures,
                            const exact::StreamLayout& layout) {
  const BreakpointText breakpoint = ParseBreakpoint(text);
  if (breakpoint.Form == BreakpointText::Kind::Frame) {
    const std::int32_t frame = StrToInt(breakpoint.FrameText);
    const std::int64_t total = figures ? figures->FrameTotal : layout.AudioFrames;
    if (frame > total) {
      throw EBreakpointSyntax("Maximum number of frames: " + std::to_string(total) +
                              (figures ? FrameCountReason(figures->FrameTotal) : ""));
    }
    return {figures ? exact::FrameNumberMs(frame, *figures) : RealFrameMs(frame, layout), text};
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
                              const StreamFigures* figures, const exact::StreamLayout& layout) {
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

OrRefusal<exact::StreamLayout> IndexOrRefuse(const std::string& path, const StreamReport& report) {
  exact::IndexOutcome index;
  try {
    index = exact::IndexStream(path);
  } catch (const EStreamError& error) {
    return Refusal(RefusalKind::Unreadable,
                   report.Analysed ? error.Detailed() : AnalysisMessage(report));
  }
  if (!index.Layout) {
    return Refusal(RefusalKind::ExactCut, index.Refusal);
  }
  return std::move(*index.Layout);
}

int RunExactSplit(const SplitOptions& options, const exact::StreamLayout& layout,
                  const ExactRequests& requests, std::ostream& out, std::ostream& err,
                  const std::vector<exact::PieceNames>& names) {
  if (!requests.Refusal.empty()) {
    PrintLine(err, requests.Refusal);
    return kExitRefused;
  }
  const auto job =
      ExactJobOf(layout, requests.Requests, names, TemplateOf(options), PolicyOf(options));
  if (!job) {
    return Refuse(err, job.Refused());
  }
  if (const std::string warning = exact::JoinWarning(layout); !warning.empty()) {
    PrintLine(err, "Warning: " + warning);
  }
  return ReportPieces(job->Template, job->Pieces(), options.ProgressBar, out, err,
                      [&](const SplitProgress& progress) {
                        InputFile source(options.File);
                        job->Run(source, progress);
                      });
}

}  // namespace brelvik
