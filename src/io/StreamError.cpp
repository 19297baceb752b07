#include "io/StreamError.h"

#include <utility>

namespace brelvik {

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

}  // namespace brelvik
