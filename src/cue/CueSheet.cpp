#include "cue/CueSheet.h"

#include <libcue.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <sstream>

#include "io/InputFile.h"
#include "io/PieceWriter.h"
#include "split/OutputNaming.h"

namespace brelvik::cue {
namespace {

constexpr std::size_t kLargestSheet = 1 << 20;
constexpr std::string_view kStartRemark = "REM START ";
constexpr std::string_view kEndRemark = "REM END ";
// libcue counts CD frames in an int.
constexpr std::int64_t kMostCdFrames = INT_MAX;

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

// Text as a sheet holds it: UTF-8, taking text that is no UTF-8 for Latin-1.
std::string Utf8Of(std::string_view text) {
  return IsUtf8(text) ? std::string(text) : Latin1ToUtf8(text);
}

// UTF-8 with its byte order mark taken off, whatever the text came in.
std::string AsUtf8(std::string_view text) {
  if (text.starts_with("\xEF\xBB\xBF")) {
    text.remove_prefix(3);
  }
  return Utf8Of(text);
}

// The Latin-1 bytes of UTF-8 text whose code points are all below 256 and
// not all ASCII; nothing for any other text.
std::optional<std::string> Utf8ToLatin1(std::string_view text) {
  std::string latin1;
  bool changed = false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto lead = static_cast<unsigned char>(text[i]);
    if (lead < 0x80) {
      latin1.push_back(text[i]);
      continue;
    }
    if ((lead & 0xFE) != 0xC2 || i + 1 == text.size() ||
        (static_cast<unsigned char>(text[i + 1]) & 0xC0) != 0x80) {
      return std::nullopt;
    }
    latin1.push_back(static_cast<char>(((lead & 0x03) << 6) | (text[++i] & 0x3F)));
    changed = true;
  }
  return changed ? std::optional(latin1) : std::nullopt;
}

// LF for CRLF and for a lone CR: libcue takes no lone CR (as old Mac sheets
// end their lines) for a line end, and the line walks here take LF alone.
std::string WithLfLineEnds(std::string_view text) {
  std::string lf;
  lf.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\r') {
      lf.push_back(text[i]);
    } else if (i + 1 == text.size() || text[i + 1] != '\n') {
      lf.push_back('\n');
    }
  }
  return lf;
}

// The words of a line, between spaces and tabs.
std::vector<std::string_view> WordsOf(std::string_view line) {
  std::vector<std::string_view> words;
  std::size_t at = 0;
  while ((at = line.find_first_not_of(" \t", at)) != std::string_view::npos) {
    const std::size_t end = std::min(line.find_first_of(" \t", at), line.size());
    words.push_back(line.substr(at, end - at));
    at = end;
  }
  return words;
}

bool IsKeyword(std::string_view word, std::string_view keyword) {
  return std::equal(word.begin(), word.end(), keyword.begin(), keyword.end(), [](char a, char b) {
    return std::toupper(static_cast<unsigned char>(a)) == b;
  });
}

// Runs body on each line of LF-ended text.
template <typename Body>
void ForEachLine(std::string_view text, Body&& body) {
  while (!text.empty()) {
    const std::size_t end = std::min(text.find('\n'), text.size());
    body(text.substr(0, end));
    text.remove_prefix(std::min(end + 1, text.size()));
  }
}

// The CD frames of a time written mm:ss:ff (digits only, seconds under 60,
// frames under 75), or nothing. Minutes too many to count come out above
// kMostCdFrames.
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

// The time of the first remark "REM START mm:ss:ff" or "REM END mm:ss:ff"
// (as `remark` says) that gives one; libcue leaves remarks aside.
std::optional<double> RemarkTime(std::string_view text, std::string_view remark) {
  std::optional<double> time;
  ForEachLine(text, [&](std::string_view line) {
    line.remove_prefix(std::min(line.find_first_not_of(" \t"), line.size()));
    if (time || !line.starts_with(remark)) {
      return;
    }
    const auto words = WordsOf(line.substr(remark.size()));
    const auto frames = words.empty() ? std::nullopt : FramesOfTimeText(words.front());
    if (frames && *frames <= kMostCdFrames) {
      time = CueFramesMs(static_cast<long>(*frames));
    }
  });
  return time;
}

