// How brelvik-split prints a line of a message or a report. Names and texts
// in them come from files and file names, so their control characters are
// quoted (cue::TerminalText: ESC as \x1b): none reaches the terminal as a
// command. JSON output escapes them itself.
#pragma once

#include <ostream>
#include <string_view>

#include "cue/TextEncoding.h"

namespace brelvik {

inline void PrintLine(std::ostream& stream, std::string_view text) {
  stream << cue::TerminalText(text) << '\n';
}

}  // namespace brelvik
