#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <limits>
#include <memory>
#include <string>

#include "AnalysisTestFiles.h"
#include "StreamBuilder.h"
#include "TempDir.h"
#include "analysis/MPEGaudio.h"

namespace brelvik {
namespace {

using testing::Bytes;
using testing::CaseName;
using testing::HeaderFields;
using testing::PrintTo;
using testing::StreamBuilder;
using testing::TempDir;

// MPEG 1 Layer III, 128 kbit/s, 44100 Hz, stereo, unpadded: 417-byte frames.
constexpr HeaderFields kMp3{};
constexpr std::int64_t kMp3Length = 417;
constexpr std::size_t kWindow = 3458;

// Duration of a constant-rate stream: its audio bytes at the header's bit rate.
double CbrSeconds(std::int64_t audioBytes, int kbps) {
  return static_cast<double>(audioBytes) * 8 / kbps / 1000;
}

bool AnalyseBytes(TMPEGaudio& audio, const TempDir& dir, const Bytes& bytes) {
  const std::string path = dir.File("stream.mp3");
  testing::WriteBytes(path, bytes);
  return audio.Analyse(path);
}

using Header = std::array<std::uint8_t, 4>;

// Puts as much of the header as fits before the window's end.
void Put(AnalysisWindow& window, std::size_t at, const Header& header) {
  const std::size_t fits = std::min<std::size_t>(4, window.size() - at);
  std::copy_n(header.begin(), fits, window.data() + at);
}

struct SearchCase {
  const char* Name;
  HeaderFields First;
  std::size_t At;
  bool Found;
};

class FrameSearchTest : public ::testing::TestWithParam<SearchCase> {};

// The search tries offsets 0 to 1,729; the successor one frame length later
// must lie wholly inside the window.
TEST_P(FrameSearchTest, ConfirmedInsideTheWindow) {
  const auto& c = GetParam();
  const auto window =
      std::make_unique<AnalysisWindow>();  // on the heap, so AddressSanitizer sees any overread
  Put(*window, c.At, testing::HeaderBytesOf(c.First));
  Put(*window, c.At + static_cast<std::size_t>(testing::StandardFrameLength(c.First)),
      testing::HeaderBytesOf(kMp3));
  VBRData vbr;
  FrameHeader frame;
  FindFrame(*window, vbr, frame);
  EXPECT_EQ(frame.Found, c.Found);
  if (c.Found) {
    EXPECT_EQ(frame.Offset, static_cast<std::int32_t>(c.At));
    EXPECT_EQ(frame.FrameLength, testing::StandardFrameLength(c.First));
    EXPECT_EQ(frame.RawBytes, testing::HeaderBytesOf(c.First));
  }
}

constexpr HeaderFields kLayer2At384{3, 2, 14, 2};  // 1,728 bytes
INSTANTIATE_TEST_SUITE_P(
    Offsets, FrameSearchTest,
    ::testing::Values(SearchCase{"FirstOffset", kMp3, 0, true},
                      SearchCase{"LastOffset", kMp3, 1729, true},
                      SearchCase{"PastTheLastOffset", kMp3, 1730, false},
                      // successor at 3,454 to 3,457
                      SearchCase{"SuccessorEndsOnTheLastByte", kLayer2At384, 1726, true},
                      // successor would end at 3,458
                      SearchCase{"SuccessorPastTheWindow", kLayer2At384, 1727, false}),
    CaseName());

TEST(FrameSearch, UnconfirmedHeaderIsPassedByOneByte) {
  const auto window = std::make_unique<AnalysisWindow>();
  // A lone header at 0 (nothing at 417), a real pair at 4 and 421.
  Put(*window, 0, testing::HeaderBytesOf(kMp3));
  Put(*window, 4, testing::HeaderBytesOf(kMp3));
  Put(*window, 4 + 417, testing::HeaderBytesOf(kMp3));
  VBRData vbr;
  FrameHeader frame;
  FindFrame(*window, vbr, frame);
  ASSERT_TRUE(frame.Found);
  EXPECT_EQ(frame.Offset, 4);
}

TEST(FrameSearch, SuccessorNeedNotMatch) {
  const auto window = std::make_unique<AnalysisWindow>();
  Put(*window, 0, testing::HeaderBytesOf(kMp3));
  Put(*window, 417, testing::HeaderBytesOf({2, 3, 1, 1, true, true, 3}));  // MPEG 2 Layer I
  VBRData vbr;
  FrameHeader frame;
  FindFrame(*window, vbr, frame);
  ASSERT_TRUE(frame.Found);
  EXPECT_EQ(frame.VersionIndex, 3);
  EXPECT_EQ(frame.FrameLength, 417);
}

TEST(FrameSearch, VbrDataIsReplacedOnlyWhenAFrameIsFound) {
  const auto window = std::make_unique<AnalysisWindow>();
  const VBRData earlier{true, 5, 6};
  VBRData vbr = earlier;
  FrameHeader frame;
  FindFrame(*window, vbr, frame);
  EXPECT_FALSE(frame.Found);
  EXPECT_EQ(vbr, earlier);

  Put(*window, 0, testing::HeaderBytesOf(kMp3));
  Put(*window, 417, testing::HeaderBytesOf(kMp3));
  FindFrame(*window, vbr, frame);
  EXPECT_TRUE(frame.Found);
  EXPECT_EQ(vbr, VBRData{});
}

class Analysis : public ::testing::Test {
 protected:
  bool Analyse(const Bytes& bytes) { return AnalyseBytes(audio, dir, bytes); }
  bool Analyse(const StreamBuilder& builder) { return Analyse(builder.Get()); }

