#include "analysis/ReadOnlyFile.h"

#include <unistd.h>

#include "io/InputFile.h"

namespace brelvik {
namespace {

class FileOnDisk final : public ReadOnlyFile {
 public:
  explicit FileOnDisk(FileDescriptor fd) : fd_(std::move(fd)) {}

  std::optional<std::int64_t> Size() override {
    const auto status = fd_.Status();
    if (!status) {
      return std::nullopt;
    }
    return static_cast<std::int64_t>(status->st_size);
  }

  bool Seek(std::int64_t position) override {
    return position >= 0 && ::lseek(fd_.Get(), static_cast<off_t>(position), SEEK_SET) == position;
  }

  std::optional<std::size_t> Read(std::span<std::uint8_t> buffer) override {
    const Transfer read = fd_.ReadFull(buffer);
    if (read.Error != 0) {
      return std::nullopt;
    }
    return read.Bytes;
  }

 private:
  FileDescriptor fd_;
};

}  // namespace

std::unique_ptr<ReadOnlyFile> OpenFileOnDisk(const std::string& path) {
  OpenedFile opened = OpenRegularFile(path);
  if (!opened.File.Valid()) {
    return nullptr;
  }
  return std::make_unique<FileOnDisk>(std::move(opened.File));
}

}  // namespace brelvik
