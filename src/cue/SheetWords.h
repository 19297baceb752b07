// How libcue's scanner reads a line of a sheet: its words, the texts in
// quotation marks among them, and times mm:ss:ff.
#pragma once

#include <climits>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace brelvik::cue {

inline constexpr std::string_view kBlanks = " \t";
// libcue counts CD frames in an int.
inline constexpr std::int64_t kMostCdFrames = INT_MAX;

// The line's first run of characters between blanks.
std::string_view FirstWord(std::string_view line);

// libcue keeps a text of up to this many bytes; it cuts a longer quoted one
// short and reads past the end of a longer unquoted one.
inline constexpr std::size_t kLongestText = 1022;

struct Word {
  std::string_view Text;  // a quoted text without its quotation marks
  bool Quoted = false;
};

struct Words {
  std::vector<Word> List;
  std::string Refusal;  // why the line has no words libcue reads as written
};

// The line's words: runs between blanks, or texts in quotation marks where
// libcue takes them for one (where the text is at least as long as the run).
// A quotation mark that opens a word is closed on the line, and no word is
// longer than kLongestText, or the line is refused.
Words WordsOf(std::string_view line);

// The CD frames of a time written mm:ss:ff (digits only, seconds under 60,
// frames under 75), or nothing. Minutes too many to count come out above
// kMostCdFrames.
std::optional<std::int64_t> FramesOfTimeText(std::string_view text);

// Why a time written in a sheet would not be read as written, naming what
// it is for ("track 3's INDEX 01"): libcue takes "00:08" for a syntax error
// it recovers from, reads "00:04:99" as 00:05:24 and lets "4772186:00:00"
// wrap around its int. Nothing when it reads as written.
std::optional<std::string> TimeRefusal(const std::string& what, std::string_view time);

// The time of a "REM START mm:ss:ff" or "REM END mm:ss:ff" line (as `remark`
// says, "REM START "), or nothing.
std::optional<double> RemarkTime(std::string_view line, std::string_view remark);

// A word as a message shows it: at most 40 bytes, cut between characters.
std::string ShownWord(std::string_view word);

}  // namespace brelvik::cue
