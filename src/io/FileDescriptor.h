// One owned POSIX file descriptor, with reads and writes that move every byte
// asked for unless the file ends or the system refuses. The only place that
// calls the system again when a signal interrupts it (EINTR).
#pragma once

#include <sys/stat.h>

#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

namespace brelvik {

// Repeats a system call while it fails with EINTR; its last result.
template <typename Call>
auto RetryInterrupted(Call call) {
  auto result = call();
  while (result == -1 && errno == EINTR) {
    result = call();
  }
  return result;
}

// What a full read or write moved: fewer bytes than asked for means the file
// ended (a read) or the system refused (Error is then its errno).
struct Transfer {
  std::size_t Bytes = 0;
  int Error = 0;
};

class FileDescriptor {
 public:
  FileDescriptor() = default;
  explicit FileDescriptor(int fd) noexcept : fd_(fd) {}
  ~FileDescriptor();
  FileDescriptor(FileDescriptor&& other) noexcept : fd_(other.Release()) {}
  FileDescriptor& operator=(FileDescriptor&& other) noexcept;
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;

  bool Valid() const { return fd_ >= 0; }
  int Get() const { return fd_; }
  int Release() noexcept;
  // Closes it now; false (with errno) when the system reports a failure,
  // which for a written file may be the last write's.
  bool Close() noexcept;

  // From the current position, until the buffer is full or the file ends.
  Transfer ReadFull(std::span<std::uint8_t> buffer) const;
  // From offset on, leaving the current position where it is.
  Transfer ReadFullAt(std::int64_t offset, std::span<std::uint8_t> buffer) const;
  Transfer WriteFull(std::span<const std::uint8_t> bytes) const;
  Transfer WriteFullAt(std::int64_t offset, std::span<const std::uint8_t> bytes) const;

  // fstat(2) of the file; nothing (with errno) when it fails.
  std::optional<struct stat> Status() const;

 private:
  int fd_ = -1;
};

}  // namespace brelvik
