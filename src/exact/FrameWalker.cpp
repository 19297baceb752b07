#include "exact/FrameWalker.h"

#include <cstring>

namespace brelvik::exact {
namespace {

// Frames that must follow a candidate for it to count as the stream's start.
constexpr int kConfirmingFrames = 2;
// A candidate and the headers of its confirming frames at the longest length.
constexpr std::size_t kConfirmationBytes = (kConfirmingFrames + 1) * 1800;
constexpr std::size_t kScanBytes = 256 * 1024;

bool Confirmed(std::span<const std::uint8_t> bytes, const FrameHeader& first) {
  std::size_t at = first.FrameLength;
  for (int confirmed = 0; confirmed < kConfirmingFrames; ++confirmed) {
    if (at + 4 > bytes.size()) {
      return true;  // the file ends first
    }
    FrameHeader next;
    if (!ReadHeader(bytes.subspan(at), next) || FormatOf(next) != FormatOf(first)) {
      return false;
    }
    at += next.FrameLength;
  }
  return true;
}

// A header that would be acceptable but for its bit-rate index 0: a frame in
// free format, whose length no header states.
bool IsFreeFormatHeader(std::span<const std::uint8_t> b) {
  return b.size() >= 4 && b[0] == 0xFF && (b[1] & 0xE0) == 0xE0 && ((b[1] >> 3) & 3) != 1 &&
         ((b[1] >> 1) & 3) != 0 && (b[2] >> 4) == 0 && ((b[2] >> 2) & 3) != 3;
}

}  // namespace

FrameWalker::FrameWalker(SourceWindow& window, std::int64_t first, StreamFormat format)
    : window_(window), position_(first), format_(format) {}

std::optional<Frame> FrameWalker::Next() {
  Frame frame;
  frame.Offset = position_;
  const auto four = window_.At(position_, 4);
  // Most frames repeat the header before them, whose decoding is known.
  if (four.size() == 4 && known_ && std::memcmp(four.data(), last_.RawBytes.data(), 4) == 0) {
    frame.Header = last_;
  } else if (ReadHeader(four, frame.Header) && FormatOf(frame.Header) == format_) {
    last_ = frame.Header;
    known_ = true;
  } else {
    return std::nullopt;
  }
  frame.Bytes = window_.At(position_, frame.Header.FrameLength);
  if (frame.Bytes.size() < frame.Header.FrameLength) {
    return std::nullopt;  // cut off by the end of the file
  }
  position_ += frame.Header.FrameLength;
  return frame;
}

std::optional<Frame> FrameAt(SourceWindow& window, std::int64_t position, StreamFormat format) {
  Frame frame;
  frame.Offset = position;
  if (!ReadHeader(window.At(position, 4), frame.Header) || FormatOf(frame.Header) != format) {
    return std::nullopt;
  }
  frame.Bytes = window.At(position, frame.Header.FrameLength);
  if (frame.Bytes.size() < frame.Header.FrameLength) {
    return std::nullopt;  // cut off by the end of the file
  }
  return frame;
}

FirstFrameSearch FindFirstFrame(SourceWindow& window, std::int64_t from) {
  FirstFrameSearch search;
  for (std::int64_t position = from; position + 4 <= window.FileSize();) {
    const auto chunk = window.At(position, kScanBytes);
    const void* sync = std::memchr(chunk.data(), 0xFF, chunk.size() - 3);
    if (sync == nullptr) {
      position += static_cast<std::int64_t>(chunk.size() - 3);
      continue;
    }
    position += static_cast<const std::uint8_t*>(sync) - chunk.data();
    const auto bytes = window.At(position, kConfirmationBytes);
    Frame frame;
    if (ReadHeader(bytes, frame.Header) && Confirmed(bytes, frame.Header)) {
      frame.Offset = position;
      frame.Bytes = window.At(position, frame.Header.FrameLength);
      if (frame.Bytes.size() == frame.Header.FrameLength) {
        search.First = frame;
        return search;
      }
    }
    search.FreeFormat = search.FreeFormat || IsFreeFormatHeader(bytes);
    ++position;
  }
  return search;
}

}  // namespace brelvik::exact
