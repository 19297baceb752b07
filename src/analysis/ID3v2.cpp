#include "analysis/ID3v2.h"

#include <array>
#include <utility>

namespace brelvik {
namespace {

struct TagInfo {
  std::array<std::uint8_t, 10> Header{};  // "ID3", version, revision, flags, 4 size bytes
  std::int64_t FileSize = 0;

  bool HasId() const { return Header[0] == 'I' && Header[1] == 'D' && Header[2] == '3'; }

  // Size field plus the 10 header bytes. Each size byte is taken whole, bit 7
  // included, as the tag size has always been read here; the sum stays below 2^30.
  std::int32_t StatedSize() const {
    return static_cast<std::int32_t>((Header[6] << 21) + (Header[7] << 14) + (Header[8] << 7) +
                                     Header[9] + 10);
  }
};

}  // namespace

TID3v2::TID3v2(FileOpener opener) : opener_(std::move(opener)) {}

void TID3v2::Clear() {
  Present = false;
  TagSize = 0;
}

bool TID3v2::ReadTag(const std::string& path) {
  Clear();
  const auto file = opener_(path);
  if (!file) {
    return false;
  }
  TagInfo info;
  const auto got = file->Read(info.Header);
  const auto size = file->Size();
  if (!got || !size || *got < info.Header.size()) {
    return false;
  }
  info.FileSize = *size;
  if (info.HasId()) {
    Present = true;
    const std::int32_t stated = info.StatedSize();
    TagSize = stated <= info.FileSize ? stated : 0;
  }
  return true;
}

}  // namespace brelvik
