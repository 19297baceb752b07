#include "io/InputFile.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstring>

namespace brelvik {
namespace {

constexpr const char* kEndsEarly = "the file ends early";

std::string ReasonOf(int error) {
  return error == EINVAL ? "not a regular file" : std::strerror(error);
}

}  // namespace

OpenedFile OpenRegularFile(const std::string& path) {
  // Looked at before opening, as opening some devices already does something;
  // and again once open, as the path may have changed in between.
  struct stat status {};
  if (::stat(path.c_str(), &status) == 0 && !S_ISREG(status.st_mode)) {
    return {FileDescriptor(), EINVAL};
  }
  FileDescriptor fd(
      RetryInterrupted([&] { return ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK); }));
  if (!fd.Valid()) {
    return {FileDescriptor(), errno};
  }
  const auto opened = fd.Status();
  if (!opened || !S_ISREG(opened->st_mode)) {
    return {FileDescriptor(), EINVAL};
  }
  ::fcntl(fd.Get(), F_SETFL, ::fcntl(fd.Get(), F_GETFL) & ~O_NONBLOCK);
  return {std::move(fd), 0};
}

FileIdentity IdentityOf(const struct stat& status) {
  return {static_cast<std::uint64_t>(status.st_dev), static_cast<std::uint64_t>(status.st_ino)};
}

std::optional<FileIdentity> IdentityOfPath(const std::string& path) {
  struct stat status {};
  if (::stat(path.c_str(), &status) != 0) {
    return std::nullopt;
  }
  return IdentityOf(status);
}

bool IsSameFile(const std::string& a, const std::string& b) {
  const auto first = IdentityOfPath(a);
  return first && first == IdentityOfPath(b);
}

bool IsOtherThanRegularFile(const std::string& path) {
  struct stat status {};
  return ::stat(path.c_str(), &status) == 0 && !S_ISREG(status.st_mode);
}

InputFile::InputFile(const std::string& path) : path_(path) {
  OpenedFile opened = OpenRegularFile(path);
  if (!opened.File.Valid()) {
    throw EStreamError("Cannot open file " + path, path, ReasonOf(opened.Error));
  }
  fd_ = std::move(opened.File);
  if (const auto status = fd_.Status()) {
    identity_ = IdentityOf(*status);
  }
}

void InputFile::ThrowReadError(const std::string& reason) const {
  throw EStreamError("Stream read error", path_, reason);
}

std::int64_t InputFile::Size() const {
  const auto status = fd_.Status();
  if (!status) {
    ThrowReadError(std::strerror(errno));
  }
  return status->st_size;
}

void InputFile::Seek(std::int64_t position) {
  if (::lseek(fd_.Get(), static_cast<off_t>(position), SEEK_SET) != position) {
    ThrowReadError(std::strerror(errno));
  }
}

void InputFile::ReadExactly(std::span<std::uint8_t> buffer) {
  if (ReadSome(buffer) < buffer.size()) {
    ThrowReadError(kEndsEarly);
  }
}

std::size_t InputFile::ReadSome(std::span<std::uint8_t> buffer) {
  const Transfer read = fd_.ReadFull(buffer);
  if (read.Error != 0) {
    ThrowReadError(std::strerror(read.Error));
  }
  return read.Bytes;
}

void InputFile::ReadAt(std::int64_t position, std::span<std::uint8_t> buffer) const {
  const Transfer read = fd_.ReadFullAt(position, buffer);
  if (read.Error != 0) {
    ThrowReadError(std::strerror(read.Error));
  }
  if (read.Bytes < buffer.size()) {
    ThrowReadError(kEndsEarly);
  }
}

}  // namespace brelvik
