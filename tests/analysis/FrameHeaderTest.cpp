#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <string>

#include "AnalysisTestFiles.h"
#include "StreamBuilder.h"
#include "analysis/FrameHeader.h"

namespace brelvik {
namespace {

using testing::CaseName;
using testing::HeaderFields;
using testing::PrintTo;
using Four = std::array<std::uint8_t, 4>;

FrameHeader Decoded(const Four& bytes) {
  FrameHeader header;
  DecodeHeader(bytes, header);
  return header;
}

FrameHeader Decoded(const HeaderFields& fields) {
  return Decoded(testing::HeaderBytesOf(fields));
}

struct AcceptCase {
  const char* Name;
  Four Bytes;
  bool Accepted;
};

class IsFrameHeaderTest : public ::testing::TestWithParam<AcceptCase> {};

TEST_P(IsFrameHeaderTest, AcceptsOnlyUsableHeaders) {
  EXPECT_EQ(IsFrameHeader(GetParam().Bytes), GetParam().Accepted);
}

INSTANTIATE_TEST_SUITE_P(
    Bytes, IsFrameHeaderTest,
    ::testing::Values(AcceptCase{"Mpeg1Layer3At128", {0xFF, 0xFB, 0x90, 0x00}, true},
                      AcceptCase{"Mpeg25Layer3WithCrc", {0xFF, 0xE2, 0x90, 0x00}, true},
                      AcceptCase{"Mpeg1Layer1", {0xFF, 0xFF, 0x90, 0x00}, true},
                      AcceptCase{"BitRateIndex14", {0xFF, 0xFB, 0xE0, 0x00}, true},
                      AcceptCase{"SampleRateIndex2", {0xFF, 0xFB, 0x98, 0x00}, true},
                      AcceptCase{"Emphasis1", {0xFF, 0xFB, 0x90, 0x01}, true},
                      AcceptCase{"Emphasis3", {0xFF, 0xFB, 0x90, 0x03}, true},
                      AcceptCase{"MonoAndEveryUntestedBitSet", {0xFF, 0xFA, 0x93, 0xFD}, true},
                      AcceptCase{"FirstByteNotFF", {0xFE, 0xFB, 0x90, 0x00}, false},
                      AcceptCase{"SyncBitMissing", {0xFF, 0xDB, 0x90, 0x00}, false},
                      AcceptCase{"ReservedVersion", {0xFF, 0xEB, 0x90, 0x00}, false},
                      AcceptCase{"ReservedLayer", {0xFF, 0xF9, 0x90, 0x00}, false},
                      AcceptCase{"FreeFormat", {0xFF, 0xFB, 0x00, 0x00}, false},
                      AcceptCase{"BadBitRate", {0xFF, 0xFB, 0xF0, 0x00}, false},
                      AcceptCase{"ReservedSampleRate", {0xFF, 0xFB, 0x9C, 0x00}, false},
                      AcceptCase{"ReservedEmphasis", {0xFF, 0xFB, 0x90, 0x02}, false},
                      AcceptCase{"Zeros", {0x00, 0x00, 0x00, 0x00}, false}),
    CaseName());

struct DecodeCase {
  const char* Name;
  Four Bytes;
  FrameHeader Expected;  // the twelve decoded fields
};

FrameHeader Fields(std::uint8_t version, std::uint8_t layer, bool crc, std::uint16_t bitRate,
                   std::uint16_t sampleRate, bool padded, bool privateBit, std::uint8_t channelMode,
                   std::uint8_t modeExtension, bool copyright, bool original,
                   std::uint8_t emphasis) {
  FrameHeader h;
  h.VersionIndex = version;
  h.LayerIndex = layer;
  h.CrcProtected = crc;
  h.BitRateIndex = bitRate;
  h.SampleRateIndex = sampleRate;
  h.Padded = padded;
  h.PrivateBit = privateBit;
  h.ChannelMode = channelMode;
  h.ModeExtension = modeExtension;
  h.Copyright = copyright;
  h.Original = original;
  h.Emphasis = emphasis;
  return h;
}

class DecodeHeaderTest : public ::testing::TestWithParam<DecodeCase> {};

TEST_P(DecodeHeaderTest, SplitsTheBitsIntoFields) {
  FrameHeader expected = GetParam().Expected;
  expected.RawBytes = GetParam().Bytes;
  EXPECT_EQ(Decoded(GetParam().Bytes), expected);
}

INSTANTIATE_TEST_SUITE_P(
    Bytes, DecodeHeaderTest,
    ::testing::Values(DecodeCase{"PlainMpeg1Layer3",
                                 {0xFF, 0xFB, 0x90, 0x00},
                                 Fields(3, 1, false, 9, 0, false, false, 0, 0, false, false, 0)},
                      DecodeCase{"EveryFlagSet",
                                 {0xFF, 0xFA, 0x93, 0x7D},
                                 Fields(3, 1, true, 9, 0, true, true, 1, 3, true, true, 1)},
                      DecodeCase{"Mpeg25",
                                 {0xFF, 0xE2, 0x90, 0x00},
                                 Fields(0, 1, true, 9, 0, false, false, 0, 0, false, false, 0)},
                      DecodeCase{"Mpeg2Layer2Mono",
                                 {0xFF, 0xF5, 0xE8, 0xC7},
                                 Fields(2, 2, false, 14, 2, false, false, 3, 0, false, true, 3)},
                      DecodeCase{"Layer1CopyrightModeExtension2",
                                 {0xFF, 0xFF, 0x14, 0x28},
                                 Fields(3, 3, false, 1, 1, false, false, 0, 2, true, false, 0)}),
    CaseName());

TEST(DecodeHeader, LeavesWhatTheSearchRecordedAlone) {
  FrameHeader header;
  header.Found = true;
  header.Offset = 77;
  header.FrameLength = 999;
  DecodeHeader(Four{0xFF, 0xFB, 0x90, 0x00}, header);
  EXPECT_TRUE(header.Found);
  EXPECT_EQ(header.Offset, 77);
  EXPECT_EQ(header.FrameLength, 999);
}

TEST(FrameHeader, ClearedRecordHoldsTheNotYetDecodedMarkers) {
  const FrameHeader cleared;
  EXPECT_FALSE(cleared.Found);
  EXPECT_EQ(cleared.Offset, 0);
  EXPECT_EQ(cleared.FrameLength, 0);
  EXPECT_EQ(cleared.RawBytes, (Four{0, 0, 0, 0}));
  EXPECT_EQ(cleared.VersionIndex, 1);
  EXPECT_EQ(cleared.LayerIndex, 0);
  EXPECT_EQ(cleared.SampleRateIndex, 3);
  EXPECT_EQ(cleared.ChannelMode, 4);
  EXPECT_EQ(cleared.ModeExtension, 4);
  EXPECT_EQ(cleared.Emphasis, 2);
  EXPECT_EQ(cleared.BitRateIndex, 0);
  EXPECT_FALSE(cleared.CrcProtected || cleared.Padded || cleared.PrivateBit || cleared.Copyright ||
               cleared.Original);
  EXPECT_EQ(BitRateOf(cleared), 0);
  EXPECT_EQ(SampleRateOf(cleared), 0);
  EXPECT_EQ(FrameLengthOf(cleared), 0);  // no division by the zero sample rate
}

// Every header IsFrameHeader accepts: the decoded fields give back the bits,
// the lookups give non-zero rates and the frame length is the standard one.
TEST(FrameLengthOf, MatchesTheStandardForEveryAcceptedHeader) {
  int checked = 0;
  for (int version : {0, 2, 3}) {
    for (int layer = 1; layer <= 3; ++layer) {
      for (int bitRate = 1; bitRate <= 14; ++bitRate) {
        for (int sampleRate = 0; sampleRate <= 2; ++sampleRate) {
          for (bool padded : {false, true}) {
            const HeaderFields fields{version, layer, bitRate, sampleRate, padded};
            const auto bytes = testing::HeaderBytesOf(fields);
            SCOPED_TRACE(::testing::Message()
                         << "version " << version << " layer " << layer << " bit rate " << bitRate
                         << " sample rate " << sampleRate << " padded " << padded);
            ASSERT_TRUE(IsFrameHeader(bytes));
            const FrameHeader header = Decoded(bytes);
            EXPECT_EQ(header.VersionIndex, version);
            EXPECT_EQ(header.LayerIndex, layer);
            EXPECT_EQ(header.BitRateIndex, bitRate);
            EXPECT_EQ(header.SampleRateIndex, sampleRate);
            EXPECT_EQ(header.Padded, padded);
            EXPECT_GT(BitRateOf(header), 0);
            EXPECT_GT(SampleRateOf(header), 0);
            EXPECT_EQ(FrameLengthOf(header), testing::StandardFrameLength(fields));
            if (version == 3) {
              EXPECT_LE(FrameLengthOf(header), kLongestMpeg1Frame);
            }
            ++checked;
          }
        }
      }
    }
  }
  EXPECT_EQ(checked, 3 * 3 * 14 * 3 * 2);
}

struct LengthCase {
  const char* Name;
  HeaderFields Header;
  std::uint16_t Kbps;
  std::uint16_t Hz;
  std::uint16_t Length;
};

class FrameLengthSpotTest : public ::testing::TestWithParam<LengthCase> {};

TEST_P(FrameLengthSpotTest, GivesTheWorkedValues) {
  const FrameHeader header = Decoded(GetParam().Header);
  EXPECT_EQ(BitRateOf(header), GetParam().Kbps);
  EXPECT_EQ(SampleRateOf(header), GetParam().Hz);
  EXPECT_EQ(FrameLengthOf(header), GetParam().Length);
}

// Layer I frames are 4 × (12 × bit/s div Hz) bytes, plus 4 when padded; the
// other layers (samples per frame ÷ 8) × bit/s div Hz, plus 1 when padded.
INSTANTIATE_TEST_SUITE_P(
    Headers, FrameLengthSpotTest,
    ::testing::Values(
        LengthCase{"Mpeg1Layer3At128And44100", {3, 1, 9, 0, false}, 128, 44100, 417},
        LengthCase{"Mpeg1Layer3At128And44100Padded", {3, 1, 9, 0, true}, 128, 44100, 418},
        LengthCase{"Mpeg1Layer3At128And48000", {3, 1, 9, 1, false}, 128, 48000, 384},
        LengthCase{"Mpeg1Layer3At320And32000Padded", {3, 1, 14, 2, true}, 320, 32000, 1441},
        LengthCase{"Mpeg1Layer2At384And32000Padded", {3, 2, 14, 2, true}, 384, 32000, 1729},
        LengthCase{"Mpeg1Layer1At32And32000Padded", {3, 3, 1, 2, true}, 32, 32000, 52},
        // 12 × 128000 / 44100 = 34.8 slots, truncated before the × 4.
        LengthCase{"Mpeg1Layer1At128And44100", {3, 3, 4, 0, false}, 128, 44100, 136},
        LengthCase{"Mpeg2Layer3At64And22050", {2, 1, 8, 0, false}, 64, 22050, 208},
        LengthCase{"Mpeg2Layer2At64And22050", {2, 2, 8, 0, false}, 64, 22050, 417},
        LengthCase{"Mpeg2Layer1At32And22050Padded", {2, 3, 1, 0, true}, 32, 22050, 72},
        LengthCase{"Mpeg25Layer3At80And11025", {0, 1, 9, 0, false}, 80, 11025, 522},
        LengthCase{"Mpeg25Layer2At160And8000", {0, 2, 14, 2, false}, 160, 8000, 2880}),
    CaseName());

TEST(BitRateOf, RowsFollowTheTableShape) {
  for (std::uint8_t version = 0; version <= 3; ++version) {
    for (std::uint8_t layer = 0; layer <= 3; ++layer) {
      std::uint16_t previous = 0;
      for (std::uint16_t index = 0; index <= 15; ++index) {
        FrameHeader header;
        header.VersionIndex = version;
        header.LayerIndex = layer;
        header.BitRateIndex = index;
        const std::uint16_t kbps = BitRateOf(header);
        SCOPED_TRACE(::testing::Message() << "version " << int{version} << " layer " << int{layer}
                                          << " index " << index);
        if (version == 1 || layer == 0 || index == 0 || index == 15) {
          EXPECT_EQ(kbps, 0);
          continue;
        }
        EXPECT_GT(kbps, previous);  // every row ascends
        previous = kbps;
        FrameHeader mpeg2 = header;
        mpeg2.VersionIndex = 2;
        if (version == 0) {
          EXPECT_EQ(kbps, BitRateOf(mpeg2));  // MPEG 2.5 shares the MPEG 2 rows
        }
      }
    }
  }
}

struct RowCase {
  const char* Name;
  std::uint8_t Version;
  std::uint8_t Layer;
  std::uint16_t Lowest;   // index 1
  std::uint16_t Middle;   // index 9
  std::uint16_t Highest;  // index 14
};

class BitRateRowTest : public ::testing::TestWithParam<RowCase> {};

TEST_P(BitRateRowTest, HoldsTheStandardRates) {
  FrameHeader header;
  header.VersionIndex = GetParam().Version;
  header.LayerIndex = GetParam().Layer;
  const auto at = [&header](std::uint16_t index) {
    header.BitRateIndex = index;
    return BitRateOf(header);
  };
  EXPECT_EQ(at(1), GetParam().Lowest);
  EXPECT_EQ(at(9), GetParam().Middle);
  EXPECT_EQ(at(14), GetParam().Highest);
}

INSTANTIATE_TEST_SUITE_P(Rows, BitRateRowTest,
                         ::testing::Values(RowCase{"Mpeg1Layer1", 3, 3, 32, 288, 448},
                                           RowCase{"Mpeg1Layer2", 3, 2, 32, 160, 384},
                                           RowCase{"Mpeg1Layer3", 3, 1, 32, 128, 320},
                                           RowCase{"Mpeg2Layer1", 2, 3, 32, 144, 256},
                                           RowCase{"Mpeg2Layer2", 2, 2, 8, 80, 160},
                                           RowCase{"Mpeg2Layer3", 2, 1, 8, 80, 160},
                                           RowCase{"Mpeg25Layer1", 0, 3, 32, 144, 256},
                                           RowCase{"Mpeg25Layer3", 0, 1, 8, 80, 160}),
                         CaseName());

TEST(SampleRateOf, GivesTheStandardRates) {
  const std::uint16_t expected[4][4] = {
      {11025, 12000, 8000, 0}, {0, 0, 0, 0}, {22050, 24000, 16000, 0}, {44100, 48000, 32000, 0}};
  for (std::uint8_t version = 0; version <= 3; ++version) {
    for (std::uint16_t index = 0; index <= 3; ++index) {
      FrameHeader header;
      header.VersionIndex = version;
      header.SampleRateIndex = index;
      EXPECT_EQ(SampleRateOf(header), expected[version][index])
          << "version " << int{version} << " index " << index;
    }
  }
}

struct FactorCase {
  const char* Name;
  HeaderFields Header;
  std::uint8_t Coefficient;  // samples per frame ÷ 8
  std::uint8_t Padding;
  std::uint8_t VbrOffset;
};

class FrameFactorsTest : public ::testing::TestWithParam<FactorCase> {};

TEST_P(FrameFactorsTest, FollowVersionLayerAndChannelMode) {
  const FrameHeader header = Decoded(GetParam().Header);
  EXPECT_EQ(CoefficientOf(header), GetParam().Coefficient);
  EXPECT_EQ(PaddingOf(header), GetParam().Padding);
  EXPECT_EQ(VbrHeaderOffset(header), GetParam().VbrOffset);
}

// HeaderFields fields: version, layer, bit-rate index, sample-rate index, padded,
// CRC, channel mode.
INSTANTIATE_TEST_SUITE_P(
    Headers, FrameFactorsTest,
    ::testing::Values(
        FactorCase{"Mpeg1Layer3Stereo", {3, 1, 9, 0, false, false, 0}, 144, 0, 36},
        FactorCase{"Mpeg1Layer3JointStereoPadded", {3, 1, 9, 0, true, false, 1}, 144, 1, 36},
        FactorCase{"Mpeg1Layer3DualChannel", {3, 1, 9, 0, false, false, 2}, 144, 0, 36},
        FactorCase{"Mpeg1Layer3Mono", {3, 1, 9, 0, false, false, 3}, 144, 0, 21},
        FactorCase{"Mpeg1Layer3WithCrc", {3, 1, 9, 0, false, true, 0}, 144, 0, 36},
        FactorCase{"Mpeg1Layer2Padded", {3, 2, 9, 0, true, false, 0}, 144, 1, 36},
        FactorCase{"Mpeg1Layer1Padded", {3, 3, 9, 0, true, false, 3}, 48, 4, 21},
        FactorCase{"Mpeg2Layer3Stereo", {2, 1, 8, 0, false, false, 0}, 72, 0, 21},
        FactorCase{"Mpeg2Layer3MonoPadded", {2, 1, 8, 0, true, false, 3}, 72, 1, 13},
        FactorCase{"Mpeg2Layer2", {2, 2, 8, 0, false, false, 0}, 144, 0, 21},
        FactorCase{"Mpeg2Layer1Padded", {2, 3, 8, 0, true, false, 0}, 48, 4, 21},
        FactorCase{"Mpeg25Layer3Mono", {0, 1, 8, 0, false, false, 3}, 72, 0, 13},
        FactorCase{"Mpeg25Layer2Padded", {0, 2, 8, 0, true, false, 1}, 144, 1, 21},
        FactorCase{"Mpeg25Layer1Padded", {0, 3, 8, 0, true, false, 3}, 48, 4, 13}),
    CaseName());

}  // namespace
}  // namespace brelvik
