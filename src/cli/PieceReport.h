// How brelvik-split reports a split as it runs, the same for both kinds of
// pieces: a progress bar on a terminal, one line per piece written (its name
// and size), and a refusal's or a write failure's message.
#pragma once

#include <functional>
#include <iosfwd>
#include <string>

#include "cli/ExitCodes.h"
#include "split/SplitEngine.h"

namespace brelvik {

// Runs split, which writes `pieces` pieces named from the template and calls
// its progress after each; returns kExitSuccess, kExitRefused when it refuses
// (ERefusedSplit) or when several pieces would share one name, or
// kExitWriteFailed when it raises EStreamError, whose path and reason follow
// its text.
ExitCode ReportPieces(const std::string& splitTemplate, int pieces, bool progressBar,
                      std::ostream& out, std::ostream& err,
                      const std::function<void(const SplitProgress&)>& split);

}  // namespace brelvik
