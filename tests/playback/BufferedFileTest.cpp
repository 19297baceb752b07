#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <random>

#include "TempDir.h"
#include "playback/BufferedFile.h"

namespace brelvik::playback {
namespace {

constexpr std::size_t kFileBytes = 200'000;  // three buffers and a bit

// Reads of one byte to more than a buffer, crossing buffer edges and the end
// of the file, after seeks from the start, the current offset and the end.
TEST(BufferedFileTest, ReadsGiveTheFilesBytesWhereverTheyStart) {
  testing::TempDir dir;
  std::mt19937 generator(3);
  testing::Bytes content(kFileBytes);
  std::generate(content.begin(), content.end(),
                [&] { return static_cast<std::uint8_t>(generator()); });
  testing::WriteBytes(dir.File("data"), content);
  BufferedFile file(dir.File("data"));
  ASSERT_TRUE(file.Valid());

  auto random = [&](std::size_t high) {
    return std::uniform_int_distribution<std::size_t>(0, high)(generator);
  };
  std::size_t offset = 0;
  for (int step = 0; step < 2000; ++step) {
    const int whence = step % 3 == 0 ? SEEK_SET : step % 3 == 1 ? SEEK_END : SEEK_CUR;
    const std::size_t target = step % 5 == 0 ? offset : random(kFileBytes + 10);
    const off_t base = whence == SEEK_SET   ? 0
                       : whence == SEEK_END ? off_t{kFileBytes}
                                            : off_t(offset);
    ASSERT_EQ(file.Seek(static_cast<off_t>(target) - base, whence), static_cast<off_t>(target));
    offset = target;

    const std::size_t count = 1 + random(70'000);
    const std::size_t expected = std::min(count, kFileBytes - std::min(offset, kFileBytes));
    testing::Bytes got(count);
    ASSERT_EQ(file.Read(got.data(), count), static_cast<ssize_t>(expected))
        << count << " at " << offset;
    ASSERT_TRUE(
        std::equal(got.begin(), got.begin() + static_cast<std::ptrdiff_t>(expected),
                   content.begin() + static_cast<std::ptrdiff_t>(std::min(offset, kFileBytes))))
        << count << " at " << offset;
    offset += expected;
  }
  EXPECT_EQ(file.Seek(-1, SEEK_SET), -1);
  EXPECT_FALSE(BufferedFile(dir.File("missing")).Valid());
}

}  // namespace
}  // namespace brelvik::playback
