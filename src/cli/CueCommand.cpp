#include "cli/CueCommand.h"

#include <ostream>

#include "cli/ExitCodes.h"
#include "cli/ExitTable.h"
#include "cli/PrintLine.h"
#include "cli/SplitCommand.h"
#include "io/StreamError.h"
#include "session/SessionCue.h"

namespace brelvik {

int RunCue(const CueOptions& options, std::ostream& out, std::ostream& err) {
  auto session = OpenSource(options.File);
  if (!session) {
    return Refuse(err, session.Refused());
  }
  if (const auto refusal = AddArguments(*session, options.Breakpoints, options.ToEnd)) {
    return Refuse(err, *refusal);
  }
  const auto end = session->EndFrameOrRefusal();
  if (!end) {
    return Refuse(err, end.Refused());
  }
  if (const auto refusal = CueSheetRefusal(*session)) {
    return Refuse(err, *refusal);
  }
  const std::string sheetPath = options.Sheet.value_or(cue::SheetPathFor(options.File));
  try {
    if (const auto refusal = WriteCueSheet(*session, sheetPath, *end)) {
      return Refuse(err, *refusal);
    }
  } catch (const EStreamError& error) {
    PrintLine(err, error.Detailed());
    return kExitWriteFailed;
  }
  PrintLine(out, sheetPath + ": " + std::to_string(session->Breakpoints().Count() - 1) + " tracks");
  return kExitSuccess;
}

}  // namespace brelvik
