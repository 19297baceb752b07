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

  friend bool operator==(const CueTrack&, const CueTrack&) = default;
};

struct CueSheet {
  // The FILE line's name, as written; a sheet being written gives the MP3's
  // path here.
  std::string File;
  std::string Title;  // the album's, from the sheet's header
  std::string Performer;
  std::vector<CueTrack> Tracks;  // ascending by start, each with an INDEX 01
  // Where the first piece starts, when it is not the start of the file (a
  // "REM START mm:ss:ff" line, as this program writes for a list whose first
  // entry is not frame 0); never after the first track starts.
  std::optional<double> StartMs;
  // Where the last track ends, when it does not run to the end of the file
  // (a "REM END mm:ss:ff" line, as this program writes for a list that
  // stops short of the end).
  std::optional<double> EndMs;

  friend bool operator==(const CueSheet&, const CueSheet&) = default;
};

struct CueOutcome {
  std::optional<CueSheet> Sheet;
  std::string Refusal;      // why the text is no usable cue sheet
  bool Unreadable = false;  // the sheet's file could not be read at all
};

// Reads cue sheet text: FILE, TRACK nn AUDIO, TITLE, PERFORMER, INDEX 01
// mm:ss:ff, REM lines, quoted and unquoted names, any line ends (LF, CRLF or
// CR); UTF-8 (strictly), UTF-16 with a byte order mark, or else Windows-1252.
// `name` names the sheet in messages. A line libcue would not read as written
// (naming the line), an audio track without INDEX 01 or an INDEX whose time
// is no mm:ss:ff is refused: nothing is dropped silently. Nothing is printed.
CueOutcome ParseCueSheet(std::string_view text, const std::string& name);

// Reads a cue sheet file (a regular file of at most a mebibyte).
CueOutcome ReadCueSheet(const std::string& path);

// The MP3 a sheet stands for: its FILE taken relative to the sheet's folder
// when that names a file, else its FILE's name in the sheet's folder; either
// also as Windows-1252 or Latin-1 when only that names a file (a sheet is
// UTF-8, the name on the disk may not be).
std::string AudioPathOf(const std::string& sheetPath, const CueSheet& sheet);

// Why the sheet at sheetPath is not for the MP3 at audioPath; empty when it is.
std::string RefusalForAudio(const std::string& sheetPath, const CueSheet& sheet,
                            const std::string& audioPath);

// The sheet as text, all UTF-8 (names that are no UTF-8 taken as
// Windows-1252):
// FILE "name" MP3, then per track TRACK nn AUDIO, its TITLE and PERFORMER when
// known and INDEX 01 at its start, the nearest CD frame; REM START and REM END
// when the sheet has them. FILE names sheet.File as seen from sheetPath's
// folder: by its name when it lies there (or no sheetPath is given), else by
// its path relative to that folder, with "/". Titles and performers are
// cleaned to read back ('"' becomes "'", "\" becomes "/"); a FILE name that
// cannot read back (it holds '"', "\" or a control character) raises
// ERefusedSplit.
std::string CueSheetText(const CueSheet& sheet, const std::string& sheetPath = {});

// Writes the sheet's text to path as pieces are written (PieceWriter):
// nothing half-written is left under the name, and only a missing name or a
// regular file other than the MP3 (sheet.File) is written. Raises
// ERefusedSplit, before anything is written, for a FILE name that cannot be
// written or a name the WritePolicy refuses, and EStreamError.
void WriteCueSheet(const std::string& path, const CueSheet& sheet);

// Where an audio file's sheet goes by default: its path with ".cue" in place
// of its extension.
std::string SheetPathFor(const std::string& audioPath);

// Milliseconds as "mm:ss:ff" (minutes may pass 99), to the nearest CD frame.
std::string CueTime(double ms);
// The CD frame count's time in milliseconds.
double CueFramesMs(long frames);

}  // namespace brelvik::cue
