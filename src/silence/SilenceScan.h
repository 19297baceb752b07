// The silences of an MP3 file: decodes it with Mpg123Decoder and feeds the
// samples to a SilenceFinder. Keeps no state between calls, so scans may run
// on worker threads, several at once.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "playback/DecodePass.h"
#include "silence/SilenceFinder.h"

namespace brelvik::silence {

// Told the fraction done now and then (playback/DecodePass.h says how
// often); returns false to stop the scan.
using ScanProgress = playback::DecodeProgress;

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
