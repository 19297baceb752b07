// `brelvik-split info --exact` and `split --exact`, run as a program: the real
// figures, the checks of times against the real duration, and pieces that
// decode to the source.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <nlohmann/json.hpp>

#include "CliRun.h"
#include "Lame.h"
#include "ReferenceDecode.h"
#include "StreamBuilder.h"
#include "TagBuilder.h"
#include "TempDir.h"

namespace brelvik::testing {
namespace {

constexpr double kSeconds = 10.0;
constexpr int kRate = 44100;

// One 10-second variable-rate encoding for the whole suite: lame's first
// frame (its Xing frame) is much shorter than the average frame, so frame
// numbers run out long before the audio does.
class ExactCommand : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    dir_ = new TempDir;
    source_ = new std::string(
        EncodeWithLame(*dir_, "song", {.Seconds = kSeconds, .LameArgs = {"-V", "2"}}));
  }
  static void TearDownTestSuite() {
    delete source_;
    delete dir_;
  }
  void TearDown() override {
    for (int k = 1; k <= 9; ++k) {
      std::filesystem::remove(Piece(k));
    }
  }

  static std::string Piece(int k) { return dir_->File("song-" + std::to_string(k) + ".mp3"); }

  static TempDir* dir_;
  static std::string* source_;
};

TempDir* ExactCommand::dir_ = nullptr;
std::string* ExactCommand::source_ = nullptr;

TEST_F(ExactCommand, InfoAddsTheRealFiguresOnlyWhenAsked) {
  const CommandResult plain = RunSplitter({"info", *source_, "--json"});
  ASSERT_EQ(plain.ExitCode, 0) << plain.Err;
  EXPECT_FALSE(nlohmann::json::parse(plain.Out).contains("audio_frames"));

  const CommandResult result = RunSplitter({"info", "--exact", *source_, "--json"});
  ASSERT_EQ(result.ExitCode, 0) << result.Err;
  const auto json = nlohmann::json::parse(result.Out);
  EXPECT_EQ(json["frame_total"], json["audio_frames"]);  // lame's Xing count is the real one
  EXPECT_EQ(json["sample_rate"], kRate);
  EXPECT_EQ(json["samples_per_frame"], 1152);
  EXPECT_EQ(json["encoder_delay"], 576);  // lame's own delay
  EXPECT_EQ(json["header_frame"], "Xing");
  // lame's gapless figures give back exactly what went in.
  EXPECT_DOUBLE_EQ(json["exact_duration_secs"].get<double>(), kSeconds);
  EXPECT_EQ(json["audio_end"], std::filesystem::file_size(*source_));
  EXPECT_GT(json["audio_start"].get<int>(), 0);
  EXPECT_TRUE(json["exact_refusal"].is_null());
  const std::int64_t frames = json["audio_frames"];
  const std::int64_t padding = json["encoder_padding"];
  EXPECT_EQ(frames * 1152 - 576 - padding, static_cast<std::int64_t>(kSeconds * kRate));
}

TEST_F(ExactCommand, TimesAreCheckedAgainstTheRealDuration) {
  // 0:09 lies past the last frame number of this file's figures.
  const CommandResult described = RunSplitter({"split", *source_, "0:09"});
  EXPECT_EQ(described.ExitCode, 1);
  EXPECT_EQ(described.Err.rfind("Maximum number of frames: ", 0), 0u) << described.Err;

  const CommandResult exact = RunSplitter({"split", "--exact", *source_, "0:09"});
  EXPECT_EQ(exact.ExitCode, 0) << exact.Err;
  EXPECT_TRUE(std::filesystem::remove(Piece(1)));

  const CommandResult late = RunSplitter({"split", "--exact", *source_, "0:04", "0:10.5"});
  EXPECT_EQ(late.ExitCode, 1);
  EXPECT_EQ(late.Err, "The time '0:10.5' lies beyond the end of the audio, 0:10.000\n");
  EXPECT_FALSE(std::filesystem::exists(Piece(1)));  // refused before anything is written
}

TEST_F(ExactCommand, PiecesDecodeToTheSourceEndToEnd) {
  const CommandResult result =
      RunSplitter({"split", "--exact", *source_, "0:06.5", "0:02.25", "--to-end"});
  ASSERT_EQ(result.ExitCode, 0) << result.Err;
  EXPECT_EQ(result.Out.find(Piece(1) + "  "), 0u) << result.Out;
  EXPECT_FALSE(std::filesystem::exists(Piece(4)));

  const ReferenceDecode source = DecodeAsPlayer(*source_);
  std::vector<std::int16_t> joined;
  std::vector<std::int64_t> starts;
  for (int k = 1; k <= 3; ++k) {
    starts.push_back(static_cast<std::int64_t>(joined.size()) / source.Channels);
    const ReferenceDecode piece = DecodeAsPlayer(Piece(k));
    joined.insert(joined.end(), piece.Samples.begin(), piece.Samples.end());
  }
  EXPECT_TRUE(joined == source.Samples);
  // Each cut lies within half a frame of the time asked for.
  EXPECT_NEAR(static_cast<double>(starts[1]), 2.25 * kRate, 576);
  EXPECT_NEAR(static_cast<double>(starts[2]), 6.5 * kRate, 576);
}

