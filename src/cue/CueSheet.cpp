#include "cue/CueSheet.h"

#include <libcue.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>
#include <sstream>

#include "analysis/ReadOnlyFile.h"
#include "split/FileStreams.h"
#include "split/OutputNaming.h"

namespace brelvik::cue {
namespace {

constexpr std::size_t kLargestSheet = 1 << 20;
constexpr const char* kEndRemark = "REM END ";

struct CdDeleter {
  void operator()(Cd* cd) const { cd_delete(cd); }
};

bool IsUtf8(std::string_view text) {
  for (std::size_t i = 0; i < text.size();) {
    const auto lead = static_cast<unsigned char>(text[i]);
    const std::size_t follow = lead < 0x80             ? 0
                               : (lead & 0xE0) == 0xC0 ? 1
                               : (lead & 0xF0) == 0xE0 ? 2
                               : (lead & 0xF8) == 0xF0 ? 3
                                                       : 4;
    if (follow == 4 || (follow > 0 && i + follow >= text.size())) {
      return false;
    }
    for (std::size_t k = 1; k <= follow; ++k) {
      if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) {
        return false;
      }
    }
    i += follow + 1;
  }
  return true;
}

std::string Latin1ToUtf8(std::string_view text) {
  std::string utf8;
  utf8.reserve(text.size() * 2);
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x80) {
      utf8.push_back(c);
    } else {
      utf8.push_back(static_cast<char>(0xC0 | (byte >> 6)));
      utf8.push_back(static_cast<char>(0x80 | (byte & 0x3F)));
    }
  }
  return utf8;
}

// UTF-8 with its byte order mark taken off, whatever the text came in.
std::string AsUtf8(std::string_view text) {
  if (text.starts_with("\xEF\xBB\xBF")) {
    text.remove_prefix(3);
  }
  return IsUtf8(text) ? std::string(text) : Latin1ToUtf8(text);
}

std::string TextOf(const char* text) {
  return text != nullptr ? std::string(text) : std::string();
}

// libcue reports what it cannot parse on stderr; while one of these lives,
// those reports go to a temporary file instead, whose first line a refusal
// can quote.
class CapturedStderr {
 public:
  CapturedStderr() : file_(std::tmpfile()) {
    std::fflush(stderr);
    saved_ = ::dup(STDERR_FILENO);
    if (file_ != nullptr && saved_ >= 0) {
      ::dup2(::fileno(file_), STDERR_FILENO);
    }
  }
  ~CapturedStderr() {
    Restore();
    if (file_ != nullptr) {
      std::fclose(file_);
    }
  }
  CapturedStderr(const CapturedStderr&) = delete;
  CapturedStderr& operator=(const CapturedStderr&) = delete;

  std::string FirstLine() {
    Restore();
    if (file_ == nullptr) {
      return {};
    }
    std::rewind(file_);
    char line[200] = {};
    if (std::fgets(line, sizeof line, file_) == nullptr) {
      return {};
    }
    std::string text(line);
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) {
      text.pop_back();
    }
    // The parser's own state number before its message says nothing to a user.
    const auto digits = text.find_first_not_of("0123456789");
    if (digits != std::string::npos && digits > 0 && text.compare(digits, 2, ": ") == 0) {
      text.erase(0, digits + 2);
    }
    return text;
  }

 private:
  void Restore() {
    if (saved_ >= 0) {
      std::fflush(stderr);
      ::dup2(saved_, STDERR_FILENO);
      ::close(saved_);
      saved_ = -1;
    }
  }

  std::FILE* file_;
  int saved_ = -1;
};

// "REM END mm:ss:ff", which libcue leaves aside.
std::optional<double> EndRemark(std::string_view text) {
  std::istringstream lines{std::string(text)};
  for (std::string line; std::getline(lines, line);) {
    const auto start = line.find_first_not_of(" \t");
    if (start == std::string::npos || line.compare(start, 8, kEndRemark) != 0) {
      continue;
    }
    int minutes = 0;
    int seconds = 0;
    int frames = 0;
    if (std::sscanf(line.c_str() + start + 8, "%d:%d:%d", &minutes, &seconds, &frames) == 3 &&
        minutes >= 0 && seconds >= 0 && seconds < 60 && frames >= 0 &&
        frames < kCueFramesPerSecond) {
      return CueFramesMs((static_cast<long>(minutes) * 60 + seconds) * kCueFramesPerSecond +
                         frames);
    }
  }
  return std::nullopt;
}

