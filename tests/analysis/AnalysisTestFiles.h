// Helpers shared by the analysis tests: readable failure output for the
// analysis records, sparse files far larger than the disk space they use, and
// frame counts that fill a given size.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <ostream>
#include <stdexcept>
#include <string>

#include "StreamBuilder.h"
#include "TempDir.h"
#include "analysis/FrameHeader.h"
#include "analysis/MPEGaudio.h"

namespace brelvik {

inline void PrintTo(const FrameHeader& h, std::ostream* os) {
  *os << "{Found " << h.Found << ", Offset " << h.Offset << ", FrameLength " << h.FrameLength
      << ", Version " << int{h.VersionIndex} << ", Layer " << int{h.LayerIndex} << ", Crc "
      << h.CrcProtected << ", BitRateIndex " << h.BitRateIndex << ", SampleRateIndex "
      << h.SampleRateIndex << ", Padded " << h.Padded << ", Private " << h.PrivateBit
      << ", ChannelMode " << int{h.ChannelMode} << ", ModeExtension " << int{h.ModeExtension}
      << ", Copyright " << h.Copyright << ", Original " << h.Original << ", Emphasis "
      << int{h.Emphasis} << "}";
}

inline void PrintTo(const VBRData& v, std::ostream* os) {
  *os << "{Found " << v.Found << ", FrameCount " << v.FrameCount << ", ByteCount " << v.ByteCount
      << "}";
}

namespace testing {

// Smallest number of frames of the given header that together hold at least minBytes.
inline int FramesFor(const HeaderFields& fields, std::int64_t minBytes) {
  const std::int64_t length = StandardFrameLength(fields);
  return static_cast<int>((minBytes + length - 1) / length);
}

// Writes head and then grows the file to size bytes without writing them: the
// file system keeps the rest as a hole, so gigabyte files cost no disk space.
inline void WriteSparse(const std::string& path, const Bytes& head, std::uintmax_t size) {
  WriteBytes(path, head);
  std::filesystem::resize_file(path, size);
}

inline void OverwriteAt(const std::string& path, std::int64_t offset, const Bytes& bytes) {
  std::fstream file(path, std::ios::binary | std::ios::in | std::ios::out);
  file.seekp(offset);
  file.write(reinterpret_cast<const char*>(bytes.data()),
             static_cast<std::streamsize>(bytes.size()));
  if (!file) {
    throw std::runtime_error("cannot write " + path);
  }
}

inline Bytes ID3v1TagBytes() {
  return StreamBuilder().ID3v1().Get();
}

// Prints a table case by its name, in test listings and failure messages.
// Bring it into the cases' namespace with a using-declaration.
template <class Case>
requires requires(const Case& c) {
  std::string(c.Name);
}
void PrintTo(const Case& c, std::ostream* os) {
  *os << c.Name;
}

// Names the cases of a parameterised table after their Name field.
struct CaseName {
  template <class Info>
  std::string operator()(const Info& info) const {
    return info.param.Name;
  }
};

}  // namespace testing
}  // namespace brelvik
