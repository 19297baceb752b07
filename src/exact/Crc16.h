// The CRC-16 of the LAME tag (polynomial 0x8005, reflected as 0xA001, start
// value 0), for the tag's own bytes and for the music it describes.
#pragma once

#include <cstdint>
#include <span>

namespace brelvik::exact {

class Crc16 {
 public:
  void Add(std::span<const std::uint8_t> bytes);
  std::uint16_t Value() const { return value_; }

 private:
  std::uint16_t value_ = 0;
};

std::uint16_t Crc16Of(std::span<const std::uint8_t> bytes);

}  // namespace brelvik::exact
