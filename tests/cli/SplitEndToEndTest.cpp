// `brelvik-split split` and the program's own options, run as a program.
#include <gtest/gtest.h>

#include <filesystem>

#include "CliRun.h"
#include "Lame.h"
#include "StreamBuilder.h"
#include "TempDir.h"

namespace brelvik::testing {
namespace {

constexpr std::size_t kFrameBytes = 417;  // MPEG 1 Layer III, 128 kbit/s, 44.1 kHz, unpadded

std::size_t ByteOf(std::size_t frame) {
  return frame * kFrameBytes;
}

// A 1,000-byte ID3v2 tag, 100 junk bytes, 2,000 frames and an ID3v1 tag:
// FrameTotal is (file length - 1,100) div 417 = 2,000.
class SplitCommand : public ::testing::Test {
 protected:
  void SetUp() override {
    StreamBuilder stream;
    stream.ID3v2({0, 0, 7, 94}, 990).Junk(100).Frames(HeaderFields{}, 2000).ID3v1();
    stream.WriteTo(source_);
    bytes_ = stream.Get();
  }

  std::string Piece(int k) const { return dir_.File("source-" + std::to_string(k) + ".mp3"); }
  bool Exists(const std::string& path) const { return std::filesystem::exists(path); }
  std::size_t FilesInDir() const {
    return static_cast<std::size_t>(std::distance(std::filesystem::directory_iterator(dir_.Path()),
                                                  std::filesystem::directory_iterator()));
  }

