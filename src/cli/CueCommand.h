// `brelvik-split cue FILE BREAKPOINT... [-o SHEET] [--to-end]`: the
// breakpoints as a cue sheet for FILE, one track per piece, which
// `split --cue` and the window read back into the same list.
#pragma once

#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

namespace brelvik {

struct CueOptions {
  std::string File;
  std::vector<std::string> Breakpoints;
  std::optional<std::string> Sheet;  // FILE's name with ".cue" when absent
  bool ToEnd = false;
};

int RunCue(const CueOptions& options, std::ostream& out, std::ostream& err);

}  // namespace brelvik