  TempDir dir;
  TMPEGaudio audio;
};

TEST_F(Analysis, ConstantRateStreamFromTheFirstByte) {
  ASSERT_TRUE(Analyse(StreamBuilder().Frames(kMp3, 10000)));
  EXPECT_TRUE(audio.FirstFrame().Found);
  EXPECT_EQ(audio.FirstFrame().Offset, 0);
  EXPECT_EQ(audio.FirstFrame().FrameLength, 417);
  EXPECT_EQ(audio.FileLength(), 4170000);
  EXPECT_EQ(audio.FrameTotal(), 10000);
  EXPECT_EQ(audio.BitRateKbps(), 128);
  EXPECT_DOUBLE_EQ(audio.DurationSecs(), 260.625);
  EXPECT_FALSE(audio.Vbr().Found);
  EXPECT_TRUE(audio.IsValid());
}

TEST_F(Analysis, WindowStartsAfterTheId3v2Tag) {
  // Size field 7 × 128 + 94 = 990, so the tag takes 1,000 bytes.
  const auto builder = StreamBuilder().ID3v2({0, 0, 7, 94}, 990).Junk(100).Frames(kMp3, 100);
  ASSERT_TRUE(Analyse(builder));
  EXPECT_TRUE(audio.TagV2().Present);
  EXPECT_EQ(audio.TagV2().TagSize, 1000);
  EXPECT_EQ(audio.FirstFrame().Offset, 100);
  EXPECT_EQ(audio.FrameTotal(), (static_cast<std::int64_t>(builder.Size()) - 1100) / kMp3Length);
  EXPECT_DOUBLE_EQ(audio.DurationSecs(), CbrSeconds(100 * kMp3Length, 128));
  EXPECT_TRUE(audio.IsValid());
}

TEST_F(Analysis, TagLargerThanTheFileIsSearchedFromTheFirstByte) {
  const auto builder =
      StreamBuilder().Raw({'I', 'D', '3', 3, 0, 0, 0, 0, 0x7F, 0x7F}).Frames(kMp3, 12);
  ASSERT_TRUE(Analyse(builder));
  EXPECT_TRUE(audio.TagV2().Present);
  EXPECT_EQ(audio.TagV2().TagSize, 0);
  EXPECT_EQ(audio.FirstFrame().Offset, 10);
  EXPECT_EQ(audio.FrameTotal(), 12);
}

TEST_F(Analysis, SecondWindowFromTheMiddleOfTheFile) {
  // Tag 1,000 bytes, junk, then 20 frames from byte 7,380 to the end (15,720).
  // The first window holds only junk; the second starts at (15,720 - 1,000)
  // div 2 = 7,360, counted from the start of the file, and meets the first
  // frame 20 bytes in.
  const auto builder = StreamBuilder().ID3v2({0, 0, 7, 94}, 990).Junk(6380).Frames(kMp3, 20);
  ASSERT_EQ(builder.Size(), 15720u);
  ASSERT_TRUE(Analyse(builder));
  EXPECT_TRUE(audio.FirstFrame().Found);
  EXPECT_EQ(audio.FirstFrame().Offset, 20);
  // The offset in the second window is used as it stands.
  EXPECT_EQ(audio.FrameTotal(), (15720 - 1000 - 20) / kMp3Length);
  EXPECT_DOUBLE_EQ(audio.DurationSecs(), CbrSeconds(15720 - 1000 - 20, 128));
}

// Frames from byte 1,800 lie past the last offset the first search tries
// (1,729); only a second window can find them, and there is none after a
// short first read.
TEST_F(Analysis, ShortFirstReadMeansNoSecondTry) {
  const auto lateFrames = [](std::size_t size) {
    StreamBuilder builder;
    builder.Junk(1800).Frames(kMp3, 3);
    return builder.Junk(size - builder.Size());
  };
  ASSERT_TRUE(Analyse(lateFrames(kWindow - 1)));
  EXPECT_FALSE(audio.FirstFrame().Found);
  EXPECT_FALSE(audio.IsValid());

  ASSERT_TRUE(Analyse(lateFrames(kWindow)));
  EXPECT_TRUE(audio.FirstFrame().Found);
  EXPECT_EQ(audio.FirstFrame().Offset, 1800 - 1729);  // second window at 3,458 div 2
  EXPECT_TRUE(audio.IsValid());
}

// A second read that comes back short must not leave the first read's bytes
// in the window: here those bytes would confirm a frame that is not there.
TEST_F(Analysis, StaleBytesOfAnEarlierReadFormNoFrame) {
  const HeaderFields longFrame{3, 2, 14, 2};  // MPEG 1 Layer II, 384 kbit/s, 32 kHz: 1,728 bytes
  const auto longHeader = testing::HeaderBytesOf(longFrame);
  const auto shortHeader = testing::HeaderBytesOf(kMp3);
  // 5,000 bytes: the second read starts at 2,500 and returns 2,500 bytes. The
  // long header at 3,500 lands at 1,000 in that window; its successor would
  // sit at 2,728 in the window, past what the read returned, where the first
  // read had put the bytes of file position 2,728.
  Bytes bytes(5000, 0);
  std::copy(longHeader.begin(), longHeader.end(), bytes.begin() + 3500);
  std::copy(shortHeader.begin(), shortHeader.end(), bytes.begin() + 2728);

  auto stale = std::make_unique<AnalysisWindow>();
  std::copy(bytes.begin() + 2500, bytes.end(), stale->begin());
  std::copy(bytes.begin() + 2500, bytes.begin() + 3458, stale->begin() + 2500);
  VBRData vbr;
  FrameHeader frame;
  FindFrame(*stale, vbr, frame);
  ASSERT_TRUE(frame.Found) << "the stale window would hold a frame";
  ASSERT_EQ(frame.Offset, 1000);

  ASSERT_TRUE(Analyse(bytes));
  EXPECT_FALSE(audio.FirstFrame().Found);
  EXPECT_FALSE(audio.IsValid());
}

struct TrailerCase {
  const char* Name;
  std::size_t FileSize;
  bool Id3v1;
  bool Analysed;
};

class TrailerReadTest : public ::testing::TestWithParam<TrailerCase> {};

// A constant-rate stream needs a whole window before any ID3v1 tag.
TEST_P(TrailerReadTest, NeedsAWindowBeforeTheEnd) {
  const auto& c = GetParam();
  const std::size_t audioBytes = c.FileSize - (c.Id3v1 ? 128 : 0);
  const int frames = static_cast<int>(static_cast<std::int64_t>(audioBytes) / kMp3Length);
  StreamBuilder builder;
  builder.Frames(kMp3, frames).Junk(audioBytes - builder.Size());
  if (c.Id3v1) {
    builder.ID3v1();
  }
  ASSERT_EQ(builder.Size(), c.FileSize);
  const TempDir dir;
  TMPEGaudio audio;
  EXPECT_EQ(AnalyseBytes(audio, dir, builder.Get()), c.Analysed);
  // The frame was found before the trailer read, whatever that read did.
  EXPECT_TRUE(audio.FirstFrame().Found);
  EXPECT_EQ(audio.TagV1().Present, c.Id3v1);
}

INSTANTIATE_TEST_SUITE_P(Sizes, TrailerReadTest,
                         ::testing::Values(TrailerCase{"OneByteShort", 3457, false, false},
                                           TrailerCase{"OneWindow", 3458, false, true},
                                           TrailerCase{"TaggedOneByteShort", 3585, true, false},
                                           TrailerCase{"TaggedOneWindow", 3586, true, true}),
                         CaseName());

TEST_F(Analysis, SmallVbrFileNeedsNoTrailerRead) {
  // Seven frames (2,919 bytes) and 81 bytes of junk: 3,000 bytes.
  const auto vbr = StreamBuilder().XingFrame(kMp3, 36, 7, 2919).Frames(kMp3, 6).Junk(81);
  ASSERT_EQ(vbr.Size(), 3000u);
  ASSERT_TRUE(Analyse(vbr));
  EXPECT_TRUE(audio.IsValid());
  EXPECT_EQ(audio.FrameTotal(), 7);

  const auto cbr = StreamBuilder().Frames(kMp3, 7).Junk(81);
  EXPECT_FALSE(Analyse(cbr));
  EXPECT_TRUE(audio.FirstFrame().Found);
  EXPECT_EQ(audio.FileLength(), 3000);
}

TEST_F(Analysis, DurationOfExactlyATenthOfASecondIsValid) {
  // A 3,000-byte tag keeps the file above one window; behind it 1,600 bytes at
  // 128 kbit/s last 1,600 × 8 / 128,000 = 0.1 s.
  const auto withAudio = [](std::size_t audioBytes) {
    return StreamBuilder().ID3v2({0, 0, 23, 46}, 2990).Frames(kMp3, 3).Junk(audioBytes - 1251);
  };
  ASSERT_TRUE(Analyse(withAudio(1600)));
  EXPECT_EQ(audio.TagV2().TagSize, 3000);
  EXPECT_DOUBLE_EQ(audio.DurationSecs(), 0.1);
  EXPECT_TRUE(audio.IsValid());

  ASSERT_TRUE(Analyse(withAudio(1599)));
  EXPECT_LT(audio.DurationSecs(), 0.1);
  EXPECT_FALSE(audio.IsValid());
}

TEST_F(Analysis, XingFlagsAreNotExamined) {
  Bytes bytes = StreamBuilder().XingFrame(kMp3, 36, 1000, 400000).Frames(kMp3, 10).Get();
  std::fill_n(bytes.begin() + 36 + 4, 4, std::uint8_t{0});
  ASSERT_TRUE(Analyse(bytes));
  EXPECT_EQ(audio.Vbr(), (VBRData{true, 1000, 400000}));
}

TEST_F(Analysis, XingFrameCountIsTakenAsItIs) {
  for (const std::int32_t frames : {0, -5}) {
    const auto builder = StreamBuilder().XingFrame(kMp3, 36, frames, 400000).Frames(kMp3, 10);
    ASSERT_TRUE(Analyse(builder));
    EXPECT_TRUE(audio.Vbr().Found);
    EXPECT_EQ(audio.FrameTotal(), frames);
    // Bit rate and duration fall back to the constant-rate figures.
    EXPECT_EQ(audio.BitRateKbps(), 128);
    EXPECT_DOUBLE_EQ(audio.DurationSecs(),
                     CbrSeconds(static_cast<std::int64_t>(builder.Size()), 128));
    EXPECT_TRUE(audio.IsValid());
  }
}

struct VbrCase {
  const char* Name;
  HeaderFields Header;
  int At;  // where the header's VBR information is looked for
  std::int32_t Frames;
  std::int32_t ByteCount;
  std::uint16_t Kbps;
  double Seconds;
  bool Valid;
};

class VbrFiguresTest : public ::testing::TestWithParam<VbrCase> {};

TEST_P(VbrFiguresTest, AverageBitRateAndDuration) {
  const auto& c = GetParam();
  const auto builder =
      StreamBuilder().XingFrame(c.Header, c.At, c.Frames, c.ByteCount).Frames(c.Header, 6);
  const TempDir dir;
  TMPEGaudio audio;
  ASSERT_TRUE(AnalyseBytes(audio, dir, builder.Get()));
  EXPECT_EQ(audio.FrameTotal(), c.Frames);
  EXPECT_EQ(audio.BitRateKbps(), c.Kbps);
  EXPECT_DOUBLE_EQ(audio.DurationSecs(), c.Seconds);
  EXPECT_EQ(audio.IsValid(), c.Valid);
}

// Bit rate: ((bytes ÷ frames) − padding) × Hz ÷ (samples per frame ÷ 8) ÷ 1000,
// rounded half to even, low 16 bits kept. Duration: samples per frame × frames ÷ Hz.
constexpr HeaderFields kMp3At48k{3, 1, 9, 1};  // 1 kbit/s for every 3 bytes per frame
INSTANTIATE_TEST_SUITE_P(
    Headers, VbrFiguresTest,
    ::testing::Values(
        // 400 bytes per frame: 122.5 kbit/s, rounded down to the even 122.
        VbrCase{"HalfRoundsDownToEven", kMp3, 36, 10000, 4000000, 122, 1152.0 * 10000 / 44100,
                true},
        // 370.5 bytes per frame: 123.5 kbit/s, rounded up to the even 124.
        VbrCase{"HalfRoundsUpToEven", kMp3At48k, 36, 1000, 370500, 124, 24.0, true},
        VbrCase{"Lowest", kMp3At48k, 36, 1000, 24000, 8, 24.0, true},
        VbrCase{"BelowLowest", kMp3At48k, 36, 1000, 21000, 7, 24.0, false},
        VbrCase{"Highest", kMp3At48k, 36, 1000, 1344000, 448, 24.0, true},
        VbrCase{"AboveHighest", kMp3At48k, 36, 1000, 1347000, 449, 24.0, false},
        // 666,666,667 kbit/s keeps its low 16 bits.
        VbrCase{"Wraps", kMp3At48k, 36, 1, 2000000000, 34475, 1152.0 / 48000, false},
        VbrCase{"NegativeBytes", kMp3At48k, 36, 10, -4170, 65536 - 139, 1152.0 * 10 / 48000, false},
        // (385 − 1) ÷ 3: the padding byte of the first frame is taken off.
        VbrCase{"PaddedFirstFrame", {3, 1, 9, 1, true}, 36, 1000, 385000, 128, 24.0, true},
        // Layer I: 384 samples per frame, 4 bytes of padding.
        VbrCase{
            "Layer1Padded", {3, 3, 4, 1, true}, 36, 1000, 132000, 128, 384.0 * 1000 / 48000, true},
        VbrCase{"Mpeg2Layer2", {2, 2, 8, 1}, 21, 1000, 384000, 64, 1152.0 * 1000 / 24000, true},
        VbrCase{"Mpeg2Layer3", {2, 1, 8, 1}, 21, 1000, 192000, 64, 576.0 * 1000 / 24000, true},
        // Products beyond 32 bits: 1152 × 5,000,000 and 1152 × (2^31 − 1).
        VbrCase{"FiveMillionFrames", kMp3, 36, 5000000, 2085000000, 128, 1152.0 * 5000000 / 44100,
                true},
        VbrCase{"LargestFrameCount", kMp3, 36, std::numeric_limits<std::int32_t>::max(),
                std::numeric_limits<std::int32_t>::max(), 0,
                1152.0 * std::numeric_limits<std::int32_t>::max() / 44100, false}),
    CaseName());

struct PlacementCase {
  const char* Name;
  HeaderFields Header;
  const char* Id;
  int At;
  bool Seen;
};

class VbrPlacementTest : public ::testing::TestWithParam<PlacementCase> {};

TEST_P(VbrPlacementTest, OnlyTheExactIdAtTheSideInformationEnd) {
  const auto& c = GetParam();
  StreamBuilder builder;
  if (std::string(c.Id) == "VBRI") {
    builder.VbriFrame(c.Header, c.At, 1000, 400000);
  } else {
    builder.XingFrame(c.Header, c.At, 1000, 400000);
  }
  builder.Frames(c.Header, testing::FramesFor(c.Header, 4000));
  Bytes bytes = builder.Get();
  std::copy_n(c.Id, 4, bytes.begin() + c.At);

  const TempDir dir;
  TMPEGaudio audio;
  ASSERT_TRUE(AnalyseBytes(audio, dir, bytes));
  ASSERT_TRUE(audio.FirstFrame().Found);
  if (c.Seen) {
    EXPECT_EQ(audio.Vbr(), (VBRData{true, 1000, 400000}));
    EXPECT_EQ(audio.FrameTotal(), 1000);
  } else {
    EXPECT_EQ(audio.Vbr(), VBRData{});
    EXPECT_EQ(audio.FrameTotal(),
              static_cast<std::int64_t>(bytes.size()) / testing::StandardFrameLength(c.Header));
  }
}

// HeaderFields fields: version, layer, bit-rate index, sample-rate index, padded,
// CRC, channel mode.
INSTANTIATE_TEST_SUITE_P(
    Frames, VbrPlacementTest,
    ::testing::Values(
        PlacementCase{"Mpeg1StereoXing", kMp3, "Xing", 36, true},
        PlacementCase{"Mpeg1StereoVbri", kMp3, "VBRI", 36, true},
        PlacementCase{"Mpeg1JointStereoXing", {3, 1, 9, 0, false, false, 1}, "Xing", 36, true},
        PlacementCase{"Mpeg1StereoXingAtMonoOffset", kMp3, "Xing", 21, false},
        PlacementCase{"Mpeg1MonoXing", {3, 1, 9, 0, false, false, 3}, "Xing", 21, true},
        PlacementCase{"Mpeg1MonoVbri", {3, 1, 9, 0, false, false, 3}, "VBRI", 21, true},
        PlacementCase{
            "Mpeg1MonoXingAtStereoOffset", {3, 1, 9, 0, false, false, 3}, "Xing", 36, false},
        PlacementCase{
            "Mpeg1MonoVbriAtStereoOffset", {3, 1, 9, 0, false, false, 3}, "VBRI", 36, false},
        PlacementCase{"Mpeg1WithCrcXing", {3, 1, 9, 0, false, true}, "Xing", 36, true},
        PlacementCase{"Mpeg1WithCrcXingAfterTheCrc", {3, 1, 9, 0, false, true}, "Xing", 38, false},
        PlacementCase{"Mpeg1Layer2Xing", {3, 2, 9, 0}, "Xing", 36, true},
        PlacementCase{"Mpeg2StereoXing", {2, 1, 8, 0}, "Xing", 21, true},
        PlacementCase{"Mpeg2StereoXingAtMpeg1Offset", {2, 1, 8, 0}, "Xing", 36, false},
        PlacementCase{"Mpeg2MonoXing", {2, 1, 8, 0, false, false, 3}, "Xing", 13, true},
        PlacementCase{
            "Mpeg2MonoXingAtStereoOffset", {2, 1, 8, 0, false, false, 3}, "Xing", 21, false},
        PlacementCase{"Mpeg25MonoVbri", {0, 1, 8, 2, false, false, 3}, "VBRI", 13, true},
        PlacementCase{"LowerCaseXing", kMp3, "xing", 36, false},
        PlacementCase{"InfoIsNoVbrHeader", kMp3, "Info", 36, false}),
    CaseName());

struct KindCase {
  const char* Name;
  HeaderFields Header;
  std::uint16_t Kbps;
};

class StreamKindTest : public ::testing::TestWithParam<KindCase> {};

// Layer I and II streams of every version, in frames of the standard length.
TEST_P(StreamKindTest, FoundWithStandardFrameLengths) {
  const auto& c = GetParam();
  const int length = testing::StandardFrameLength(c.Header);
  // At least one window, and 0.2 s at the stream's bit rate (kbit/s × 25 bytes).
  const int frames = testing::FramesFor(c.Header, std::max<std::int64_t>(4000, c.Kbps * 25));
  const auto builder = StreamBuilder().Frames(c.Header, frames);
  const TempDir dir;
  TMPEGaudio audio;
  ASSERT_TRUE(AnalyseBytes(audio, dir, builder.Get()));
  ASSERT_TRUE(audio.FirstFrame().Found);
  EXPECT_EQ(audio.FirstFrame().Offset, 0);
  EXPECT_EQ(audio.FirstFrame().FrameLength, length);
  EXPECT_EQ(audio.FrameTotal(), frames);
  EXPECT_EQ(audio.BitRateKbps(), c.Kbps);
  EXPECT_DOUBLE_EQ(audio.DurationSecs(),
                   CbrSeconds(static_cast<std::int64_t>(frames) * length, c.Kbps));
  EXPECT_TRUE(audio.IsValid());
}

INSTANTIATE_TEST_SUITE_P(
    Headers, StreamKindTest,
    ::testing::Values(KindCase{"Mpeg1Layer1At44100", {3, 3, 4, 0}, 128},
                      KindCase{"Mpeg1Layer1At448Padded", {3, 3, 14, 2, true}, 448},
                      KindCase{"Mpeg1Layer2At384Padded", {3, 2, 14, 2, true}, 384},
                      KindCase{"Mpeg2Layer1Padded", {2, 3, 1, 0, true}, 32},
                      KindCase{"Mpeg2Layer1At256", {2, 3, 14, 1}, 256},
                      KindCase{"Mpeg2Layer2At64", {2, 2, 8, 0}, 64},
                      KindCase{"Mpeg2Layer2At160And16000", {2, 2, 14, 2}, 160},
                      KindCase{"Mpeg25Layer1At256And8000", {0, 3, 14, 2}, 256},
                      KindCase{"Mpeg25Layer2At8", {0, 2, 1, 2}, 8},
                      KindCase{"Mpeg25Layer2At160And8000", {0, 2, 14, 2}, 160},
                      KindCase{"Mpeg2Layer3Padded", {2, 1, 8, 0, true}, 64},
                      KindCase{"Mpeg25Layer3", {0, 1, 9, 0}, 80}),
    CaseName());

struct LargeCase {
  const char* Name;
  std::int64_t FileSize;
  bool Id3v1;
};

class LargeFileTest : public ::testing::TestWithParam<LargeCase> {};

// Sparse files: a few 320 kbit/s frames at the start, a hole up to the size.
TEST_P(LargeFileTest, FiguresDoNotOverflow) {
  const auto& c = GetParam();
  const HeaderFields fields{3, 1, 14, 0};  // 320 kbit/s, 44100 Hz: 1,044 bytes
  const TempDir dir;
  const std::string path = dir.File("large.mp3");
  testing::WriteSparse(path, StreamBuilder().Frames(fields, 10).Get(),
                       static_cast<std::uintmax_t>(c.FileSize));
  if (c.Id3v1) {
    testing::OverwriteAt(path, c.FileSize - 128, testing::ID3v1TagBytes());
  }
  TMPEGaudio audio;
  ASSERT_TRUE(audio.Analyse(path));
  EXPECT_EQ(audio.FileLength(), c.FileSize);
  EXPECT_EQ(audio.TagV1().Present, c.Id3v1);
  EXPECT_EQ(audio.FrameTotal(), c.FileSize / 1044);
  EXPECT_DOUBLE_EQ(audio.DurationSecs(), static_cast<double>(c.FileSize) / 40000);
  EXPECT_TRUE(audio.IsValid());
}

INSTANTIATE_TEST_SUITE_P(
    Sizes, LargeFileTest,
    // Two hours at 320 kbit/s: 288,000,000 bytes, 7,200 s.
    ::testing::Values(LargeCase{"TwoHoursAt320", 288000000, false},
                      LargeCase{"JustOver2To28", (std::int64_t{1} << 28) + 1, false},
                      LargeCase{"TwoGiB", std::int64_t{1} << 31, false},
                      LargeCase{"ThreeGiBWithId3v1", std::int64_t{3} << 30, true},
                      LargeCase{"FiveGiB", std::int64_t{5} << 30, false}),
    CaseName());

TEST_F(Analysis, FilesUnder128BytesFail) {
  // MPEG 2.5 Layer III, 8 kbit/s, 12000 Hz: 48-byte frames, two in 127 bytes.
  const HeaderFields tiny{0, 1, 1, 1};
  ASSERT_EQ(testing::StandardFrameLength(tiny), 48);
  EXPECT_FALSE(Analyse(StreamBuilder().Frames(tiny, 2).Junk(31)));
  EXPECT_FALSE(audio.FirstFrame().Found);
  EXPECT_FALSE(audio.IsValid());
  EXPECT_FALSE(Analyse(Bytes{}));
}

TEST_F(Analysis, UnreadableFilesFail) {
  EXPECT_FALSE(audio.Analyse(dir.File("missing.mp3")));
  EXPECT_FALSE(audio.Analyse(dir.Path().string()));
  EXPECT_FALSE(audio.IsValid());
}

TEST_F(Analysis, NoFrameMeansAnalysedButNotValid) {
  ASSERT_TRUE(Analyse(Bytes(10000, 0x00)));
  EXPECT_FALSE(audio.FirstFrame().Found);
  EXPECT_FALSE(audio.IsValid());
  EXPECT_EQ(audio.DurationSecs(), 0);
}

void ExpectCleared(const TMPEGaudio& audio) {
  EXPECT_EQ(audio.FileLength(), 0);
  EXPECT_EQ(audio.Vbr(), VBRData{});
  EXPECT_EQ(audio.FirstFrame(), FrameHeader{});
  EXPECT_FALSE(audio.TagV1().Present);
  EXPECT_FALSE(audio.TagV2().Present);
  EXPECT_EQ(audio.TagV2().TagSize, 0);
  EXPECT_FALSE(audio.IsValid());
}

TEST_F(Analysis, NothingCarriesOverFromTheLastFile) {
  ExpectCleared(audio);
  const auto tagged = StreamBuilder()
                          .ID3v2({0, 0, 7, 94}, 990)
                          .XingFrame(kMp3, 36, 1000, 400000)
                          .Frames(kMp3, 10)
                          .ID3v1();
  ASSERT_TRUE(Analyse(tagged));
  ASSERT_TRUE(audio.IsValid());
  ASSERT_TRUE(audio.TagV1().Present);

  ASSERT_TRUE(Analyse(Bytes(10000, 0x00)));
  ExpectCleared(audio);

  ASSERT_TRUE(Analyse(tagged));
  ASSERT_TRUE(Analyse(StreamBuilder().Frames(kMp3, 10)));
  EXPECT_FALSE(audio.Vbr().Found);
  EXPECT_FALSE(audio.TagV1().Present);
  EXPECT_EQ(audio.TagV2().TagSize, 0);
  EXPECT_EQ(audio.FrameTotal(), 10);

  ASSERT_TRUE(Analyse(tagged));
  EXPECT_FALSE(audio.Analyse(dir.File("missing.mp3")));
  ExpectCleared(audio);

  ASSERT_TRUE(Analyse(tagged));
  audio.Clear();
  ExpectCleared(audio);
}

}  // namespace
}  // namespace brelvik
