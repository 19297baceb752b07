#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <ostream>

#include "StreamBuilder.h"
#include "analysis/MPEGaudio.h"
#include "split/StreamFigures.h"

namespace brelvik {
namespace {

using testing::HeaderFields;
using testing::StandardFrameLength;
using testing::StreamBuilder;
using testing::TempDir;

constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();

// Expected values are worked out by hand from ((ms × kbit/s) div 8) div frame
// bytes and (frames × frame bytes × 8) div kbit/s, truncating toward zero.
struct Conversion {
  const char* Name;
  std::int32_t In;
  std::uint16_t FrameBytes;
  std::uint16_t Kbps;
  std::int32_t Out;
};

void PrintTo(const Conversion& row, std::ostream* out) {
  *out << row.Name;
}

class MSecToFramesTable : public ::testing::TestWithParam<Conversion> {};
class FramesToMSecTable : public ::testing::TestWithParam<Conversion> {};

TEST_P(MSecToFramesTable, GivesTheFrameNumber) {
  const auto& c = GetParam();
  EXPECT_EQ(MSecToFrames(c.In, c.FrameBytes, c.Kbps), c.Out);
}

TEST_P(FramesToMSecTable, GivesTheMilliseconds) {
  const auto& c = GetParam();
  EXPECT_EQ(FramesToMSec(c.In, c.FrameBytes, c.Kbps), c.Out);
}

INSTANTIATE_TEST_SUITE_P(
    Rules, MSecToFramesTable,
    ::testing::Values(Conversion{"Start", 0, 417, 128, 0},
                      Conversion{"Ms260IsFrame9", 260, 417, 128, 9},  // 4160 / 417 = 9.97
                      Conversion{"Ms234IsFrame8", 234, 417, 128, 8},  // 3744 / 417 = 8.98
                      // 320 kbit/s: 6,710,886 ms × 320 = 2,147,483,520 still fits 32 bits,
                      // 6,710,887 ms × 320 = 2,147,483,840 does not; 268,435,480 / 1044.
                      Conversion{"JustBelowOldWrap", 6710886, 1044, 320, 257122},
                      Conversion{"JustPastOldWrap", 6710887, 1044, 320, 257122},
                      Conversion{"ThreeHoursAt320", 10800000, 1044, 320, 413793},
                      Conversion{"NegativeTruncatesTowardZero", -260, 417, 128, -9},
                      Conversion{"ClampedHigh", kMax, 1, 65535, kMax},
                      Conversion{"ClampedLow", kMin, 1, 65535, kMin},
                      Conversion{"NoFigures", 5000, 0, 0, 0}));

INSTANTIATE_TEST_SUITE_P(
    Rules, FramesToMSecTable,
    ::testing::Values(Conversion{"Start", 0, 417, 128, 0},
                      Conversion{"Frame9Is234", 9, 417, 128, 234},  // 30,024 / 128 = 234.56
                      // 643,730 × 417 × 8 fits 32 bits, 643,731 × 417 × 8 = 2,147,486,616
                      // does not.
                      Conversion{"JustBelowOldWrap", 643730, 417, 128, 16777213},
                      Conversion{"JustPastOldWrap", 643731, 417, 128, 16777239},
                      Conversion{"FourteenHoursAt320", 2000000, 1044, 320, 52200000},
                      Conversion{"NegativeTruncatesTowardZero", -9, 417, 128, -234},
                      Conversion{"ClampedHigh", kMax, 65535, 8, kMax},
                      Conversion{"ClampedLow", kMin, 65535, 8, kMin},
                      Conversion{"NoFigures", 5, 0, 0, 0}));

// Times from cue sheets and silences are not bounded by a playback position.
TEST(FrameOfTime, SaturatesHugeAndNegativeTimes) {
  const StreamFigures figures{128, 417, 1000, 26};
  const std::int32_t largest = FrameOfTime(std::numeric_limits<std::int32_t>::max(), figures);
  EXPECT_EQ(FrameOfTime(1e15, figures), largest);
  EXPECT_EQ(FrameOfTime(-20, figures), 0);
}

TEST(FrameRoundTrip, LosesAtMostOneFrameAt417BytesAnd128Kbps) {
  int unchanged = 0;
  for (std::int32_t frame = 0; frame <= 20000; ++frame) {
    const std::int32_t back = MSecToFrames(FramesToMSec(frame, 417, 128), 417, 128);
    ASSERT_TRUE(back == frame || back == frame - 1) << "frame " << frame << " came back " << back;
    unchanged += back == frame ? 1 : 0;
  }
  EXPECT_GT(unchanged, 0);
  EXPECT_LT(unchanged, 20001);
}

struct PositionCase {
  const char* Name;
  std::int32_t Ms;
  StreamFigures Figures;
  PositionTexts Expected;
};

void PrintTo(const PositionCase& row, std::ostream* out) {
  *out << row.Name;
}

constexpr StreamFigures k128{128, 417, 10000, 26};
constexpr StreamFigures k320{320, 1044, 10000, 26};

class SetDataPositionTable : public ::testing::TestWithParam<PositionCase> {};

TEST_P(SetDataPositionTable, ShowsTimeOfDayAndFrame) {
  const auto& c = GetParam();
  EXPECT_EQ(SetDataPosition(c.Ms, c.Figures), c.Expected);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, SetDataPositionTable,
    ::testing::Values(PositionCase{"Midnight", 0, k128, {"00:00:00", "0"}},
                      PositionCase{"Ms260", 260, k128, {"00:00:00", "9"}},
                      PositionCase{"SecondsTruncate", 999, k128, {"00:00:00", "38"}},
                      PositionCase{"HourMinuteSecond", 3723000, k128, {"01:02:03", "142848"}},
                      // 86,399,999 × 128 passes 2^31.
                      PositionCase{"LastSecondOfDay", 86399999, k128, {"23:59:59", "3315107"}},
                      PositionCase{"WrapsAt24Hours", 86400000, k128, {"00:00:00", "3315107"}},
                      PositionCase{"TwentyFiveHours", 90000000, k128, {"01:00:00", "3453237"}},
                      PositionCase{"PastOldWrapAt320", 6710887, k320, {"01:51:50", "257122"}},
                      PositionCase{"LargestPosition", kMax, k320, {"20:31:23", "82279066"}}));

// Files built byte by byte and read by the analyser; the expected figures come
// from the frame-length formula of the MPEG standard and hand arithmetic.
struct FileCase {
  const char* Name;
  HeaderFields Header;
  std::size_t Id3v2Bytes;  // a whole tag of this size in front, 0 for none
  bool Xing;               // first frame states 10,000 frames and 4,000,000 bytes
  std::uint16_t Kbps;
  std::int32_t FrameTotal;
  std::int32_t FrameMs;
};

void PrintTo(const FileCase& row, std::ostream* out) {
  *out << row.Name;
}

class SetDataMpegTable : public ::testing::TestWithParam<FileCase> {};

TEST_P(SetDataMpegTable, FillsTheFiguresFromTheAnalyser) {
  const auto& c = GetParam();
  StreamBuilder stream;
  if (c.Id3v2Bytes > 0) {
    const auto stated = c.Id3v2Bytes - 10;
    stream.ID3v2(
        {0, 0, static_cast<std::uint8_t>(stated >> 7), static_cast<std::uint8_t>(stated & 0x7F)},
        stated);
  }
  if (c.Xing) {
    stream.XingFrame(c.Header, 36, 10000, 4000000).Frames(c.Header, 99);
  } else {
    stream.Frames(c.Header, 100);
  }
  TempDir dir;
  stream.WriteTo(dir.File("in.mp3"));
  TMPEGaudio analyser;
  ASSERT_TRUE(analyser.Analyse(dir.File("in.mp3")));
  ASSERT_TRUE(analyser.IsValid());

  const StreamFigures expected{c.Kbps, static_cast<std::uint16_t>(StandardFrameLength(c.Header)),
                               c.FrameTotal, c.FrameMs};
  EXPECT_EQ(SetDataMpeg(analyser), expected);
}

INSTANTIATE_TEST_SUITE_P(
    Files, SetDataMpegTable,
    ::testing::Values(
        // 417 × 8 / 128 = 26.06
        FileCase{"Mpeg1Layer3At128", HeaderFields{}, 0, false, 128, 100, 26},
        // 48 kHz: 384-byte frames, 384 × 8 / 128 = 24
        FileCase{"Mpeg1At48kHz", HeaderFields{.SampleRateIndex = 1}, 0, false, 128, 100, 24},
        // 22,050 Hz, 64 kbit/s: 208-byte frames, 1664 / 64 = 26
        FileCase{"Mpeg2At64", HeaderFields{.VersionIndex = 2, .BitRateIndex = 8}, 0, false, 64, 100,
                 26},
        // 1044-byte frames, 8352 / 320 = 26.1
        FileCase{"Mpeg1At320", HeaderFields{.BitRateIndex = 14}, 0, false, 320, 100, 26},
        // The tag is not audio: (file length - 1000) / 417 frames.
        FileCase{"BehindAnId3v2Tag", HeaderFields{}, 1000, false, 128, 100, 26},
        // Average 400 bytes a frame: 400 × 44100 / 144 / 1000 = 122.5, half to even;
        // 3336 / 122 = 27.3.
        FileCase{"XingAverage", HeaderFields{}, 0, true, 122, 10000, 27}));

}  // namespace
}  // namespace brelvik
