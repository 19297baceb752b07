#include "analysis/ReadOnlyFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace brelvik {
namespace {

class FileOnDisk final : public ReadOnlyFile {
 public:
  explicit FileOnDisk(int fd) : fd_(fd) {}
  FileOnDisk(const FileOnDisk&) = delete;
  FileOnDisk& operator=(const FileOnDisk&) = delete;
  ~FileOnDisk() override { ::close(fd_); }

  std::optional<std::int64_t> Size() override {
    struct stat status {};
    if (::fstat(fd_, &status) != 0) {
      return std::nullopt;
    }
    return static_cast<std::int64_t>(status.st_size);
  }

  bool Seek(std::int64_t position) override {
    return position >= 0 && ::lseek(fd_, static_cast<off_t>(position), SEEK_SET) == position;
  }

  std::optional<std::size_t> Read(std::span<std::uint8_t> buffer) override {
    std::size_t total = 0;
    while (total < buffer.size()) {
      const ssize_t got = ::read(fd_, buffer.data() + total, buffer.size() - total);
      if (got < 0 && errno == EINTR) {
        continue;
      }
      if (got < 0) {
        return std::nullopt;
      }
      if (got == 0) {
        break;
      }
      total += static_cast<std::size_t>(got);
    }
    return total;
  }

 private:
  int fd_;
};

}  // namespace

std::unique_ptr<ReadOnlyFile> OpenFileOnDisk(const std::string& path) {
  const int fd = OpenRegularFile(path);
  if (fd < 0) {
    return nullptr;
  }
  return std::make_unique<FileOnDisk>(fd);
}

int OpenRegularFile(const std::string& path) {
  // Looked at before opening, as opening some devices already does something;
  // and again once open, as the path may have changed in between.
  struct stat status {};
  if (::stat(path.c_str(), &status) == 0 && !S_ISREG(status.st_mode)) {
    errno = EINVAL;
    return -1;
  }
  int fd = -1;
  do {
    fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  } while (fd < 0 && errno == EINTR);
  if (fd < 0) {
    return -1;
  }
  if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
    ::close(fd);
    errno = EINVAL;
    return -1;
  }
  ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
  return fd;
}

}  // namespace brelvik
