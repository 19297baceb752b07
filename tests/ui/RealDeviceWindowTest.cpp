// The window with the real playback device and a lame-encoded file.
#include <gtest/gtest.h>

#include <QFrame>
#include <QLabel>
#include <QSlider>
#include <deque>
#include <filesystem>

#include "Lame.h"
#include "WindowFixture.h"
#include "playback/MediaPlayer.h"

namespace brelvik::testing {
namespace {

TEST(RealDeviceWindowTest, OpensAnEncodedFileAndSplitsIt) {
  TempDir dir;
  const std::string path = EncodeWithLame(dir, "tone", {.Seconds = 2.0, .LameArgs = {"-b", "128"}});
  std::deque<QString> answers{QString::fromStdString(path)};
  auto device = std::make_unique<TMediaPlayer>();
  TMediaPlayer& player = *device;
  ui::TMain window(std::move(device), std::make_unique<ScriptedDialogs>(answers));

  window.Open_TBClick();

  ASSERT_EQ(window.SourcePath(), path);
  EXPECT_EQ(player.Mode(), PlaybackMode::Stopped);
  EXPECT_NEAR(player.Length(), 2000, 60);
  EXPECT_EQ(window.findChild<QSlider*>("TrackBar")->maximum(), player.Length());
  EXPECT_EQ(window.Figures().Kbps, 128);
  EXPECT_TRUE(window.findChild<QFrame*>("Media_Pan")->isEnabled());

  window.Breakpoints().AddTypedFrame("20", window.Figures().FrameTotal);
  window.Breakpoints().AddTypedFrame("40", window.Figures().FrameTotal);
  player.Play();
  window.Split_TbClick();

  EXPECT_EQ(player.Mode(), PlaybackMode::Stopped);
  const Bytes source = ReadBytes(path);
  const std::size_t frameBytes = window.Figures().FrameBytes;
  EXPECT_EQ(ReadBytes(dir.File("tone-1.mp3")),
            Bytes(source.begin(), source.begin() + static_cast<long>(20 * frameBytes)));
  EXPECT_EQ(ReadBytes(dir.File("tone-2.mp3")),
            Bytes(source.begin() + static_cast<long>(20 * frameBytes),
                  source.begin() + static_cast<long>(40 * frameBytes)));
}

}  // namespace
}  // namespace brelvik::testing
