// Cue sheets and the session: a sheet opened with the MP3 it names, a sheet
// given for the session's MP3, and the list written as a sheet.
#pragma once

#include <functional>
#include <optional>
#include <string>

#include "cue/CueSheet.h"
#include "session/Session.h"

namespace brelvik {

// Opens the MP3 of a sheet: OpenMp3, or the window's own analysis.
using Mp3Opener = std::function<OrRefusal<Session>(const std::string& path)>;

// Reads the sheet and opens the MP3 it names with the sheet's list, all or
// nothing: a sheet that cannot be read (Unreadable) or used (CueSheet), one
// whose MP3 is not there, is no regular file or is another cue sheet, a track
// past the end of the MP3, or whatever open refuses, gives no session.
OrRefusal<Session> OpenCueSheet(const std::string& sheetPath, const Mp3Opener& open = OpenMp3);

// Reads the sheet given for the MP3 at audioPath (cue::RefusalForAudio):
// Unreadable or CueSheet when it cannot be used for it.
OrRefusal<cue::CueSheet> ReadSheetFor(const std::string& sheetPath, const std::string& audioPath);

// Why the list cannot be written as a sheet: too few entries (NothingToDo:
// "Nothing to write: ...") or more pieces than a sheet has tracks (CueSheet).
std::optional<Refusal> CueSheetRefusal(const Session& session);

// The list as a sheet for the session's MP3, keeping the names of the sheet
// it came from.
cue::CueSheet CueSheetOf(const Session& session, std::int32_t endFrame);

// Writes CueSheetOf to sheetPath, or gives the refusal of its name
// (NameRefused) before anything is written. Raises EStreamError when the
// writing fails.
std::optional<Refusal> WriteCueSheet(const Session& session, const std::string& sheetPath,
                                     std::int32_t endFrame);

}  // namespace brelvik
