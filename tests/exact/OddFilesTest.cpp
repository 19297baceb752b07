// Exact pieces of the files people have rather than the files lame writes
// today: cut short, made by old encoders, with a VBRI header, switching
// between mono and stereo, short, with a frame that the analysis refuses.
// Each is built at test time, split, and judged as listeners hear it: the
// pieces joined decode to the decoded source sample for sample, with
// libmpg123 and with ffmpeg, and the figures are those the decoders apply.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <stdexcept>

#include "ExactTestSupport.h"
#include "Lame.h"
#include "ReferenceDecode.h"
#include "exact/ExactSplit.h"
#include "split/OutputNaming.h"

namespace brelvik::exact {
namespace {

using brelvik::exact::PrintTo;
using brelvik::testing::EncodeOptions;
using brelvik::testing::ReferenceDecode;
using brelvik::testing::TempDir;

using Build = std::function<Bytes(const TempDir&)>;

Bytes Encoded(const TempDir& dir, const std::string& name, EncodeOptions options) {
  return brelvik::testing::ReadBytes(brelvik::testing::EncodeWithLame(dir, name, options));
}

Bytes Vbr(const TempDir& dir) {
  return Encoded(dir, "vbr", {3.0, 44100, 2, {"-V", "2"}});
}

// The frames' offsets, from the first one on (the header frame included).
std::vector<std::size_t> FrameOffsets(const Bytes& file) {
  return WalkPiece(file).Offsets;
}

Bytes CutShort(const TempDir& dir, std::size_t withinFrame) {
  const Bytes whole = Vbr(dir);
  const std::vector<std::size_t> frames = FrameOffsets(whole);
  return Bytes(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(
                                                  frames[frames.size() - 30] + withinFrame));
}

// The lame file with the bytes after its "Xing" identifier from `from` on
// (for `count` bytes) zeroed, as older encoders leave them.
Bytes ZeroedHeader(const TempDir& dir, std::size_t from, std::size_t count) {
  Bytes file = Vbr(dir);
  const std::size_t xing = XingAt(file, 0);
  std::fill_n(file.begin() + static_cast<std::ptrdiff_t>(xing + from), count, 0);
  return file;
}

// A constant-rate lame stream without a header frame behind a VBRI frame of
// silence, as Fraunhofer's encoders make it.
Bytes BehindVbri(const TempDir& dir) {
  const Bytes audio = Encoded(dir, "cbr", {3.0, 44100, 2, {"-t", "-b", "128"}});
  Bytes file(417, 0);
  const Bytes fields = {0xFF, 0xFB, 0x90, 0x40};
  std::copy(fields.begin(), fields.end(), file.begin());
  const auto put = [&file](std::size_t at, std::uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) {
      file[at + static_cast<std::size_t>(i)] =
          static_cast<std::uint8_t>(value >> (8 * (bytes - 1 - i)));
    }
  };
  std::copy_n("VBRI", 4, file.begin() + 36);
  put(40, 1, 2);    // version
  put(42, 576, 2);  // delay, which no decoder applies
  put(44, 75, 2);   // quality
  put(46, static_cast<std::uint32_t>(audio.size() + 417), 4);
  put(50, static_cast<std::uint32_t>(FrameOffsets(audio).size()), 4);
  file.insert(file.end(), audio.begin(), audio.end());
  return file;
}

// Lame streams of one rate in stereo and in mono, without header frames,
// one after the other.
Bytes Switching(const TempDir& dir, bool stereoFirst) {
  const Bytes stereo = Encoded(dir, "stereo", {1.2, 44100, 2, {"-t", "-b", "128"}});
  const Bytes mono = Encoded(dir, "mono", {1.2, 44100, 1, {"-t", "-b", "128", "-m", "m"}});
  Bytes file = stereoFirst ? stereo : mono;
  const Bytes& second = stereoFirst ? mono : stereo;
  file.insert(file.end(), second.begin(), second.end());
  return file;
}

// Frame 60 of a lame file with the reserved emphasis value, which decoders
// ignore and the analysis refuses.
Bytes ReservedEmphasis(const TempDir& dir) {
  Bytes file = Vbr(dir);
  file[FrameOffsets(file)[60] + 3] |= 0x02;
  return file;
}

struct OddFile {
  const char* Name;
  Build Make;
  std::vector<double> CutsMs;  // after 0, before the end
  int Delay;                   // that the decoders apply
  // The samples that went into lame, where decoders drop its padding: the
  // padding fills the last frame.
  std::int64_t InputSamples;
  // Sample frames that ffmpeg's decode of the source holds at its end beyond
  // libmpg123's, all else alike.
  int FfmpegMoreAtEnd = 0;
};

const OddFile kOddFiles[] = {
    {"CutShortBetweenFrames", [](const TempDir& d) { return CutShort(d, 0); }, {700, 1500}, 576, 0},
    // ffmpeg decodes the cut-off last frame from the bytes there are, and
    // libmpg123 drops it, as the pieces do.
    {"CutShortWithinAFrame",
     [](const TempDir& d) { return CutShort(d, 200); },
     {700, 1500},
     576,
     0,
     1152},
    // libmpg123 drops its own delay behind a header frame that counts the
    // frames, and ffmpeg does not; the first piece keeps such a header.
    {"LameExtensionZeroed",
     [](const TempDir& d) { return ZeroedHeader(d, 120, 36); },
     {700, 1500, 2200},
     0,
     0},
    {"PlainXingWithoutFields",
     [](const TempDir& d) { return ZeroedHeader(d, 4, 152); },
     {700, 1500, 2200},
     0,
     0},
    {"Vbri", BehindVbri, {700, 1500, 2200}, 0, 0},
    // Pieces of the other mode than the first frame's (and one that switches).
    {"StereoThenMono",
     [](const TempDir& d) { return Switching(d, true); },
     {800, 1700, 2100},
     0,
     0},
    {"MonoThenStereo",
     [](const TempDir& d) { return Switching(d, false); },
     {400, 1700, 2100},
     0,
     0},
    {"FiveFrames",
     [](const TempDir& d) {
       return Encoded(d, "short", {0.1, 44100, 2, {"-b", "128"}});
     },
     {40},
     576,
     4410},
    {"ReservedEmphasis", ReservedEmphasis, {700, 1500, 2200}, 576, 3 * 44100},
};

class OddFiles : public ::testing::TestWithParam<OddFile> {
 protected:
  void SetUp() override {
    brelvik::testing::WriteBytes(source_, GetParam().Make(dir_));
    const IndexOutcome index = IndexStream(source_);
    ASSERT_TRUE(index.Layout) << index.Refusal;
    layout_ = *index.Layout;
    std::vector<CutRequest> requests = {{0, "0"}};
    for (const double ms : GetParam().CutsMs) {
      requests.push_back({ms, std::to_string(ms)});
    }
    requests.push_back({kEndOfStream, "the end"});
    const PlanOutcome plan = PlanCuts(layout_, requests);
    ASSERT_TRUE(plan.Plan) << plan.Refusal;
    const std::string pieceTemplate = dir_.File("piece-%track%.mp3");
    InputFile file(source_);
    SplitExact(file, layout_, *plan.Plan, pieceTemplate, {});
    for (int k = 1; k <= plan.Plan->Pieces(); ++k) {
      pieces_.push_back(PieceName(pieceTemplate, k));
    }
  }

