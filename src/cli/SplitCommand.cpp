#include "cli/SplitCommand.h"

#include <cmath>
#include <limits>
#include <ostream>

#include "cli/BreakpointText.h"
#include "cli/ExactSplitCommand.h"
#include "cli/ExitCodes.h"
#include "cli/ExitTable.h"
#include "cli/PieceReport.h"
#include "cli/PrintLine.h"
#include "cli/SilencesCommand.h"
#include "cli/StreamReport.h"
#include "cue/CueBreakpoints.h"
#include "session/SessionCue.h"
#include "session/SplitJobs.h"
#include "split/IntegerText.h"
#include "split/OutputNaming.h"
#include "split/SplitEngine.h"

namespace brelvik {
namespace {

int WritePieces(const SplitOptions& options, Session& session, std::ostream& out,
                std::ostream& err) {
  session.SetTemplate(TemplateOf(options));
  const auto job = DescribedJobOf(session);
  if (!job) {
    return Refuse(err, job.Refused());
  }
  return ReportPieces(job->Template, job->Pieces(), options.ProgressBar, out, err,
                      [&](const SplitProgress& progress) {
                        InputFile source(options.File);
                        job->Run(source, progress);
                      });
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

int SplitAtSheet(const SplitOptions& options, Session& session, std::ostream& out,
                 std::ostream& err) {
  const auto sheet = ReadSheetFor(*options.CueSheet, options.File);
  if (!sheet) {
    return Refuse(err, sheet.Refused());
  }
  const auto end = session.EndFrameOrRefusal();
  if (!end) {
    return Refuse(err, end.Refused());
  }
  if (const auto refusal = session.TakeSheet(*sheet, *options.CueSheet, *end)) {
    return Refuse(err, *refusal);
  }
  return WritePieces(options, session, out, err);
}

// The file's silences, or why not (none found is a refusal).
OrRefusal<std::vector<silence::Silence>> SilencesToSplitAt(const SplitOptions& options) {
  auto silences = ScanSilences(options.File, options.Silences);
  if (silences && silences->empty()) {
    return Refusal(RefusalKind::NothingToDo, "Nothing to split: no silences found");
  }
  return silences;
}

int SplitAtSilences(const SplitOptions& options, Session& session, std::ostream& out,
                    std::ostream& err) {
  const auto silences = SilencesToSplitAt(options);
  if (!silences) {
    return Refuse(err, silences.Refused());
  }
  AddSilences(session, *silences);
  if (const auto refusal = session.AddEndOfFile()) {
    return Refuse(err, *refusal);
  }
  return WritePieces(options, session, out, err);
}

// Exact pieces: the frame walk decides what can be cut, not the analysis,
// whose figures only give frame numbers their times where it took the file.
int SplitExactly(const SplitOptions& options, const StreamReport& report, std::ostream& out,
                 std::ostream& err) {
  const auto layout = IndexOrRefuse(options.File, report);
  if (!layout) {
    return Refuse(err, layout.Refused());
  }
  if (options.CueSheet) {
    const auto sheet = ReadSheetFor(*options.CueSheet, options.File);
    if (!sheet) {
      return Refuse(err, sheet.Refused());
    }
    return RunExactSplit(options, *layout, {cue::RequestsOfSheet(*sheet), {}}, out, err,
                         cue::NamesOfSheet(*sheet));
  }
  if (options.AtSilences) {
    const auto silences = SilencesToSplitAt(options);
    if (!silences) {
      return Refuse(err, silences.Refused());
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

OrRefusal<Session> OpenSource(const std::string& path) {
  auto session = OpenMp3(path);
  if (!session && session.Refused().Kind == RefusalKind::Unreadable) {
    return Refusal(RefusalKind::Unreadable, "brelvik-split: " + session.Refused().Text);
  }
  return session;
}

std::optional<Refusal> AddArguments(Session& session, const std::vector<std::string>& texts,
                                    bool toEnd) {
  for (const std::string& text : texts) {
    try {
      const BreakpointText breakpoint = ParseBreakpoint(text);
      std::optional<double> timeMs;
      if (breakpoint.Form == BreakpointText::Kind::Time) {
        timeMs = breakpoint.Milliseconds;
      }
      AddOutcome outcome =
          session.AddTypedFrame(FrameTextOf(breakpoint, session.Figures()), timeMs);
      if (!outcome.Refusal.empty()) {
        return Refusal(RefusalKind::Breakpoint, outcome.Refusal);
      }
    } catch (const EBreakpointSyntax& error) {
      return Refusal(RefusalKind::Breakpoint, error.what());
    } catch (const EConvertError& error) {
      return Refusal(RefusalKind::Breakpoint, error.what());
    }
  }
  return toEnd ? session.AddEndOfFile() : std::nullopt;
}

int RunSplit(const SplitOptions& options, std::ostream& out, std::ostream& err) {
  const StreamReport report = AnalyseSource(options.File);
  if (options.Exact) {
    return SplitExactly(options, report, out, err);
  }
  auto session = OpenSource(options.File);
  if (!session) {
    return Refuse(err, session.Refused());
  }
  if (options.CueSheet) {
    return SplitAtSheet(options, *session, out, err);
  }
  if (options.AtSilences) {
    return SplitAtSilences(options, *session, out, err);
  }
  if (const auto refusal = AddArguments(*session, options.Breakpoints, options.ToEnd)) {
    return Refuse(err, *refusal);
  }
  return WritePieces(options, *session, out, err);
}

}  // namespace brelvik
