// What exact mode needs to know of one MPEG audio frame beyond its header:
// how many samples it decodes to, where its Layer III main data starts and
// how far back into earlier frames that data begins (the bit reservoir).
#pragma once

#include <cstdint>
#include <span>

#include "analysis/FrameHeader.h"

namespace brelvik::exact {

// Version, layer and sample rate: the frames of one stream share these.
struct StreamFormat {
  std::uint8_t VersionIndex = 1;
  std::uint8_t LayerIndex = 0;
  std::uint16_t SampleRateIndex = 3;

  friend bool operator==(const StreamFormat&, const StreamFormat&) = default;
};

StreamFormat FormatOf(const FrameHeader& header);

// 384 for Layer I, 1152 for Layer II and MPEG 1 Layer III, 576 for Layer III
// in MPEG 2 and 2.5.
int SamplesPerFrame(const FrameHeader& header);

// Bytes of Layer III side information: 32 or 17 in MPEG 1, 17 or 9 in MPEG 2
// and 2.5 (stereo or mono); 0 for the other layers.
int SideInfoBytes(const FrameHeader& header);

// Offset of a Layer III frame's main data area from the frame's first byte:
// the header, the CRC when there is one, and the side information.
int MainDataOffset(const FrameHeader& header);

// The largest main_data_begin the format can state: 511 bytes in MPEG 1,
// 255 in MPEG 2 and 2.5.
int LargestMainDataBegin(const FrameHeader& header);

// main_data_begin of a Layer III frame: how many bytes of earlier frames'
// main data areas come before this frame's own main data. The frame's bytes
// must reach past its side information.
int MainDataBegin(std::span<const std::uint8_t> frame, const FrameHeader& header);

// Decodes the header at the start of bytes (which must hold four) when it is
// one that decoders play: free format and reserved values refused, but for
// the emphasis.
bool ReadHeader(std::span<const std::uint8_t> bytes, FrameHeader& header);

}  // namespace brelvik::exact
