#include "cli/ExitTable.h"

#include <algorithm>
#include <array>
#include <initializer_list>
#include <ostream>

#include "cli/PrintLine.h"

namespace brelvik {
namespace {

struct ExitRow {
  ExitCode Code;
  const char* Meaning;
  std::initializer_list<RefusalKind> Kinds;
};

// kExitWriteFailed comes from a file failure (EStreamError), not a refusal.
constexpr std::array<ExitRow, 4> kExitRows{{
    {kExitSuccess, "success", {}},
    {kExitRefused,
     "no valid MPEG audio in the file, or a breakpoint, cue sheet or split refused",
     {RefusalKind::NoAudio, RefusalKind::Breakpoint, RefusalKind::NothingToDo,
      RefusalKind::CueSheet, RefusalKind::ExactCut, RefusalKind::NameRefused}},
    {kExitUnreadable,
     "the file (or its cue sheet) cannot be read or analysed",
     {RefusalKind::Unreadable}},
    {kExitWriteFailed, "a piece cannot be written", {}},
}};

}  // namespace

ExitCode ExitCodeOf(RefusalKind kind) {
  for (const ExitRow& row : kExitRows) {
    if (std::find(row.Kinds.begin(), row.Kinds.end(), kind) != row.Kinds.end()) {
      return row.Code;
    }
  }
  return kExitRefused;
}

ExitCode Refuse(std::ostream& err, const Refusal& refusal) {
  PrintLine(err, refusal.Detailed());
  return ExitCodeOf(refusal.Kind);
}

std::string ExitCodeHelp() {
  std::string help = "Exit codes:\n";
  for (const ExitRow& row : kExitRows) {
    help += "  " + std::to_string(static_cast<int>(row.Code)) + "  " + row.Meaning + "\n";
  }
  return help + "  other non-zero values: the command line is wrong";
}

}  // namespace brelvik
