// Cue sheets as anyone may write them, in any encoding: whatever the text,
// reading it gives a usable sheet or a refusal and prints nothing (libcue
// says what it cannot parse on stderr, so it must only ever be handed text
// it reads without a word), the next sheet reads as written (libcue's
// scanner keeps its state between texts), every text read is UTF-8, and a
// usable sheet fills the list, writes back and reads again into the same
// tracks.
#include <sanitizer/common_interface_defs.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <string_view>

#include "FuzzChecks.h"
#include "cue/CueBreakpoints.h"
#include "cue/CueSheet.h"
#include "cue/TextEncoding.h"
#include "io/StreamError.h"

namespace {

using namespace brelvik;

// What is written on fd 2 while one of these lives; the sanitizers report on
// a descriptor of their own (set at start), so that a finding is still seen.
class Stderr {
 public:
  Stderr() {
    std::fflush(stderr);
    brelvik::fuzz::Check(::ftruncate(::fileno(File()), 0) == 0);
    std::rewind(File());
    saved_ = ::dup(STDERR_FILENO);
    ::dup2(::fileno(File()), STDERR_FILENO);
  }
  ~Stderr() { Restore(); }
  Stderr(const Stderr&) = delete;
  Stderr& operator=(const Stderr&) = delete;

  off_t Written() {
    Restore();
    return ::lseek(::fileno(File()), 0, SEEK_END);
  }

  static std::FILE* File() {
    static std::FILE* file = std::tmpfile();
    return file;
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
  int saved_ = -1;
};

bool AllUtf8(const cue::CueSheet& sheet) {
  return cue::IsUtf8(sheet.File) && cue::IsUtf8(sheet.Title) && cue::IsUtf8(sheet.Performer) &&
         std::all_of(sheet.Tracks.begin(), sheet.Tracks.end(), [](const cue::CueTrack& track) {
           return cue::IsUtf8(track.Title) && cue::IsUtf8(track.Performer);
         });
}

void CheckTheNextSheetReadsAsWritten() {
  const cue::CueOutcome next =
      cue::ParseCueSheet("FILE \"settled.mp3\" MP3\nTRACK 01 AUDIO\nINDEX 01 00:00:01\n", "n");
  fuzz::Check(next.Sheet && next.Sheet->File == "settled.mp3" && next.Sheet->Tracks.size() == 1 &&
              next.Sheet->Tracks[0].StartMs == cue::CueFramesMs(1));
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  __sanitizer_set_report_fd(reinterpret_cast<void*>(static_cast<std::intptr_t>(::dup(2))));
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  cue::CueOutcome outcome;
  {
    Stderr quiet;
    outcome = cue::ParseCueSheet(text, "fuzz.cue");
    fuzz::Check(quiet.Written() == 0);
  }
  CheckTheNextSheetReadsAsWritten();
  fuzz::Check(outcome.Sheet.has_value() == outcome.Refusal.empty());
  if (!outcome.Sheet) {
    return 0;
  }
  const cue::CueSheet& sheet = *outcome.Sheet;
  fuzz::Check(!sheet.Tracks.empty() && !sheet.File.empty() && AllUtf8(sheet));
  for (std::size_t i = 1; i < sheet.Tracks.size(); ++i) {
    fuzz::Check(sheet.Tracks[i].StartMs > sheet.Tracks[i - 1].StartMs);
  }

  const StreamFigures figures{128, 417, 100'000, 26};
  BreakpointList list;
  cue::FillList(sheet, figures, 100'000, list);
  for (int i = 1; i < list.Count(); ++i) {
    fuzz::Check(list.Value(i) > list.Value(i - 1));
  }
  fuzz::Check(cue::RequestsOfSheet(sheet).size() >= 2);

  std::string written;
  try {
    written = cue::CueSheetText(sheet);
  } catch (const ERefusedSplit&) {
    // Only a name that cannot read back as written is refused.
    fuzz::Check(sheet.File.find_first_of("\"\\") != std::string::npos ||
                std::any_of(sheet.File.begin(), sheet.File.end(), [](char c) {
                  return static_cast<unsigned char>(c) < ' ' || c == 0x7F;
                }));
    return 0;
  }
  const cue::CueOutcome again = cue::ParseCueSheet(written, "again.cue");
  fuzz::Check(again.Sheet.has_value());
  fuzz::Check(again.Sheet->Tracks.size() == sheet.Tracks.size());
  for (std::size_t i = 0; i < sheet.Tracks.size(); ++i) {
    fuzz::Check(again.Sheet->Tracks[i].StartMs == sheet.Tracks[i].StartMs);
  }
  fuzz::Check(again.Sheet->StartMs == sheet.StartMs && again.Sheet->EndMs == sheet.EndMs);
  return 0;
}
