// brelvik-split against what a hostile user or a failing disk does: files
// that are not regular files, signals and size limits in the middle of a
// piece, breakpoint texts and files beyond every range.
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "CliRun.h"
#include "StreamBuilder.h"
#include "TempDir.h"

extern char** environ;

namespace brelvik::testing {
namespace {

namespace fs = std::filesystem;

constexpr std::size_t kFrameBytes = 417;

// Runs brelvik-split under timeout(1), so that a hang fails the test (exit
// 124) rather than the whole run.
CommandResult RunBounded(const std::vector<std::string>& args) {
  std::vector<std::string> argv = {"timeout", "10", BRELVIK_SPLIT_EXE};
  argv.insert(argv.end(), args.begin(), args.end());
  return RunCommand(argv);
}

std::vector<std::string> HiddenFilesIn(const TempDir& dir) {
  std::vector<std::string> hidden;
  for (const auto& entry : fs::directory_iterator(dir.Path())) {
    if (entry.path().filename().string().front() == '.') {
      hidden.push_back(entry.path().filename().string());
    }
  }
  return hidden;
}

class HostileInput : public ::testing::Test {
 protected:
  void SetUp() override { StreamBuilder().Frames(HeaderFields{}, 400).WriteTo(source_); }

  std::string Piece(int k) const { return dir_.File("source-" + std::to_string(k) + ".mp3"); }

  TempDir dir_;
  std::string source_ = dir_.File("source.mp3");
};

TEST_F(HostileInput, AFifoAsTheSourceIsRefusedAtOnce) {
  const std::string fifo = dir_.File("stream.mp3");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0644), 0);
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{"info", fifo}, std::vector<std::string>{"split", fifo, "10"}}) {
    const std::string& command = args[0];
    const CommandResult result = RunBounded(args);
    EXPECT_EQ(result.ExitCode, 2) << command << ": " << result.Err;
    EXPECT_EQ(result.Err, "brelvik-split: " + fifo + " is not a regular file\n") << command;
  }
  const CommandResult exact = RunBounded({"info", "--exact", fifo});
  EXPECT_EQ(exact.ExitCode, 2) << exact.Err;
}

TEST_F(HostileInput, APieceNamingAFifoIsRefusedBeforeAnythingIsWritten) {
  const std::string fifo = Piece(2);
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0644), 0);
  const CommandResult result = RunBounded({"split", source_, "10", "20"});
  EXPECT_EQ(result.ExitCode, 1) << result.Err;
  EXPECT_EQ(result.Err, "The piece " + fifo +
                            " names something other than a regular file, which is left as it is\n");
  EXPECT_FALSE(fs::exists(Piece(1)));
  EXPECT_TRUE(fs::is_fifo(fifo));
}

TEST_F(HostileInput, APieceLinkedToADeviceLeavesTheDeviceAsItWas) {
  if (::geteuid() != 0) {
    GTEST_SKIP() << "making a device node needs root";
  }
  // A null device of our own, in the test's folder, so that a fault would
  // destroy this node and not the system's.
  const std::string device = dir_.File("null");
  ASSERT_EQ(::mknod(device.c_str(), S_IFCHR | 0666, makedev(1, 3)), 0);
  fs::create_symlink(device, Piece(1));
  // The device itself under a piece's name, too.
  ASSERT_EQ(::mknod(Piece(2).c_str(), S_IFCHR | 0666, makedev(1, 3)), 0);
  for (const std::string& output : {Piece(1), Piece(2)}) {
    for (const bool exact : {false, true}) {
      std::vector<std::string> args = {"split", source_, "10", "20"};
      if (exact) {
        args.push_back("--exact");
      }
      const CommandResult result = RunBounded(args);
      EXPECT_EQ(result.ExitCode, 1) << result.Err;
      EXPECT_EQ(result.Err,
                output == Piece(1)
                    ? output + " is a symbolic link; remove it or choose another name\n"
                    : "The piece " + output +
                          " names something other than a regular file, which is left as it is\n");
      EXPECT_TRUE(fs::is_character_file(device));
      EXPECT_TRUE(fs::is_character_file(Piece(2)));
      EXPECT_EQ(fs::is_symlink(Piece(1)), output == Piece(1));
    }
    fs::remove(Piece(1));
  }
}

