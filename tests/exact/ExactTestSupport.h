// Reading pieces back without the code under test: frame lengths by the
// standard (StreamBuilder's table), the header frame's fields where LAME puts
// them, and the LAME tag's CRC-16 bit by bit.
#pragma once

#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

#include "StreamBuilder.h"

namespace brelvik::exact {

using brelvik::testing::Bytes;

// Table cases print, and name their tests, by their Name field (bring PrintTo
// into the cases' namespace with a using-declaration).
template <class Case>
requires requires(const Case& c) {
  std::string(c.Name);
}
void PrintTo(const Case& c, std::ostream* os) {
  *os << c.Name;
}

struct CaseName {
  template <class Info>
  std::string operator()(const Info& info) const {
    return info.param.Name;
  }
};

inline std::uint16_t BitwiseCrc16(const Bytes& bytes, std::size_t from, std::size_t to) {
  std::uint16_t crc = 0;
  for (std::size_t i = from; i < to; ++i) {
    crc ^= bytes[i];
    for (int bit = 0; bit < 8; ++bit) {
      crc = static_cast<std::uint16_t>((crc & 1) != 0 ? (crc >> 1) ^ 0xA001 : crc >> 1);
    }
  }
  return crc;
}

inline std::uint32_t BigEndian(const Bytes& b, std::size_t at, int count) {
  std::uint32_t value = 0;
  for (std::size_t i = at; i < at + static_cast<std::size_t>(count); ++i) {
    value = value << 8 | b[i];
  }
  return value;
}

// Where "Info" or "Xing" sits in a Layer III frame without CRC.
inline std::size_t XingAt(const Bytes& b, std::size_t frame) {
  const bool mpeg1 = (b[frame + 1] & 0x18) == 0x18;
  const bool mono = b[frame + 3] >> 6 == 3;
  return frame + 4 + (mpeg1 ? (mono ? 17u : 32u) : (mono ? 9u : 17u));
}

struct PieceFrames {
  std::vector<std::size_t> Offsets;
  std::size_t End = 0;       // after the last whole frame
  bool EndsCleanly = false;  // at the file's end, or at an ID3v1 tag that ends it
};

// The frames one after another from the first byte after the ID3v2 tag, as
// long as they keep the first frame's version, layer and sample rate.
inline PieceFrames WalkPiece(const Bytes& b) {
  std::size_t at = 0;
  if (b.size() >= 10 && b[0] == 'I' && b[1] == 'D' && b[2] == '3') {
    at = 10 + (std::size_t{b[6]} << 21 | std::size_t{b[7]} << 14 | std::size_t{b[8]} << 7 | b[9]) +
         ((b[5] & 0x10) != 0 ? 10 : 0);
  }
  const std::size_t first = at;
  PieceFrames frames;
  while (at + 4 <= b.size() && b[at] == 0xFF && (b[at + 1] & 0xFE) == (b[first + 1] & 0xFE) &&
         (b[at + 2] & 0x0C) == (b[first + 2] & 0x0C)) {
    const int length = brelvik::testing::StandardFrameLength(
        {(b[at + 1] >> 3) & 3, (b[at + 1] >> 1) & 3, b[at + 2] >> 4, (b[at + 2] >> 2) & 3,
         (b[at + 2] & 2) != 0});
    if (length <= 4 || at + static_cast<std::size_t>(length) > b.size()) {
      break;
    }
    frames.Offsets.push_back(at);
    at += static_cast<std::size_t>(length);
  }
  frames.End = at;
  frames.EndsCleanly = at == b.size() || (at + 128 == b.size() && b[at] == 'T' &&
                                          b[at + 1] == 'A' && b[at + 2] == 'G');
  return frames;
}

}  // namespace brelvik::exact
