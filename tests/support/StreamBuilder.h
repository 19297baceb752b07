// Builds MPEG audio streams byte by byte for the analysis and split tests:
// frame headers, runs of frames, ID3v1 and ID3v2 tags and VBR headers.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "TempDir.h"

namespace brelvik::testing {

// Fields of a header as the bits hold them (version index 3 = MPEG 1,
// 2 = MPEG 2, 0 = MPEG 2.5; layer index 3 = Layer I, 2 = II, 1 = III).
struct HeaderFields {
  int VersionIndex = 3;
  int LayerIndex = 1;
  int BitRateIndex = 9;     // 128 kbit/s for MPEG 1 Layer III
  int SampleRateIndex = 0;  // 44100 Hz for MPEG 1
  bool Padded = false;
  bool Crc = false;  // a CRC follows the header (protection bit 0)
  int ChannelMode = 0;
  int Emphasis = 0;
};

std::array<std::uint8_t, 4> HeaderBytesOf(const HeaderFields& fields);

// Frame length by the MPEG standard, computed independently of the code under test.
int StandardFrameLength(const HeaderFields& fields);

class StreamBuilder {
 public:
  StreamBuilder& Junk(std::size_t count, std::uint8_t value = 0x00);
  // count frames of the given header; the payload bytes are never 0xFF, so
  // only the headers can form a frame.
  StreamBuilder& Frames(const HeaderFields& fields, int count);
  // One frame with a "Xing" (or "VBRI") header at byteOffset from the frame's first byte.
  StreamBuilder& XingFrame(const HeaderFields& fields, int byteOffset, std::int32_t frames,
                           std::int32_t bytes);
  StreamBuilder& VbriFrame(const HeaderFields& fields, int byteOffset, std::int32_t frames,
                           std::int32_t bytes);
  // An ID3v2 header with the four size bytes taken as given, and
  // then fillBytes bytes of zeros.
  StreamBuilder& ID3v2(std::array<std::uint8_t, 4> sizeBytes, std::size_t fillBytes,
                       std::uint8_t majorVersion = 3);
  StreamBuilder& ID3v1();  // "TAG" and 125 bytes
  StreamBuilder& Raw(const Bytes& bytes);

  const Bytes& Get() const { return bytes_; }
  std::size_t Size() const { return bytes_.size(); }
  void WriteTo(const std::string& path) const { WriteBytes(path, bytes_); }

 private:
  Bytes bytes_;
};

}  // namespace brelvik::testing
