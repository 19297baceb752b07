#include "cue/SheetWords.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <charconv>
#include <string>

#include "cue/CueSheet.h"
#include "cue/TextEncoding.h"

namespace brelvik::cue {
namespace {

struct QuotedText {
  std::optional<std::size_t> Close;  // the closing quotation mark
  bool RunsOn = false;               // the text could run on past the line's end
};

// Where a quoted text that opens at `open` closes, as libcue's scanner reads
// it: the last quotation mark on the line reached by characters and
// backslash pairs ("\"" is part of the text). A backslash just before that
// mark lets the text run on past the line's end, which libcue would take for
// one text with the lines after it.
QuotedText QuotedTextAt(std::string_view line, std::size_t open) {
  const std::string_view inside = line.substr(open + 1);
  std::vector<bool> reached(inside.size() + 1, false);
  reached[0] = true;
  QuotedText quoted;
  for (std::size_t j = 0; j < inside.size(); ++j) {
    if (reached[j] && inside[j] == '"') {
      quoted.Close = open + 1 + j;
    }
    reached[j + 1] =
        (reached[j] && inside[j] != '"') || (j > 0 && reached[j - 1] && inside[j - 1] == '\\');
  }
  quoted.RunsOn = reached[inside.size()];
  return quoted;
}

}  // namespace

Words WordsOf(std::string_view line) {
  Words words;
  std::size_t at = 0;
  while ((at = line.find_first_not_of(kBlanks, at)) != std::string_view::npos) {
    const std::size_t end = std::min(line.find_first_of(kBlanks, at), line.size());
    Word word{line.substr(at, end - at), false};
    if (line[at] == '"') {
      const QuotedText quoted = QuotedTextAt(line, at);
      if (!quoted.Close) {
        words.Refusal = "a quotation mark is not closed";
      } else if (quoted.RunsOn) {
        words.Refusal = "a backslash stands before a closing quotation mark";
      } else if (*quoted.Close + 1 < end) {
        words.Refusal = "a word goes on after its closing quotation mark";
      } else {
        word = {line.substr(at + 1, *quoted.Close - at - 1), true};
      }
    }
    if (words.Refusal.empty() && word.Text.size() > kLongestText) {
      words.Refusal = "a text of " + std::to_string(word.Text.size()) + " bytes, longer than the " +
                      std::to_string(kLongestText) + " a cue sheet's text can have";
    }
    if (!words.Refusal.empty()) {
      return words;
    }
    words.List.push_back(word);
    at = word.Quoted ? at + word.Text.size() + 2 : end;
  }
  return words;
}

std::string_view FirstWord(std::string_view line) {
  line.remove_prefix(std::min(line.find_first_not_of(kBlanks), line.size()));
  return line.substr(0, std::min(line.find_first_of(kBlanks), line.size()));
}

std::optional<std::int64_t> FramesOfTimeText(std::string_view text) {
  constexpr std::int64_t kTooManyMinutes = kMostCdFrames / (60 * kCueFramesPerSecond) + 1;
  std::array<std::int64_t, 3> parts{};
  for (std::size_t i = 0; i < parts.size(); ++i) {
    const std::size_t end = i + 1 < parts.size() ? text.find(':') : text.size();
    if (end == std::string_view::npos || end == 0 ||
        !std::all_of(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(end),
                     [](unsigned char c) { return std::isdigit(c) != 0; })) {
      return std::nullopt;
    }
    if (std::from_chars(text.data(), text.data() + end, parts[i]).ec != std::errc()) {
      parts[i] = kTooManyMinutes;  // out of range: too many for any part
    }
    text.remove_prefix(std::min(end + 1, text.size()));
  }
  const auto [minutes, seconds, frames] = parts;
  if (seconds >= 60 || frames >= kCueFramesPerSecond) {
    return std::nullopt;
  }
  return (std::min(minutes, kTooManyMinutes) * 60 + seconds) * kCueFramesPerSecond + frames;
}

std::string ShownWord(std::string_view word) {
  if (word.size() <= 40) {
    return std::string(word);
  }
  std::size_t end = 0;
  while (end < word.size()) {
    const auto next = Utf8CharAt(word, end);
    if (!next || end + next->Length > 40) {
      break;
    }
    end += next->Length;
  }
  return std::string(word.substr(0, end)) + "...";
}

std::optional<double> RemarkTime(std::string_view line, std::string_view remark) {
  line.remove_prefix(std::min(line.find_first_not_of(kBlanks), line.size()));
  if (!line.starts_with(remark)) {
    return std::nullopt;
  }
  const auto frames = FramesOfTimeText(FirstWord(line.substr(remark.size())));
  if (!frames || *frames > kMostCdFrames) {
    return std::nullopt;
  }
  return CueFramesMs(static_cast<long>(*frames));
}

std::optional<std::string> TimeRefusal(const std::string& what, std::string_view time) {
  const auto frames = FramesOfTimeText(time);
  if (!frames) {
    return "has " + what + " at " + std::string(time) +
           ", which is no time mm:ss:ff (seconds under 60, frames under 75)";
  }
  if (*frames > kMostCdFrames) {
    return "has " + what + " at " + std::string(time) + ", later than the " +
           CueTime(CueFramesMs(kMostCdFrames)) + " a cue sheet can give";
  }
  return std::nullopt;
}

}  // namespace brelvik::cue
