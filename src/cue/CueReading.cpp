// Reading a sheet: its bytes as text, the lines checked for what libcue
// cannot say, then libcue's reading taken into tracks.
#include <libcue.h>

#include <cstdint>
#include <memory>
#include <mutex>
#include <span>

#include "cue/CuePaths.h"
#include "cue/CueSheet.h"
#include "cue/SheetLines.h"
#include "cue/TextEncoding.h"
#include "io/InputFile.h"
#include "io/StreamError.h"
#include "split/OutputNaming.h"

namespace brelvik::cue {
namespace {

constexpr std::size_t kLargestSheet = 1 << 20;

struct CdDeleter {
  void operator()(Cd* cd) const { cd_delete(cd); }
};

// libcue's parser keeps its state in globals.
std::mutex libcueParser;

std::string TextOf(const char* text) {
  return text != nullptr ? std::string(text) : std::string();
}

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
  if (FileNamePart(SlashedPath(sheet.File)).empty()) {
    return Refuse(name, "names no FILE for its tracks");
  }
  return {sheet, {}};
}

// The sheet's REM START and REM END, each refused where it would cut a track.
CueOutcome WithRemarks(CueSheet sheet, const CheckedSheet& checked, const std::string& name) {
  sheet.StartMs = checked.StartMs;
  sheet.EndMs = checked.EndMs;
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

CueOutcome ParseCueSheet(std::string_view text, const std::string& name) {
  const SheetText utf8 = SheetTextOf(text);
  if (!utf8.Text) {
    return Refuse(name, utf8.Refusal);
  }
  const SheetCheck check = CheckSheetLines(*utf8.Text);
  if (!check.Sheet) {
    return Refuse(name, check.Refusal);
  }
  std::unique_ptr<Cd, CdDeleter> cd;
  {
    const std::lock_guard lock(libcueParser);
    cd.reset(cue_parse_string(check.Sheet->ForLibcue.c_str()));
  }
  if (!cd) {
    return Refuse(name, "cannot be read");
  }
  if (const int read = cd_get_ntrack(cd.get()); read != check.Sheet->Tracks) {
    return Refuse(name, "has " + std::to_string(check.Sheet->Tracks) + " TRACK lines, of which " +
                            std::to_string(read) + " can be read");
  }
  CueOutcome outcome = SheetOf(*cd, name);
  if (!outcome.Sheet) {
    return outcome;
  }
  return WithRemarks(std::move(*outcome.Sheet), *check.Sheet, name);
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

}  // namespace brelvik::cue
