// `brelvik-split silences FILE [--threshold DB] [--min-length S] [--json]`:
// the pauses in a recording, each with the breakpoint it proposes (its
// middle), for `split --at-silences` or for choosing by hand.
#pragma once

#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

#include "session/Refusal.h"
#include "silence/SilenceFinder.h"
#include "split/StreamFigures.h"

namespace brelvik {

struct SilencesOptions {
  std::string File;
  silence::SilenceSettings Settings;
  bool Json = false;
};

// Decodes the file and finds its silences, or says why it cannot be decoded
// (Unreadable).
OrRefusal<std::vector<silence::Silence>> ScanSilences(const std::string& path,
                                                      const silence::SilenceSettings& settings);

// The frame number of the list that a silence proposes.
std::int32_t FrameOfSilence(const silence::Silence& silence, const StreamFigures& figures);

int RunSilences(const SilencesOptions& options, std::ostream& out, std::ostream& err);

}  // namespace brelvik
