#include "split/FileStreams.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <random>

#include "analysis/ReadOnlyFile.h"
#include "split/OutputNaming.h"

namespace brelvik {
namespace {

constexpr const char* kNotRegular = "not a regular file";

// The hidden temporary file being written, for a signal handler.
char gTemporary[PATH_MAX + 1];
volatile std::sig_atomic_t gHasTemporary = 0;

void RegisterTemporary(const std::string& path) {
  gHasTemporary = 0;
  if (path.size() < sizeof gTemporary) {
    std::memcpy(gTemporary, path.c_str(), path.size() + 1);
    gHasTemporary = 1;
  }
}

void ForgetTemporary() {
  gHasTemporary = 0;
}

std::string SystemReason(int error) {
  return error == EINVAL ? kNotRegular : std::strerror(error);
}

int OpenRetrying(const char* path, int flags, mode_t mode = 0) {
  int fd = -1;
  do {
    fd = ::open(path, flags | O_CLOEXEC, mode);
  } while (fd < 0 && errno == EINTR);
  return fd;
}

// The folder a file of this path goes to.
std::string FolderOfFile(const std::string& path) {
  const std::string folder = FolderOf(path);
  return folder.empty() ? "." : folder;
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

std::string HiddenNameBeside(const std::string& destination) {
  return FolderOfFile(destination) + "/." + FileNamePart(destination).substr(0, 200) + "." +
         RandomSuffix() + ".part";
}

bool UnnamedFilesCanBeLinked() {
  static const bool procMounted = ::access("/proc/self/fd", X_OK) == 0;
  return procMounted;
}

}  // namespace

EStreamError::EStreamError(const std::string& text, std::string path, std::string reason)
    : std::runtime_error(text), path_(std::move(path)), reason_(std::move(reason)) {}

std::string EStreamError::Detailed() const {
  std::string detailed = what();
  if (!path_.empty() && detailed.find(path_) == std::string::npos) {
    detailed += ": " + path_;
  }
  if (!reason_.empty()) {
    detailed += ": " + reason_;
  }
  return detailed;
}

InputFile::InputFile(const std::string& path) : path_(path), fd_(OpenRegularFile(path)) {
  if (fd_ < 0) {
    throw EStreamError("Cannot open file " + path, path, SystemReason(errno));
  }
}

InputFile::~InputFile() {
  ::close(fd_);
}

void InputFile::ThrowReadError(const char* reason) const {
  throw EStreamError("Stream read error", path_, reason);
}

std::int64_t InputFile::Size() const {
  struct stat status {};
  if (::fstat(fd_, &status) != 0) {
    ThrowReadError(std::strerror(errno));
  }
  return status.st_size;
}

void InputFile::Seek(std::int64_t position) {
  if (::lseek(fd_, static_cast<off_t>(position), SEEK_SET) != position) {
    ThrowReadError(std::strerror(errno));
  }
}

void InputFile::ReadExactly(std::span<std::uint8_t> buffer) {
  if (ReadSome(buffer) < buffer.size()) {
    ThrowReadError("the file ends early");
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
      ThrowReadError(std::strerror(errno));
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
      ThrowReadError(got == 0 ? "the file ends early" : std::strerror(errno));
    }
    done += static_cast<std::size_t>(got);
  }
}

PieceWriter::PieceWriter(const std::string& destination)
    : destination_(ResolveLink(destination)), shownName_(destination) {
  struct stat status {};
  replaces_ = ::stat(destination_.c_str(), &status) == 0;
  // An existing file we may not write to stays as it is, as a plain
  // overwrite would have left it; anything but a regular file stays too.
  if (replaces_ && !S_ISREG(status.st_mode)) {
    ThrowCreateError(S_ISDIR(status.st_mode) ? std::strerror(EISDIR) : kNotRegular);
  }
  if (replaces_ && ::access(destination_.c_str(), W_OK) != 0) {
    ThrowCreateError(std::strerror(errno));
  }
  // The link would be replaced by the file, not written through.
  if (!replaces_ && IsLinkToNothing(destination)) {
    ThrowCreateError("a link that leads to no file");
  }
  if (UnnamedFilesCanBeLinked()) {
    OpenUnnamed();
  }
  if (fd_ < 0) {
    OpenNamedTemporary();
  }
  // A replaced file keeps its permissions, as an overwrite in place would.
  if (replaces_) {
    ::fchmod(fd_, status.st_mode & 07777);
  }
}

void PieceWriter::OpenUnnamed() {
  fd_ = OpenRetrying(FolderOfFile(destination_).c_str(), O_TMPFILE | O_WRONLY, 0666);
}

void PieceWriter::OpenNamedTemporary() {
  for (int attempt = 0; attempt < 16 && fd_ < 0; ++attempt) {
    temporary_ = HiddenNameBeside(destination_);
    RegisterTemporary(temporary_);
    fd_ = OpenRetrying(temporary_.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0666);
    if (fd_ < 0 && errno != EEXIST) {
      break;
    }
  }
  if (fd_ < 0) {
    const int error = errno;
    ForgetTemporary();
    ThrowCreateError(std::strerror(error));
  }
}

PieceWriter::~PieceWriter() {
  Discard();
}

void PieceWriter::Discard() {
  if (fd_ >= 0) {
    ::close(fd_);
    fd_ = -1;
  }
  if (!temporary_.empty()) {
    ::unlink(temporary_.c_str());
    temporary_.clear();
    ForgetTemporary();
  }
}

void PieceWriter::ThrowWriteError() const {
  throw EStreamError("Stream write error", shownName_, std::strerror(errno));
}

void PieceWriter::ThrowCreateError(const std::string& reason) const {
  throw EStreamError("Cannot create file " + shownName_, shownName_, reason);
}

void PieceWriter::Write(std::span<const std::uint8_t> bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t put = ::write(fd_, bytes.data() + done, bytes.size() - done);
    if (put < 0 && errno == EINTR) {
      continue;
    }
    if (put <= 0) {
      ThrowWriteError();
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
      ThrowWriteError();
    }
    done += static_cast<std::size_t>(put);
  }
}

