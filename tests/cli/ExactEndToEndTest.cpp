// `brelvik-split info --exact` and `split --exact`, run as a program: the real
// figures, the checks of times against the real duration, and pieces that
// decode to the source.
#include <gtest/gtest.h>

#include <filesystem>
#include <nlohmann/json.hpp>

#include "CliRun.h"
#include "Lame.h"
#include "ReferenceDecode.h"
#include "StreamBuilder.h"
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

}  // namespace
}  // namespace brelvik::testing
