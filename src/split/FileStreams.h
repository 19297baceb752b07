// The split's file streams: RAII over POSIX descriptors. Every failure raises
// EStreamError with the text the user is shown, and with the path and the
// system's reason for the command line's longer message.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <utility>

namespace brelvik {

class EStreamError : public std::runtime_error {
 public:
  explicit EStreamError(const std::string& text, std::string path = {}, std::string reason = {});

  const std::string& Path() const { return path_; }
  const std::string& Reason() const { return reason_; }
  // The text, then the path when the text does not name it, then the reason:
  // "Stream write error: /out/set-2.mp3: No space left on device".
  std::string Detailed() const;

 private:
  std::string path_;
  std::string reason_;
};

// A split refused before anything was written: a piece would overwrite the
// source, or its name holds something other than a regular file.
class ERefusedSplit : public EStreamError {
 public:
  using EStreamError::EStreamError;
};

// A source file open for reading. Only regular files are opened, and opening
// never waits (on a FIFO, say).
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
  [[noreturn]] void ThrowReadError(const char* reason) const;

  std::string path_;
  int fd_;
};

// A piece being written. The bytes go to a file without a name in the
// destination's folder (O_TMPFILE), which Commit links into place, so that
// nothing named is left behind whatever ends the program; where the file
// system has no such files, to a hidden temporary file beside the destination,
// which a writer destroyed without Commit removes (and RemovePieceTemporary
// removes from a signal handler). A failed piece never leaves a truncated file
// under the piece's name nor destroys a file that was there; a file that is
// replaced keeps its permissions. Only a missing name or a regular file
// (through a link too) is written.
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
  void OpenUnnamed();
  void OpenNamedTemporary();
  // Links the unnamed file under a new hidden name in the folder.
  bool LinkUnnamedAs(const std::string& name) const;
  void Discard();
  [[noreturn]] void ThrowWriteError() const;
  [[noreturn]] void ThrowCreateError(const std::string& reason) const;

  std::string destination_;  // the file that is replaced (a link's target)
  std::string shownName_;    // the name the user gave, for messages
  std::string temporary_;    // empty while the file has no name
  bool replaces_ = false;    // a file of that name was there
  int fd_ = -1;
};

// Removes the hidden temporary file of the piece being written, if there is
// one. Safe to call from a signal handler.
void RemovePieceTemporary() noexcept;

// Whether both paths name one existing file (through links or other
// spellings too).
bool IsSameFile(const std::string& a, const std::string& b);

// Whether the path names something that exists and is not a regular file
// (following links): a device, a FIFO, a folder, a socket.
bool IsOtherThanRegularFile(const std::string& path);

// Whether the path is a symbolic link that leads to no file (its target
// missing, or links that go round in a circle).
bool IsLinkToNothing(const std::string& path);

// The device and inode of the file the path names (through links), if it
// names one: two paths with one identity are one file.
std::optional<std::pair<std::uint64_t, std::uint64_t>> FileIdentityOf(const std::string& path);

}  // namespace brelvik
