#include "exact/TagBytes.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace brelvik::exact {
namespace {

constexpr std::size_t kReadBytes = 64 * 1024;
constexpr std::int64_t kCopyBytes = 256 * 1024;

constexpr std::array<std::uint32_t, 256> MakeCrc32Table() {
  std::array<std::uint32_t, 256> table{};
  for (std::uint32_t b = 0; b < 256; ++b) {
    std::uint32_t crc = b;
    for (int bit = 0; bit < 8; ++bit) {
      crc = (crc & 1u) != 0 ? (crc >> 1) ^ 0xEDB88320u : crc >> 1;
    }
    table[b] = crc;
  }
  return table;
}

constexpr std::array<std::uint32_t, 256> kCrc32Table = MakeCrc32Table();

}  // namespace

ByteSource MemorySource(const Bytes& bytes) {
  return [&bytes](std::int64_t offset, std::span<std::uint8_t> buffer) {
    const auto from = static_cast<std::size_t>(offset);
    std::memcpy(buffer.data(), bytes.data() + from, buffer.size());
  };
}

void CopyRange(const ByteSource& source, std::int64_t from, std::int64_t to, const ByteSink& sink) {
  std::vector<std::uint8_t> buffer(static_cast<std::size_t>(std::min(kCopyBytes, to - from)));
  for (std::int64_t at = from; at < to;) {
    const auto count = static_cast<std::size_t>(std::min<std::int64_t>(kCopyBytes, to - at));
    source(at, std::span(buffer.data(), count));
    sink(std::span(buffer.data(), count));
    at += static_cast<std::int64_t>(count);
  }
}

RangeReader::RangeReader(const ByteSource& source, std::int64_t from, std::int64_t to,
                         bool unsynchronised)
    : source_(source), position_(from), to_(to), unsynchronised_(unsynchronised) {}

bool RangeReader::Refill() {
  position_ += static_cast<std::int64_t>(at_);
  at_ = 0;
  held_ = static_cast<std::size_t>(
      std::min<std::int64_t>(static_cast<std::int64_t>(kReadBytes), to_ - position_));
  if (held_ == 0) {
    return false;
  }
  buffer_.resize(kReadBytes);
  source_(position_, std::span(buffer_.data(), held_));
  return true;
}

bool RangeReader::Get(std::uint8_t& byte) {
  if (at_ == held_ && !Refill()) {
    return false;
  }
  byte = buffer_[at_++];
  if (unsynchronised_ && byte == 0xFF && (at_ < held_ || Refill()) && buffer_[at_] == 0x00) {
    ++at_;
  }
  return true;
}

bool RangeReader::Read(std::span<std::uint8_t> out) {
  for (std::uint8_t& byte : out) {
    if (!Get(byte)) {
      return false;
    }
  }
  return true;
}

bool RangeReader::Skip(std::int64_t count) {
  if (unsynchronised_) {
    std::uint8_t byte = 0;
    for (std::int64_t i = 0; i < count; ++i) {
      if (!Get(byte)) {
        return false;
      }
    }
    return true;
  }
  if (count > RawLeft()) {
    return false;
  }
  const auto inBuffer = static_cast<std::int64_t>(held_ - at_);
  if (count <= inBuffer) {
    at_ += static_cast<std::size_t>(count);
  } else {
    position_ += static_cast<std::int64_t>(at_) + count;
    at_ = held_ = 0;
  }
  return true;
}

Bytes Unsynchronised(std::span<const std::uint8_t> bytes) {
  Bytes out;
  out.reserve(bytes.size() + 8);
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    out.push_back(bytes[i]);
    if (bytes[i] == 0xFF && (i + 1 == bytes.size() || bytes[i + 1] >= 0xE0 || bytes[i + 1] == 0)) {
      out.push_back(0x00);
    }
  }
  return out;
}

std::uint32_t SynchsafeValue(std::span<const std::uint8_t> b) {
  return (std::uint32_t{b[0] & 0x7Fu} << 21) | (std::uint32_t{b[1] & 0x7Fu} << 14) |
         (std::uint32_t{b[2] & 0x7Fu} << 7) | (b[3] & 0x7Fu);
}

void PutSynchsafe(std::uint8_t* four, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) {
    four[i] = static_cast<std::uint8_t>((value >> (7 * (3 - i))) & 0x7Fu);
  }
}

std::uint32_t BigEndianValue(std::span<const std::uint8_t> bytes) {
  std::uint32_t value = 0;
  for (const std::uint8_t byte : bytes) {
    value = value << 8 | byte;
  }
  return value;
}

std::uint32_t LittleEndianValue(std::span<const std::uint8_t> b) {
  return std::uint32_t{b[0]} | (std::uint32_t{b[1]} << 8) | (std::uint32_t{b[2]} << 16) |
         (std::uint32_t{b[3]} << 24);
}

void PutBigEndian(std::uint8_t* at, std::uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) {
    at[i] = static_cast<std::uint8_t>(value >> (8 * (bytes - 1 - i)));
  }
}

void PutLittleEndian(std::uint8_t* four, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) {
    four[i] = static_cast<std::uint8_t>(value >> (8 * i));
  }
}

void Crc32::Add(std::span<const std::uint8_t> bytes) {
  for (const std::uint8_t byte : bytes) {
    value_ = kCrc32Table[(value_ ^ byte) & 0xFFu] ^ (value_ >> 8);
  }
}

}  // namespace brelvik::exact
