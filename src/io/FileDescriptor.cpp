#include "io/FileDescriptor.h"

#include <unistd.h>

#include <utility>

namespace brelvik {
namespace {

// Runs one transfer call (read, write, pread, pwrite) until all is moved, the
// call gives 0 (the end of the file) or fails.
template <typename Byte, typename Call>
Transfer Full(std::span<Byte> bytes, Call call, bool endIsError) {
  Transfer transfer;
  while (transfer.Bytes < bytes.size()) {
    const ssize_t moved = RetryInterrupted(
        [&] { return call(bytes.data() + transfer.Bytes, bytes.size() - transfer.Bytes); });
    if (moved < 0) {
      transfer.Error = errno;
      break;
    }
    if (moved == 0) {
      // A write that moves nothing would never end.
      transfer.Error = endIsError ? EIO : 0;
      break;
    }
    transfer.Bytes += static_cast<std::size_t>(moved);
  }
  return transfer;
}

off_t At(std::int64_t offset, std::size_t done) {
  return static_cast<off_t>(offset) + static_cast<off_t>(done);
}

}  // namespace

FileDescriptor::~FileDescriptor() {
  Close();
}

FileDescriptor& FileDescriptor::operator=(FileDescriptor&& other) noexcept {
  if (this != &other) {
    Close();
    fd_ = other.Release();
  }
  return *this;
}

int FileDescriptor::Release() noexcept {
  return std::exchange(fd_, -1);
}

bool FileDescriptor::Close() noexcept {
  if (fd_ < 0) {
    return true;
  }
  // Not retried: after EINTR the descriptor is already closed on Linux.
  return ::close(std::exchange(fd_, -1)) == 0;
}

Transfer FileDescriptor::ReadFull(std::span<std::uint8_t> buffer) const {
  return Full(
      buffer, [this](std::uint8_t* to, std::size_t count) { return ::read(fd_, to, count); },
      false);
}

Transfer FileDescriptor::ReadFullAt(std::int64_t offset, std::span<std::uint8_t> buffer) const {
  const std::uint8_t* const start = buffer.data();
  return Full(
      buffer,
      [this, offset, start](std::uint8_t* to, std::size_t count) {
        return ::pread(fd_, to, count, At(offset, static_cast<std::size_t>(to - start)));
      },
      false);
}

Transfer FileDescriptor::WriteFull(std::span<const std::uint8_t> bytes) const {
  return Full(
      bytes,
      [this](const std::uint8_t* from, std::size_t count) { return ::write(fd_, from, count); },
      true);
}

Transfer FileDescriptor::WriteFullAt(std::int64_t offset,
                                     std::span<const std::uint8_t> bytes) const {
  const std::uint8_t* const start = bytes.data();
  return Full(
      bytes,
      [this, offset, start](const std::uint8_t* from, std::size_t count) {
        return ::pwrite(fd_, from, count, At(offset, static_cast<std::size_t>(from - start)));
      },
      true);
}

std::optional<struct stat> FileDescriptor::Status() const {
  struct stat status {};
  if (::fstat(fd_, &status) != 0) {
    return std::nullopt;
  }
  return status;
}

}  // namespace brelvik
