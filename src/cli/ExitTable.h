// The exit codes of brelvik-split in one table: what each means, for the
// help's list, and which refusals give it.
#pragma once

#include <iosfwd>
#include <string>

#include "cli/ExitCodes.h"
#include "session/Refusal.h"

namespace brelvik {

// The code a refusal of that kind ends the program with.
ExitCode ExitCodeOf(RefusalKind kind);

// Prints the refusal's longer text on err and gives its exit code.
ExitCode Refuse(std::ostream& err, const Refusal& refusal);

// The help's list: "Exit codes:", a line per code with its meaning, and what
// other codes mean.
std::string ExitCodeHelp();

}  // namespace brelvik
