#include "cli/CueCommand.h"

#include <ostream>

#include "cli/ExitCodes.h"
#include "cli/PrintLine.h"
#include "cli/SplitCommand.h"
#include "cli/StreamReport.h"
#include "cue/CueBreakpoints.h"
#include "io/StreamError.h"

namespace brelvik {

int RunCue(const CueOptions& options, std::ostream& out, std::ostream& err) {
  const StreamReport report = AnalyseSource(options.File);
  if (const ExitCode code = AnalysisExitCode(report); code != kExitSuccess) {
    PrintLine(err, AnalysisMessage(report));
    return code;
  }
  const StreamDetails& details = *report.Details;
  const auto list = ListOfArguments(options.Breakpoints, options.ToEnd, details, err);
  if (!list) {
    return kExitRefused;
  }
  const auto end = EndFrameOrRefuse(details, err);
  if (!end) {
    return kExitRefused;
  }
  if (list->Count() < 2) {
    PrintLine(err, "Nothing to write: give at least one breakpoint after frame 0, or --to-end");
    return kExitRefused;
  }
  if (list->Count() - 1 > cue::kMostTracks) {
    PrintLine(err, cue::TooManyTracks(list->Count() - 1));
    return kExitRefused;
  }
  const std::string sheetPath = options.Sheet.value_or(cue::SheetPathFor(options.File));
  const cue::CueSheet sheet =
      cue::SheetOfList(*list, details.Figures, options.File, *end, std::nullopt);
  try {
    cue::WriteCueSheet(sheetPath, sheet);
  } catch (const ERefusedSplit& refusal) {
    PrintLine(err, refusal.Detailed());
    return kExitRefused;
  } catch (const EStreamError& error) {
    PrintLine(err, error.Detailed());
    return kExitWriteFailed;
  }
  PrintLine(out, sheetPath + ": " + std::to_string(sheet.Tracks.size()) + " tracks");
  return kExitSuccess;
}

}  // namespace brelvik
