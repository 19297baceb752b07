// The header frame a piece starts with, read back field by field, and the
// CRC-16 that its LAME tag carries.
#include <gtest/gtest.h>

#include <random>
#include <utility>

#include "ExactTestSupport.h"
#include "exact/Crc16.h"
#include "exact/FrameFacts.h"
#include "exact/HeaderFrame.h"

namespace brelvik::exact {
namespace {

using brelvik::exact::PrintTo;
using brelvik::testing::HeaderFields;

TEST(ExactCrc16, AgreesWithTheBitwiseCrcInAnyChunks) {
  const Bytes check = {'1', '2', '3', '4', '5', '6', '7', '8', '9'};
  EXPECT_EQ(Crc16Of(check), 0xBB3D);  // the CRC-16/ARC check value
  std::mt19937 random(7);
  for (const std::size_t length :
       {1u, 7u, 9u, 15u, 17u, 63u, 127u, 128u, 191u, 192u, 1001u, 4097u, 70001u}) {
    Bytes bytes(length);
    for (auto& byte : bytes) {
      byte = static_cast<std::uint8_t>(random());
    }
    EXPECT_EQ(Crc16Of(bytes), BitwiseCrc16(bytes, 0, length)) << length << " bytes";
    Crc16 chunked;
    for (std::size_t at = 0, step = 1; at < length; at += step, step = step * 7 % 41 + 1) {
      chunked.Add(std::span(bytes).subspan(at, std::min(step, length - at)));
    }
    EXPECT_EQ(chunked.Value(), BitwiseCrc16(bytes, 0, length)) << length << " bytes in chunks";
  }
}

struct Like {
  const char* Name;
  HeaderFields Fields;
  bool VariableRate;
};

const Like kLikes[] = {
    {"Mpeg1Cbr128", {3, 1, 9, 0, false, false, 0}, false},
    {"Mpeg1Cbr32Crc", {3, 1, 1, 0, true, true, 1}, false},  // too small for the tag
    {"Mpeg1Vbr", {3, 1, 5, 1, false, false, 0}, true},
    {"Mpeg1Mono", {3, 1, 9, 0, false, false, 3}, false},
    {"Mpeg2Mono8k", {2, 1, 1, 0, false, false, 3}, false},
    {"Mpeg25Stereo", {0, 1, 3, 2, true, false, 0}, true},
};

class ExactHeaderFrame : public ::testing::TestWithParam<Like> {};

TEST_P(ExactHeaderFrame, ReadsBackWhatItWasBuiltWith) {
  const auto raw = brelvik::testing::HeaderBytesOf(GetParam().Fields);
  FrameHeader like;
  ASSERT_TRUE(ReadHeader(raw, like));
  HeaderFrameContent content;
  content.VariableRate = GetParam().VariableRate;
  content.AudioFrames = 123456;
  content.StreamBytes = 7654321;
  content.EncoderDelay = 1234;
  content.EncoderPadding = 3001;
  content.MusicCrc = 0xBEEF;
  const Bytes frame = BuildHeaderFrame(like, content);

  FrameHeader header;
  ASSERT_TRUE(ReadHeader(frame, header));
  EXPECT_EQ(frame.size(), header.FrameLength);
  EXPECT_FALSE(header.CrcProtected);
  EXPECT_EQ(FormatOf(header), FormatOf(like));
  EXPECT_EQ(header.ChannelMode, like.ChannelMode);
  // A constant-rate stream's own bit rate when the tag fits in such a frame.
  const std::size_t tagEnd = XingAt(frame, 0) + 120 + 36;
  HeaderFields unpadded = GetParam().Fields;
  unpadded.Padded = false;
  if (!content.VariableRate && std::cmp_greater_equal(StandardFrameLength(unpadded), tagEnd)) {
    EXPECT_EQ(header.BitRateIndex, like.BitRateIndex);
  }

  const HeaderFrameFacts facts = ReadHeaderFrame(frame, header);
  EXPECT_EQ(facts.Kind, content.VariableRate ? HeaderFrameKind::Xing : HeaderFrameKind::Info);
  EXPECT_EQ(facts.FrameCount, content.AudioFrames);
  EXPECT_EQ(facts.ByteCount, content.StreamBytes);
  ASSERT_TRUE(facts.Lame);
  EXPECT_EQ(facts.Lame->EncoderDelay, 1234);
  EXPECT_EQ(facts.Lame->EncoderPadding, 3001);
  EXPECT_EQ(std::string(facts.Lame->Bytes.begin(), facts.Lame->Bytes.begin() + 4), "LAME");
  EXPECT_EQ(BigEndian(frame, tagEnd - 4, 2), 0xBEEF);
  EXPECT_EQ(BigEndian(frame, tagEnd - 2, 2), BitwiseCrc16(frame, 0, tagEnd - 2));
}

INSTANTIATE_TEST_SUITE_P(Formats, ExactHeaderFrame, ::testing::ValuesIn(kLikes), CaseName());

}  // namespace
}  // namespace brelvik::exact
