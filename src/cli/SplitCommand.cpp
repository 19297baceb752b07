#include "cli/SplitCommand.h"

#include <cmath>
#include <limits>
#include <ostream>

#include "cli/BreakpointText.h"
#include "cli/ExactSplitCommand.h"
#include "cli/ExitCodes.h"
#include "cli/PieceReport.h"
#include "cli/PrintLine.h"
#include "cli/SilencesCommand.h"
#include "cli/StreamReport.h"
#include "cue/CueBreakpoints.h"
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
                        InputFile source(options.File);
                        Split(source, splitTemplate, frameBytes, list, progress, PolicyOf(options));
                      });
}

// The sheet for the file, or nothing with the reason on err and the exit code
// in `code`.
std::optional<cue::CueSheet> SheetFor(const SplitOptions& options, std::ostream& err, int& code) {
  code = kExitRefused;
  const cue::CueOutcome outcome = cue::ReadCueSheet(*options.CueSheet);
  if (!outcome.Sheet) {
    PrintLine(err, outcome.Refusal);
    code = outcome.Unreadable ? kExitUnreadable : kExitRefused;
    return std::nullopt;
  }
  if (const std::string refusal =
          cue::RefusalForAudio(*options.CueSheet, *outcome.Sheet, options.File);
      !refusal.empty()) {
    PrintLine(err, refusal);
    return std::nullopt;
  }
  return outcome.Sheet;
}

ExactRequests SilenceRequests(const std::vector<silence::Silence>& silences) {
  ExactRequests result;
  result.Requests.push_back({0, "0"});
  for (const silence::Silence& silence : silences) {
    result.Requests.push_back(
        {silence.MiddleMs(), "the silence at " + FormatTime(std::llround(silence.MiddleMs()))});
  }
  result.Requests.push_back({exact::kEndOfStream, "the end"});
  return result;
}

int SplitAtSheet(const SplitOptions& options, const StreamDetails& details, std::ostream& out,
                 std::ostream& err) {
  int code = kExitSuccess;
  const auto sheet = SheetFor(options, err, code);
  if (!sheet) {
    return code;
  }
  const auto end = EndFrameOrRefuse(details, err);
  if (!end) {
    return kExitRefused;
  }
  BreakpointList list;
  if (const auto refusal = cue::FillList(*sheet, details.Figures, *end, list)) {
    PrintLine(err, *refusal);
    return kExitRefused;
  }
  return WritePieces(options, details.Figures.FrameBytes, list, out, err);
}

// The file's silences, or nothing with the reason on err and the exit code
// in `code` (none found is a refusal).
std::optional<std::vector<silence::Silence>> SilencesToSplitAt(const SplitOptions& options,
                                                               std::ostream& err, int& code) {
  auto silences = ScanSilences(options.File, options.Silences, err, code);
  if (silences && silences->empty()) {
    err << "Nothing to split: no silences found\n";
    code = kExitRefused;
    return std::nullopt;
  }
  return silences;
}

int SplitAtSilences(const SplitOptions& options, const StreamDetails& details, std::ostream& out,
                    std::ostream& err) {
  int code = kExitSuccess;
  const auto silences = SilencesToSplitAt(options, err, code);
  if (!silences) {
    return code;
  }
  const auto end = EndFrameOrRefuse(details, err);
  if (!end) {
    return kExitRefused;
  }
  BreakpointList list;
  for (const silence::Silence& silence : *silences) {
    list.AddCurrentFrame(std::to_string(FrameOfSilence(silence, details.Figures)));
  }
  list.AddCurrentFrame(std::to_string(*end));
  return WritePieces(options, details.Figures.FrameBytes, list, out, err);
}

// Exact pieces: the frame walk decides what can be cut, not the analysis,
// whose figures only give frame numbers their times where it took the file.
int SplitExactly(const SplitOptions& options, const StreamReport& report, std::ostream& out,
                 std::ostream& err) {
  ExitCode indexCode = kExitSuccess;
  const auto layout = IndexOrRefuse(options.File, report, err, indexCode);
  if (!layout) {
    return indexCode;
  }
  if (options.CueSheet) {
    int code = kExitSuccess;
    const auto sheet = SheetFor(options, err, code);
    if (!sheet) {
      return code;
    }
    return RunExactSplit(options, *layout, {cue::RequestsOfSheet(*sheet), {}}, out, err,
                         cue::NamesOfSheet(*sheet));
  }
  if (options.AtSilences) {
    int code = kExitSuccess;
    const auto silences = SilencesToSplitAt(options, err, code);
    if (!silences) {
      return code;
    }
    return RunExactSplit(options, *layout, SilenceRequests(*silences), out, err);
  }
  const StreamFigures* figures = report.Valid ? &report.Details->Figures : nullptr;
  return RunExactSplit(options, *layout,
                       ExactRequestsOf(options.Breakpoints, options.ToEnd, figures, *layout), out,
                       err);
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

WritePolicy PolicyOf(const SplitOptions& options) {
  WritePolicy policy;
  if (options.CueSheet) {
    policy.Protect(*options.CueSheet, "the cue sheet");
  }
  return policy;
}

std::optional<std::int32_t> EndFrameOrRefuse(const StreamDetails& details, std::ostream& err) {
  const std::int64_t end = EndFrame(details.FileLength, details.Figures.FrameBytes);
  if (end > std::numeric_limits<std::int32_t>::max()) {
    err << "--to-end: the end of this file lies at frame " << end
        << ", past the largest frame number, " << std::numeric_limits<std::int32_t>::max()
        << "; give the last breakpoint as a frame number or a time instead\n";
    return std::nullopt;
  }
  return static_cast<std::int32_t>(end);
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

std::optional<BreakpointList> ListOfArguments(const std::vector<std::string>& texts, bool toEnd,
                                              const StreamDetails& details, std::ostream& err) {
  BreakpointList list;
  if (const auto refusal = AddBreakpoints(texts, details.Figures, list)) {
    PrintLine(err, *refusal);
    return std::nullopt;
  }
  if (toEnd) {
    const auto end = EndFrameOrRefuse(details, err);
    if (!end) {
      return std::nullopt;
    }
    list.AddCurrentFrame(std::to_string(*end));
  }
  return list;
}

int RunSplit(const SplitOptions& options, std::ostream& out, std::ostream& err) {
  const StreamReport report = AnalyseSource(options.File);
  if (options.Exact) {
    return SplitExactly(options, report, out, err);
  }
  if (const ExitCode code = AnalysisExitCode(report); code != kExitSuccess) {
    PrintLine(err, AnalysisMessage(report));
    return code;
  }
  const StreamDetails& details = *report.Details;
  if (options.CueSheet) {
    return SplitAtSheet(options, details, out, err);
  }
  if (options.AtSilences) {
    return SplitAtSilences(options, details, out, err);
  }
  const auto list = ListOfArguments(options.Breakpoints, options.ToEnd, details, err);
  if (!list) {
    return kExitRefused;
  }
  if (list->Count() < 2) {
    PrintLine(err, "Nothing to split: give at least one breakpoint after frame 0, or --to-end");
    return kExitRefused;
  }
  return WritePieces(options, details.Figures.FrameBytes, *list, out, err);
}

}  // namespace brelvik