  struct Difference {
    std::int64_t FirstFrame = -1;   // the first sample frame that differs, -1 for none
    std::int64_t MoreInSource = 0;  // sample frames after the joined pieces' end
  };

  Difference Compare(ReferenceDecode (*decode)(const std::string&)) const {
    const ReferenceDecode source = decode(source_);
    std::vector<std::int16_t> joined;
    for (const std::string& piece : pieces_) {
      const ReferenceDecode decoded = decode(piece);
      joined.insert(joined.end(), decoded.Samples.begin(), decoded.Samples.end());
    }
    const std::size_t common = std::min(joined.size(), source.Samples.size());
    const auto differs =
        std::mismatch(joined.begin(), joined.begin() + static_cast<std::ptrdiff_t>(common),
                      source.Samples.begin())
            .first;
    Difference difference;
    if (differs != joined.begin() + static_cast<std::ptrdiff_t>(common)) {
      difference.FirstFrame = (differs - joined.begin()) / source.Channels;
    }
    difference.MoreInSource = (static_cast<std::int64_t>(source.Samples.size()) -
                               static_cast<std::int64_t>(joined.size())) /
                              source.Channels;
    return difference;
  }

  TempDir dir_;
  std::string source_ = dir_.File("source.mp3");
  StreamLayout layout_;
  std::vector<std::string> pieces_;
};

TEST_P(OddFiles, TakeTheDelayAndPaddingTheDecodersApply) {
  EXPECT_EQ(layout_.EncoderDelay, GetParam().Delay);
  const std::int64_t padding = GetParam().InputSamples == 0
                                   ? 0
                                   : layout_.AudioFrames * layout_.SamplesPerFrame -
                                         GetParam().Delay - GetParam().InputSamples;
  EXPECT_EQ(layout_.EncoderPadding, padding);
  EXPECT_EQ(layout_.Samples(), brelvik::testing::DecodeStraightAsStereo(source_).Frames());
}

TEST_P(OddFiles, JoinToTheSourceWithLibmpg123) {
  const Difference difference = Compare(brelvik::testing::DecodeStraightAsStereo);
  EXPECT_EQ(difference.FirstFrame, -1);
  EXPECT_EQ(difference.MoreInSource, 0);
}

TEST_P(OddFiles, JoinToTheSourceWithFfmpeg) {
  const Difference difference = Compare(brelvik::testing::DecodeWithFfmpeg);
  EXPECT_EQ(difference.FirstFrame, -1);
  EXPECT_EQ(difference.MoreInSource, GetParam().FfmpegMoreAtEnd);
}

INSTANTIATE_TEST_SUITE_P(Sources, OddFiles, ::testing::ValuesIn(kOddFiles), CaseName());

}  // namespace
}  // namespace brelvik::exact
