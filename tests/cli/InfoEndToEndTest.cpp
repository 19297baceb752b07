// `brelvik-split info` run as a program on lame-encoded and byte-built files.
#include <gtest/gtest.h>

#include <functional>
#include <nlohmann/json.hpp>
#include <set>

#include "CliRun.h"
#include "Lame.h"
#include "StreamBuilder.h"
#include "TempDir.h"

namespace brelvik::testing {
namespace {

using nlohmann::json;

const std::vector<std::string> kDetailKeys = {
    "kbps",       "frame_bytes", "frame_total", "frame_ms",   "duration_secs", "first_frame_offset",
    "vbr_header", "id3v1",       "id3v2_size",  "file_length"};

std::set<std::string> KeysOf(const json& object) {
  std::set<std::string> keys;
  for (const auto& item : object.items()) {
    keys.insert(item.key());
  }
  return keys;
}

json InfoJson(const std::string& path, CommandResult& result) {
  result = RunSplitter({"info", path, "--json"});
  return json::parse(result.Out);
}

// ID3v2 header whose size field states 990 bytes (syncsafe 7 × 128 + 94), so
// the whole tag is 1,000 bytes.
StreamBuilder TaggedStream(int frames) {
  StreamBuilder stream;
  stream.ID3v2({0, 0, 7, 94}, 990).Junk(100).Frames(HeaderFields{}, frames).ID3v1();
  return stream;
}

TEST(InfoCommand, ConstantRateLameFileMatchesItsBytes) {
  TempDir dir;
  const std::string path = EncodeWithLame(
      dir, "cbr", {.Seconds = 3.0, .LameArgs = {"-b", "128", "--tt", "Brelvik", "--add-id3v2"}});
  const Bytes bytes = ReadBytes(path);
  const std::size_t header = FirstLayer3Header(bytes);
  const int padding = (bytes[header + 2] >> 1) & 1;
  const int frameBytes = 144 * 128'000 / 44'100 + padding;
  const auto audioBytes = static_cast<std::int64_t>(bytes.size() - header);

  CommandResult result;
  const json info = InfoJson(path, result);
  EXPECT_EQ(result.ExitCode, 0);
  EXPECT_EQ(result.Err, "");
  std::set<std::string> expectedKeys(kDetailKeys.begin(), kDetailKeys.end());
  expectedKeys.insert({"file", "analysed", "valid"});
  EXPECT_EQ(KeysOf(info), expectedKeys);
  EXPECT_EQ(info["file"], path);
  EXPECT_EQ(info["analysed"], true);
  EXPECT_EQ(info["valid"], true);
  EXPECT_EQ(info["kbps"], 128);
  EXPECT_EQ(info["frame_bytes"], frameBytes);
  EXPECT_EQ(info["frame_total"], audioBytes / frameBytes);
  EXPECT_EQ(info["frame_ms"], frameBytes * 8 / 128);
  EXPECT_DOUBLE_EQ(info["duration_secs"].get<double>(),
                   static_cast<double>(audioBytes * 8) / 128 / 1000);
  EXPECT_NEAR(info["duration_secs"].get<double>(), 3.0, 0.2);
  EXPECT_EQ(info["first_frame_offset"], 0);
  EXPECT_EQ(info["vbr_header"], HasTextAt(bytes, header + 36, "Xing"));
  EXPECT_EQ(info["id3v1"], HasTextAt(bytes, bytes.size() - 128, "TAG"));
  EXPECT_EQ(info["id3v2_size"], header);
  EXPECT_GT(header, 0u) << "lame wrote no ID3v2 tag";
  EXPECT_EQ(info["file_length"], bytes.size());
}

TEST(InfoCommand, VariableRateLameFileTakesCountsFromItsXingHeader) {
  TempDir dir;
  const std::string path = EncodeWithLame(dir, "vbr", {.Seconds = 3.0, .LameArgs = {"-V", "2"}});
  const Bytes bytes = ReadBytes(path);
  const std::size_t header = FirstLayer3Header(bytes);
  ASSERT_TRUE(HasTextAt(bytes, header + 36, "Xing"));
  const std::int32_t frames = BigEndianAt(bytes, header + 36 + 8);

  CommandResult result;
  const json info = InfoJson(path, result);
  EXPECT_EQ(result.ExitCode, 0);
  EXPECT_EQ(info["valid"], true);
  EXPECT_EQ(info["vbr_header"], true);
  EXPECT_EQ(info["frame_total"], frames);
  EXPECT_DOUBLE_EQ(info["duration_secs"].get<double>(), 1152.0 * frames / 44'100);
  EXPECT_NEAR(info["duration_secs"].get<double>(), 3.0, 0.2);
  const double averageKbps =
      static_cast<double>(bytes.size()) * 8 / (1152.0 * frames / 44'100) / 1000;
  EXPECT_NEAR(info["kbps"].get<double>(), averageKbps, averageKbps * 0.05);
  EXPECT_EQ(info["id3v2_size"], 0);
  EXPECT_EQ(info["id3v1"], false);
  EXPECT_EQ(info["first_frame_offset"], header);
}

TEST(InfoCommand, ByteBuiltStreamBehindTagsAndJunk) {
  TempDir dir;
  const std::string path = dir.File("tagged.mp3");
  const StreamBuilder stream = TaggedStream(2000);
  stream.WriteTo(path);
  // The ID3v1 tag stays in the frame count and the duration.
  const std::int64_t audioBytes = static_cast<std::int64_t>(stream.Size()) - 1000 - 100;

  CommandResult result;
  const json info = InfoJson(path, result);
  EXPECT_EQ(result.ExitCode, 0);
  EXPECT_EQ(info["kbps"], 128);
  EXPECT_EQ(info["frame_bytes"], 417);
  EXPECT_EQ(info["frame_total"], audioBytes / 417);
  EXPECT_EQ(info["frame_ms"], 26);
  EXPECT_DOUBLE_EQ(info["duration_secs"].get<double>(),
                   static_cast<double>(audioBytes * 8) / 128'000);
  EXPECT_EQ(info["first_frame_offset"], 100);
  EXPECT_EQ(info["vbr_header"], false);
  EXPECT_EQ(info["id3v1"], true);
  EXPECT_EQ(info["id3v2_size"], 1000);
  EXPECT_EQ(info["file_length"], stream.Size());
}

TEST(InfoCommand, ReadableLinesWithoutJson) {
  TempDir dir;
  const std::string path = dir.File("tagged.mp3");
  TaggedStream(2000).WriteTo(path);  // 834,128 audio bytes: 52.133 s

  const CommandResult result = RunSplitter({"info", path});
  EXPECT_EQ(result.ExitCode, 0);
  for (const std::string expected :
       {"File:", "Bit rate:", "Frame size:", "Frames:", "Duration:", "File size:"}) {
    EXPECT_NE(result.Out.find(expected), std::string::npos) << expected;
  }
  EXPECT_NE(result.Out.find(" 128 kbit/s\n"), std::string::npos) << result.Out;
  EXPECT_NE(result.Out.find(" 2000\n"), std::string::npos) << result.Out;
  EXPECT_NE(result.Out.find(" 0:52.133\n"), std::string::npos) << result.Out;
  EXPECT_NE(result.Out.find(" " + path + "\n"), std::string::npos) << result.Out;
}

struct FailureCase {
  std::string Name;
  std::function<void(const std::string& path)> Make;  // leaves no file when empty
  int ExitCode;
  bool Analysed;
  bool DetailsPresent;
  std::string MessageStart;  // followed by the path
};

void PrintTo(const FailureCase& c, std::ostream* os) {
  *os << c.Name;
}

class InfoFailure : public ::testing::TestWithParam<FailureCase> {};

TEST_P(InfoFailure, PrintsTheObjectAndTheMessage) {
  const FailureCase& c = GetParam();
  TempDir dir;
  const std::string path = dir.File("input.mp3");
  if (c.Make) {
    c.Make(path);
  }
  CommandResult result;
  const json info = InfoJson(path, result);
  EXPECT_EQ(result.ExitCode, c.ExitCode);
  EXPECT_EQ(result.Err.rfind(c.MessageStart + path, 0), 0u) << result.Err;
  EXPECT_EQ(info["file"], path);
  EXPECT_EQ(info["analysed"], c.Analysed);
  EXPECT_EQ(info["valid"], false);
  for (const std::string& key : kDetailKeys) {
    EXPECT_EQ(info.at(key).is_null(), !c.DetailsPresent) << key;
  }
}

// A one-frame stream confirmed by a second frame, both MPEG 1 Layer III at 128 kbit/s.
void WriteXingStatingTwoFrames(const std::string& path) {
  StreamBuilder().XingFrame(HeaderFields{}, 36, 2, 834).Frames(HeaderFields{}, 1).WriteTo(path);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, InfoFailure,
    ::testing::Values(
        FailureCase{"NoFrame", [](const std::string& p) { StreamBuilder().Junk(5000).WriteTo(p); },
                    1, true, false, "Can not read data from the file: "},
        // 2 frames of 1,152 samples at 44.1 kHz last 0.052 s, under the 0.1 s minimum.
        FailureCase{"FrameButTooShort", WriteXingStatingTwoFrames, 1, true, true,
                    "Can not read data from the file: "},
        // A constant-rate file shorter than one analysis window fails its trailer read.
        FailureCase{
            "ShortConstantRate",
            [](const std::string& p) { StreamBuilder().Frames(HeaderFields{}, 5).WriteTo(p); }, 2,
            false, false, "brelvik-split: cannot read "},
        FailureCase{"Under128Bytes",
                    [](const std::string& p) { StreamBuilder().Junk(100).WriteTo(p); }, 2, false,
                    false, "brelvik-split: cannot read "},
        FailureCase{"Missing", nullptr, 2, false, false, "brelvik-split: cannot read "}),
    [](const auto& test) { return test.param.Name; });

}  // namespace
}  // namespace brelvik::testing
