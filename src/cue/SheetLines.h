// What libcue cannot say about a sheet, checked line by line before it sees
// the text. libcue reports what it cannot parse only on the process's stderr
// and recovers by leaving things out; its scanner keeps its state from one
// text to the next, so that a text it stops in spoils the next one. It is
// handed only text that it parses without a word: every line of a form it
// reads, each quotation closed on its line, every track with an INDEX, and
// no remarks (which are read here).
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace brelvik::cue {

struct CheckedSheet {
  std::string ForLibcue;          // the text with its remark lines emptied, ending in a line end
  int Tracks = 0;                 // its TRACK lines
  std::optional<double> StartMs;  // the first "REM START mm:ss:ff"
  std::optional<double> EndMs;    // the first "REM END mm:ss:ff"
};

struct SheetCheck {
  std::optional<CheckedSheet> Sheet;
  // Why the text is no sheet to hand over, after the sheet's name: "cannot
  // be read (line 3: ...)", "has no INDEX 01 for track 2".
  std::string Refusal;
};

// Checks UTF-8 text with LF line ends.
SheetCheck CheckSheetLines(std::string_view text);

}  // namespace brelvik::cue