TEST_F(ExactCommand, BreakpointsOnTheSameFrameAreRefused) {
  const CommandResult result = RunSplitter({"split", "--exact", *source_, "0:03", "0:03.010"});
  EXPECT_EQ(result.ExitCode, 1);
  EXPECT_EQ(result.Err,
            "Piece 2 would hold no audio: breakpoints 0:03 and 0:03.010 fall on the same frame\n");
  EXPECT_FALSE(std::filesystem::exists(Piece(1)));
}

TEST_F(ExactCommand, AWriteFailureEndsWithItsExitCode) {
  const CommandResult result = RunSplitter(
      {"split", "--exact", *source_, "-o", dir_->File("missing/part-%track%.mp3"), "0:03"});
  EXPECT_EQ(result.ExitCode, 3);
  EXPECT_EQ(result.Err, "Cannot create file " + dir_->File("missing/part-1.mp3") +
                            ": No such file or directory\n");
}

TEST(ExactCommandRefusal, AStreamExactModeCannotWalkIsReportedWithItsReason) {
  TempDir dir;
  const std::string path = dir.File("mixed.mp3");
  HeaderFields layerII;
  layerII.LayerIndex = 2;
  StreamBuilder().Frames(HeaderFields{}, 300).Frames(layerII, 300).WriteTo(path);

  const CommandResult info = RunSplitter({"info", "--exact", path, "--json"});
  EXPECT_EQ(info.ExitCode, 1);
  const auto json = nlohmann::json::parse(info.Out);
  EXPECT_TRUE(json["valid"].get<bool>());
  EXPECT_TRUE(json["audio_frames"].is_null());
  const std::string reason = "Exact cuts cannot be made in " + path +
                             ": its audio changes from MPEG 1 Layer III at 44100 Hz to MPEG 1 "
                             "Layer II at 44100 Hz at byte " +
                             std::to_string(300 * 417);
  EXPECT_EQ(json["exact_refusal"], reason);
  EXPECT_EQ(info.Err, reason + "\n");

  const CommandResult split = RunSplitter({"split", "--exact", path, "100"});
  EXPECT_EQ(split.ExitCode, 1);
  EXPECT_EQ(split.Err, reason + "\n");
  // The byte ranges still work on it.
  EXPECT_EQ(RunSplitter({"split", path, "100"}).ExitCode, 0);
}

// Exact mode walks the frames itself: where it refuses a file that the
// analysis refuses too, its own reason is the one given.
TEST(ExactCommandRefusal, AFileTheAnalysisRefusesGetsExactModesReasonAlone) {
  TempDir dir;
  const std::string path = dir.File("free.mp3");
  StreamBuilder().Frames(HeaderFields{3, 1, 0, 0}, 40).WriteTo(path);  // free format

  const CommandResult split = RunSplitter({"split", "--exact", path, "100"});
  EXPECT_EQ(split.ExitCode, 1);
  EXPECT_EQ(split.Err, "Exact cuts cannot be made in " + path +
                           ": its audio is in free format, whose frames exact cuts cannot find\n");
  EXPECT_EQ(RunSplitter({"split", path, "100"}).Err,
            "Can not read data from the file: " + path + "\n");
}

// Files that both decoders play and that the analysis refuses: exact mode
// walks their frames itself.
struct PlayableFile {
  const char* Name;
  std::function<void(const TempDir&, const std::string&)> Write;
  int AnalysisExit;  // of the described split
};

void PrintTo(const PlayableFile& file, std::ostream* os) {
  *os << file.Name;
}

const HeaderFields kLayerI32k{3, 3, 1, 0};  // 32 kbit/s at 44.1 kHz: 32-byte frames

// An ID3v2.4 tag of one frame of `bytes` bytes.
Bytes PrivateTag(std::size_t bytes) {
  return Id3v2Of({{"PRIV", Bytes(bytes, 0x33)}}, {.Version = 4});
}

