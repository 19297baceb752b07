// A file being written (a piece, a cue sheet), put in place whole or not at
// all. The bytes go to a file without a name in the destination's folder
// (O_TMPFILE), which Commit links under the name, so that nothing named is
// left behind whatever ends the program; where the file system has no such
// files, to a hidden temporary file in that folder, which a writer destroyed
// without Commit removes (and an ending signal removes, see EndSignals.h). A
// file already under the name is replaced (renameat) and keeps its
// permissions; it is never written into. The name is checked against the
// WritePolicy when the writer is made and again when the file is put in
// place; renameat replaces whatever entry is there by then itself, never
// following a link.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "io/EndSignals.h"
#include "io/WritePolicy.h"

namespace brelvik {

class PieceWriter {
 public:
  // "Cannot create file %s"; ERefusedSplit for what the policy refuses.
  explicit PieceWriter(const std::string& destination, WritePolicy policy = WritePolicy());
  ~PieceWriter();
  PieceWriter(const PieceWriter&) = delete;
  PieceWriter& operator=(const PieceWriter&) = delete;

  void Write(std::span<const std::uint8_t> bytes);  // "Stream write error"
  // Writes over bytes already written, at this offset from the file's start.
  void WriteAt(std::int64_t offset, std::span<const std::uint8_t> bytes);  // "Stream write error"
  void Commit();

 private:
  void OpenUnnamed();
  void OpenHidden();
  // Links the unnamed file under this name in the folder.
  bool LinkUnnamedAs(const std::string& name) const;
  void LinkUnnamedAsHidden();
  void CloseWritten();
  void PutInPlace();
  void Forget();
  [[noreturn]] void ThrowWriteError(int error) const;
  [[noreturn]] void ThrowCreateError(int error) const;

  OutputPlace place_;
  WritePolicy policy_;
  FileDescriptor file_;
  std::string temporary_;  // the hidden name, empty while the file has none
  std::optional<RegisteredTemporary> registered_;
  bool replaces_ = false;  // a file of that name was there
};

}  // namespace brelvik