TEST_F(HostileInput, APieceThatWouldOverwriteTheSourceIsARefusal) {
  const CommandResult result =
      RunBounded({"split", source_, "-o", dir_.File("source.mp3-%track%"), "10"});
  ASSERT_EQ(result.ExitCode, 0) << result.Err;  // another name: no refusal
  fs::rename(source_, dir_.File("take-1.mp3"));
  const std::string source = dir_.File("take-1.mp3");
  const CommandResult refused = RunBounded({"split", source, "-o", dir_.File("take.mp3"), "10"});
  EXPECT_EQ(refused.ExitCode, 1);
  EXPECT_EQ(refused.Err, "The piece " + source + " would overwrite the source file\n");
}

// Spawns brelvik-split, lets it work for a moment and sends the signal.
// The file the process has open in the folder other than `except`, if any:
// an unnamed piece shows as "#NUMBER (deleted)", a hidden one by its name.
std::string PieceBeingWritten(pid_t pid, const fs::path& folder, const fs::path& except) {
  std::error_code error;
  for (const auto& fd : fs::directory_iterator("/proc/" + std::to_string(pid) + "/fd", error)) {
    const fs::path target = fs::read_symlink(fd.path(), error);
    if (!error && target != except && target.parent_path() == folder) {
      return target.filename().string();
    }
  }
  return {};
}

struct SignalledSplit {
  std::string Written;  // the piece's file when the signal came
  int Ended = 0;        // the signal that ended it, or minus its exit status
};

// Starts the command, waits until it writes a piece into the folder and sends
// it the signal.
SignalledSplit SignalledInTheMiddle(std::vector<std::string> argv, const fs::path& folder,
                                    const fs::path& source, int signal) {
  std::vector<char*> pointers;
  for (auto& a : argv) {
    pointers.push_back(a.data());
  }
  pointers.push_back(nullptr);
  pid_t pid = 0;
  if (::posix_spawnp(&pid, pointers[0], nullptr, nullptr, pointers.data(), environ) != 0) {
    return {{}, -1};
  }
  SignalledSplit split;
  for (int wait = 0; wait < 1000 && split.Written.empty(); ++wait) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
    split.Written = PieceBeingWritten(pid, folder, source);
  }
  ::kill(pid, signal);
  int status = 0;
  ::waitpid(pid, &status, 0);
  split.Ended = WIFSIGNALED(status) ? WTERMSIG(status) : -WEXITSTATUS(status);
  return split;
}

// Where pieces are written: to unnamed files, or (without /proc, as in some
// containers) to hidden ones beside them.
enum class Temporary { Unnamed, Hidden };

struct Interruption {
  int Signal;
  Temporary Written;
};

class InterruptedSplit : public ::testing::TestWithParam<Interruption> {};

TEST_P(InterruptedSplit, LeavesNoPieceAndNoHiddenFileBehind) {
  // A 2 GB source, sparse after its first frames: its one piece takes far
  // longer to write than the moment the split is given.
  TempDir dir;
  const std::string source = dir.File("long.mp3");
  StreamBuilder().Frames(HeaderFields{}, 100).WriteTo(source);
  fs::resize_file(source, std::uintmax_t{2} << 30);
  std::vector<std::string> argv = {BRELVIK_SPLIT_EXE, "split", source, "4000000"};
  if (GetParam().Written == Temporary::Hidden) {
    // /proc taken away in a mount namespace of the split's own.
    if (RunCommand({"unshare", "-m", "sh", "-c", "umount -l /proc"}).ExitCode != 0) {
      GTEST_SKIP() << "no mount namespace to take /proc away in";
    }
    argv.insert(argv.begin(), {"unshare", "-m", "sh", "-c", "umount -l /proc && exec \"$@\"", "-"});
  }
  const SignalledSplit split = SignalledInTheMiddle(argv, dir.Path(), source, GetParam().Signal);
  EXPECT_EQ(split.Ended, GetParam().Signal) << "ended by the signal, as any program is";
  EXPECT_EQ(split.Written.substr(0, 1), GetParam().Written == Temporary::Hidden ? "." : "#")
      << "the piece was being written to '" << split.Written << "'";
  EXPECT_FALSE(fs::exists(dir.File("long-1.mp3")));
  EXPECT_TRUE(HiddenFilesIn(dir).empty());
}