// The lines that start with TRACK, in any letter case: libcue keeps no more
// than kMostTracks of them and gives no sign of the rest.
int TrackLines(std::string_view text) {
  int count = 0;
  ForEachLine(text, [&count](std::string_view line) {
    const auto words = WordsOf(line);
    count += !words.empty() && IsKeyword(words.front(), "TRACK") ? 1 : 0;
  });
  return count;
}

// Why an INDEX line's time would not be read as written, naming its track
// (counted as libcue counts them), or nothing. libcue takes "00:08" for a
// syntax error it recovers from, reads "00:04:99" as 00:05:24 and lets
// "4772186:00:00" wrap around its int.
std::optional<std::string> IndexTimeRefusal(std::string_view text) {
  std::optional<std::string> refusal;
  int track = 0;
  ForEachLine(text, [&](std::string_view line) {
    const auto words = WordsOf(line);
    if (refusal || words.empty()) {
      return;
    }
    if (IsKeyword(words.front(), "TRACK")) {
      ++track;
    }
    if (track == 0 || !IsKeyword(words.front(), "INDEX")) {
      return;
    }
    const std::string index = "track " + std::to_string(track) + "'s INDEX" +
                              (words.size() > 1 ? " " + std::string(words[1]) : std::string());
    if (words.size() < 3) {
      refusal = "has " + index + " without a time";
      return;
    }
    const std::string time(words[2]);
    const auto frames = FramesOfTimeText(time);
    if (!frames) {
      refusal = "has " + index + " at " + time +
                ", which is no time mm:ss:ff (seconds under 60, frames under 75)";
    } else if (*frames > kMostCdFrames) {
      refusal = "has " + index + " at " + time + ", later than the " +
                CueTime(CueFramesMs(kMostCdFrames)) + " a cue sheet can give";
    }
  });
  return refusal;
}

// A FILE line's name with "/" between folders; sheets written on other
// systems may separate them with "\".
std::string SlashedPath(std::string name) {
  std::replace(name.begin(), name.end(), '\\', '/');
  return name;
}

// The file name part of a FILE line's name.
std::string FileNameOf(const std::string& name) {
  return FileNamePart(SlashedPath(name));
}

std::string PathIn(const std::string& folder, const std::string& name) {
  return folder.empty() ? name : folder + "/" + name;
}

// The file a FILE line's path names from the folder, taken as it is written
// or, when only that names a file, as Latin-1.
std::optional<std::string> ExistingFileIn(const std::string& folder, const std::string& written) {
  for (const auto& candidate : {std::optional(written), Utf8ToLatin1(written)}) {
    std::error_code ignored;
    if (candidate && std::filesystem::is_regular_file(PathIn(folder, *candidate), ignored)) {
      return PathIn(folder, *candidate);
    }
  }
  return std::nullopt;
}

// The path with its folders' "..", "." and links resolved, its file's name
// kept: "sheets/../live.mp3" as the window and messages show it.
std::string WithFolderResolved(const std::string& path) {
  namespace fs = std::filesystem;
  std::error_code error;
  const fs::path folder = fs::weakly_canonical(fs::path(path).parent_path(), error);
  return error ? path : (folder / fs::path(path).filename()).string();
}

// Why a FILE name would not read back as written, or nothing: inside
// quotation marks libcue keeps a backslash and the character after it as they
// are, reading takes a backslash for a folder separator, and a control
// character is no part of a name a sheet can hold.
std::optional<std::string> UnwritableBecause(std::string_view name) {
  for (const char c : name) {
    if (c == '"') {
      return "it holds a quotation mark";
    }
    if (c == '\\') {
      return "it holds a backslash";
    }
    if (static_cast<unsigned char>(c) < ' ' || c == '\x7F') {
      return "it holds a control character";
    }
  }
  return std::nullopt;
}

