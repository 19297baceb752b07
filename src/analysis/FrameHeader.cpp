#include "analysis/FrameHeader.h"

namespace brelvik {
namespace {

constexpr std::uint16_t kBitRates[4][4][16] = {
    // MPEG 2.5: reserved layer, Layer III, Layer II, Layer I
    {{},
     {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160, 0},
     {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160, 0},
     {0, 32, 48, 56, 64, 80, 96, 112, 128, 144, 160, 176, 192, 224, 256, 0}},
    // reserved version
    {{}, {}, {}, {}},
    // MPEG 2
    {{},
     {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160, 0},
     {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160, 0},
     {0, 32, 48, 56, 64, 80, 96, 112, 128, 144, 160, 176, 192, 224, 256, 0}},
    // MPEG 1
    {{},
     {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 0},
     {0, 32, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 384, 0},
     {0, 32, 64, 96, 128, 160, 192, 224, 256, 288, 320, 352, 384, 416, 448, 0}},
};

constexpr std::uint16_t kSampleRates[4][4] = {
    {11025, 12000, 8000, 0},   // MPEG 2.5
    {0, 0, 0, 0},              // reserved
    {22050, 24000, 16000, 0},  // MPEG 2
    {44100, 48000, 32000, 0},  // MPEG 1
};

}  // namespace

bool IsFrameHeader(HeaderBytes b) {
  const unsigned version = (b[1] >> 3) & 3u;
  const unsigned layer = (b[1] >> 1) & 3u;
  const unsigned bitRateIndex = b[2] >> 4;
  const unsigned sampleRateIndex = (b[2] >> 2) & 3u;
  const unsigned emphasis = b[3] & 3u;
  return b[0] == 0xFF && (b[1] & 0xE0) == 0xE0 && version != 1 && layer != 0 && bitRateIndex != 0 &&
         bitRateIndex != 15 && sampleRateIndex != 3 && emphasis != 2;
}

void DecodeHeader(HeaderBytes b, FrameHeader& header) {
  header.RawBytes = {b[0], b[1], b[2], b[3]};
  header.VersionIndex = static_cast<std::uint8_t>((b[1] >> 3) & 3u);
  header.LayerIndex = static_cast<std::uint8_t>((b[1] >> 1) & 3u);
  header.CrcProtected = (b[1] & 1u) == 0;
  header.BitRateIndex = static_cast<std::uint16_t>(b[2] >> 4);
  header.SampleRateIndex = static_cast<std::uint16_t>((b[2] >> 2) & 3u);
  header.Padded = (b[2] & 2u) != 0;
  header.PrivateBit = (b[2] & 1u) != 0;
  header.ChannelMode = static_cast<std::uint8_t>(b[3] >> 6);
  header.ModeExtension = static_cast<std::uint8_t>((b[3] >> 4) & 3u);
  header.Copyright = (b[3] & 8u) != 0;
  header.Original = (b[3] & 4u) != 0;
  header.Emphasis = static_cast<std::uint8_t>(b[3] & 3u);
}

// The record's indexes are used as they are; only values outside the tables'
// ranges (possible in hand-made records) give 0 instead of reading past them.
std::uint16_t BitRateOf(const FrameHeader& header) {
  if (header.VersionIndex > 3 || header.LayerIndex > 3 || header.BitRateIndex > 15) {
    return 0;
  }
  return kBitRates[header.VersionIndex][header.LayerIndex][header.BitRateIndex];
}

std::uint16_t SampleRateOf(const FrameHeader& header) {
  if (header.VersionIndex > 3 || header.SampleRateIndex > 3) {
    return 0;
  }
  return kSampleRates[header.VersionIndex][header.SampleRateIndex];
}

// Samples per frame divided by 8: Layer I frames hold 384 samples, Layer II
// frames 1152, Layer III frames 1152 in MPEG 1 and 576 in MPEG 2 and 2.5.
std::uint8_t CoefficientOf(const FrameHeader& header) {
  switch (header.LayerIndex) {
    case kLayerI:
      return 48;
    case kLayerII:
      return 144;
    default:
      return header.VersionIndex == kVersionMpeg1 ? 144 : 72;
  }
}

std::uint8_t PaddingOf(const FrameHeader& header) {
  if (!header.Padded) {
    return 0;
  }
  return header.LayerIndex == kLayerI ? 4 : 1;
}

// Layer I frames are counted in 4-byte slots, the other layers in bytes.
std::uint16_t FrameLengthOf(const FrameHeader& header) {
  const std::uint32_t sampleRate = SampleRateOf(header);
  if (sampleRate == 0) {
    return 0;
  }
  const std::uint32_t bitsPerSecond = BitRateOf(header) * 1000u;
  const std::uint32_t length = header.LayerIndex == kLayerI
                                   ? 4u * ((12u * bitsPerSecond) / sampleRate)
                                   : (CoefficientOf(header) * bitsPerSecond) / sampleRate;
  return static_cast<std::uint16_t>(length + PaddingOf(header));
}

// 4 header bytes plus the Layer III side information, whatever the layer. No
// room is made for a CRC, so a header placed after one is not seen.
std::uint8_t VbrHeaderOffset(const FrameHeader& header) {
  const bool mono = header.ChannelMode == kChannelModeMono;
  if (header.VersionIndex == kVersionMpeg1) {
    return mono ? 21 : 36;
  }
  return mono ? 13 : 21;
}

}  // namespace brelvik
