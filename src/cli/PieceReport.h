// How brelvik-split reports a split as it runs, the same for both kinds of
// pieces: a warning for a template without "-%track%", a progress bar on a
// terminal, one line per piece written (its name and size), and a write
// failure's message.
#pragma once

#include <functional>
#include <iosfwd>
#include <string>

#include "cli/ExitCodes.h"
#include "split/SplitEngine.h"

namespace brelvik {

// Runs split, which writes `pieces` pieces named from the template and calls
// its progress after each; returns kExitSuccess, or kExitWriteFailed when it
// raises EStreamError.
ExitCode ReportPieces(const std::string& splitTemplate, int pieces, bool progressBar,
                      std::ostream& out, std::ostream& err,
                      const std::function<void(const SplitProgress&)>& split);

}  // namespace brelvik
