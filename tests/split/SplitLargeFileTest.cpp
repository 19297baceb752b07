// Pieces of a source larger than 2 GiB, cut at byte offsets past 2^31. The
// source is sparse: only the regions the pieces come from hold real bytes.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <ostream>
#include <random>
#include <string>
#include <vector>

#include "BreakpointLists.h"
#include "TempDir.h"
#include "split/OutputNaming.h"
#include "split/SplitEngine.h"

namespace brelvik {
namespace {

using testing::Bytes;
using testing::ListOf;
using testing::ReadBytes;
using testing::TempDir;

constexpr std::int64_t k2GiB = std::int64_t{1} << 31;
constexpr std::int64_t kSourceBytes = std::int64_t{5} << 29;  // 2.5 GiB
constexpr std::int64_t kMarkerBytes = 65536;
constexpr std::uint16_t kFrameBytes = 1044;

class Descriptor {
 public:
  Descriptor(const std::string& path, int flags)
      : fd_(::open(path.c_str(), flags | O_CLOEXEC, 0644)) {}
  ~Descriptor() {
    if (fd_ >= 0) {
      ::close(fd_);
    }
  }
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  int Get() const { return fd_; }

 private:
  int fd_;
};

void WriteMarkers(int fd, std::int64_t from, unsigned seed) {
  std::mt19937 generator(seed);
  Bytes bytes(static_cast<std::size_t>(kMarkerBytes));
  std::generate(bytes.begin(), bytes.end(), [&] { return static_cast<std::uint8_t>(generator()); });
  ASSERT_EQ(::pwrite(fd, bytes.data(), bytes.size(), static_cast<off_t>(from)),
            static_cast<ssize_t>(bytes.size()));
}

Bytes ReadAt(int fd, std::int64_t from, std::int64_t count) {
  Bytes bytes(static_cast<std::size_t>(count));
  EXPECT_EQ(::pread(fd, bytes.data(), bytes.size(), static_cast<off_t>(from)),
            static_cast<ssize_t>(count));
  return bytes;
}

struct LargeCase {
  const char* Name;
  std::vector<std::string> Breakpoints;
  std::vector<std::size_t> PieceBytes;  // worked out by hand
};

void PrintTo(const LargeCase& row, std::ostream* out) {
  *out << row.Name;
}

class SplitLargeFile : public ::testing::TestWithParam<LargeCase> {};

TEST_P(SplitLargeFile, CopiesTheBytesAtOffsetsPast2GiB) {
  const auto& c = GetParam();
  TempDir dir;
  const std::string source = dir.File("big.mp3");
  {
    Descriptor create(source, O_WRONLY | O_CREAT | O_TRUNC);
    ASSERT_GE(create.Get(), 0);
  }
  std::filesystem::resize_file(source, static_cast<std::uintmax_t>(kSourceBytes));
  Descriptor file(source, O_RDWR);
  ASSERT_GE(file.Get(), 0);
  WriteMarkers(file.Get(), k2GiB - kMarkerBytes, 1);
  WriteMarkers(file.Get(), k2GiB, 2);
  WriteMarkers(file.Get(), kSourceBytes - kMarkerBytes, 3);

  const std::string splitTemplate = MakeTemplate(source);
  InputFile input(source);
  Split(input, splitTemplate, kFrameBytes, ListOf(c.Breakpoints), {});

  for (std::size_t i = 0; i + 1 < c.Breakpoints.size(); ++i) {
    const auto piece = ReadBytes(PieceName(splitTemplate, static_cast<int>(i + 1)));
    ASSERT_EQ(piece.size(), c.PieceBytes.at(i)) << "piece " << i + 1;
    const std::int64_t from = std::stoll(c.Breakpoints[i]) * kFrameBytes;
    const std::int64_t to =
        std::min<std::int64_t>(std::stoll(c.Breakpoints[i + 1]) * kFrameBytes, kSourceBytes);
    if (from < to) {
      const bool marked = (from >= k2GiB - kMarkerBytes && to <= k2GiB + kMarkerBytes) ||
                          from >= kSourceBytes - kMarkerBytes;
      ASSERT_TRUE(marked) << "piece " << i + 1 << " lies outside the written regions";
      EXPECT_EQ(piece, ReadAt(file.Get(), from, to - from)) << "piece " << i + 1;
    }
  }
}

// 2^31 / 1044 = 2,056,976.7 and 2.5 GiB / 1044 = 2,571,220.8.
INSTANTIATE_TEST_SUITE_P(
    Regions, SplitLargeFile,
    ::testing::Values(
        // Byte offsets 2^31 - 27,848, - 6,968, + 340, + 13,912, + 24,352.
        LargeCase{"Around2GiB",
                  {"2056950", "2056970", "2056977", "2056990", "2057000"},
                  {20 * 1044, 7 * 1044, 13 * 1044, 10 * 1044}},
        // Byte offsets end - 21,760, end - 6,100, end + 164, end + 9,560.
        LargeCase{"AtTheEnd", {"2571200", "2571215", "2571221", "2571230"}, {15 * 1044, 6100, 0}}));

}  // namespace
}  // namespace brelvik
