// MPEG audio frame headers: recognising one in four bytes, decoding it, and the
// figures derived from a decoded header (bit rate, sample rate, frame length).
// Covers MPEG 1, 2 and 2.5, Layers I to III. Every function here is pure.
#pragma once

#include <array>
#include <cstdint>
#include <span>

namespace brelvik {

using HeaderBytes = std::span<const std::uint8_t, 4>;

// One decoded frame header plus what the frame search records about it.
// A default-constructed record is the cleared state: all zeros and false except
// five markers for values not yet decoded (reserved or out-of-range values).
struct FrameHeader {
  bool Found = false;             // a confirmed frame was found
  std::int32_t Offset = 0;        // first byte of the frame inside the window that found it
  std::uint16_t FrameLength = 0;  // bytes, header and padding included
  std::array<std::uint8_t, 4> RawBytes{};
  std::uint8_t VersionIndex = 1;  // 3 = MPEG 1, 2 = MPEG 2, 0 = MPEG 2.5, 1 = reserved
  std::uint8_t LayerIndex = 0;    // 3 = Layer I, 2 = Layer II, 1 = Layer III, 0 = reserved
  bool CrcProtected = false;
  std::uint16_t BitRateIndex = 0;
  std::uint16_t SampleRateIndex = 3;
  bool Padded = false;
  bool PrivateBit = false;
  std::uint8_t ChannelMode = 4;  // 3 = mono
  std::uint8_t ModeExtension = 4;
  bool Copyright = false;
  bool Original = false;
  std::uint8_t Emphasis = 2;

  friend bool operator==(const FrameHeader&, const FrameHeader&) = default;
};

inline constexpr std::uint8_t kVersionMpeg25 = 0;
inline constexpr std::uint8_t kVersionMpeg2 = 2;
inline constexpr std::uint8_t kVersionMpeg1 = 3;
inline constexpr std::uint8_t kLayerIII = 1;
inline constexpr std::uint8_t kLayerII = 2;
inline constexpr std::uint8_t kLayerI = 3;
inline constexpr std::uint8_t kChannelModeMono = 3;

// Longest frame an accepted MPEG 1 header describes (Layer II, 384 kbit/s,
// 32 kHz, padded); the analysis window is twice this.
inline constexpr std::size_t kLongestMpeg1Frame = 1729;

bool IsFrameHeader(HeaderBytes bytes);
void DecodeHeader(HeaderBytes bytes, FrameHeader& header);

std::uint16_t BitRateOf(const FrameHeader& header);      // kbit/s
std::uint16_t SampleRateOf(const FrameHeader& header);   // Hz
std::uint8_t CoefficientOf(const FrameHeader& header);   // samples per frame / 8
std::uint8_t PaddingOf(const FrameHeader& header);       // bytes
std::uint16_t FrameLengthOf(const FrameHeader& header);  // bytes
std::uint8_t VbrHeaderOffset(const FrameHeader& header);

}  // namespace brelvik