// The lines that start with TRACK, in any letter case: libcue keeps no more
// than kMostTracks of them and gives no sign of the rest.
int TrackLines(const std::string& text) {
  int count = 0;
  std::istringstream lines(text);
  for (std::string line; std::getline(lines, line);) {
    const auto start = line.find_first_not_of(" \t");
    if (start != std::string::npos && line.size() - start >= 5) {
      std::string word = line.substr(start, 5);
      std::transform(word.begin(), word.end(), word.begin(),
                     [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
      count += word == "TRACK" ? 1 : 0;
    }
  }
  return count;
}

// The file name part of a FILE line's name; sheets written on other systems
// may separate folders with "\".
std::string FileNameOf(std::string name) {
  std::replace(name.begin(), name.end(), '\\', '/');
  return FileNamePart(name);
}

// libcue's scanner keeps its state from one text to the next: a text that
// ends inside a remark, a name or a quotation leaves the next one read from
// there. When one of these goes, the scanner is brought back to the start of
// a line: a small sheet is read until it reads as written, with a closing
// quotation and a line end given between the tries.
class ScannerSettler {
 public:
  ScannerSettler() = default;
  ~ScannerSettler() {
    CapturedStderr quiet;
    for (int attempt = 0; attempt < 4 && !ReadsAsWritten(); ++attempt) {
      std::unique_ptr<Cd, CdDeleter> flushed(cue_parse_string("\"\n"));
    }
  }
  ScannerSettler(const ScannerSettler&) = delete;
  ScannerSettler& operator=(const ScannerSettler&) = delete;

 private:
  static bool ReadsAsWritten() {
    const std::unique_ptr<Cd, CdDeleter> cd(
        cue_parse_string("FILE \"settled\" MP3\nTRACK 01 AUDIO\nINDEX 01 00:00:01\n"));
    if (!cd || cd_get_ntrack(cd.get()) != 1) {
      return false;
    }
    const Track* track = cd_get_track(cd.get(), 1);
    return TextOf(track_get_filename(track)) == "settled" && track_get_index(track, 1) == 1;
  }
};

CueOutcome Refuse(const std::string& name, const std::string& why) {
  return {std::nullopt, "The cue sheet " + name + " " + why};
}

CueOutcome SheetOf(const Cd& cd, const std::string& name) {
  CueSheet sheet;
  sheet.Title = TextOf(cdtext_get(PTI_TITLE, cd_get_cdtext(&cd)));
  sheet.Performer = TextOf(cdtext_get(PTI_PERFORMER, cd_get_cdtext(&cd)));
  for (int i = 1; i <= cd_get_ntrack(&cd); ++i) {
    const Track* track = cd_get_track(&cd, i);
    const long start = track != nullptr ? track_get_index(track, 1) : -1;
    if (start < 0 || track_get_mode(track) != MODE_AUDIO) {
      continue;
    }
    const std::string file = TextOf(track_get_filename(track));
    if (sheet.Tracks.empty()) {
      sheet.File = file;
    } else if (file != sheet.File) {
      return Refuse(name, "names tracks in more than one file (" + sheet.File + ", " + file +
                              "); only a sheet for one file can be used");
    }
    CueTrack entry;
    entry.Number = i;
    entry.StartMs = CueFramesMs(start);
    entry.Title = TextOf(cdtext_get(PTI_TITLE, track_get_cdtext(track)));
    entry.Performer = TextOf(cdtext_get(PTI_PERFORMER, track_get_cdtext(track)));
    if (!sheet.Tracks.empty() && entry.StartMs <= sheet.Tracks.back().StartMs) {
      return Refuse(name, "has track " + std::to_string(i) + " starting at " +
                              CueTime(entry.StartMs) + ", not after the track before it");
    }
    sheet.Tracks.push_back(entry);
  }
  if (sheet.Tracks.empty()) {
    return Refuse(name, "holds no audio track with an INDEX 01");
  }
  if (FileNameOf(sheet.File).empty()) {
    return Refuse(name, "names no FILE for its tracks");
  }
  return {sheet, {}};
}

}  // namespace

std::string TooManyTracks(int tracks) {
  return "A cue sheet holds at most " + std::to_string(kMostTracks) + " tracks; this list makes " +
         std::to_string(tracks) + " pieces";
}

double CueFramesMs(long frames) {
  return static_cast<double>(frames) * 1000.0 / kCueFramesPerSecond;
}

std::string CueTime(double ms) {
  const long frames = std::lround(std::max(0.0, ms) * kCueFramesPerSecond / 1000.0);
  char text[32];
  std::snprintf(text, sizeof text, "%02ld:%02ld:%02ld", frames / (60 * kCueFramesPerSecond),
                frames / kCueFramesPerSecond % 60, frames % kCueFramesPerSecond);
  return text;
}

CueOutcome ParseCueSheet(std::string_view text, const std::string& name) {
  const ScannerSettler settle;
  const std::string utf8 = AsUtf8(text) + "\n";
  if (utf8.find('\0') != std::string::npos) {
    return Refuse(name, "is not a cue sheet (it holds binary data)");
  }
  // libcue calls a sheet without tracks a syntax error; say what is missing.
  const int tracks = TrackLines(utf8);
  if (tracks == 0) {
    return Refuse(name, "holds no audio track with an INDEX 01");
  }
  if (tracks > kMostTracks) {
    return Refuse(name, "holds " + std::to_string(tracks) + " tracks, more than the " +
                            std::to_string(kMostTracks) + " a cue sheet can hold");
  }
  CapturedStderr complaints;
  std::unique_ptr<Cd, CdDeleter> cd(cue_parse_string(utf8.c_str()));
  if (!cd) {
    const std::string why = complaints.FirstLine();
    return Refuse(name, "cannot be read" + (why.empty() ? std::string() : " (" + why + ")"));
  }
  CueOutcome outcome = SheetOf(*cd, name);
  if (outcome.Sheet) {
    outcome.Sheet->EndMs = EndRemark(utf8);
    const double lastStart = outcome.Sheet->Tracks.back().StartMs;
    if (outcome.Sheet->EndMs && *outcome.Sheet->EndMs <= lastStart) {
      return Refuse(name, "ends at " + CueTime(*outcome.Sheet->EndMs) +
                              ", not after its last track starts (" + CueTime(lastStart) + ")");
    }
  }
  return outcome;
}

CueOutcome ReadCueSheet(const std::string& path) {
  std::string text;
  try {
    InputFile file(path);
    if (file.Size() > static_cast<std::int64_t>(kLargestSheet)) {
      return Refuse(path, "is too large to be a cue sheet");
    }
    text.resize(static_cast<std::size_t>(file.Size()));
    text.resize(
        file.ReadSome(std::span(reinterpret_cast<std::uint8_t*>(text.data()), text.size())));
  } catch (const EStreamError& error) {
    return {std::nullopt, error.Detailed(), true};
  }
  return ParseCueSheet(text, path);
}

std::string AudioPathOf(const std::string& sheetPath, const CueSheet& sheet) {
  const std::string folder = FolderOf(sheetPath);
  return (folder.empty() ? std::string() : folder + "/") + FileNameOf(sheet.File);
}

std::string RefusalForAudio(const std::string& sheetPath, const CueSheet& sheet,
                            const std::string& audioPath) {
  const std::string named = AudioPathOf(sheetPath, sheet);
  if (IsSameFile(named, audioPath)) {
    return {};
  }
  return "The cue sheet " + sheetPath + " is for " + named + ", not for " + audioPath;
}

void WriteCueSheet(const std::string& path, const CueSheet& sheet) {
  const std::string text = CueSheetText(sheet);
  PieceWriter writer(path);
  writer.Write(std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
  writer.Commit();
}

std::string SheetPathFor(const std::string& audioPath) {
  return ExtractPureName(audioPath) + ".cue";
}

std::string CueSheetText(const CueSheet& sheet) {
  // Inside quotation marks libcue reads a backslash as an escape and ends a
  // name at a quotation mark or a line end; names keep to what reads back.
  const auto quoted = [](const std::string& text) {
    std::string clean;
    for (const char c : text) {
      clean.push_back(c == '"'                              ? '\''
                      : c == '\\'                           ? '/'
                      : static_cast<unsigned char>(c) < ' ' ? ' '
                                                            : c);
    }
    return "\"" + clean + "\"";
  };
  std::ostringstream out;
  if (!sheet.Performer.empty()) {
    out << "PERFORMER " << quoted(sheet.Performer) << "\n";
  }
  if (!sheet.Title.empty()) {
    out << "TITLE " << quoted(sheet.Title) << "\n";
  }
  if (sheet.EndMs) {
    out << kEndRemark << CueTime(*sheet.EndMs) << "\n";
  }
  out << "FILE " << quoted(FileNameOf(sheet.File)) << " MP3\n";
  int number = 0;
  for (const CueTrack& track : sheet.Tracks) {
    char header[32];
    std::snprintf(header, sizeof header, "  TRACK %02d AUDIO\n", ++number);
    out << header;
    if (!track.Title.empty()) {
      out << "    TITLE " << quoted(track.Title) << "\n";
    }
    if (!track.Performer.empty()) {
      out << "    PERFORMER " << quoted(track.Performer) << "\n";
    }
    out << "    INDEX 01 " << CueTime(track.StartMs) << "\n";
  }
  return out.str();
}

}  // namespace brelvik::cue
