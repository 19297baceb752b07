// A read-only file behind a 64 KiB buffer, as the decoder's byte source.
// The decoder reads every frame header and body separately; serving those
// small reads from one buffer instead of one system call each makes the full
// scan on open about twenty times faster.
#pragma once

#include <sys/types.h>

#include <atomic>
#include <cstddef>
#include <string>
#include <vector>

#include "io/FileDescriptor.h"

namespace brelvik::playback {

class BufferedFile {
 public:
  // Opens path for reading, a regular file only and without waiting on a
  // FIFO; Valid() tells whether that worked and OpenError why not (EINVAL:
  // not a regular file).
  explicit BufferedFile(const std::string& path);
  ~BufferedFile();
  BufferedFile(const BufferedFile&) = delete;
  BufferedFile& operator=(const BufferedFile&) = delete;

  bool Valid() const { return fd_.Valid(); }
  int OpenError() const { return openError_; }

  // From now on every Read fails (-1, errno EINTR) once *stop is true, so
  // that a decoder reading through this file gives up at once, even in the
  // middle of a long scan.
  void FailReadsWhen(const std::atomic<bool>* stop) { stop_ = stop; }

  // Like read(2): the number of bytes copied (0 at the end), or -1.
  ssize_t Read(void* out, std::size_t count);
  // Like lseek(2): the new offset, or -1.
  off_t Seek(off_t offset, int whence);

 private:
  // Fills the buffer from the current position; the read(2) result.
  ssize_t Refill();
  // Like pread(2), but as many bytes as the file holds there.
  ssize_t ReadAt(void* out, std::size_t count, off_t offset) const;

  FileDescriptor fd_;
  int openError_ = 0;
  off_t size_ = 0;
  off_t position_ = 0;
  std::vector<unsigned char> buffer_;
  off_t bufferStart_ = 0;
  std::size_t bufferLength_ = 0;
  const std::atomic<bool>* stop_ = nullptr;
};

}  // namespace brelvik::playback
