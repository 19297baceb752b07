#include "exact/HeaderFrame.h"

#include <algorithm>
#include <cstring>

#include "exact/Crc16.h"
#include "exact/FrameFacts.h"

namespace brelvik::exact {
namespace {

constexpr std::uint32_t kHasFrames = 1;
constexpr std::uint32_t kHasBytes = 2;
constexpr std::uint32_t kHasToc = 4;
constexpr std::uint32_t kHasQuality = 8;
constexpr std::size_t kTocBytes = 100;
// Identifier, flags, frames, bytes, TOC and quality: what every LAME-made
// header holds before its LAME extension.
constexpr std::size_t kXingBytes = 4 + 4 + 4 + 4 + kTocBytes + 4;
constexpr int kVbriOffset = 36;

// Positions inside the LAME extension.
constexpr std::size_t kLameGapless = 21;
constexpr std::size_t kLameMusicLength = 28;
constexpr std::size_t kLameMusicCrc = 32;
constexpr std::size_t kLameTagCrc = 34;
constexpr std::size_t kLameReplayGain = 11;
constexpr std::size_t kLameReplayGainBytes = 8;
// Every gapless decoder honours the gapless fields in a tag whose encoder name
// starts with one of these; a piece of a source without such a tag gets the first.
constexpr char kEncoderName[] = "LAME3.100";
constexpr const char* kHonouredNames[] = {"LAME", "Lavf", "Lavc"};

std::uint32_t Get32(const std::uint8_t* p) {
  return (std::uint32_t{p[0]} << 24) | (std::uint32_t{p[1]} << 16) | (std::uint32_t{p[2]} << 8) |
         p[3];
}

void Put32(std::uint8_t* p, std::uint32_t v) {
  p[0] = static_cast<std::uint8_t>(v >> 24);
  p[1] = static_cast<std::uint8_t>(v >> 16);
  p[2] = static_cast<std::uint8_t>(v >> 8);
  p[3] = static_cast<std::uint8_t>(v);
}

void Put16(std::uint8_t* p, std::uint16_t v) {
  p[0] = static_cast<std::uint8_t>(v >> 8);
  p[1] = static_cast<std::uint8_t>(v);
}

bool Holds(std::span<const std::uint8_t> frame, std::size_t at, const char* identifier) {
  return at + 4 <= frame.size() && std::memcmp(frame.data() + at, identifier, 4) == 0;
}

std::optional<LameTag> ReadLameTag(std::span<const std::uint8_t> frame, std::size_t at) {
  if (at + kLameTagBytes > frame.size()) {
    return std::nullopt;
  }
  LameTag tag;
  std::copy_n(frame.begin() + static_cast<std::ptrdiff_t>(at), kLameTagBytes, tag.Bytes.begin());
  const std::uint8_t* gapless = tag.Bytes.data() + kLameGapless;
  tag.EncoderDelay = (gapless[0] << 4) | (gapless[1] >> 4);
  tag.EncoderPadding = ((gapless[1] & 0x0F) << 8) | gapless[2];
  return tag;
}

HeaderFrameFacts ReadXing(std::span<const std::uint8_t> frame, std::size_t at, bool variable) {
  HeaderFrameFacts facts;
  facts.Kind = variable ? HeaderFrameKind::Xing : HeaderFrameKind::Info;
  std::size_t next = at + 8;
  if (next > frame.size()) {
    return facts;
  }
  const std::uint32_t flags = Get32(frame.data() + at + 4);
  const auto field = [&](std::uint32_t flag, std::size_t bytes) -> std::optional<std::uint32_t> {
    if ((flags & flag) == 0 || next + bytes > frame.size()) {
      return std::nullopt;
    }
    const std::size_t here = next;
    next += bytes;
    return bytes == 4 ? std::optional(Get32(frame.data() + here)) : std::optional(0u);
  };
  facts.FrameCount = field(kHasFrames, 4);
  facts.ByteCount = field(kHasBytes, 4);
  field(kHasToc, kTocBytes);
  facts.Quality = field(kHasQuality, 4);
  facts.Lame = ReadLameTag(frame, next);
  return facts;
}

std::size_t TagEnd(const FrameHeader& header) {
  return static_cast<std::size_t>(XingOffset(header)) + kXingBytes + kLameTagBytes;
}

// The header bytes of a frame like `like` with another bit rate, without CRC
// or padding.
FrameHeader WithBitRate(const FrameHeader& like, std::uint16_t bitRateIndex) {
  FrameHeader header = like;
  header.BitRateIndex = bitRateIndex;
  header.CrcProtected = false;
  header.Padded = false;
  header.PrivateBit = false;
  header.ModeExtension = 0;
  header.FrameLength = FrameLengthOf(header);
  return header;
}

FrameHeader HeaderFrameHeader(const FrameHeader& like, bool variableRate) {
  const std::size_t needed = TagEnd(WithBitRate(like, like.BitRateIndex));
  if (!variableRate && WithBitRate(like, like.BitRateIndex).FrameLength >= needed) {
    return WithBitRate(like, like.BitRateIndex);
  }
  for (std::uint16_t index = 1; index < 15; ++index) {
    const FrameHeader candidate = WithBitRate(like, index);
    if (candidate.FrameLength >= needed) {
      return candidate;
    }
  }
  return WithBitRate(like, 14);
}

std::array<std::uint8_t, 4> RawHeaderOf(const FrameHeader& h) {
  return {0xFF,
          static_cast<std::uint8_t>(0xE0 | (h.VersionIndex << 3) | (h.LayerIndex << 1) |
                                    (h.CrcProtected ? 0 : 1)),
          static_cast<std::uint8_t>((h.BitRateIndex << 4) | (h.SampleRateIndex << 2) |
                                    (h.Padded ? 2 : 0) | (h.PrivateBit ? 1 : 0)),
          static_cast<std::uint8_t>((h.ChannelMode << 6) | (h.ModeExtension << 4) |
                                    (h.Copyright ? 8 : 0) | (h.Original ? 4 : 0) | h.Emphasis)};
}

void WriteLameTag(std::uint8_t* tag, const HeaderFrameContent& content) {
  if (content.SourceTag) {
    std::copy(content.SourceTag->Bytes.begin(), content.SourceTag->Bytes.end(), tag);
    // The source's replay gain describes the whole recording, not the piece.
    std::fill_n(tag + kLameReplayGain, kLameReplayGainBytes, 0);
  } else {
    std::memcpy(tag, kEncoderName, 9);
  }
  const int delay = std::clamp(content.EncoderDelay, 0, kLargestGaplessField);
  const int padding = std::clamp(content.EncoderPadding, 0, kLargestGaplessField);
  tag[kLameGapless] = static_cast<std::uint8_t>(delay >> 4);
  tag[kLameGapless + 1] = static_cast<std::uint8_t>(((delay & 0x0F) << 4) | (padding >> 8));
  tag[kLameGapless + 2] = static_cast<std::uint8_t>(padding);
  Put32(tag + kLameMusicLength, content.StreamBytes);
  Put16(tag + kLameMusicCrc, content.MusicCrc);
}

}  // namespace

std::string NameOf(HeaderFrameKind kind) {
  switch (kind) {
    case HeaderFrameKind::Info:
      return "Info";
    case HeaderFrameKind::Xing:
      return "Xing";
    case HeaderFrameKind::Vbri:
      return "VBRI";
    default:
      return "none";
  }
}

int XingOffset(const FrameHeader& header) {
  // Encoders put it right after the side information's place as if there were
  // no checksum, and decoders look for it there, checksum or not.
  return 4 + SideInfoBytes(header);
}

HeaderFrameFacts ReadHeaderFrame(std::span<const std::uint8_t> frame, const FrameHeader& header) {
  if (header.LayerIndex != kLayerIII) {
    return {};
  }
  const auto at = static_cast<std::size_t>(XingOffset(header));
  if (Holds(frame, at, "Xing")) {
    return ReadXing(frame, at, true);
  }
  if (Holds(frame, at, "Info")) {
    return ReadXing(frame, at, false);
  }
  if (Holds(frame, kVbriOffset, "VBRI")) {
    HeaderFrameFacts facts;
    facts.Kind = HeaderFrameKind::Vbri;
    return facts;
  }
  return {};
}

bool Mpg123Honours(const LameTag& tag) {
  return tag.Bytes[0] != 0;
}

bool EveryDecoderHonours(const LameTag& tag) {
  return std::any_of(
      std::begin(kHonouredNames), std::end(kHonouredNames),
      [&tag](const char* name) { return std::memcmp(tag.Bytes.data(), name, 4) == 0; });
}

std::vector<std::uint8_t> PatchedHeaderFrame(std::span<const std::uint8_t> frame,
                                             const FrameHeader& header,
                                             const HeaderFrameContent& content) {
  std::vector<std::uint8_t> patched(frame.begin(), frame.end());
  const auto putNonZero = [&patched](std::size_t at, std::uint32_t value) {
    if (at + 4 <= patched.size() && Get32(patched.data() + at) != 0) {
      Put32(patched.data() + at, value);
    }
  };
  if (Holds(frame, kVbriOffset, "VBRI")) {
    putNonZero(kVbriOffset + 10, content.StreamBytes);
    putNonZero(kVbriOffset + 14, content.AudioFrames);
    if (kVbriOffset + 20 <= patched.size()) {
      Put16(patched.data() + kVbriOffset + 18, 0);  // no table of contents
    }
    return patched;
  }
  const auto at = static_cast<std::size_t>(XingOffset(header));
  if (at + 8 > patched.size()) {
    return patched;
  }
  const std::uint32_t flags = Get32(patched.data() + at + 4);
  std::size_t next = at + 8;
  if ((flags & kHasFrames) != 0) {
    putNonZero(next, content.AudioFrames);
    next += 4;
  }
  if ((flags & kHasBytes) != 0) {
    putNonZero(next, content.StreamBytes);
    next += 4;
  }
  if ((flags & kHasToc) != 0 && next + kTocBytes <= patched.size()) {
    std::copy(content.Toc.begin(), content.Toc.end(),
              patched.begin() + static_cast<std::ptrdiff_t>(next));
  }
  return patched;
}

std::vector<std::uint8_t> BuildHeaderFrame(const FrameHeader& like,
                                           const HeaderFrameContent& content) {
  const FrameHeader header = HeaderFrameHeader(like, content.VariableRate);
  std::vector<std::uint8_t> frame(header.FrameLength, 0);
  const auto raw = RawHeaderOf(header);
  std::copy(raw.begin(), raw.end(), frame.begin());

  std::uint8_t* xing = frame.data() + XingOffset(header);
  std::memcpy(xing, content.VariableRate ? "Xing" : "Info", 4);
  Put32(xing + 4, kHasFrames | kHasBytes | kHasToc | kHasQuality);
  Put32(xing + 8, content.AudioFrames);
  Put32(xing + 12, content.StreamBytes);
  std::copy(content.Toc.begin(), content.Toc.end(), xing + 16);
  Put32(xing + 16 + kTocBytes, content.Quality);

  std::uint8_t* tag = xing + kXingBytes;
  WriteLameTag(tag, content);
  const auto covered = static_cast<std::size_t>(tag + kLameTagCrc - frame.data());
  Put16(tag + kLameTagCrc, Crc16Of(std::span(frame.data(), covered)));
  return frame;
}

}  // namespace brelvik::exact
