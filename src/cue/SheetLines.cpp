#include "cue/SheetLines.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <charconv>
#include <cstdint>
#include <vector>

#include "cue/CueSheet.h"
#include "cue/SheetWords.h"

namespace brelvik::cue {
namespace {

constexpr std::string_view kStartRemark = "REM START ";
constexpr std::string_view kEndRemark = "REM END ";
// libcue counts a track's indexes up to 99.
constexpr int kMostIndex = 99;

// What a keyword takes, and where it may stand.
enum class Takes { Text, FileLine, TrackLine, IndexLine, Time, Flags };
enum class Place { Anywhere, BeforeTracks, InTrack };

struct Keyword {
  std::string_view Name;
  Takes Arguments;
  Place Where;
};

constexpr std::array kKeywords = {
    Keyword{"TITLE", Takes::Text, Place::Anywhere},
    Keyword{"PERFORMER", Takes::Text, Place::Anywhere},
    Keyword{"SONGWRITER", Takes::Text, Place::Anywhere},
    Keyword{"COMPOSER", Takes::Text, Place::Anywhere},
    Keyword{"ARRANGER", Takes::Text, Place::Anywhere},
    Keyword{"MESSAGE", Takes::Text, Place::Anywhere},
    Keyword{"DISC_ID", Takes::Text, Place::Anywhere},
    Keyword{"GENRE", Takes::Text, Place::Anywhere},
    Keyword{"TOC_INFO1", Takes::Text, Place::Anywhere},
    Keyword{"TOC_INFO2", Takes::Text, Place::Anywhere},
    Keyword{"UPC_EAN", Takes::Text, Place::Anywhere},
    Keyword{"SIZE_INFO", Takes::Text, Place::Anywhere},
    Keyword{"CATALOG", Takes::Text, Place::BeforeTracks},
    Keyword{"CDTEXTFILE", Takes::Text, Place::BeforeTracks},
    Keyword{"ISRC", Takes::Text, Place::InTrack},
    Keyword{"FILE", Takes::FileLine, Place::Anywhere},
    Keyword{"TRACK", Takes::TrackLine, Place::Anywhere},
    Keyword{"INDEX", Takes::IndexLine, Place::InTrack},
    Keyword{"PREGAP", Takes::Time, Place::InTrack},
    Keyword{"POSTGAP", Takes::Time, Place::InTrack},
    Keyword{"FLAGS", Takes::Flags, Place::InTrack},
};
constexpr std::array<std::string_view, 6> kFileTypes = {"BINARY", "MOTOROLA", "AIFF",
                                                        "WAVE",   "MP3",      "FLAC"};
constexpr std::array<std::string_view, 7> kTrackModes = {
    "AUDIO", "MODE1/2048", "MODE1/2352", "MODE2/2048", "MODE2/2332", "MODE2/2336", "MODE2/2352"};
constexpr std::array<std::string_view, 4> kFlags = {"DCP", "4CH", "PRE", "SCMS"};

template <std::size_t N>
bool IsOneOf(std::string_view word, const std::array<std::string_view, N>& words) {
  return std::find(words.begin(), words.end(), word) != words.end();
}

std::string Uppercase(std::string_view word) {
  std::string upper(word);
  for (char& c : upper) {
    c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  }
  return upper;
}

bool IsDigits(std::string_view word) {
  return !word.empty() && word.find_first_not_of("0123456789") == std::string_view::npos;
}

const Keyword* KeywordNamed(std::string_view word) {
  const auto* found = std::find_if(kKeywords.begin(), kKeywords.end(),
                                   [word](const Keyword& k) { return k.Name == word; });
  return found != kKeywords.end() ? found : nullptr;
}

std::string LineRefusal(int line, const std::string& why) {
  return "cannot be read (line " + std::to_string(line) + ": " + why + ")";
}

// The walk over the lines, with what a line needs from those before it.
class Checker {
 public:
  // Why the line cannot be handed over, or nothing.
  std::optional<std::string> Line(int number, std::string_view line) {
    number_ = number;
    const std::string_view first = FirstWord(line);
    if (first.empty()) {
      return std::nullopt;
    }
    const Keyword* keyword = KeywordNamed(first);
    if (keyword == nullptr) {
      const std::string upper = Uppercase(first);
      return Refuse("\"" + ShownWord(first) + "\" is no keyword of a cue sheet" +
                    (KeywordNamed(upper) != nullptr || upper == "REM"
                         ? " (keywords are written in capitals: " + upper + ")"
                         : std::string()));
    }
    const Words words = WordsOf(line);
    if (!words.Refusal.empty()) {
      return Refuse(words.Refusal);
    }
    if (keyword->Where == Place::InTrack && tracks_ == 0) {
      return Refuse(std::string(keyword->Name) + " stands before the first TRACK line");
    }
    if (keyword->Where == Place::BeforeTracks && tracks_ > 0) {
      return Refuse(std::string(keyword->Name) + " belongs before the first TRACK line");
    }
    const Args args(words.List.begin() + 1, words.List.end());
    if (keyword->Arguments != Takes::Text && keyword->Arguments != Takes::FileLine &&
        std::any_of(args.begin(), args.end(), [](const Word& word) { return word.Quoted; })) {
      return Refuse(std::string(keyword->Name) + " takes no text in quotation marks");
    }
    return Arguments(*keyword, args);
  }

  // Why the last track cannot be handed over, or nothing.
  std::optional<std::string> EndOfTrack() const {
    if (tracks_ > 0 && audio_ && !indexOne_) {
      return "has no INDEX 01 for track " + std::to_string(tracks_);
    }
    if (tracks_ > 0 && !indexed_) {
      return "has no INDEX for track " + std::to_string(tracks_);
    }
    return std::nullopt;
  }

