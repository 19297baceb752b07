// Decoding as a listener's player does, with libmpg123 directly (not through
// the program's own decoder): 16-bit output at the file's own rate and channel
// count, gapless decoding on (libmpg123's default).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace brelvik::testing {

struct ReferenceDecode {
  long Rate = 0;
  int Channels = 0;
  std::vector<std::int16_t> Samples;  // interleaved
  // The length libmpg123 reports in sample frames: from the header frame when
  // decoded straight, after a scan of the whole stream when decoded as a
  // player does.
  std::int64_t ReportedLength = -1;

  std::int64_t Frames() const { return static_cast<std::int64_t>(Samples.size()) / Channels; }
};

// Opens the file and decodes it from its start. Throws std::runtime_error
// when libmpg123 cannot open it.
ReferenceDecode DecodeStraight(const std::string& path);

// As the program's playback does: the whole stream is scanned for its exact
// length first, then decoded from its start.
ReferenceDecode DecodeAsPlayer(const std::string& path);

// Straight, with mono frames given as two equal channels, so that a stream
// that switches between mono and stereo decodes to one format.
ReferenceDecode DecodeStraightAsStereo(const std::string& path);

// As ffmpeg decodes it (gapless as ffmpeg is), in two channels.
ReferenceDecode DecodeWithFfmpeg(const std::string& path);

// As a player that ignores the header frame hears it: `mpg123 --no-gapless`.
ReferenceDecode DecodeWithoutGapless(const std::string& path);

// libmpg123's text when it refuses to open path and read its format; empty
// when it accepts the file.
std::string DirectDecoderRefusal(const std::string& path);

}  // namespace brelvik::testing
