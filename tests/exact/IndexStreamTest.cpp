// The frame walk on byte-built streams: where the audio starts and ends, the
// header frame's gapless figures as libmpg123 applies them, and the streams
// that exact cuts refuse.
#include <gtest/gtest.h>

#include "ExactTestSupport.h"
#include "TempDir.h"
#include "exact/ExactSplit.h"
#include "exact/FrameFacts.h"
#include "exact/StreamLayout.h"

namespace brelvik::exact {
namespace {

using brelvik::exact::PrintTo;
using brelvik::testing::HeaderFields;
using brelvik::testing::StreamBuilder;

const HeaderFields kMpeg1;              // Layer III, 128 kbit/s, 44.1 kHz: 417 bytes
const HeaderFields kMpeg2{2, 1, 8, 0};  // Layer III, 64 kbit/s, 22.05 kHz
constexpr std::int64_t kFrameBytes = 417;

// An "Info" frame with a frame count and a LAME tag's delay and padding.
Bytes InfoFrame(std::uint32_t frames, int delay, int padding) {
  Bytes frame = StreamBuilder().Frames(kMpeg1, 1).Get();
  const auto put = [&](std::size_t at, std::uint32_t value, std::size_t bytes) {
    for (std::size_t i = 0; i < bytes; ++i) {
      frame[at + i] = static_cast<std::uint8_t>(value >> (8 * (bytes - 1 - i)));
    }
  };
  put(36, 0x496E666F, 4);  // "Info"
  put(40, 1, 4);           // flags: the frame count alone
  put(44, frames, 4);
  put(48, 0x4C414D45, 4);  // "LAME"
  put(48 + 21, static_cast<std::uint32_t>(delay << 12 | padding), 3);
  return frame;
}

class ExactIndexStream : public ::testing::Test {
 protected:
  IndexOutcome Index(const StreamBuilder& stream) {
    stream.WriteTo(path_);
    return IndexStream(path_);
  }

