// What brelvik-split refuses to write over, end to end: a link planted in a
// shared folder, names that are one file, and the files the run reads.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "CliRun.h"
#include "StreamBuilder.h"
#include "TempDir.h"

namespace brelvik::testing {
namespace {

namespace fs = std::filesystem;

const Bytes kVictim = {'s', 's', 'h', '-', 'k', 'e', 'y'};

// A 10-second byte-built stream in a folder everyone may write to (sticky,
// as /tmp or a shared download folder), and a victim's file elsewhere.
class WriteRefusals : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::create_directory(shared_);
    ASSERT_EQ(::chmod(shared_.c_str(), 01777), 0);
    fs::create_directory(dir_.File("home"));
    WriteBytes(victim_, kVictim);
    StreamBuilder().Frames(HeaderFields{}, 400).WriteTo(source_);
  }

  std::string Shared(const std::string& name) const { return shared_ + "/" + name; }

  TempDir dir_;
  std::string shared_ = dir_.File("shared");
  std::string victim_ = dir_.File("home/authorized_keys");
  std::string source_ = Shared("album.mp3");
};

TEST_F(WriteRefusals, ALinkPlantedUnderAPiecesNameIsRefusedAndLeftAsItIs) {
  const std::string link = Shared("album-1.mp3");
  fs::create_symlink(victim_, link);
  ASSERT_EQ(::lchown(link.c_str(), 65534, 65534), 0);  // another user's
  for (const bool exact : {false, true}) {
    std::vector<std::string> args = {"split", source_, "100", "200"};
    if (exact) {
      args.push_back("--exact");
    }
    const CommandResult result = RunSplitter(args);
    EXPECT_EQ(result.ExitCode, 1) << result.Err;
    EXPECT_EQ(result.Err, link + " is a symbolic link; remove it or choose another name\n");
    EXPECT_EQ(ReadBytes(victim_), kVictim);
    EXPECT_EQ(fs::read_symlink(link), victim_);
    EXPECT_FALSE(fs::exists(Shared("album-2.mp3")));
  }
  // A written cue sheet, likewise.
  const CommandResult cue = RunSplitter({"cue", source_, "100", "-o", link});
  EXPECT_EQ(cue.ExitCode, 1) << cue.Err;
  EXPECT_EQ(cue.Err, link + " is a symbolic link; remove it or choose another name\n");
  EXPECT_EQ(ReadBytes(victim_), kVictim);
}

TEST_F(WriteRefusals, PieceNamesThatAreOneFileAreRefusedBeforeAnyIsWritten) {
  fs::create_directory(Shared("real"));
  for (const char* name : {"d-1", "d-2", "d-3"}) {
    fs::create_directory_symlink("real", Shared(name));
  }
  const CommandResult result =
      RunSplitter({"split", source_, "-o", Shared("d-%track%/x.mp3"), "100", "200", "--to-end"});
  EXPECT_EQ(result.ExitCode, 1) << result.Err;
  EXPECT_EQ(result.Err, "The pieces " + Shared("d-1/x.mp3") + " and " + Shared("d-2/x.mp3") +
                            " are one file, so the second would replace the first\n");
  EXPECT_TRUE(fs::is_empty(Shared("real")));
}

TEST_F(WriteRefusals, TheCueSheetTheSplitReadsIsNeverAPiece) {
  const std::string sheet = Shared("x-1.cue");
  std::ofstream(sheet) << "FILE \"album.mp3\" MP3\n  TRACK 01 AUDIO\n    INDEX 01 00:00:00\n"
                          "  TRACK 02 AUDIO\n    INDEX 01 00:03:00\n";
  const Bytes before = ReadBytes(sheet);
  for (const bool exact : {false, true}) {
    std::vector<std::string> args = {"split", source_, "--cue",
                                     sheet,   "-o",    Shared("x-%track%.cue")};
    if (exact) {
      args.push_back("--exact");
    }
    const CommandResult result = RunSplitter(args);
    EXPECT_EQ(result.ExitCode, 1) << result.Err;
    EXPECT_EQ(result.Err, "The piece " + sheet + " would overwrite the cue sheet\n");
    EXPECT_EQ(ReadBytes(sheet), before);
    EXPECT_FALSE(fs::exists(Shared("x-2.cue")));
  }
}

}  // namespace
}  // namespace brelvik::testing
