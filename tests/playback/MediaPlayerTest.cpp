// The device as the window uses it, over real files and SDL's dummy output
// (SDL_AUDIODRIVER=dummy): errors, refusals, opening, seeking, and operations
// in any order. The tests that time the sound are in MediaPlayerRealTimeTest.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <functional>
#include <random>
#include <thread>

#include "PlaybackTestSupport.h"
#include "playback/MediaPlayer.h"

namespace brelvik {
namespace {

using namespace std::chrono_literals;
using testing::AllToneFiles;
using testing::TempDir;

const char* const kNoDevice = "No MCI device open";

// The text the operation raises, or an empty one.
std::string RaisedBy(const std::function<void()>& operation) {
  try {
    operation();
  } catch (const EMCIDeviceError& error) {
    return error.what();
  }
  return {};
}

void ExpectNoFileOpen(TMediaPlayer& player) {
  EXPECT_EQ(player.Mode(), PlaybackMode::NotReady);
  EXPECT_EQ(player.Position(), 0);
  EXPECT_EQ(RaisedBy([&] { (void)player.Length(); }), kNoDevice);
}

TEST(MediaPlayerNoFileTest, OperationsNeedingAFileSayNoDeviceIsOpen) {
  TMediaPlayer player;
  EXPECT_EQ(RaisedBy([&] { player.Play(); }), kNoDevice);
  EXPECT_EQ(RaisedBy([&] { player.Pause(); }), kNoDevice);
  EXPECT_EQ(RaisedBy([&] { player.Stop(); }), kNoDevice);
  EXPECT_EQ(RaisedBy([&] { player.Seek(1000); }), kNoDevice);
  ExpectNoFileOpen(player);
  player.SetFileName("/some/file.mp3");
  EXPECT_EQ(player.FileName(), "/some/file.mp3");
}

// Each refusal comes while another file plays, which it closes; a good file
// opens again afterwards.
TEST(MediaPlayerRefusalTest, FilesTheDecoderRefusesGiveItsTextAndLeaveNoFileOpen) {
  TempDir dir;
  const auto& tone = AllToneFiles().front();
  const std::string good = testing::EncodeWithLame(dir, "good", tone.Encoding);
  testing::WriteBytes(dir.File("text.mp3"), {'j', 'u', 's', 't', ' ', 't', 'e', 'x', 't'});
  testing::WriteBytes(dir.File("zeros.mp3"), testing::Bytes(100'000, 0));
  testing::WriteBytes(dir.File("empty.mp3"), {});
  TMediaPlayer player;
  for (const std::string name : {"missing.mp3", "text.mp3", "zeros.mp3", "empty.mp3", "."}) {
    const std::string path = dir.File(name);
    // A folder (like a FIFO or a device) is refused before libmpg123 sees it.
    const std::string expected =
        name == "." ? path + " is not a regular file" : testing::DirectDecoderRefusal(path);
    ASSERT_NE(expected, "") << "libmpg123 takes " << name;
    player.SetFileName(good);
    player.Open();
    player.Play();
    player.SetFileName(path);
    EXPECT_EQ(RaisedBy([&] { player.Open(); }), expected) << name;
    ExpectNoFileOpen(player);
  }
  player.SetFileName(good);
  player.Open();
  EXPECT_EQ(player.Mode(), PlaybackMode::Stopped);
  EXPECT_EQ(player.Length(), tone.Ms());
}

// Without a sound server or card the ALSA output refuses to open; the device
// reports SDL's own text for that.
TEST(MediaPlayerRefusalTest, AFifoIsRefusedWithoutWaitingForAWriter) {
  TempDir dir;
  const std::string fifo = dir.File("stream.mp3");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0644), 0);
  TMediaPlayer player;
  player.SetFileName(fifo);
  EXPECT_EQ(RaisedBy([&] { player.Open(); }), fifo + " is not a regular file");
  ExpectNoFileOpen(player);
}

// SDL would otherwise turn Ctrl+C and kill into events nobody reads.
TEST(MediaPlayerSignalsTest, AnOpenFileLeavesTheProgramsSignalsAlone) {
  TempDir dir;
  const std::string good = testing::EncodeWithLame(dir, "good", AllToneFiles().front().Encoding);
  TMediaPlayer player;
  player.SetFileName(good);
  player.Open();
  player.Play();
  for (const int signal : {SIGINT, SIGTERM}) {
    struct sigaction action {};
    ::sigaction(signal, nullptr, &action);
    EXPECT_EQ(action.sa_handler, SIG_DFL) << signal;
  }
}

// Without a sound output a file still opens, seeks and tells its length and
// positions; Play raises the output's own text and leaves the file stopped.
TEST(MediaPlayerRefusalTest, WithoutAnOutputOnlyPlayIsRefusedWithItsText) {
  TempDir dir;
  const auto& tone = AllToneFiles().front();
  const std::string path = testing::EncodeWithLame(dir, "tone", tone.Encoding);
  const testing::ScopedEnvironment alsa("SDL_AUDIODRIVER", "alsa");
  const std::string expected = testing::DirectOutputRefusal(44100, 2);
  if (expected.empty()) {
    GTEST_SKIP() << "this machine has a working ALSA output";
  }
  TMediaPlayer player;
  player.SetFileName(path);
  EXPECT_EQ(RaisedBy([&] { player.Open(); }), "");
  EXPECT_EQ(player.Length(), tone.Ms());
  player.Seek(1000);
  EXPECT_EQ(player.Position(), 1000);
  EXPECT_EQ(player.Mode(), PlaybackMode::Stopped);
  EXPECT_EQ(RaisedBy([&] { player.Play(); }), expected);
  EXPECT_EQ(player.Mode(), PlaybackMode::Stopped);
  EXPECT_EQ(player.Position(), 1000);
  EXPECT_EQ(RaisedBy([&] { player.Play(); }), expected);  // asked again, refused again
}

class MediaPlayerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    path_ = testing::EncodeWithLame(dir_, "tone", AllToneFiles().front().Encoding);
    player_.SetFileName(path_);
    player_.Open();
  }

