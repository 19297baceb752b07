#include "session/SessionCue.h"

#include <filesystem>

#include "cue/CueBreakpoints.h"
#include "io/InputFile.h"
#include "io/StreamError.h"

namespace brelvik {
namespace {

bool EndsWithCue(const std::string& path) {
  if (path.size() < 4) {
    return false;
  }
  std::string extension = path.substr(path.size() - 4);
  for (char& c : extension) {
    c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  }
  return extension == ".cue";
}

OrRefusal<cue::CueSheet> ReadSheet(const std::string& sheetPath) {
  cue::CueOutcome outcome = cue::ReadCueSheet(sheetPath);
  if (!outcome.Sheet) {
    return Refusal{outcome.Unreadable ? RefusalKind::Unreadable : RefusalKind::CueSheet,
                   outcome.Refusal};
  }
  return std::move(*outcome.Sheet);
}

std::optional<Refusal> AudioRefusal(const std::string& sheetPath, const std::string& audioPath) {
  if (IsOtherThanRegularFile(audioPath)) {
    return Refusal{RefusalKind::CueSheet, "The cue sheet " + sheetPath + " is for " + audioPath +
                                              ", which is not a regular file"};
  }
  std::error_code error;
  if (!std::filesystem::exists(audioPath, error)) {
    return Refusal{RefusalKind::CueSheet,
                   "The cue sheet " + sheetPath + " is for " + audioPath + ", which is not there"};
  }
  if (EndsWithCue(audioPath)) {
    return Refusal{RefusalKind::CueSheet, "The cue sheet " + sheetPath +
                                              " names another cue sheet, " + audioPath +
                                              ", for its audio"};
  }
  return std::nullopt;
}

}  // namespace

OrRefusal<Session> OpenCueSheet(const std::string& sheetPath, const Mp3Opener& open) {
  const auto sheet = ReadSheet(sheetPath);
  if (!sheet) {
    return sheet.Refused();
  }
  const std::string audioPath = cue::AudioPathOf(sheetPath, *sheet);
  if (auto refusal = AudioRefusal(sheetPath, audioPath)) {
    return std::move(*refusal);
  }
  auto session = open(audioPath);
  if (!session) {
    return session;
  }
  if (auto refusal = session->TakeSheet(*sheet, sheetPath, session->EndFrameHeld())) {
    return std::move(*refusal);
  }
  return session;
}

OrRefusal<cue::CueSheet> ReadSheetFor(const std::string& sheetPath, const std::string& audioPath) {
  auto sheet = ReadSheet(sheetPath);
  if (!sheet) {
    return sheet;
  }
  if (std::string refusal = cue::RefusalForAudio(sheetPath, *sheet, audioPath); !refusal.empty()) {
    return Refusal{RefusalKind::CueSheet, std::move(refusal)};
  }
  return sheet;
}

std::optional<Refusal> CueSheetRefusal(const Session& session) {
  const int pieces = session.Breakpoints().Count() - 1;
  if (pieces < 1) {
    return Refusal{RefusalKind::NothingToDo,
                   "Nothing to write: give at least one breakpoint after frame 0, or --to-end"};
  }
  if (pieces > cue::kMostTracks) {
    return Refusal{RefusalKind::CueSheet, cue::TooManyTracks(pieces)};
  }
  return std::nullopt;
}

cue::CueSheet CueSheetOf(const Session& session, std::int32_t endFrame) {
  return cue::SheetOfList(session.Breakpoints(), session.Figures(), session.Source().Path, endFrame,
                          session.Sheet());
}

std::optional<Refusal> WriteCueSheet(const Session& session, const std::string& sheetPath,
                                     std::int32_t endFrame) {
  try {
    cue::WriteCueSheet(sheetPath, CueSheetOf(session, endFrame));
  } catch (const ERefusedSplit& refusal) {
    return Refusal{RefusalKind::NameRefused, refusal.what(), refusal.Detailed()};
  }
  return std::nullopt;
}

}  // namespace brelvik
