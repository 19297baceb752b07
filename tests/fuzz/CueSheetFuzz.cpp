// Cue sheets as anyone may write them: whatever the text, reading it gives a
// usable sheet or a refusal, and a usable sheet fills the list, writes back
// and reads again into the same tracks.
#include <algorithm>
#include <string_view>

#include "FuzzChecks.h"
#include "cue/CueBreakpoints.h"
#include "cue/CueSheet.h"
#include "io/StreamError.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace brelvik;
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const cue::CueOutcome outcome = cue::ParseCueSheet(text, "fuzz.cue");
  fuzz::Check(outcome.Sheet.has_value() == outcome.Refusal.empty());
  if (!outcome.Sheet) {
    return 0;
  }
  const cue::CueSheet& sheet = *outcome.Sheet;
  fuzz::Check(!sheet.Tracks.empty() && !sheet.File.empty());
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