INSTANTIATE_TEST_SUITE_P(Signals, InterruptedSplit,
                         ::testing::Values(Interruption{SIGINT, Temporary::Unnamed},
                                           Interruption{SIGTERM, Temporary::Unnamed},
                                           Interruption{SIGHUP, Temporary::Unnamed},
                                           Interruption{SIGKILL, Temporary::Unnamed},
                                           Interruption{SIGINT, Temporary::Hidden},
                                           Interruption{SIGTERM, Temporary::Hidden},
                                           Interruption{SIGHUP, Temporary::Hidden}),
                         [](const ::testing::TestParamInfo<Interruption>& test) {
                           return std::string(sigabbrev_np(test.param.Signal)) +
                                  (test.param.Written == Temporary::Hidden ? "IntoAHiddenFile"
                                                                           : "IntoAnUnnamedFile");
                         });

TEST_F(HostileInput, AFileSizeLimitIsAWriteErrorWithItsReason) {
  const CommandResult result = RunCommand(
      {"bash", "-c", "ulimit -f 50 && exec \"$0\" split \"$1\" 300", BRELVIK_SPLIT_EXE, source_});
  EXPECT_EQ(result.ExitCode, 3) << result.Err;
  EXPECT_EQ(result.Err, "Stream write error: " + Piece(1) + ": File too large\n");
  EXPECT_FALSE(fs::exists(Piece(1)));
  EXPECT_TRUE(HiddenFilesIn(dir_).empty());
}

TEST_F(HostileInput, BreakpointTextsOutOfEveryRangeAreRefused) {
  struct Case {
    std::string Text;
    std::string MessageStart;
  };
  const Case cases[] = {
      {"153722867280912:59.999", "The time '153722867280912:59.999' lies beyond the last position"},
      {std::string(30000, '1') + ":00", "The time '" + std::string(30000, '1')},
      {std::string(30000, '9'), "'" + std::string(30000, '9') + "' is not a valid integer value"},
      {std::string(30000, ':'), "'" + std::string(30000, ':') + "' is not a breakpoint"},
  };
  for (const Case& c : cases) {
    const CommandResult result = RunBounded({"split", source_, c.Text});
    EXPECT_EQ(result.ExitCode, 1) << c.Text.substr(0, 40) << ": " << result.Err.substr(0, 200);
    EXPECT_EQ(result.Err.rfind(c.MessageStart, 0), 0u) << result.Err.substr(0, 200);
  }
  EXPECT_FALSE(fs::exists(Piece(1)));
}

TEST(HugeFile, ToEndPastTheLargestFrameNumberIsRefused) {
  // MPEG 2.5 Layer III at 8 kbit/s and 8 kHz: 72-byte frames, so a sparse
  // 160 GB file ends past frame 2^31.
  TempDir dir;
  const std::string path = dir.File("huge.mp3");
  HeaderFields tiny;
  tiny.VersionIndex = 0;
  tiny.BitRateIndex = 1;
  tiny.SampleRateIndex = 2;
  StreamBuilder().Frames(tiny, 100).WriteTo(path);
  fs::resize_file(path, std::uintmax_t{160} * 1000 * 1000 * 1000);
  const CommandResult result = RunBounded({"split", path, "--to-end"});
  EXPECT_EQ(result.ExitCode, 1) << result.Err;
  EXPECT_EQ(result.Err.rfind("--to-end: the end of this file lies at frame 2222222223, past the "
                             "largest frame number, 2147483647",
                             0),
            0u)
      << result.Err;
  EXPECT_FALSE(fs::exists(dir.File("huge-1.mp3")));
}

TEST(ZeroFrameHeader, EveryBreakpointIsRefusedWithTheReason) {
  TempDir dir;
  const std::string path = dir.File("zero.mp3");
  StreamBuilder()
      .XingFrame(HeaderFields{}, 36, 0, 500000)
      .Frames(HeaderFields{}, 300)
      .WriteTo(path);
  const CommandResult result = RunBounded({"split", path, "10"});
  EXPECT_EQ(result.ExitCode, 1);
  EXPECT_EQ(result.Err, "Maximum number of frames: 0 (the file's header states 0 frames)\n");
}

}  // namespace
}  // namespace brelvik::testing