 private:
  using Args = std::vector<Word>;

  std::optional<std::string> Refuse(const std::string& why) const {
    return LineRefusal(number_, why);
  }

  std::optional<std::string> Arguments(const Keyword& keyword, const Args& args) {
    switch (keyword.Arguments) {
      case Takes::Text:
        if (args.size() != 1) {
          return Refuse(std::string(keyword.Name) +
                        " takes one text, in quotation marks when it holds blanks");
        }
        return std::nullopt;
      case Takes::FileLine:
        return FileLine(args);
      case Takes::TrackLine:
        return TrackLine(args);
      case Takes::IndexLine:
        return IndexLine(args);
      case Takes::Time:
        return GapLine(keyword.Name, args);
      case Takes::Flags:
        if (!std::all_of(args.begin(), args.end(),
                         [](const Word& flag) { return IsOneOf(flag.Text, kFlags); })) {
          return Refuse("FLAGS takes DCP, 4CH, PRE and SCMS only");
        }
        return std::nullopt;
    }
    return std::nullopt;
  }

  std::optional<std::string> FileLine(const Args& args) {
    if (args.size() != 2 || args[1].Quoted || !IsOneOf(args[1].Text, kFileTypes)) {
      return Refuse(
          "FILE takes a name and its type, one of BINARY, MOTOROLA, AIFF, WAVE, MP3 "
          "and FLAC");
    }
    if (fileWaiting_) {
      return Refuse("a second FILE line before a TRACK or INDEX line");
    }
    fileWaiting_ = true;
    fileGiven_ = true;
    return std::nullopt;
  }

  std::optional<std::string> TrackLine(const Args& args) {
    if (args.size() != 2 || !IsDigits(args[0].Text) || !IsOneOf(args[1].Text, kTrackModes)) {
      return Refuse(
          "TRACK takes a number and a mode, one of AUDIO, MODE1/2048, MODE1/2352, "
          "MODE2/2048, MODE2/2332, MODE2/2336 and MODE2/2352");
    }
    if (!fileGiven_) {
      return Refuse("TRACK stands before any FILE line");
    }
    if (auto refusal = EndOfTrack()) {
      return refusal;
    }
    ++tracks_;
    audio_ = args[1].Text == "AUDIO";
    indexed_ = indexOne_ = fileWaiting_ = false;
    return std::nullopt;
  }

  std::optional<std::string> IndexLine(const Args& args) {
    const std::string index = "track " + std::to_string(tracks_) + "'s INDEX" +
                              (args.empty() ? std::string() : " " + std::string(args[0].Text));
    if (args.size() < 2) {
      return "has " + index + " without a time";
    }
    int number = 0;
    const std::string_view digits = args[0].Text;
    if (args.size() > 2 || !IsDigits(digits) ||
        std::from_chars(digits.data(), digits.data() + digits.size(), number).ec != std::errc() ||
        number > kMostIndex) {
      return Refuse("INDEX takes a number from 00 to 99 and a time mm:ss:ff");
    }
    if (auto refusal = TimeRefusal(index, args[1].Text)) {
      return refusal;
    }
    indexed_ = true;
    indexOne_ = indexOne_ || number == 1;
    fileWaiting_ = false;
    return std::nullopt;
  }

  std::optional<std::string> GapLine(std::string_view keyword, const Args& args) {
    if (args.size() != 1) {
      return Refuse(std::string(keyword) + " takes one time mm:ss:ff");
    }
    return TimeRefusal("track " + std::to_string(tracks_) + "'s " + std::string(keyword),
                       args[0].Text);
  }

  int number_ = 0;
  int tracks_ = 0;
  bool audio_ = false;
  bool indexed_ = false;
  bool indexOne_ = false;
  bool fileGiven_ = false;
  bool fileWaiting_ = false;  // a FILE line with no TRACK or INDEX line after it yet
};

// Runs body on each line of LF-ended text, counting from 1.
template <typename Body>
void ForEachLine(std::string_view text, Body&& body) {
  for (int number = 1; !text.empty(); ++number) {
    const std::size_t end = std::min(text.find('\n'), text.size());
    body(number, text.substr(0, end));
    text.remove_prefix(std::min(end + 1, text.size()));
  }
}

}  // namespace

SheetCheck CheckSheetLines(std::string_view text) {
  CheckedSheet sheet;
  // Counted in any letter case, so that a sheet written in small letters
  // hears why it cannot be read.
  ForEachLine(text, [&sheet](int, std::string_view line) {
    sheet.Tracks += Uppercase(FirstWord(line)) == "TRACK" ? 1 : 0;
  });
  if (sheet.Tracks == 0) {
    return {std::nullopt, "holds no audio track with an INDEX 01"};
  }
  if (sheet.Tracks > kMostTracks) {
    return {std::nullopt, "holds " + std::to_string(sheet.Tracks) + " tracks, more than the " +
                              std::to_string(kMostTracks) + " a cue sheet can hold"};
  }
  Checker checker;
  std::optional<std::string> refusal;
  ForEachLine(text, [&](int number, std::string_view line) {
    if (refusal) {
      return;
    }
    if (FirstWord(line) == "REM") {
      sheet.StartMs = sheet.StartMs ? sheet.StartMs : RemarkTime(line, kStartRemark);
      sheet.EndMs = sheet.EndMs ? sheet.EndMs : RemarkTime(line, kEndRemark);
      line = {};
    }
    refusal = checker.Line(number, line);
    sheet.ForLibcue.append(line).push_back('\n');
  });
  if (!refusal) {
    refusal = checker.EndOfTrack();
  }
  if (refusal) {
    return {std::nullopt, *refusal};
  }
  return {sheet, {}};
}

}  // namespace brelvik::cue