  TempDir dir_;
  std::string path_;
  TMediaPlayer player_;
};

TEST_F(MediaPlayerTest, SeekLeavesTheDeviceStoppedAtTheClampedMs) {
  const int length = AllToneFiles().front().Ms();
  player_.Play();
  for (const int ms : {1234, 0, 1, length - 1, 17}) {
    player_.Seek(ms);
    EXPECT_EQ(player_.Mode(), PlaybackMode::Stopped);
    EXPECT_EQ(player_.Position(), ms);
  }
  player_.Seek(-40);
  EXPECT_EQ(player_.Position(), 0);
  player_.Seek(length + 5000);
  EXPECT_EQ(player_.Position(), length);
}

// Between files of other rates and channel counts, the output is replaced too.
TEST_F(MediaPlayerTest, OpenReplacesAPlayingFile) {
  for (const auto& tone : {AllToneFiles()[2], AllToneFiles()[3], AllToneFiles()[0]}) {
    player_.Play();
    // The output opens at the first Play; on a busy machine the first
    // samples may take a while, so wait for them rather than a fixed time.
    const auto deadline = std::chrono::steady_clock::now() + 2s;
    while (player_.Position() == 0 && std::chrono::steady_clock::now() < deadline) {
      std::this_thread::sleep_for(10ms);
    }
    ASSERT_GT(player_.Position(), 0);
    player_.SetFileName(testing::EncodeWithLame(dir_, tone.Name, tone.Encoding));
    player_.Open();
    EXPECT_EQ(player_.Mode(), PlaybackMode::Stopped) << tone.Name;
    EXPECT_EQ(player_.Position(), 0) << tone.Name;
    EXPECT_EQ(player_.Length(), tone.Ms()) << tone.Name;
  }
}

// A standalone test: SDL's dummy driver allows one open output at a time.
TEST(MediaPlayerLifetimeTest, DestroyingWhilePlayingOrPausedStopsCleanly) {
  TempDir dir;
  const std::string path = testing::EncodeWithLame(dir, "tone", AllToneFiles()[3].Encoding);
  for (const bool pause : {false, true}) {
    auto player = std::make_unique<TMediaPlayer>();
    player->SetFileName(path);
    player->Open();
    player->Play();
    std::this_thread::sleep_for(30ms);
    if (pause) {
      player->Pause();
    }
    EXPECT_EQ(player->Mode(), pause ? PlaybackMode::Paused : PlaybackMode::Playing);
    player.reset();
  }
}

// A seeded run of operations in any order, opens of good and missing files
// among them, against a model of the modes they lead to.
TEST_F(MediaPlayerTest, OperationsInAnyOrderKeepTheDeviceConsistent) {
  const std::vector<std::string> paths = {
      path_, testing::EncodeWithLame(dir_, "mono", AllToneFiles()[3].Encoding),
      dir_.File("missing.mp3")};
  PlaybackMode model = PlaybackMode::Stopped;
  std::mt19937 generator(2024);
  auto pick = [&](int n) { return std::uniform_int_distribution<int>(0, n - 1)(generator); };
  for (int step = 0; step < 300; ++step) {
    const int choice = pick(6);
    const bool fileOpen = model != PlaybackMode::NotReady;
    const std::size_t file = static_cast<std::size_t>(pick(3));
    const int ms = pick(4000) - 500;
    const std::string raised = RaisedBy([&] {
      switch (choice) {
        case 0:
          model = PlaybackMode::NotReady;
          player_.SetFileName(paths[file]);
          player_.Open();
          model = PlaybackMode::Stopped;
          return;
        case 1:
          player_.Play();
          model = PlaybackMode::Playing;
          return;
        case 2:
          player_.Pause();
          if (model == PlaybackMode::Playing || model == PlaybackMode::Paused) {
            model = model == PlaybackMode::Playing ? PlaybackMode::Paused : PlaybackMode::Playing;
          }
          return;
        case 3:
          player_.Stop();
          model = PlaybackMode::Stopped;
          return;
        case 4:
          player_.Seek(ms);
          model = PlaybackMode::Stopped;
          EXPECT_EQ(player_.Position(), std::clamp(ms, 0, player_.Length()));
          return;
        default:
          std::this_thread::sleep_for(std::chrono::milliseconds(pick(3)));
      }
    });
    const bool refusalExpected = choice == 0 ? file == 2 : choice < 5 && !fileOpen;
    ASSERT_EQ(!raised.empty(), refusalExpected) << "step " << step << ": " << raised;
    if (choice != 0 && refusalExpected) {
      ASSERT_EQ(raised, kNoDevice);
    }

    const PlaybackMode mode = player_.Mode();
    if (model != PlaybackMode::NotReady) {
      const int length = player_.Length();
      const int position = player_.Position();
      ASSERT_TRUE(0 <= position && position <= length) << "step " << step << ": " << position;
      // The end of the file may stop play by itself, also just before a
      // Pause that then did nothing.
      const bool wasPlaying =
          model == PlaybackMode::Playing || (choice == 2 && model == PlaybackMode::Paused);
      if (wasPlaying && mode == PlaybackMode::Stopped && position == length) {
        model = PlaybackMode::Stopped;
      }
    }
    ASSERT_EQ(mode, model) << "step " << step << " choice " << choice;
  }
}

}  // namespace
}  // namespace brelvik
