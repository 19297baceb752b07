// Cue sheets: the track list that comes with an album or a concert rip, read
// with libcue, and the breakpoint list written as one. Times are on the
// playback position's time base, in milliseconds; a cue sheet counts in CD
// frames of 1/75 s.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace brelvik::cue {

inline constexpr int kCueFramesPerSecond = 75;
// Track numbers have two digits.
inline constexpr int kMostTracks = 99;

// Why a list of that many pieces cannot be a cue sheet.
std::string TooManyTracks(int tracks);

struct CueTrack {
  int Number = 0;
  double StartMs = 0;  // INDEX 01
  std::string Title;   // UTF-8, empty when the sheet gives none
  std::string Performer;
};

struct CueSheet {
  std::string File;   // the FILE line's name, as written
  std::string Title;  // the album's, from the sheet's header
  std::string Performer;
  std::vector<CueTrack> Tracks;  // ascending by start, each with an INDEX 01
  // Where the last track ends, when it does not run to the end of the file
  // (a "REM END mm:ss:ff" line, as this program writes for a list that
  // stops short of the end).
  std::optional<double> EndMs;
};

struct CueOutcome {
  std::optional<CueSheet> Sheet;
  std::string Refusal;      // why the text is no usable cue sheet
  bool Unreadable = false;  // the sheet's file could not be read at all
};

// Reads cue sheet text: FILE, TRACK nn AUDIO, TITLE, PERFORMER, INDEX 01
// mm:ss:ff, REM lines, quoted and unquoted names, any line ends, UTF-8 or
// Latin-1. `name` names the sheet in messages.
CueOutcome ParseCueSheet(std::string_view text, const std::string& name);

// Reads a cue sheet file (a regular file of at most a mebibyte).
CueOutcome ReadCueSheet(const std::string& path);

// The MP3 a sheet stands for: its FILE's name in the sheet's folder.
std::string AudioPathOf(const std::string& sheetPath, const CueSheet& sheet);

// Why the sheet at sheetPath is not for the MP3 at audioPath; empty when it is.
std::string RefusalForAudio(const std::string& sheetPath, const CueSheet& sheet,
                            const std::string& audioPath);

// The sheet as text: FILE "name" MP3, then per track TRACK nn AUDIO, its TITLE
// and PERFORMER when known and INDEX 01 at its start, the nearest CD frame.
std::string CueSheetText(const CueSheet& sheet);

// Writes the sheet's text to path as pieces are written: nothing half-written
// is left under the name, and only a missing name or a regular file is
// written. Raises EStreamError.
void WriteCueSheet(const std::string& path, const CueSheet& sheet);

// Where an audio file's sheet goes by default: its path with ".cue" in place
// of its extension.
std::string SheetPathFor(const std::string& audioPath);

// Milliseconds as "mm:ss:ff" (minutes may pass 99), to the nearest CD frame.
std::string CueTime(double ms);
// The CD frame count's time in milliseconds.
double CueFramesMs(long frames);

}  // namespace brelvik::cue
