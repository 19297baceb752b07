// The silences of an MP3 file: decodes it with Mpg123Decoder and feeds the
// samples to a SilenceFinder. Keeps no state between calls, so scans may run
// on worker threads, several at once.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "silence/SilenceFinder.h"

namespace brelvik::silence {

// Told the fraction done (0..1) now and then: 0 before decoding starts, after
// every further 1% or so (not more than about 400 times a second) and at
// least every 50 ms of decoding, and 1 at the end. Returns false to stop the
// scan.
using ScanProgress = std::function<bool(double fraction)>;

// Decodes the MP3 at path and returns its silences, ascending, or
// std::nullopt when progress asked to stop (at any call, the last included).
// Throws playback::DecoderError when the file cannot be opened or decoded,
// std::invalid_argument for settings CheckSettings refuses (checked before
// the file is opened), std::bad_alloc when memory runs out, and lets through
// whatever progress throws.
std::optional<std::vector<Silence>> FindSilences(const std::string& path,
                                                 const SilenceSettings& settings,
                                                 const ScanProgress& progress = {});

}  // namespace brelvik::silence
