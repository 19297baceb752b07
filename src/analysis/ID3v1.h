// Tells whether a file ends in a 128-byte ID3v1 tag. The tag's text is not read.
#pragma once

#include <string>

#include "analysis/ReadOnlyFile.h"

namespace brelvik {

class TID3v1 {
 public:
  explicit TID3v1(FileOpener opener = OpenFileOnDisk);

  void Clear();
  // True when the file could be opened and its last 128 bytes read, whether or
  // not a tag is there; sets Present.
  bool ReadTag(const std::string& path);

  bool Present = false;

 private:
  FileOpener opener_;
};

}  // namespace brelvik
