#include "exact/Crc16.h"

#include <array>

namespace brelvik::exact {
namespace {

constexpr std::uint16_t kPolynomial = 0xA001;
constexpr int kSlices = 16;

// Table t[s][b]: the CRC of byte b followed by s zero bytes, so that sixteen
// bytes are folded in per step instead of one (slicing by sixteen); the music
// CRC runs over every byte of every piece.
using Tables = std::array<std::array<std::uint16_t, 256>, kSlices>;

constexpr Tables MakeTables() {
  Tables t{};
  for (unsigned b = 0; b < 256; ++b) {
    std::uint16_t crc = static_cast<std::uint16_t>(b);
    for (int bit = 0; bit < 8; ++bit) {
      crc = static_cast<std::uint16_t>((crc & 1u) != 0 ? (crc >> 1) ^ kPolynomial : crc >> 1);
    }
    t[0][b] = crc;
  }
  for (unsigned b = 0; b < 256; ++b) {
    for (int s = 1; s < kSlices; ++s) {
      const std::uint16_t previous = t[static_cast<std::size_t>(s - 1)][b];
      t[static_cast<std::size_t>(s)][b] =
          static_cast<std::uint16_t>((previous >> 8) ^ t[0][previous & 0xFFu]);
    }
  }
  return t;
}

constexpr Tables kTables = MakeTables();

}  // namespace

void Crc16::Add(std::span<const std::uint8_t> bytes) {
  std::uint16_t crc = value_;
  const std::uint8_t* p = bytes.data();
  std::size_t left = bytes.size();
  for (; left >= kSlices; left -= kSlices, p += kSlices) {
    const unsigned first = (p[0] | (p[1] << 8)) ^ crc;
    crc = static_cast<std::uint16_t>(kTables[15][first & 0xFFu] ^ kTables[14][first >> 8] ^
                                     kTables[13][p[2]] ^ kTables[12][p[3]] ^ kTables[11][p[4]] ^
                                     kTables[10][p[5]] ^ kTables[9][p[6]] ^ kTables[8][p[7]] ^
                                     kTables[7][p[8]] ^ kTables[6][p[9]] ^ kTables[5][p[10]] ^
                                     kTables[4][p[11]] ^ kTables[3][p[12]] ^ kTables[2][p[13]] ^
                                     kTables[1][p[14]] ^ kTables[0][p[15]]);
  }
  for (; left > 0; --left, ++p) {
    crc = static_cast<std::uint16_t>((crc >> 8) ^ kTables[0][(crc ^ *p) & 0xFFu]);
  }
  value_ = crc;
}

std::uint16_t Crc16Of(std::span<const std::uint8_t> bytes) {
  Crc16 crc;
  crc.Add(bytes);
  return crc.Value();
}

}  // namespace brelvik::exact
