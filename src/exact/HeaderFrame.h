// The header frame that encoders put before the audio of an MP3: a frame of
// silence whose payload holds "Xing" (variable rate) or "Info" (constant
// rate) with the stream's frame and byte counts, a table of contents and the
// LAME tag, which tells gapless decoders the encoder delay and the padding.
// Fraunhofer's "VBRI" header is recognised too. Reading one, and writing a
// fresh one for a piece.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "analysis/FrameHeader.h"

namespace brelvik::exact {

enum class HeaderFrameKind { None, Info, Xing, Vbri };

std::string NameOf(HeaderFrameKind kind);  // "none", "Info", "Xing", "VBRI"

inline constexpr std::size_t kLameTagBytes = 36;
inline constexpr int kLargestGaplessField = 4095;  // 12 bits

// The LAME extension as found, and its two gapless figures in samples.
struct LameTag {
  std::array<std::uint8_t, kLameTagBytes> Bytes{};
  int EncoderDelay = 0;
  int EncoderPadding = 0;
};

struct HeaderFrameFacts {
  HeaderFrameKind Kind = HeaderFrameKind::None;
  std::optional<std::uint32_t> FrameCount;  // audio frames, this frame not counted
  std::optional<std::uint32_t> ByteCount;
  std::optional<std::uint32_t> Quality;
  std::optional<LameTag> Lame;
};

// What the frame holds; Kind None when it is an ordinary audio frame.
HeaderFrameFacts ReadHeaderFrame(std::span<const std::uint8_t> frame, const FrameHeader& header);

// A fresh header frame for a piece.
struct HeaderFrameContent {
  bool VariableRate = false;      // "Xing" rather than "Info"
  std::uint32_t AudioFrames = 0;  // the frames after this one
  std::uint32_t StreamBytes = 0;  // this frame and the audio frames
  std::array<std::uint8_t, 100> Toc{};
  std::uint32_t Quality = 0;
  std::optional<LameTag> SourceTag;  // fields carried over from the source
  int EncoderDelay = 0;
  int EncoderPadding = 0;
  std::uint16_t MusicCrc = 0;  // of the audio frames' bytes
};

// The frame's length for a stream whose frames look like `like`: the stream's
// own bit rate for a constant-rate stream when the tag fits in such a frame,
// otherwise the lowest bit rate whose frame holds it.
std::vector<std::uint8_t> BuildHeaderFrame(const FrameHeader& like,
                                           const HeaderFrameContent& content);

// Where the "Xing" or "Info" identifier sits in a frame with this header
// (the same place whether or not the frame carries a checksum).
int XingOffset(const FrameHeader& header);

}  // namespace brelvik::exact
