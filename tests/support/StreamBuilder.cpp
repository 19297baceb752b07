#include "StreamBuilder.h"

#include <stdexcept>

namespace brelvik::testing {
namespace {

constexpr int kBitRates[4][4][16] = {
    {{},
     {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160, 0},
     {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160, 0},
     {0, 32, 48, 56, 64, 80, 96, 112, 128, 144, 160, 176, 192, 224, 256, 0}},
    {{}, {}, {}, {}},
    {{},
     {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160, 0},
     {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160, 0},
     {0, 32, 48, 56, 64, 80, 96, 112, 128, 144, 160, 176, 192, 224, 256, 0}},
    {{},
     {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 0},
     {0, 32, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 384, 0},
     {0, 32, 64, 96, 128, 160, 192, 224, 256, 288, 320, 352, 384, 416, 448, 0}},
};
constexpr int kSampleRates[4][3] = {
    {11025, 12000, 8000}, {0, 0, 0}, {22050, 24000, 16000}, {44100, 48000, 32000}};

void AppendBigEndian(Bytes& bytes, std::size_t at, std::int32_t value) {
  const auto v = static_cast<std::uint32_t>(value);
  bytes[at] = static_cast<std::uint8_t>(v >> 24);
  bytes[at + 1] = static_cast<std::uint8_t>(v >> 16);
  bytes[at + 2] = static_cast<std::uint8_t>(v >> 8);
  bytes[at + 3] = static_cast<std::uint8_t>(v);
}

}  // namespace

std::array<std::uint8_t, 4> HeaderBytesOf(const HeaderFields& s) {
  return {0xFF,
          static_cast<std::uint8_t>(0xE0 | (s.VersionIndex << 3) | (s.LayerIndex << 1) |
                                    (s.Crc ? 0 : 1)),
          static_cast<std::uint8_t>((s.BitRateIndex << 4) | (s.SampleRateIndex << 2) |
                                    (s.Padded ? 2 : 0)),
          static_cast<std::uint8_t>((s.ChannelMode << 6) | s.Emphasis)};
}

int StandardFrameLength(const HeaderFields& s) {
  const int bitRate = kBitRates[s.VersionIndex][s.LayerIndex][s.BitRateIndex] * 1000;
  const int sampleRate = kSampleRates[s.VersionIndex][s.SampleRateIndex];
  if (s.LayerIndex == 3) {
    return (12 * bitRate / sampleRate + (s.Padded ? 1 : 0)) * 4;
  }
  const int samplesPerFrame = (s.LayerIndex == 1 && s.VersionIndex != 3) ? 576 : 1152;
  return samplesPerFrame / 8 * bitRate / sampleRate + (s.Padded ? 1 : 0);
}

StreamBuilder& StreamBuilder::Junk(std::size_t count, std::uint8_t value) {
  bytes_.insert(bytes_.end(), count, value);
  return *this;
}

StreamBuilder& StreamBuilder::Frames(const HeaderFields& fields, int count) {
  const auto header = HeaderBytesOf(fields);
  const int length = StandardFrameLength(fields);
  for (int i = 0; i < count; ++i) {
    bytes_.insert(bytes_.end(), header.begin(), header.end());
    for (int j = 4; j < length; ++j) {
      bytes_.push_back(static_cast<std::uint8_t>(0x11 + (j % 0x60)));
    }
  }
  return *this;
}

StreamBuilder& StreamBuilder::XingFrame(const HeaderFields& fields, int byteOffset,
                                        std::int32_t frames, std::int32_t bytes) {
  const std::size_t start = bytes_.size();
  Frames(fields, 1);
  const auto at = start + static_cast<std::size_t>(byteOffset);
  if (at + 16 > bytes_.size()) {
    throw std::logic_error("Xing header does not fit the frame");
  }
  bytes_[at] = 'X', bytes_[at + 1] = 'i', bytes_[at + 2] = 'n', bytes_[at + 3] = 'g';
  AppendBigEndian(bytes_, at + 4, 3);  // flags: frames and bytes present
  AppendBigEndian(bytes_, at + 8, frames);
  AppendBigEndian(bytes_, at + 12, bytes);
  return *this;
}

StreamBuilder& StreamBuilder::VbriFrame(const HeaderFields& fields, int byteOffset,
                                        std::int32_t frames, std::int32_t bytes) {
  const std::size_t start = bytes_.size();
  Frames(fields, 1);
  const auto at = start + static_cast<std::size_t>(byteOffset);
  if (at + 18 > bytes_.size()) {
    throw std::logic_error("VBRI header does not fit the frame");
  }
  bytes_[at] = 'V', bytes_[at + 1] = 'B', bytes_[at + 2] = 'R', bytes_[at + 3] = 'I';
  for (std::size_t i = 4; i < 10; ++i) {
    bytes_[at + i] = 0;
  }
  AppendBigEndian(bytes_, at + 10, bytes);
  AppendBigEndian(bytes_, at + 14, frames);
  return *this;
}

StreamBuilder& StreamBuilder::ID3v2(std::array<std::uint8_t, 4> sizeBytes, std::size_t fillBytes,
                                    std::uint8_t majorVersion) {
  const Bytes header = {'I', 'D',          '3',          majorVersion, 0,
                        0,   sizeBytes[0], sizeBytes[1], sizeBytes[2], sizeBytes[3]};
  bytes_.insert(bytes_.end(), header.begin(), header.end());
  bytes_.insert(bytes_.end(), fillBytes, 0x00);
  return *this;
}

StreamBuilder& StreamBuilder::ID3v1() {
  bytes_.push_back('T');
  bytes_.push_back('A');
  bytes_.push_back('G');
  bytes_.insert(bytes_.end(), 125, 0x20);
  return *this;
}

StreamBuilder& StreamBuilder::Raw(const Bytes& bytes) {
  bytes_.insert(bytes_.end(), bytes.begin(), bytes.end());
  return *this;
}

}  // namespace brelvik::testing
