#include "split/FileStreams.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <random>

#include "split/OutputNaming.h"

namespace brelvik {
namespace {

int OpenRetrying(const char* path, int flags, mode_t mode = 0) {
  int fd = -1;
  do {
    fd = ::open(path, flags | O_CLOEXEC, mode);
  } while (fd < 0 && errno == EINTR);
  return fd;
}

std::string FolderOf(const std::string& path) {
  const auto slash = path.rfind('/');
  if (slash == std::string::npos) {
    return ".";
  }
  return slash == 0 ? "/" : path.substr(0, slash);
}

// The file a write to this path lands in: a symbolic link's target, so that
// replacing the piece keeps the link as writing through it did.
std::string ResolveLink(const std::string& path) {
  struct stat status {};
  if (::lstat(path.c_str(), &status) != 0 || !S_ISLNK(status.st_mode)) {
    return path;
  }
  char resolved[PATH_MAX];
  return ::realpath(path.c_str(), resolved) != nullptr ? std::string(resolved) : path;
}

std::string RandomSuffix() {
  static constexpr char kLetters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
  std::random_device device;
  std::uniform_int_distribution<std::size_t> pick(0, sizeof kLetters - 2);
  std::string suffix(8, ' ');
  for (char& c : suffix) {
    c = kLetters[pick(device)];
  }
  return suffix;
}

}  // namespace

InputFile::InputFile(const std::string& path) : fd_(OpenRetrying(path.c_str(), O_RDONLY)) {
  if (fd_ < 0) {
    throw EStreamError("Cannot open file " + path);
  }
}

InputFile::~InputFile() {
  ::close(fd_);
}

std::int64_t InputFile::Size() const {
  struct stat status {};
  if (::fstat(fd_, &status) != 0) {
    throw EStreamError("Stream read error");
  }
  return status.st_size;
}

void InputFile::Seek(std::int64_t position) {
  if (::lseek(fd_, static_cast<off_t>(position), SEEK_SET) != position) {
    throw EStreamError("Stream read error");
  }
}

void InputFile::ReadExactly(std::span<std::uint8_t> buffer) {
  std::size_t done = 0;
  while (done < buffer.size()) {
    const ssize_t got = ::read(fd_, buffer.data() + done, buffer.size() - done);
    if (got < 0 && errno == EINTR) {
      continue;
    }
    if (got <= 0) {
      throw EStreamError("Stream read error");
    }
    done += static_cast<std::size_t>(got);
  }
}

std::size_t InputFile::ReadSome(std::span<std::uint8_t> buffer) {
  std::size_t done = 0;
  while (done < buffer.size()) {
    const ssize_t got = ::read(fd_, buffer.data() + done, buffer.size() - done);
    if (got < 0 && errno == EINTR) {
      continue;
    }
    if (got < 0) {
      throw EStreamError("Stream read error");
    }
    if (got == 0) {
      break;
    }
    done += static_cast<std::size_t>(got);
  }
  return done;
}

void InputFile::ReadAt(std::int64_t position, std::span<std::uint8_t> buffer) {
  std::size_t done = 0;
  while (done < buffer.size()) {
    const ssize_t got = ::pread(fd_, buffer.data() + done, buffer.size() - done,
                                static_cast<off_t>(position) + static_cast<off_t>(done));
    if (got < 0 && errno == EINTR) {
      continue;
    }
    if (got <= 0) {
      throw EStreamError("Stream read error");
    }
    done += static_cast<std::size_t>(got);
  }
}

PieceWriter::PieceWriter(const std::string& destination)
    : destination_(ResolveLink(destination)), shownName_(destination) {
  struct stat status {};
  const bool exists = ::stat(destination_.c_str(), &status) == 0;
  // An existing file we may not write to stays as it is, as a plain
  // overwrite would have left it.
  if (exists && (S_ISDIR(status.st_mode) || ::access(destination_.c_str(), W_OK) != 0)) {
    throw EStreamError("Cannot create file " + shownName_);
  }
  const std::string folder = FolderOf(destination_);
  const std::string name = FileNamePart(destination_).substr(0, 200);
  for (int attempt = 0; attempt < 16 && fd_ < 0; ++attempt) {
    temporary_ = folder + "/." + name + "." + RandomSuffix() + ".part";
    fd_ = OpenRetrying(temporary_.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0666);
    if (fd_ < 0 && errno != EEXIST) {
      break;
    }
  }
  if (fd_ < 0) {
    throw EStreamError("Cannot create file " + shownName_);
  }
  // A replaced file keeps its permissions, as an overwrite in place would.
  if (exists) {
    ::fchmod(fd_, status.st_mode & 07777);
  }
}

PieceWriter::~PieceWriter() {
  if (fd_ >= 0) {
    ::close(fd_);
    ::unlink(temporary_.c_str());
  }
}

void PieceWriter::Write(std::span<const std::uint8_t> bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t put = ::write(fd_, bytes.data() + done, bytes.size() - done);
    if (put < 0 && errno == EINTR) {
      continue;
    }
    if (put <= 0) {
      throw EStreamError("Stream write error");
    }
    done += static_cast<std::size_t>(put);
  }
}

void PieceWriter::WriteAt(std::int64_t offset, std::span<const std::uint8_t> bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t put = ::pwrite(fd_, bytes.data() + done, bytes.size() - done,
                                 static_cast<off_t>(offset) + static_cast<off_t>(done));
    if (put < 0 && errno == EINTR) {
      continue;
    }
    if (put <= 0) {
      throw EStreamError("Stream write error");
    }
    done += static_cast<std::size_t>(put);
  }
}

void PieceWriter::Commit() {
  const int fd = fd_;
  fd_ = -1;
  const bool closed = ::close(fd) == 0;
  if (!closed || ::rename(temporary_.c_str(), destination_.c_str()) != 0) {
    ::unlink(temporary_.c_str());
    throw EStreamError(closed ? "Cannot create file " + shownName_ : "Stream write error");
  }
}

bool IsSameFile(const std::string& a, const std::string& b) {
  struct stat first {};
  struct stat second {};
  return ::stat(a.c_str(), &first) == 0 && ::stat(b.c_str(), &second) == 0 &&
         first.st_dev == second.st_dev && first.st_ino == second.st_ino;
}

}  // namespace brelvik
