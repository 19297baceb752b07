// The file errors every layer raises: EStreamError with the text the user is
// shown, and with the path and the system's reason for the command line's
// longer message.
#pragma once

#include <stdexcept>
#include <string>

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

// A write refused before anything was written (WritePolicy): the name is a
// symbolic link, holds something other than a regular file, is a file the
// run reads, or is the file another name of the run also takes.
class ERefusedSplit : public EStreamError {
 public:
  using EStreamError::EStreamError;
};

}  // namespace brelvik