  TempDir dir_;
  std::string source_ = dir_.File("source.mp3");
  Bytes bytes_;
};

TEST_F(SplitCommand, PiecesAreTheSourceRangesBetweenBreakpoints) {
  // Given out of order; 0:10.5 is frame 402 (10,500 ms × 128 ÷ 8 ÷ 417 = 402.9).
  const CommandResult result = RunSplitter({"split", source_, "250", "100", "0:10.5"});
  ASSERT_EQ(result.ExitCode, 0) << result.Err;
  EXPECT_EQ(result.Err, "");
  EXPECT_EQ(ReadBytes(Piece(1)), Slice(bytes_, 0, ByteOf(100)));
  EXPECT_EQ(ReadBytes(Piece(2)), Slice(bytes_, ByteOf(100), ByteOf(250)));
  EXPECT_EQ(ReadBytes(Piece(3)), Slice(bytes_, ByteOf(250), ByteOf(402)));
  EXPECT_FALSE(Exists(Piece(4)));
  EXPECT_EQ(result.Out, Piece(1) + "  41700 bytes\n" + Piece(2) + "  62550 bytes\n" + Piece(3) +
                            "  63384 bytes\n");
}

TEST(SplitLameFile, ToEndWithATimeKeepsEveryByteOfARealEncoding) {
  TempDir dir;
  const std::string path = EncodeWithLame(
      dir, "song", {.Seconds = 4.0, .LameArgs = {"-b", "192", "--tt", "Brelvik", "--add-id3v2"}});
  const Bytes bytes = ReadBytes(path);
  const CommandResult result = RunSplitter({"split", path, "0:01.5", "20", "--to-end"});
  ASSERT_EQ(result.ExitCode, 0) << result.Err;
  Bytes joined;
  for (int k = 1; k <= 3; ++k) {
    const Bytes piece = ReadBytes(dir.File("song-" + std::to_string(k) + ".mp3"));
    EXPECT_FALSE(piece.empty()) << k;
    joined.insert(joined.end(), piece.begin(), piece.end());
  }
  EXPECT_EQ(joined, bytes);
  EXPECT_FALSE(std::filesystem::exists(dir.File("song-4.mp3")));
}

struct RefusalCase {
  std::string Name;
  std::vector<std::string> Breakpoints;
  std::string Message;  // the whole of stderr, or its start when it ends in "..."
};

void PrintTo(const RefusalCase& c, std::ostream* os) {
  *os << c.Name;
}

class SplitRefusal : public SplitCommand, public ::testing::WithParamInterface<RefusalCase> {};

TEST_P(SplitRefusal, ExitsWithOneAndWritesNothing) {
  std::vector<std::string> args = {"split", source_};
  args.insert(args.end(), GetParam().Breakpoints.begin(), GetParam().Breakpoints.end());
  const CommandResult result = RunSplitter(args);
  EXPECT_EQ(result.ExitCode, 1);
  const std::string& message = GetParam().Message;
  if (message.ends_with("...")) {
    EXPECT_EQ(result.Err.rfind(message.substr(0, message.size() - 3), 0), 0u) << result.Err;
  } else {
    EXPECT_EQ(result.Err, message + "\n");
  }
  EXPECT_EQ(FilesInDir(), 1u);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SplitRefusal,
    ::testing::Values(
        RefusalCase{"PastFrameTotal", {"2001"}, "Maximum number of frames: 2000"},
        RefusalCase{"LaterOnePastFrameTotal", {"100", "2001"}, "Maximum number of frames: 2000"},
        // 60,000 ms × 128 ÷ 8 ÷ 417 = frame 2,302.
        RefusalCase{"TimePastFrameTotal", {"1:00"}, "Maximum number of frames: 2000"},
        RefusalCase{"NeitherForm", {"10", "abc"}, "'abc' is not a breakpoint: ..."},
        RefusalCase{"Beyond32Bits", {"99999999999"}, "'99999999999' is not a valid integer value"},
        RefusalCase{"OnlyFrameZero", {"0"}, "Nothing to split: ..."},
        RefusalCase{"NoBreakpoints", {}, "Nothing to split: ..."}),
    [](const auto& test) { return test.param.Name; });

TEST_F(SplitCommand, FilesWithoutValidAudioAreRefusedBeforeAnyBreakpoint) {
  const std::string junk = dir_.File("junk.mp3");
  StreamBuilder().Junk(5000).WriteTo(junk);
  const CommandResult noAudio = RunSplitter({"split", junk, "abc"});
  EXPECT_EQ(noAudio.ExitCode, 1);
  EXPECT_EQ(noAudio.Err, "Can not read data from the file: " + junk + "\n");

  const std::string missing = dir_.File("missing.mp3");
  const CommandResult unreadable = RunSplitter({"split", missing, "10"});
  EXPECT_EQ(unreadable.ExitCode, 2);
  EXPECT_EQ(unreadable.Err.rfind("brelvik-split: cannot read " + missing, 0), 0u) << unreadable.Err;
}

TEST_F(SplitCommand, MissingOutputFolderFailsWithExitThree) {
  const std::string target = dir_.File("no-such-folder/part-%track%.mp3");
  const CommandResult result = RunSplitter({"split", source_, "-o", target, "10", "20"});
  EXPECT_EQ(result.ExitCode, 3);
  EXPECT_EQ(result.Err, "Cannot create file " + dir_.File("no-such-folder/part-1.mp3") +
                            ": No such file or directory\n");
  EXPECT_EQ(result.Out, "");
}

TEST_F(SplitCommand, OutputTemplateNamesThePieces) {
  const CommandResult result =
      RunSplitter({"split", source_, "--output", dir_.File("take-%track%.bin"), "10", "30"});
  ASSERT_EQ(result.ExitCode, 0) << result.Err;
  EXPECT_EQ(ReadBytes(dir_.File("take-1.bin")), Slice(bytes_, 0, ByteOf(10)));
  EXPECT_EQ(ReadBytes(dir_.File("take-2.bin")), Slice(bytes_, ByteOf(10), ByteOf(30)));
  EXPECT_FALSE(Exists(Piece(1)));
}

TEST_F(SplitCommand, AnOutputPathWithoutPlaceholderNamesNumberedPieces) {
  // As the window's save dialog does: set.mp3 names set-1.mp3, set-2.mp3.
  const CommandResult result =
      RunSplitter({"split", source_, "-o", dir_.File("set.mp3"), "10", "30"});
  ASSERT_EQ(result.ExitCode, 0) << result.Err;
  EXPECT_EQ(result.Err, "");
  EXPECT_EQ(ReadBytes(dir_.File("set-1.mp3")), Slice(bytes_, 0, ByteOf(10)));
  EXPECT_EQ(ReadBytes(dir_.File("set-2.mp3")), Slice(bytes_, ByteOf(10), ByteOf(30)));
  EXPECT_FALSE(Exists(dir_.File("set.mp3")));
}

TEST_F(SplitCommand, AnOutputPathThatNamesNoFileIsRefused) {
  for (const std::string& output : {std::string(), dir_.Path().string() + "/"}) {
    const CommandResult result = RunSplitter({"split", source_, "-o", output, "10"});
    EXPECT_EQ(result.ExitCode, 105) << output;
    EXPECT_NE(result.Err.find("names no file, only a folder: '" + output + "'"), std::string::npos)
        << result.Err;
    EXPECT_FALSE(Exists(output + "-1"));
  }
}

TEST(ProgramOptions, HelpShowsCommandsAndExitCodes) {
  const CommandResult result = RunSplitter({"--help"});
  EXPECT_EQ(result.ExitCode, 0);
  for (const char* expected : {"info", "split", "Exit codes", "3  a piece cannot be written"}) {
    EXPECT_NE(result.Out.find(expected), std::string::npos) << expected;
  }
}

TEST(ProgramOptions, VersionIsTheProjectVersion) {
  const CommandResult result = RunSplitter({"--version"});
  EXPECT_EQ(result.ExitCode, 0);
  EXPECT_EQ(result.Out, std::string("brelvik-split ") + BRELVIK_PROJECT_VERSION + "\n");
}

class UsageError : public ::testing::TestWithParam<std::vector<std::string>> {};

TEST_P(UsageError, ExitsNonZeroWithAMessage) {
  const CommandResult result = RunSplitter(GetParam());
  EXPECT_NE(result.ExitCode, 0);
  EXPECT_NE(result.Err, "");
  EXPECT_EQ(result.Out, "");
}

INSTANTIATE_TEST_SUITE_P(Arguments, UsageError,
                         ::testing::Values(std::vector<std::string>{},
                                           std::vector<std::string>{"split"},
                                           std::vector<std::string>{"cut", "x.mp3"},
                                           std::vector<std::string>{"info", "x.mp3", "--bogus"}));

}  // namespace
}  // namespace brelvik::testing
