// Read-only file access for the analysis. Nothing here throws: every failure
// comes back as an empty result, which the analysis turns into a false result.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>

namespace brelvik {

class ReadOnlyFile {
 public:
  virtual ~ReadOnlyFile() = default;
  virtual std::optional<std::int64_t> Size() = 0;
  virtual bool Seek(std::int64_t position) = 0;
  // Reads up to buffer.size() bytes from the current position; fewer only at the end.
  virtual std::optional<std::size_t> Read(std::span<std::uint8_t> buffer) = 0;
};

// Opens a file by path for reading; nullptr when it cannot be opened. The
// analysis opens every file through one of these, so that tests can watch
// what it reads.
using FileOpener = std::function<std::unique_ptr<ReadOnlyFile>(const std::string& path)>;

// The opener for files on disk: regular files only, opened without waiting
// (OpenRegularFile).
std::unique_ptr<ReadOnlyFile> OpenFileOnDisk(const std::string& path);

}  // namespace brelvik