bool PieceWriter::LinkUnnamedAs(const std::string& name) const {
  const std::string self = "/proc/self/fd/" + std::to_string(fd_);
  return ::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, name.c_str(), AT_SYMLINK_FOLLOW) == 0;
}

void PieceWriter::Commit() {
  const bool unnamed = temporary_.empty();
  if (unnamed) {
    // A new name takes the file at once; a file already there is replaced
    // through a hidden name, which exists only between the two steps.
    if (!replaces_ && LinkUnnamedAs(destination_)) {
      const bool closed = ::close(fd_) == 0;
      fd_ = -1;
      if (!closed) {
        ThrowWriteError();
      }
      return;
    }
    temporary_ = HiddenNameBeside(destination_);
    RegisterTemporary(temporary_);
    if (!LinkUnnamedAs(temporary_)) {
      const int error = errno;
      temporary_.clear();
      ForgetTemporary();
      errno = error;
      ThrowCreateError(std::strerror(error));
    }
  }
  const bool closed = ::close(fd_) == 0;
  fd_ = -1;
  if (!closed) {
    ThrowWriteError();
  }
  if (::rename(temporary_.c_str(), destination_.c_str()) != 0) {
    ThrowCreateError(std::strerror(errno));
  }
  temporary_.clear();
  ForgetTemporary();
}

void RemovePieceTemporary() noexcept {
  if (gHasTemporary != 0) {
    ::unlink(gTemporary);
    gHasTemporary = 0;
  }
}

bool IsSameFile(const std::string& a, const std::string& b) {
  struct stat first {};
  struct stat second {};
  return ::stat(a.c_str(), &first) == 0 && ::stat(b.c_str(), &second) == 0 &&
         first.st_dev == second.st_dev && first.st_ino == second.st_ino;
}

bool IsOtherThanRegularFile(const std::string& path) {
  struct stat status {};
  return ::stat(path.c_str(), &status) == 0 && !S_ISREG(status.st_mode);
}

bool IsLinkToNothing(const std::string& path) {
  struct stat link {};
  struct stat target {};
  return ::lstat(path.c_str(), &link) == 0 && S_ISLNK(link.st_mode) &&
         ::stat(path.c_str(), &target) != 0;
}

std::optional<std::pair<std::uint64_t, std::uint64_t>> FileIdentityOf(const std::string& path) {
  struct stat status {};
  if (::stat(path.c_str(), &status) != 0) {
    return std::nullopt;
  }
  return std::pair<std::uint64_t, std::uint64_t>(status.st_dev, status.st_ino);
}

}  // namespace brelvik
