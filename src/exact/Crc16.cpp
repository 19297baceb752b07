#include "exact/Crc16.h"

#include <array>
#include <cstring>

#if defined(__x86_64__)
#include <immintrin.h>
#endif

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

std::uint16_t TableCrc(std::uint16_t crc, const std::uint8_t* p, std::size_t left) {
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
  return crc;
}

#if defined(__x86_64__)
// Folding with carry-less multiplication: a block A of 128 bits that D bits
// of the message follow stands for A times x^D, which is congruent modulo the
// polynomial to A's halves times x^(D + 63) and x^(D - 1) mod P (times x, as
// the bit-reflected product comes out one place short), 80 bits at most that
// are added to the block D bits on. Four blocks are folded at once; what is
// left at the end goes through the tables as 16 bytes of message.
constexpr std::uint64_t kPolynomialFull = 0x18005;  // x^16 + x^15 + x^2 + 1

constexpr std::uint64_t Reflected(std::uint64_t remainder) {
  std::uint64_t reflected = 0;
  for (int bit = 0; bit < 16; ++bit) {
    reflected |= ((remainder >> bit) & 1u) << (63 - bit);
  }
  return reflected;
}

// x^n mod P, bit-reflected into the 64 bits that a multiplication takes.
constexpr std::uint64_t PowerMod(int n) {
  std::uint64_t remainder = 1;
  for (int i = 0; i < n; ++i) {
    remainder <<= 1;
    if ((remainder & 0x10000u) != 0) {
      remainder ^= kPolynomialFull;
    }
  }
  return Reflected(remainder);
}

constexpr int kLaneBytes = 16;
constexpr int kLanes = 4;

__attribute__((target("pclmul,sse4.1"))) __m128i FoldBy(__m128i block, int bits) {
  const __m128i constants = _mm_set_epi64x(static_cast<long long>(PowerMod(bits - 1)),
                                           static_cast<long long>(PowerMod(bits + 63)));
  return _mm_xor_si128(_mm_clmulepi64_si128(block, constants, 0x00),
                       _mm_clmulepi64_si128(block, constants, 0x11));
}

__attribute__((target("pclmul,sse4.1"))) std::uint16_t FoldedCrc(std::uint16_t crc,
                                                                 const std::uint8_t* p,
                                                                 std::size_t left) {
  static constexpr std::size_t kStep = kLanes * kLaneBytes;
  __m128i lanes[kLanes];
  for (int i = 0; i < kLanes; ++i) {
    lanes[i] = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i * kLaneBytes));
  }
  // A running value is the same as its bytes added to the message's first two.
  lanes[0] = _mm_xor_si128(lanes[0], _mm_cvtsi32_si128(crc));
  p += kStep;
  left -= kStep;
  const __m128i constants = _mm_set_epi64x(static_cast<long long>(PowerMod(kStep * 8 - 1)),
                                           static_cast<long long>(PowerMod(kStep * 8 + 63)));
  for (; left >= kStep; left -= kStep, p += kStep) {
    for (int i = 0; i < kLanes; ++i) {
      const __m128i next = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i * kLaneBytes));
      lanes[i] = _mm_xor_si128(_mm_xor_si128(_mm_clmulepi64_si128(lanes[i], constants, 0x00),
                                             _mm_clmulepi64_si128(lanes[i], constants, 0x11)),
                               next);
    }
  }
  __m128i folded = lanes[kLanes - 1];
  for (int i = 0; i < kLanes - 1; ++i) {
    folded = _mm_xor_si128(folded, FoldBy(lanes[i], (kLanes - 1 - i) * kLaneBytes * 8));
  }
  std::uint8_t block[kLaneBytes];
  _mm_storeu_si128(reinterpret_cast<__m128i*>(block), folded);
  return TableCrc(TableCrc(0, block, kLaneBytes), p, left);
}

bool HasCarryLessMultiply() {
  static const bool has = __builtin_cpu_supports("pclmul") && __builtin_cpu_supports("sse4.1");
  return has;
}
#endif

}  // namespace

void Crc16::Add(std::span<const std::uint8_t> bytes) {
#if defined(__x86_64__)
  if (bytes.size() >= 2 * kLanes * kLaneBytes && HasCarryLessMultiply()) {
    value_ = FoldedCrc(value_, bytes.data(), bytes.size());
    return;
  }
#endif
  value_ = TableCrc(value_, bytes.data(), bytes.size());
}

std::uint16_t Crc16Of(std::span<const std::uint8_t> bytes) {
  Crc16 crc;
  crc.Add(bytes);
  return crc.Value();
}

}  // namespace brelvik::exact
