// Reads the 10-byte header at the start of a file and gives the total size of
// an ID3v2 tag there. The tag's frames are not read.
#pragma once

#include <cstdint>
#include <string>

#include "analysis/ReadOnlyFile.h"

namespace brelvik {

class TID3v2 {
 public:
  explicit TID3v2(FileOpener opener = OpenFileOnDisk);

  void Clear();
  // True when the file could be opened and its first 10 bytes read, whether or
  // not a tag is there; sets Present and TagSize.
  bool ReadTag(const std::string& path);

  bool Present = false;
  // Bytes of the whole tag, its header included; 0 without a tag or when the
  // stated size is larger than the file.
  std::int32_t TagSize = 0;

 private:
  FileOpener opener_;
};

}  // namespace brelvik
