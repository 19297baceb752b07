// Sequential access to a source file through one large buffer: the bytes at a
// position are handed out as a span into the buffer, read from the file only
// when they are not there yet. Positions only move forward, as a walk over the
// frames does, so each byte of the file is read once.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "io/InputFile.h"

namespace brelvik::exact {

class SourceWindow {
 public:
  static constexpr std::size_t kBufferBytes = 1 << 20;

  // Reads from the file's current position on; the file must be positioned at
  // `start` and outlive the window.
  SourceWindow(InputFile& file, std::int64_t fileSize, std::int64_t start);

  std::int64_t FileSize() const { return fileSize_; }

  // Up to count bytes from position on (fewer only at the end of the file).
  // position may not lie before the last position asked for; count is at most
  // kBufferBytes / 2. The span stays valid until the next call.
  std::span<const std::uint8_t> At(std::int64_t position, std::size_t count);

  // Keeps the bytes from this position on in the buffer when it is refilled,
  // so that a later At may go back to them; the caller lets go of them (by
  // keeping from a later position) before they fill half the buffer.
  void Keep(std::int64_t from) { keepFrom_ = from; }

 private:
  void Fill(std::int64_t position, std::size_t count);

  InputFile& file_;
  std::int64_t fileSize_;
  std::vector<std::uint8_t> buffer_;
  std::int64_t bufferStart_;      // file position of buffer_[0]
  std::size_t bufferLength_ = 0;  // valid bytes in buffer_
  std::int64_t keepFrom_ = -1;
};

}  // namespace brelvik::exact