// How a sheet at sheetPath names the audio at audioPath: by its name when the
// sheet lies beside it, else by its path from the sheet's folder. The folders
// are compared with their links resolved, the file's own name is kept.
std::string FileTextFor(const std::string& sheetPath, const std::string& audioPath) {
  namespace fs = std::filesystem;
  const auto folderOf = [](const std::string& path) {
    const std::string folder = FolderOf(path);
    std::error_code ignored;
    return fs::weakly_canonical(fs::absolute(folder.empty() ? "." : folder, ignored), ignored);
  };
  const std::string name = FileNamePart(audioPath);
  const fs::path sheetFolder = folderOf(sheetPath);
  const fs::path audioFolder = folderOf(audioPath);
  if (sheetFolder == audioFolder) {
    return name;
  }
  const fs::path relative = audioFolder.lexically_relative(sheetFolder);
  return relative.empty() ? name : (relative / name).generic_string();
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
    if (track == nullptr || track_get_mode(track) != MODE_AUDIO) {
      continue;
    }
    const long start = track_get_index(track, 1);
    if (start < 0) {
      return Refuse(name, "has no INDEX 01 for track " + std::to_string(i));
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

// The sheet's REM START and REM END, each refused where it would cut a track.
CueOutcome WithRemarks(CueSheet sheet, std::string_view text, const std::string& name) {
  sheet.StartMs = RemarkTime(text, kStartRemark);
  sheet.EndMs = RemarkTime(text, kEndRemark);
  const double firstStart = sheet.Tracks.front().StartMs;
  if (sheet.StartMs && *sheet.StartMs > firstStart) {
    return Refuse(name, "starts at " + CueTime(*sheet.StartMs) +
                            ", after its first track starts (" + CueTime(firstStart) + ")");
  }
  const double lastStart = sheet.Tracks.back().StartMs;
  if (sheet.EndMs && *sheet.EndMs <= lastStart) {
    return Refuse(name, "ends at " + CueTime(*sheet.EndMs) + ", not after its last track starts (" +
                            CueTime(lastStart) + ")");
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
  const std::string utf8 = WithLfLineEnds(AsUtf8(text)) + "\n";
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
  if (const auto refusal = IndexTimeRefusal(utf8)) {
    return Refuse(name, *refusal);
  }
  CapturedStderr complaints;
  std::unique_ptr<Cd, CdDeleter> cd(cue_parse_string(utf8.c_str()));
  // libcue recovers from what it complains about by leaving things out.
  const std::string why = complaints.FirstLine();
  if (!cd || !why.empty()) {
    return Refuse(name, "cannot be read" + (why.empty() ? std::string() : " (" + why + ")"));
  }
  if (const int read = cd_get_ntrack(cd.get()); read != tracks) {
    return Refuse(name, "has " + std::to_string(tracks) + " TRACK lines, of which " +
                            std::to_string(read) + " can be read");
  }
  CueOutcome outcome = SheetOf(*cd, name);
  if (!outcome.Sheet) {
    return outcome;
  }
  return WithRemarks(std::move(*outcome.Sheet), utf8, name);
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
  const std::string path = SlashedPath(sheet.File);
  const std::string name = FileNamePart(path);
  if (path != name && !path.starts_with('/')) {
    if (const auto found = ExistingFileIn(folder, path)) {
      return WithFolderResolved(*found);
    }
  }
  return ExistingFileIn(folder, name).value_or(PathIn(folder, name));
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
  const std::string text = CueSheetText(sheet, path);
  WritePolicy policy("cue sheet");
  policy.Protect(sheet.File, "the MP3 file");
  PieceWriter writer(path, policy);
  writer.Write(std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
  writer.Commit();
}

std::string SheetPathFor(const std::string& audioPath) {
  return ExtractPureName(audioPath) + ".cue";
}

std::string CueSheetText(const CueSheet& sheet, const std::string& sheetPath) {
  const std::string file =
      sheetPath.empty() ? FileNamePart(sheet.File) : FileTextFor(sheetPath, sheet.File);
  if (const auto why = UnwritableBecause(file)) {
    throw ERefusedSplit("The file name " + file + " cannot be written in a cue sheet (" + *why +
                        ")");
  }
  // Inside quotation marks libcue keeps a backslash as it is and ends a name
  // at a quotation mark or a line end; titles keep to what reads back.
  const auto quoted = [](const std::string& text) {
    std::string clean;
    for (const char c : Utf8Of(text)) {
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
  if (sheet.StartMs) {
    out << kStartRemark << CueTime(*sheet.StartMs) << "\n";
  }
  if (sheet.EndMs) {
    out << kEndRemark << CueTime(*sheet.EndMs) << "\n";
  }
  out << "FILE \"" << Utf8Of(file) << "\" MP3\n";
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
