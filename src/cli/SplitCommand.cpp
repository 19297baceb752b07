#include "cli/SplitCommand.h"

#include <limits>
#include <ostream>

#include "cli/BreakpointText.h"
#include "cli/ExactSplitCommand.h"
#include "cli/ExitCodes.h"
#include "cli/PieceReport.h"
#include "cli/StreamReport.h"
#include "split/IntegerText.h"
#include "split/OutputNaming.h"
#include "split/SplitEngine.h"

namespace brelvik {
namespace {

int WritePieces(const SplitOptions& options, std::uint16_t frameBytes, const BreakpointList& list,
                std::ostream& out, std::ostream& err) {
  const std::string splitTemplate = TemplateOf(options);
  return ReportPieces(splitTemplate, list.Count() - 1, options.ProgressBar, out, err,
                      [&](const SplitProgress& progress) {
                        Split(options.File, splitTemplate, frameBytes, list, progress);
                      });
}

}  // namespace

std::string TemplateOf(const SplitOptions& options) {
  if (!options.Template) {
    return MakeTemplate(options.File);
  }
  // As the window's save dialog does: set.mp3 names set-1.mp3, set-2.mp3...
  const std::string& given = *options.Template;
  return given.find(kTrackPlaceholder) != std::string::npos ? given : MakeTemplate(given);
}

std::int64_t EndFrame(std::int64_t fileLength, std::uint16_t frameBytes) {
  if (frameBytes == 0) {
    return 0;
  }
  return (fileLength + frameBytes - 1) / frameBytes;
}

std::optional<std::string> AddBreakpoints(const std::vector<std::string>& texts,
                                          const StreamFigures& figures, BreakpointList& list) {
  for (const std::string& text : texts) {
    try {
      const std::string frame = FrameTextOf(ParseBreakpoint(text), figures);
      AddOutcome outcome = list.AddTypedFrame(frame, figures.FrameTotal);
      if (!outcome.Refusal.empty()) {
        return outcome.Refusal + FrameCountReason(figures.FrameTotal);
      }
    } catch (const EBreakpointSyntax& error) {
      return error.what();
    } catch (const EConvertError& error) {
      return error.what();
    }
  }
  return std::nullopt;
}

int RunSplit(const SplitOptions& options, std::ostream& out, std::ostream& err) {
  const StreamReport report = AnalyseSource(options.File);
  if (const ExitCode code = AnalysisExitCode(report); code != kExitSuccess) {
    err << AnalysisMessage(report) << '\n';
    return code;
  }
  const StreamDetails& details = *report.Details;
  if (options.Exact) {
    return RunExactSplit(options, details.Figures, out, err);
  }
  BreakpointList list;
  if (const auto refusal = AddBreakpoints(options.Breakpoints, details.Figures, list)) {
    err << *refusal << '\n';
    return kExitRefused;
  }
  if (options.ToEnd) {
    const std::int64_t end = EndFrame(details.FileLength, details.Figures.FrameBytes);
    if (end > std::numeric_limits<std::int32_t>::max()) {
      err << "--to-end: the end of this file lies at frame " << end
          << ", past the largest frame number, " << std::numeric_limits<std::int32_t>::max()
          << "; give the last breakpoint as a frame number or a time instead\n";
      return kExitRefused;
    }
    list.AddCurrentFrame(std::to_string(end));
  }
  if (list.Count() < 2) {
    err << "Nothing to split: give at least one breakpoint after frame 0, or --to-end\n";
    return kExitRefused;
  }
  return WritePieces(options, details.Figures.FrameBytes, list, out, err);
}

}  // namespace brelvik
