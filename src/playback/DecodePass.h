// A whole MP3 file decoded once from its start, block by block, for whatever
// measures the samples (the silence search, the waveform's envelope, both at
// once), with the progress reports and the stop that a long decode needs.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

#include "playback/Mpg123Decoder.h"

namespace brelvik::playback {

// Told the fraction done (0..1) now and then: 0 before the file is opened,
// after every further 1% or so (not more than about 400 times a second) and
// at least every 50 ms of decoding, and 1 at the end. Returns false to stop.
using DecodeProgress = std::function<bool(double fraction)>;

struct DecodePass {
  DecoderOptions Options;
  // Once the file is open, before the first block.
  std::function<void(const Mpg123Decoder& decoder)> Opened;
  // Every decoded block in order: frames sample frames, interleaved. Returns
  // false to stop at once.
  std::function<bool(const std::int16_t* interleaved, std::size_t frames)> Block;
  DecodeProgress Progress;  // optional
};

// Decodes the file at path with the pass's hooks. True when the stream was
// decoded to its end, false when Block or Progress asked to stop (at any
// call, the last report included) or when Options.Stop stopped the decoder.
// Throws DecoderError when the file cannot be opened or decoded (unless
// Options.Stop is set by then), std::bad_alloc when memory runs out, and lets
// through whatever the hooks throw.
bool DecodeFile(const std::string& path, const DecodePass& pass);

}  // namespace brelvik::playback
