#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "AnalysisTestFiles.h"
#include "Lame.h"
#include "StreamBuilder.h"
#include "TempDir.h"
#include "analysis/MPEGaudio.h"

namespace brelvik {
namespace {

using testing::Bytes;
using testing::HeaderFields;
using testing::PrintTo;
using testing::TempDir;

constexpr double kToneSeconds = 2.0;

struct RealCase {
  const char* Name;
  std::vector<std::string> LameArgs;
  int Kbps;  // the constant rate asked for; 0 for a variable rate
  bool Mono;
  bool Id3v1;
  bool Id3v2;
};

// What the test finds in the file by itself: the first header that starts a
// run of frames, and the run walked with the standard frame lengths.
struct Scan {
  std::int64_t FirstHeaderAt = -1;
  HeaderFields First;
  int Frames = 0;
  std::int64_t FrameBytes = 0;
};

HeaderFields FieldsAt(const Bytes& b, std::size_t at) {
  HeaderFields fields;
  fields.VersionIndex = (b[at + 1] >> 3) & 3;
  fields.LayerIndex = (b[at + 1] >> 1) & 3;
  fields.Crc = (b[at + 1] & 1) == 0;
  fields.BitRateIndex = b[at + 2] >> 4;
  fields.SampleRateIndex = (b[at + 2] >> 2) & 3;
  fields.Padded = (b[at + 2] & 2) != 0;
  fields.ChannelMode = b[at + 3] >> 6;
  fields.Emphasis = b[at + 3] & 3;
  return fields;
}

// "FF Ex" with a usable version, layer, bit rate and sample rate.
bool HeaderAt(const Bytes& b, std::size_t at) {
  if (at + 4 > b.size() || b[at] != 0xFF || (b[at + 1] & 0xE0) != 0xE0) {
    return false;
  }
  const HeaderFields fields = FieldsAt(b, at);
  return fields.VersionIndex != 1 && fields.LayerIndex != 0 && fields.BitRateIndex != 0 &&
         fields.BitRateIndex != 15 && fields.SampleRateIndex != 3;
}

Scan WalkFrom(const Bytes& bytes, std::size_t at) {
  Scan scan;
  scan.FirstHeaderAt = static_cast<std::int64_t>(at);
  scan.First = FieldsAt(bytes, at);
  while (HeaderAt(bytes, at)) {
    const auto length = static_cast<std::size_t>(testing::StandardFrameLength(FieldsAt(bytes, at)));
    ++scan.Frames;
    scan.FrameBytes += static_cast<std::int64_t>(length);
    at += length;
  }
  return scan;
}

// Tag text can hold "FF Ex" too (a UTF-16 byte order mark is FF FE): the
// audio starts at the first header that three frames follow.
Scan ScanFile(const Bytes& bytes) {
  for (std::size_t at = 0; at + 4 <= bytes.size(); ++at) {
    if (HeaderAt(bytes, at)) {
      const Scan scan = WalkFrom(bytes, at);
      if (scan.Frames > 3) {
        return scan;
      }
    }
  }
  return {};
}

int SamplesPerFrame(const HeaderFields& fields) {
  if (fields.LayerIndex == 3) {
    return 384;
  }
  return fields.LayerIndex == 1 && fields.VersionIndex != 3 ? 576 : 1152;
}

int SampleRate(const HeaderFields& fields) {
  constexpr int kRates[4][3] = {
      {11025, 12000, 8000}, {0, 0, 0}, {22050, 24000, 16000}, {44100, 48000, 32000}};
  return kRates[fields.VersionIndex][fields.SampleRateIndex];
}

class RealFileTest : public ::testing::TestWithParam<RealCase> {};

TEST_P(RealFileTest, FiguresMatchTheEncodedFile) {
  const auto& c = GetParam();
  const TempDir dir;
  const std::string path =
      testing::EncodeWithLame(dir, "tone", {.Seconds = kToneSeconds, .LameArgs = c.LameArgs});
  const Scan scan = ScanFile(testing::ReadBytes(path));
  ASSERT_GE(scan.FirstHeaderAt, 0);
  ASSERT_GT(scan.Frames, 10);
  const double frameSeconds =
      static_cast<double>(SamplesPerFrame(scan.First)) / SampleRate(scan.First);

  TMPEGaudio audio;
  ASSERT_TRUE(audio.Analyse(path));
  ASSERT_TRUE(audio.IsValid());
  EXPECT_EQ(audio.TagV1().Present, c.Id3v1);
  EXPECT_EQ(audio.TagV2().Present, c.Id3v2);
  EXPECT_EQ(audio.TagV2().TagSize, scan.FirstHeaderAt);
  EXPECT_EQ(audio.FirstFrame().Offset, 0);
  EXPECT_EQ(audio.FirstFrame().FrameLength, testing::StandardFrameLength(scan.First));
  EXPECT_EQ(audio.FirstFrame().ChannelMode == 3, c.Mono);

  if (c.Kbps != 0) {
    EXPECT_FALSE(audio.Vbr().Found);
    EXPECT_EQ(audio.BitRateKbps(), c.Kbps);
    EXPECT_EQ(audio.FrameTotal(),
              (audio.FileLength() - scan.FirstHeaderAt) / audio.FirstFrame().FrameLength);
    EXPECT_NEAR(audio.FrameTotal(), scan.Frames, 1);
  } else {
    EXPECT_TRUE(audio.Vbr().Found);
    // lame's count leaves out the frame that holds the header.
    EXPECT_EQ(audio.FrameTotal(), scan.Frames - 1);
    const double averageKbps =
        static_cast<double>(scan.FrameBytes) * 8 / (scan.Frames * frameSeconds) / 1000;
    EXPECT_NEAR(audio.BitRateKbps(), averageKbps, 3);
  }
  EXPECT_NEAR(audio.DurationSecs(), scan.Frames * frameSeconds, 1.01 * frameSeconds);
  // The encoder adds a little silence at both ends.
  EXPECT_NEAR(audio.DurationSecs(), kToneSeconds, 4 * frameSeconds);
}

INSTANTIATE_TEST_SUITE_P(
    Lame, RealFileTest,
    ::testing::Values(
        RealCase{"Cbr128", {"-b", "128"}, 128, false, false, false},
        RealCase{"VbrV2", {"-V", "2"}, 0, false, false, false},
        RealCase{"Mpeg2Cbr", {"--resample", "22.05", "-b", "64"}, 64, false, false, false},
        RealCase{"Mpeg2Vbr", {"--resample", "24", "-V", "2"}, 0, false, false, false},
        RealCase{"Mpeg25Cbr", {"--resample", "8", "-b", "16"}, 16, false, false, false},
        RealCase{"Mpeg25At11025", {"--resample", "11.025", "-b", "32"}, 32, false, false, false},
        RealCase{"MonoCbr", {"-m", "m", "-b", "96"}, 96, true, false, false},
        RealCase{"MonoVbr", {"-m", "m", "-V", "2"}, 0, true, false, false},
        RealCase{"Id3v1", {"--id3v1-only", "--tt", "x", "-b", "128"}, 128, false, true, false},
        RealCase{"Id3v2", {"--id3v2-only", "--tt", "x", "-b", "128"}, 128, false, false, true},
        RealCase{"LargeId3v2",
                 {"--id3v2-only", "--tt", "x", "--pad-id3v2-size", "5000", "-b", "128"},
                 128,
                 false,
                 false,
                 true},
        RealCase{"BothTagsVbr", {"--add-id3v2", "--tt", "x", "-V", "4"}, 0, false, true, true}),
    testing::CaseName());

}  // namespace
}  // namespace brelvik
