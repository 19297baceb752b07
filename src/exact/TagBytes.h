// Reading and writing tags a little at a time, so that a tag of any size
// (cover art of hundreds of megabytes) goes from the source into each piece
// through one small buffer: where the source's bytes come from, where a
// piece's go, and a forward reader over a range of the source, optionally
// undoing ID3v2's unsynchronisation on the way.
#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

namespace brelvik::exact {

using Bytes = std::vector<std::uint8_t>;

// Fills the buffer with the source's bytes from this offset on (all of
// them; it raises the source's read error when they are not there).
using ByteSource = std::function<void(std::int64_t offset, std::span<std::uint8_t> buffer)>;

// Takes the next bytes of a piece.
using ByteSink = std::function<void(std::span<const std::uint8_t> bytes)>;

// A source over bytes held in memory, for tags built or read whole.
ByteSource MemorySource(const Bytes& bytes);

// Hands the source's bytes from..to to the sink in chunks.
void CopyRange(const ByteSource& source, std::int64_t from, std::int64_t to, const ByteSink& sink);

// The source's bytes from..to, one after another.
class RangeReader {
 public:
  // With unsynchronised set, a 0x00 after a 0xFF is taken as the stuffing
  // that ID3v2's unsynchronisation inserts and skipped, together with the
  // 0xFF it follows, so that the byte read is the tag's own.
  RangeReader(const ByteSource& source, std::int64_t from, std::int64_t to,
              bool unsynchronised = false);

  std::int64_t Position() const { return position_ + static_cast<std::int64_t>(at_); }
  std::int64_t RawLeft() const { return to_ - Position(); }
  // Reads the next byte; false at the end of the range.
  bool Get(std::uint8_t& byte);
  // Reads count bytes into out; false when the range ends first.
  bool Read(std::span<std::uint8_t> out);
  // Moves on by count of the tag's own bytes; false when the range ends first.
  bool Skip(std::int64_t count);

 private:
  bool Refill();

  const ByteSource& source_;
  std::int64_t position_;  // of buffer_[0]
  std::int64_t to_;
  bool unsynchronised_;
  std::vector<std::uint8_t> buffer_;
  std::size_t at_ = 0;
  std::size_t held_ = 0;
};

// ID3v2's unsynchronisation: a 0x00 after every 0xFF that a byte of 0xE0 or
// more or a 0x00 follows, and after a final 0xFF.
Bytes Unsynchronised(std::span<const std::uint8_t> bytes);

// A 28-bit number in four bytes of seven bits, most significant first.
std::uint32_t SynchsafeValue(std::span<const std::uint8_t> four);
void PutSynchsafe(std::uint8_t* four, std::uint32_t value);

std::uint32_t BigEndianValue(std::span<const std::uint8_t> bytes);
std::uint32_t LittleEndianValue(std::span<const std::uint8_t> four);
void PutBigEndian(std::uint8_t* at, std::uint32_t value, int bytes);
void PutLittleEndian(std::uint8_t* four, std::uint32_t value);

// The CRC-32 that ID3v2 extended headers state (ISO 3309, as zlib computes it).
class Crc32 {
 public:
  void Add(std::span<const std::uint8_t> bytes);
  std::uint32_t Value() const { return ~value_; }

 private:
  std::uint32_t value_ = 0xFFFFFFFFu;
};

}  // namespace brelvik::exact
