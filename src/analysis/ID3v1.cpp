#include "analysis/ID3v1.h"

#include <array>
#include <cstdint>
#include <utility>

namespace brelvik {

inline constexpr std::int64_t kID3v1TagBytes = 128;

TID3v1::TID3v1(FileOpener opener) : opener_(std::move(opener)) {}

void TID3v1::Clear() {
  Present = false;
}

bool TID3v1::ReadTag(const std::string& path) {
  Clear();
  const auto file = opener_(path);
  if (!file) {
    return false;
  }
  const auto size = file->Size();
  if (!size || !file->Seek(*size - kID3v1TagBytes)) {
    return false;
  }
  std::array<std::uint8_t, kID3v1TagBytes> tag{};
  const auto got = file->Read(tag);
  if (!got || *got != tag.size()) {
    return false;
  }
  Present = tag[0] == 'T' && tag[1] == 'A' && tag[2] == 'G';
  return true;
}

}  // namespace brelvik
