#include "playback/BufferedFile.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "io/InputFile.h"

namespace brelvik::playback {
namespace {

constexpr std::size_t kBufferBytes = 64 * 1024;

}  // namespace

BufferedFile::BufferedFile(const std::string& path) : buffer_(kBufferBytes) {
  OpenedFile opened = OpenRegularFile(path);
  if (!opened.File.Valid()) {
    openError_ = opened.Error;
    return;
  }
  fd_ = std::move(opened.File);
  size_ = ::lseek(fd_.Get(), 0, SEEK_END);
  if (size_ < 0) {
    fd_.Close();
  }
}

BufferedFile::~BufferedFile() = default;

ssize_t BufferedFile::ReadAt(void* out, std::size_t count, off_t offset) const {
  const Transfer read = fd_.ReadFullAt(offset, std::span(static_cast<std::uint8_t*>(out), count));
  if (read.Error != 0 && read.Bytes == 0) {
    errno = read.Error;
    return -1;
  }
  return static_cast<ssize_t>(read.Bytes);
}

ssize_t BufferedFile::Refill() {
  const ssize_t got = ReadAt(buffer_.data(), buffer_.size(), position_);
  bufferStart_ = position_;
  bufferLength_ = got > 0 ? static_cast<std::size_t>(got) : 0;
  return got;
}

ssize_t BufferedFile::Read(void* out, std::size_t count) {
  if (stop_ != nullptr && stop_->load(std::memory_order_relaxed)) {
    errno = EINTR;
    return -1;
  }
  auto* target = static_cast<unsigned char*>(out);
  std::size_t done = 0;
  while (done < count) {
    const off_t bufferEnd = bufferStart_ + static_cast<off_t>(bufferLength_);
    if (position_ >= bufferStart_ && position_ < bufferEnd) {
      const auto skip = static_cast<std::size_t>(position_ - bufferStart_);
      const std::size_t part = std::min(bufferLength_ - skip, count - done);
      std::memcpy(target + done, buffer_.data() + skip, part);
      done += part;
      position_ += static_cast<off_t>(part);
      continue;
    }
    // Large reads bypass the buffer; small ones refill it.
    const bool direct = count - done >= buffer_.size();
    const ssize_t got = direct ? ReadAt(target + done, count - done, position_) : Refill();
    if (got <= 0) {
      return done > 0 ? static_cast<ssize_t>(done) : got;
    }
    if (direct) {
      done += static_cast<std::size_t>(got);
      position_ += got;
    }
  }
  return static_cast<ssize_t>(done);
}

off_t BufferedFile::Seek(off_t offset, int whence) {
  off_t target = -1;
  switch (whence) {
    case SEEK_SET:
      target = offset;
      break;
    case SEEK_CUR:
      target = position_ + offset;
      break;
    case SEEK_END:
      target = size_ + offset;
      break;
    default:
      return -1;
  }
  if (target < 0) {
    errno = EINVAL;
    return -1;
  }
  position_ = target;
  return position_;
}

}  // namespace brelvik::playback
