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

// Whether libmpg123 takes the tag's gapless figures: it does for any encoder
// name but an empty one (a first byte of zero), as in a tag of zeros.
bool Mpg123Honours(const LameTag& tag);
// Whether every gapless decoder does: ffmpeg, for one, only under the names
// "LAME", "Lavf" and "Lavc".
bool EveryDecoderHonours(const LameTag& tag);

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

// A source's own header frame ("Xing", "Info" or "VBRI") with the counts it
// states (frames, bytes, and the table of contents of an "Xing" or "Info"
// frame) made the content's, the rest as it stands. A count the source
// states as 0 stays 0, and a "VBRI" frame's table is dropped.
std::vector<std::uint8_t> PatchedHeaderFrame(std::span<const std::uint8_t> frame,
                                             const FrameHeader& header,
                                             const HeaderFrameContent& content);

// Where the "Xing" or "Info" identifier sits in a frame with this header
// (the same place whether or not the frame carries a checksum).
int XingOffset(const FrameHeader& header);

}  // namespace brelvik::exact
