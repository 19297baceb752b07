#include "exact/SourceWindow.h"

#include <algorithm>
#include <cstring>

namespace brelvik::exact {

SourceWindow::SourceWindow(InputFile& file, std::int64_t fileSize, std::int64_t start)
    : file_(file), fileSize_(fileSize), buffer_(kBufferBytes), bufferStart_(start) {}

std::span<const std::uint8_t> SourceWindow::At(std::int64_t position, std::size_t count) {
  const std::int64_t available = std::max<std::int64_t>(0, fileSize_ - position);
  count =
      static_cast<std::size_t>(std::min<std::int64_t>(static_cast<std::int64_t>(count), available));
  if (position < bufferStart_ || position + static_cast<std::int64_t>(count) >
                                     bufferStart_ + static_cast<std::int64_t>(bufferLength_)) {
    Fill(position, count);
  }
  const auto offset = static_cast<std::size_t>(position - bufferStart_);
  const std::size_t held = std::min(count, bufferLength_ - std::min(offset, bufferLength_));
  return {buffer_.data() + offset, held};
}

// Keeps what the buffer holds from position on (or from the kept position),
// then reads on from the file.
void SourceWindow::Fill(std::int64_t position, std::size_t count) {
  if (keepFrom_ >= bufferStart_ && keepFrom_ < position) {
    count += static_cast<std::size_t>(position - keepFrom_);
    position = keepFrom_;
  }
  const std::int64_t bufferEnd = bufferStart_ + static_cast<std::int64_t>(bufferLength_);
  if (position >= bufferStart_ && position <= bufferEnd) {
    const auto keep = static_cast<std::size_t>(bufferEnd - position);
    std::memmove(buffer_.data(), buffer_.data() + (position - bufferStart_), keep);
    bufferLength_ = keep;
  } else {
    file_.Seek(position);
    bufferLength_ = 0;
  }
  bufferStart_ = position;
  while (bufferLength_ < count) {
    const std::size_t got =
        file_.ReadSome(std::span(buffer_.data() + bufferLength_, buffer_.size() - bufferLength_));
    if (got == 0) {
      break;
    }
    bufferLength_ += got;
  }
}

}  // namespace brelvik::exact