const PlayableFile kPlayable[] = {
    {"FiveFramesOfLame",
     [](const TempDir& dir, const std::string& path) {
       std::filesystem::copy_file(
           EncodeWithLame(dir, "short", {.Seconds = 0.1, .LameArgs = {"-b", "128"}}), path);
     },
     2},
    {"FortyNineFramesOfLayerI",
     [](const TempDir&, const std::string& path) {
       StreamBuilder().Frames(kLayerI32k, 49).WriteTo(path);
     },
     2},
    {"TwoId3v2Tags",
     [](const TempDir& dir, const std::string& path) {
       Bytes file = PrivateTag(100);
       const Bytes second = PrivateTag(200000);  // past the middle of the file
       file.insert(file.end(), second.begin(), second.end());
       const Bytes audio =
           ReadBytes(EncodeWithLame(dir, "tagged", {.Seconds = 2.0, .LameArgs = {}}));
       file.insert(file.end(), audio.begin(), audio.end());
       WriteBytes(path, file);
     },
     1},
    {"ReservedEmphasisEverywhere",
     [](const TempDir&, const std::string& path) {
       HeaderFields reserved;
       reserved.Emphasis = 2;
       StreamBuilder().Frames(reserved, 200).WriteTo(path);
     },
     1},
};

class PlayableFiles : public ::testing::TestWithParam<PlayableFile> {
 protected:
  void SetUp() override { GetParam().Write(dir_, path_); }

  TempDir dir_;
  std::string path_ = dir_.File("playable.mp3");
};

TEST_P(PlayableFiles, AreSplitExactlyWhateverTheAnalysisSays) {
  const CommandResult described = RunSplitter({"split", path_, "10"});
  EXPECT_EQ(described.ExitCode, GetParam().AnalysisExit) << described.Err;

  const CommandResult info = RunSplitter({"info", "--exact", path_, "--json"});
  EXPECT_EQ(info.ExitCode, 0) << info.Err;
  EXPECT_EQ(info.Err, "");
  EXPECT_TRUE(nlohmann::json::parse(info.Out)["exact_refusal"].is_null());

  // Frame numbers count the real frames where the analysis gives no figures.
  const CommandResult split =
      RunSplitter({"split", "--exact", path_, "-o", dir_.File("piece.mp3"), "3", "--to-end"});
  EXPECT_EQ(split.ExitCode, 0) << split.Err;
  EXPECT_EQ(split.Err.find("Can not read data"), std::string::npos) << split.Err;
  EXPECT_TRUE(std::filesystem::exists(dir_.File("piece-2.mp3")));
  const ReferenceDecode source = DecodeStraight(path_);
  const std::int64_t joined = DecodeStraight(dir_.File("piece-1.mp3")).Frames() +
                              DecodeStraight(dir_.File("piece-2.mp3")).Frames();
  EXPECT_EQ(joined, source.Frames());
}

INSTANTIATE_TEST_SUITE_P(Files, PlayableFiles, ::testing::ValuesIn(kPlayable),
                         [](const auto& test) { return std::string(test.param.Name); });

// Where the joins cannot be sample for sample, exact mode says so before
// it writes, and info says whether they will be.
TEST(ExactCommandJoins, AreSaidNotToBeSampleExactForLayerI) {
  TempDir dir;
  const std::string path = dir.File("layer1.mp3");
  StreamBuilder().Frames(HeaderFields{3, 3, 8, 0}, 400).WriteTo(path);
  const std::string warning =
      "Exact pieces of this file will not join sample for sample: Layer I has no header frame "
      "that decoders honour, so each piece after the first starts from a fresh synthesis "
      "filter, and its first 480 samples differ from the source's (a click can be heard at "
      "each join)";
  const CommandResult split = RunSplitter({"split", "--exact", path, "100", "--to-end"});
  EXPECT_EQ(split.ExitCode, 0) << split.Err;
  EXPECT_EQ(split.Err, "Warning: " + warning + "\n");

  const auto json = nlohmann::json::parse(RunSplitter({"info", "--exact", path, "--json"}).Out);
  EXPECT_FALSE(json["sample_exact_joins"].get<bool>());
  EXPECT_EQ(json["join_warning"], warning);
  const CommandResult text = RunSplitter({"info", "--exact", path});
  EXPECT_NE(text.Out.find("Sample-exact joins:  no: " + warning + "\n"), std::string::npos)
      << text.Out;
}

TEST_F(ExactCommand, InfoSaysTheJoinsOfLayerIIIAreSampleExact) {
  const CommandResult text = RunSplitter({"info", "--exact", *source_});
  EXPECT_NE(text.Out.find("Sample-exact joins:  yes\n"), std::string::npos) << text.Out;
  const auto json = nlohmann::json::parse(RunSplitter({"info", "--exact", *source_, "--json"}).Out);
  EXPECT_TRUE(json["sample_exact_joins"].get<bool>());
  EXPECT_TRUE(json["join_warning"].is_null());
  EXPECT_EQ(RunSplitter({"split", "--exact", *source_, "0:03"}).Err, "");
}

}  // namespace
}  // namespace brelvik::testing
