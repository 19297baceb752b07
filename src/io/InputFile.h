// Reading files: the one way to open a file for reading (a regular file only,
// never waiting), the source stream of the split built on it, and what a path
// names.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "io/FileDescriptor.h"
#include "io/StreamError.h"

namespace brelvik {

// A regular file open for reading (close-on-exec), or why not: the errno of
// the failure, EINVAL for a path that names no regular file. Opening never
// waits: a FIFO or a device is neither waited for nor kept open.
struct OpenedFile {
  FileDescriptor File;
  int Error = 0;
};
OpenedFile OpenRegularFile(const std::string& path);

// Two files are one when their device and inode are.
struct FileIdentity {
  std::uint64_t Device = 0;
  std::uint64_t Inode = 0;
  auto operator<=>(const FileIdentity&) const = default;
};
FileIdentity IdentityOf(const struct stat& status);
// The identity of the file a path names (through links), if it names one.
std::optional<FileIdentity> IdentityOfPath(const std::string& path);

// Whether both paths name one existing file (through links or other
// spellings too).
bool IsSameFile(const std::string& a, const std::string& b);

// Whether the path names something that exists and is not a regular file
// (following links): a device, a FIFO, a folder, a socket.
bool IsOtherThanRegularFile(const std::string& path);

// A source file open for reading, raising EStreamError with the program's
// texts: "Cannot open file %s", "Stream read error".
class InputFile {
 public:
  explicit InputFile(const std::string& path);  // "Cannot open file %s"

  const std::string& Path() const { return path_; }
  FileIdentity Identity() const { return identity_; }

  std::int64_t Size() const;
  void Seek(std::int64_t position);
  // Fills the whole buffer; "Stream read error" when the file ends first.
  void ReadExactly(std::span<std::uint8_t> buffer);
  // Reads what the file holds at the current position, up to the buffer's
  // size; 0 at the end of the file. "Stream read error" when a read fails.
  std::size_t ReadSome(std::span<std::uint8_t> buffer);
  // Fills the whole buffer from this position, leaving the current position
  // where it is; "Stream read error" when the file ends first.
  void ReadAt(std::int64_t position, std::span<std::uint8_t> buffer) const;

 private:
  [[noreturn]] void ThrowReadError(const std::string& reason) const;

  std::string path_;
  FileDescriptor fd_;
  FileIdentity identity_;
};

}  // namespace brelvik
