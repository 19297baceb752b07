// The split's file streams: RAII over POSIX descriptors. Every failure raises
// EStreamError with the text the user is shown.
#pragma once

#include <cstdint>
#include <span>
#include <stdexcept>
#include <string>

namespace brelvik {

class EStreamError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// A source file open for reading.
class InputFile {
 public:
  explicit InputFile(const std::string& path);  // "Cannot open file %s"
  ~InputFile();
  InputFile(const InputFile&) = delete;
  InputFile& operator=(const InputFile&) = delete;

  std::int64_t Size() const;
  void Seek(std::int64_t position);
  // Fills the whole buffer; "Stream read error" when the file ends first.
  void ReadExactly(std::span<std::uint8_t> buffer);
  // Reads what the file holds at the current position, up to the buffer's
  // size; 0 at the end of the file. "Stream read error" when a read fails.
  std::size_t ReadSome(std::span<std::uint8_t> buffer);
  // Fills the whole buffer from this position, leaving the current position
  // where it is; "Stream read error" when the file ends first.
  void ReadAt(std::int64_t position, std::span<std::uint8_t> buffer);

 private:
  int fd_;
};

// A piece being written. The bytes go to a temporary file beside the
// destination, which Commit renames into place; a writer destroyed without
// Commit removes its temporary file, so a failed piece never leaves a
// truncated file under the piece's name nor destroys a file that was there.
// A file that is replaced keeps its permissions.
class PieceWriter {
 public:
  explicit PieceWriter(const std::string& destination);  // "Cannot create file %s"
  ~PieceWriter();
  PieceWriter(const PieceWriter&) = delete;
  PieceWriter& operator=(const PieceWriter&) = delete;

  void Write(std::span<const std::uint8_t> bytes);  // "Stream write error"
  // Writes over bytes already written, at this offset from the file's start.
  void WriteAt(std::int64_t offset, std::span<const std::uint8_t> bytes);  // "Stream write error"
  void Commit();

 private:
  std::string destination_;  // the file that is replaced (a link's target)
  std::string shownName_;    // the name the user gave, for messages
  std::string temporary_;
  int fd_ = -1;
};

// Whether both paths name one existing file (through links or other
// spellings too).
bool IsSameFile(const std::string& a, const std::string& b);

}  // namespace brelvik
