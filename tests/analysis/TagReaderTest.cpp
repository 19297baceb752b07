#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>

#include "AnalysisTestFiles.h"
#include "TempDir.h"
#include "analysis/ID3v1.h"
#include "analysis/ID3v2.h"

namespace brelvik {
namespace {

using testing::Bytes;
using testing::CaseName;
using testing::PrintTo;
using testing::TempDir;

struct V1Case {
  const char* Name;
  std::size_t FileSize;
  std::size_t IdFromEnd;  // where the three id bytes start, counted back from the end; 0: none
  const char* Id;
  bool Read;
  bool Present;
};

class ID3v1Test : public ::testing::TestWithParam<V1Case> {};

TEST_P(ID3v1Test, LooksAtTheLast128Bytes) {
  const auto& c = GetParam();
  Bytes bytes(c.FileSize, 0x20);
  if (c.IdFromEnd != 0) {
    std::memcpy(bytes.data() + c.FileSize - c.IdFromEnd, c.Id, 3);
  }
  const TempDir dir;
  testing::WriteBytes(dir.File("a.mp3"), bytes);
  TID3v1 tag;
  EXPECT_EQ(tag.ReadTag(dir.File("a.mp3")), c.Read);
  EXPECT_EQ(tag.Present, c.Present);
}

INSTANTIATE_TEST_SUITE_P(Files, ID3v1Test,
                         ::testing::Values(V1Case{"Tag", 1000, 128, "TAG", true, true},
                                           V1Case{"LowerCaseTag", 1000, 128, "tag", true, false},
                                           V1Case{"OtherId", 1000, 128, "TAX", true, false},
                                           V1Case{"TagOneByteTooEarly", 1000, 129, "TAG", true,
                                                  false},
                                           V1Case{"NoTag", 1000, 0, "", true, false},
                                           V1Case{"Exactly128Bytes", 128, 128, "TAG", true, true},
                                           V1Case{"127Bytes", 127, 127, "TAG", false, false},
                                           V1Case{"100Bytes", 100, 0, "", false, false},
                                           V1Case{"Empty", 0, 0, "", false, false}),
                         CaseName());

TEST(ID3v1, FailsOnWhatIsNoReadableFile) {
  const TempDir dir;
  TID3v1 tag;
  EXPECT_FALSE(tag.ReadTag(dir.File("missing.mp3")));
  EXPECT_FALSE(tag.ReadTag(dir.Path().string()));
  EXPECT_FALSE(tag.Present);
}

TEST(ID3v1, FailedReadForgetsTheEarlierTag) {
  const TempDir dir;
  Bytes bytes(300, 0);
  std::memcpy(bytes.data() + 300 - 128, "TAG", 3);
  testing::WriteBytes(dir.File("tagged.mp3"), bytes);
  testing::WriteBytes(dir.File("short.mp3"), Bytes(100, 0));
  TID3v1 tag;
  ASSERT_TRUE(tag.ReadTag(dir.File("tagged.mp3")));
  ASSERT_TRUE(tag.Present);
  EXPECT_FALSE(tag.ReadTag(dir.File("short.mp3")));
  EXPECT_FALSE(tag.Present);
}

struct V2Case {
  const char* Name;
  Bytes Header;  // the file's first bytes; the rest up to FileSize is zeros
  std::size_t FileSize;
  bool Read;
  bool Present;
  std::int32_t TagSize;
};

Bytes Id3Header(std::uint8_t version, std::uint8_t flags, std::uint8_t s0, std::uint8_t s1,
                std::uint8_t s2, std::uint8_t s3) {
  return {'I', 'D', '3', version, 0, flags, s0, s1, s2, s3};
}

class ID3v2Test : public ::testing::TestWithParam<V2Case> {};

TEST_P(ID3v2Test, GivesTheTagSizeFromTheHeader) {
  const auto& c = GetParam();
  Bytes bytes = c.Header;
  bytes.resize(c.FileSize, 0);
  const TempDir dir;
  testing::WriteBytes(dir.File("a.mp3"), bytes);
  TID3v2 tag;
  EXPECT_EQ(tag.ReadTag(dir.File("a.mp3")), c.Read);
  EXPECT_EQ(tag.Present, c.Present);
  EXPECT_EQ(tag.TagSize, c.TagSize);
}

// Size = s0 × 2^21 + s1 × 2^14 + s2 × 2^7 + s3 + 10, each size byte taken whole.
INSTANTIATE_TEST_SUITE_P(
    Files, ID3v2Test,
    ::testing::Values(
        V2Case{"TwoBlocksAndOne", Id3Header(3, 0, 0, 0, 2, 1), 1000, true, true, 267},
        V2Case{"SevenBitsEach", Id3Header(3, 0, 0, 0, 0x7F, 0x7F), 20000, true, true, 16393},
        V2Case{"Bit7TakenWhole", Id3Header(3, 0, 0, 0, 0, 0x80), 1000, true, true, 138},
        V2Case{"Bit7InEveryByte", Id3Header(3, 0, 0x80, 0x80, 0x80, 0x80), 1000, true, true, 0},
        V2Case{"SizeEqualsFile", Id3Header(3, 0, 0, 0, 2, 1), 267, true, true, 267},
        V2Case{"SizeOneMoreThanFile", Id3Header(3, 0, 0, 0, 2, 1), 266, true, true, 0},
        V2Case{"Version2", Id3Header(2, 0, 0, 0, 2, 1), 1000, true, true, 267},
        V2Case{"Version4WithFooterFlag", Id3Header(4, 0x10, 0, 0, 2, 1), 1000, true, true, 267},
        V2Case{"EmptyTagInTenBytes", Id3Header(3, 0, 0, 0, 0, 0), 10, true, true, 10},
        V2Case{"NineBytes", Id3Header(3, 0, 0, 0, 0, 0), 9, false, false, 0},
        V2Case{"EmptyFile", Bytes{}, 0, false, false, 0},
        V2Case{"LowerCaseId", Bytes{'i', 'd', '3', 3, 0, 0, 0, 0, 2, 1}, 1000, true, false, 0},
        V2Case{"NoTag", Bytes{0xFF, 0xFB, 0x90, 0x00}, 1000, true, false, 0}),
    CaseName());

// 0x80 in the top size byte alone stands for 2^28; a sparse file of exactly
// that size plus 10 holds the whole tag.
TEST(ID3v2, TopSizeByteWithBit7) {
  const TempDir dir;
  constexpr std::int32_t kSize = 0x80 * (1 << 21) + 10;
  testing::WriteSparse(dir.File("a.mp3"), Id3Header(3, 0, 0x80, 0, 0, 0), kSize);
  TID3v2 tag;
  ASSERT_TRUE(tag.ReadTag(dir.File("a.mp3")));
  EXPECT_EQ(tag.TagSize, kSize);
}

TEST(ID3v2, FailsOnWhatIsNoReadableFile) {
  const TempDir dir;
  TID3v2 tag;
  EXPECT_FALSE(tag.ReadTag(dir.File("missing.mp3")));
  EXPECT_FALSE(tag.ReadTag(dir.Path().string()));
  EXPECT_FALSE(tag.Present);
  EXPECT_EQ(tag.TagSize, 0);
}

TEST(ID3v2, FailedReadForgetsTheEarlierTag) {
  const TempDir dir;
  Bytes tagged = Id3Header(3, 0, 0, 0, 2, 1);
  tagged.resize(1000, 0);
  testing::WriteBytes(dir.File("tagged.mp3"), tagged);
  testing::WriteBytes(dir.File("short.mp3"), Bytes{'I', 'D', '3'});
  TID3v2 tag;
  ASSERT_TRUE(tag.ReadTag(dir.File("tagged.mp3")));
  ASSERT_EQ(tag.TagSize, 267);
  EXPECT_FALSE(tag.ReadTag(dir.File("short.mp3")));
  EXPECT_FALSE(tag.Present);
  EXPECT_EQ(tag.TagSize, 0);
}

}  // namespace
}  // namespace brelvik