  brelvik::testing::TempDir dir_;
  const std::string path_ = dir_.File("stream.mp3");
};

TEST_F(ExactIndexStream, WalksFromAfterTheTagPastJunkToTheLastWholeFrame) {
  const auto lone = brelvik::testing::HeaderBytesOf(kMpeg1);
  const Bytes partial = StreamBuilder().Frames(kMpeg1, 1).Get();
  StreamBuilder stream;
  stream
      .ID3v2({0, 0, 2, 1}, 257)  // 10 + 257 bytes
      .Junk(50)
      .Raw(Bytes(lone.begin(), lone.end()))  // a header no frame follows
      .Junk(60)
      .Frames(kMpeg1, 20)
      .Raw(Bytes(partial.begin(), partial.begin() + 200))  // a frame cut off
      .ID3v1();
  const IndexOutcome outcome = Index(stream);
  ASSERT_TRUE(outcome.Layout) << outcome.Refusal;
  EXPECT_EQ(outcome.Layout->Id3v2Bytes, 267);
  EXPECT_EQ(outcome.Layout->AudioStart, 267 + 50 + 4 + 60);
  EXPECT_EQ(outcome.Layout->AudioFrames, 20);
  EXPECT_EQ(outcome.Layout->AudioEnd, outcome.Layout->AudioStart + 20 * kFrameBytes);
  EXPECT_TRUE(outcome.Layout->HasTrailing(TagKind::Id3v1));
}

TEST_F(ExactIndexStream, TakesNoTagFromTheLastFramesBytes) {
  Bytes frames = StreamBuilder().Frames(kMpeg1, 20).Get();
  const auto tag = frames.end() - 128;
  std::copy_n("TAG", 3, tag);
  const IndexOutcome outcome = Index(StreamBuilder().Raw(frames));
  ASSERT_TRUE(outcome.Layout) << outcome.Refusal;
  EXPECT_EQ(outcome.Layout->AudioFrames, 20);
  EXPECT_FALSE(outcome.Layout->HasTrailing(TagKind::Id3v1));
}

TEST(ExactId3v2TagBytes, CountTheFooterFromVersion4On) {
  EXPECT_EQ(Id3v2TagBytes(Bytes{'I', 'D', '3', 4, 0, 0x10, 0, 0, 2, 1}, 1000), 277);
  EXPECT_EQ(Id3v2TagBytes(Bytes{'I', 'D', '3', 3, 0, 0x10, 0, 0, 2, 1}, 1000), 267);
  EXPECT_EQ(Id3v2TagBytes(Bytes{'I', 'D', '3', 4, 0, 0, 0, 1, 0, 0}, 1000), 0);  // past the end
}

struct SpanCase {
  const char* Name;
  Bytes Head;  // before 20 frames of kMpeg1
  std::int64_t AudioStart, AudioFrames, FirstSample, EndSample;
};

// libmpg123 skips delay + 529 samples and drops padding - 529 at the end;
// where the header counts more frames than there are (a file cut short) it
// meets the end before the padding.
const SpanCase kSpans[] = {
    {"NoHeaderFrame", {}, 0, 20, 0, 23040},
    {"InfoCountingEveryFrame", InfoFrame(20, 576, 1000), 417, 20, 1105, 22569},
    {"InfoCountingFewer", InfoFrame(15, 576, 1000), 417, 20, 1105, 22569},
    {"InfoCountingMore", InfoFrame(21, 576, 1000), 417, 20, 1105, 23040},
    {"PaddingUnderTheDecodersDelay", InfoFrame(20, 576, 100), 417, 20, 1105, 23040},
    {"Vbri", StreamBuilder().VbriFrame(kMpeg1, 36, 20, 8340).Get(), 0, 21, 0, 24192},
};

class ExactDecodedSpan : public ExactIndexStream, public ::testing::WithParamInterface<SpanCase> {};

TEST_P(ExactDecodedSpan, FollowsTheHeaderFrame) {
  const SpanCase& c = GetParam();
  const IndexOutcome outcome = Index(StreamBuilder().Raw(c.Head).Frames(kMpeg1, 20));
  ASSERT_TRUE(outcome.Layout) << outcome.Refusal;
  EXPECT_EQ(outcome.Layout->AudioStart, c.AudioStart);
  EXPECT_EQ(outcome.Layout->AudioFrames, c.AudioFrames);
  EXPECT_EQ(outcome.Layout->FirstSample, c.FirstSample);
  EXPECT_EQ(outcome.Layout->EndSample, c.EndSample);
}

INSTANTIATE_TEST_SUITE_P(Headers, ExactDecodedSpan, ::testing::ValuesIn(kSpans), CaseName());

struct EndCase {
  const char* Name;
  StreamBuilder Stream;
  const char* Refusal;  // empty when the stream is taken, with 20 frames
};

const Bytes kApeTag = {'A', 'P', 'E', 'T', 'A', 'G', 'E', 'X', 0xD0, 7, 0, 0, 32, 0, 0, 0};

const EndCase kEnds[] = {
    {"OnlyATag", StreamBuilder().ID3v2({0, 0, 1, 0}, 128).Junk(900, 0x33),
     "no MPEG audio frames follow its tag"},
    {"FreeFormat", StreamBuilder().Frames({3, 1, 0, 0}, 40), "free format"},
    {"Mpeg1ThenMpeg2", StreamBuilder().Frames(kMpeg1, 20).Frames(kMpeg2, 3),
     "from MPEG 1 Layer III at 44100 Hz to MPEG 2 Layer III at 22050 Hz at byte 8340"},
    {"ResumingAfterJunk", StreamBuilder().Frames(kMpeg1, 20).Junk(100, 0x55).Frames(kMpeg1, 3),
     "broken by 100 bytes that are not frames at byte 8340"},
    {"TwoFramesAfterJunk", StreamBuilder().Frames(kMpeg1, 20).Junk(100, 0x55).Frames(kMpeg1, 2),
     ""},
    {"OneFrameOfAnotherFormat", StreamBuilder().Frames(kMpeg1, 20).Frames(kMpeg2, 1), ""},
    {"ApeTagAndId3v1", StreamBuilder().Frames(kMpeg1, 20).Raw(kApeTag).Junk(16, 0x41).ID3v1(), ""},
    {"FilesJoinedEndToEnd",
     StreamBuilder()
         .Raw(InfoFrame(10, 576, 1000))
         .Frames(kMpeg1, 10)
         .Raw(InfoFrame(10, 576, 1000))
         .Frames(kMpeg1, 10),
     "a second header frame at byte 4587 shows files joined end to end"},
};

class ExactStreamEnds : public ExactIndexStream, public ::testing::WithParamInterface<EndCase> {};

TEST_P(ExactStreamEnds, RefuseOnlyAudioThatCannotBeWalked) {
  const IndexOutcome outcome = Index(GetParam().Stream);
  const std::string refusal = GetParam().Refusal;
  if (refusal.empty()) {
    ASSERT_TRUE(outcome.Layout) << outcome.Refusal;
    EXPECT_EQ(outcome.Layout->AudioEnd, 20 * kFrameBytes);
  } else {
    EXPECT_FALSE(outcome.Layout);
    EXPECT_TRUE(outcome.Refusal.starts_with("Exact cuts cannot be made in " + path_ + ": "));
    EXPECT_NE(outcome.Refusal.find(refusal), std::string::npos) << outcome.Refusal;
  }
}

// Decoders take up a second channel that comes back with what they kept of
// it, which a piece that starts in between cannot hold.
TEST_F(ExactIndexStream, WarnsOfJoinsWhereStereoFollowsMono) {
  HeaderFields mono = kMpeg1;
  mono.ChannelMode = 3;
  for (const bool monoFirst : {false, true}) {
    StreamBuilder stream;
    stream.Frames(monoFirst ? mono : kMpeg1, 20).Frames(monoFirst ? kMpeg1 : mono, 20);
    const IndexOutcome outcome = Index(stream);
    ASSERT_TRUE(outcome.Layout) << outcome.Refusal;
    EXPECT_EQ(JoinWarning(*outcome.Layout).empty(), !monoFirst) << JoinWarning(*outcome.Layout);
  }
}

TEST(ExactJoinWarning, NamesTheFormatsWhoseJoinsAreNotSampleExact) {
  const auto warns = [](HeaderFields fields) {
    const auto raw = brelvik::testing::HeaderBytesOf(fields);
    FrameHeader header;
    EXPECT_TRUE(ReadHeader(raw, header));
    return !JoinWarning(header).empty();
  };
  EXPECT_FALSE(warns(kMpeg1));
  EXPECT_FALSE(warns({3, 1, 9, 0, false, false, 3}));  // MPEG 1 mono
  EXPECT_FALSE(warns(kMpeg2));
  EXPECT_TRUE(warns({2, 1, 8, 0, false, false, 3}));  // MPEG 2 mono
  EXPECT_TRUE(warns({0, 1, 3, 0, false, false, 3}));  // MPEG 2.5 mono
  EXPECT_TRUE(warns({3, 2, 9, 0}));                   // Layer II
  EXPECT_TRUE(warns({3, 3, 9, 0}));                   // Layer I
}

INSTANTIATE_TEST_SUITE_P(Streams, ExactStreamEnds, ::testing::ValuesIn(kEnds), CaseName());

}  // namespace
}  // namespace brelvik::exact
