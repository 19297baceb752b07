#include "exact/FrameFacts.h"

namespace brelvik::exact {
namespace {

bool IsMpeg1(const FrameHeader& header) {
  return header.VersionIndex == kVersionMpeg1;
}

bool IsMono(const FrameHeader& header) {
  return header.ChannelMode == kChannelModeMono;
}

}  // namespace

StreamFormat FormatOf(const FrameHeader& header) {
  return {header.VersionIndex, header.LayerIndex, header.SampleRateIndex};
}

int SamplesPerFrame(const FrameHeader& header) {
  switch (header.LayerIndex) {
    case kLayerI:
      return 384;
    case kLayerII:
      return 1152;
    default:
      return IsMpeg1(header) ? 1152 : 576;
  }
}

int SideInfoBytes(const FrameHeader& header) {
  if (header.LayerIndex != kLayerIII) {
    return 0;
  }
  if (IsMpeg1(header)) {
    return IsMono(header) ? 17 : 32;
  }
  return IsMono(header) ? 9 : 17;
}

int MainDataOffset(const FrameHeader& header) {
  return 4 + (header.CrcProtected ? 2 : 0) + SideInfoBytes(header);
}

int LargestMainDataBegin(const FrameHeader& header) {
  return IsMpeg1(header) ? 511 : 255;
}

int MainDataBegin(std::span<const std::uint8_t> frame, const FrameHeader& header) {
  const std::size_t sideInfoStart = header.CrcProtected ? 6 : 4;
  if (header.LayerIndex != kLayerIII || frame.size() < sideInfoStart + 2) {
    return 0;
  }
  if (IsMpeg1(header)) {
    return (frame[sideInfoStart] << 1) | (frame[sideInfoStart + 1] >> 7);
  }
  return frame[sideInfoStart];
}

bool ReadHeader(std::span<const std::uint8_t> bytes, FrameHeader& header) {
  if (bytes.size() < 4) {
    return false;
  }
  // What both gapless decoders play: neither looks at the emphasis field,
  // whose reserved value the analysis refuses.
  const std::uint8_t* b = bytes.data();
  const unsigned version = (b[1] >> 3) & 3u;
  const unsigned layer = (b[1] >> 1) & 3u;
  const unsigned bitRateIndex = b[2] >> 4;
  const unsigned sampleRateIndex = (b[2] >> 2) & 3u;
  if (b[0] != 0xFF || (b[1] & 0xE0) != 0xE0 || version == 1 || layer == 0 || bitRateIndex == 0 ||
      bitRateIndex == 15 || sampleRateIndex == 3) {
    return false;
  }
  DecodeHeader(HeaderBytes(b, 4), header);
  header.FrameLength = FrameLengthOf(header);
  return true;
}

}  // namespace brelvik::exact
