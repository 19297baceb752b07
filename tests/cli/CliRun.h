// Running the built brelvik-split and reading what the tests compare with.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <stdexcept>
#include <string>
#include <vector>

#include "Lame.h"
#include "TempDir.h"

namespace brelvik::testing {

inline CommandResult RunSplitter(const std::vector<std::string>& args) {
  std::vector<std::string> argv = {BRELVIK_SPLIT_EXE};
  argv.insert(argv.end(), args.begin(), args.end());
  return RunCommand(argv);
}

// Offset of the first MPEG 1 Layer III header (0xFF 0xFA or 0xFF 0xFB).
inline std::size_t FirstLayer3Header(const Bytes& bytes) {
  for (std::size_t i = 0; i + 1 < bytes.size(); ++i) {
    if (bytes[i] == 0xFF && (bytes[i + 1] & 0xFE) == 0xFA) {
      return i;
    }
  }
  throw std::runtime_error("no MPEG 1 Layer III header");
}

inline bool HasTextAt(const Bytes& bytes, std::size_t at, const char* text) {
  const std::size_t length = std::strlen(text);
  return at + length <= bytes.size() && std::memcmp(bytes.data() + at, text, length) == 0;
}

inline std::int32_t BigEndianAt(const Bytes& bytes, std::size_t at) {
  return static_cast<std::int32_t>((std::uint32_t{bytes.at(at)} << 24) |
                                   (std::uint32_t{bytes.at(at + 1)} << 16) |
                                   (std::uint32_t{bytes.at(at + 2)} << 8) | bytes.at(at + 3));
}

// Bytes from..to of the source, to clipped at its end.
inline Bytes Slice(const Bytes& bytes, std::size_t from, std::size_t to) {
  to = std::min(to, bytes.size());
  return Bytes(bytes.begin() + static_cast<std::ptrdiff_t>(from),
               bytes.begin() + static_cast<std::ptrdiff_t>(to));
}

}  // namespace brelvik::testing
