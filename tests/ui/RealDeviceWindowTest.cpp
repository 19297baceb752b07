// The window with the real playback device and a lame-encoded file.
#include <gtest/gtest.h>

#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QSlider>
#include <QTest>
#include <QTimer>
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

// A person's road with the real device: open, play, mark from the playing
// position and by number, preview, split.
TEST(RealDeviceWindowTest, MarksWhilePlayingPreviewsAndSplits) {
  TempDir dir;
  const std::string path = EncodeWithLame(dir, "set", {.Seconds = 3.0, .LameArgs = {"-b", "128"}});
  std::deque<QString> answers{QString::fromStdString(path)};
  auto device = std::make_unique<TMediaPlayer>();
  TMediaPlayer& player = *device;
  ui::TMain window(std::move(device), std::make_unique<ScriptedDialogs>(answers));
  window.Open_TBClick();
  ASSERT_EQ(window.SourcePath(), path);

  window.Play_TBClick();
  ASSERT_TRUE(QTest::qWaitFor(
      [&] {
        return window.Breakpoints().Count() == 1 &&
               window.findChild<QLabel*>("Frame_LB")->text().toInt() >= 10;
      },
      3000));
  window.AddCurrentFrame_TBClick();
  const std::int32_t marked = window.Breakpoints().Value(1);
  EXPECT_GE(marked, 10);
  window.findChild<QLineEdit*>("AddMan_Ed")->setText("100");
  window.AddManFrame_TBClick();
  ASSERT_EQ(window.Breakpoints().Count(), 3);

  window.findChild<QListWidget*>("BreakpointsList")->setCurrentRow(1);
  window.Play3safter1Click();
  auto* previewTimer = window.findChild<QTimer*>("Play3s_Timer");
  EXPECT_TRUE(previewTimer->isActive());
  ASSERT_TRUE(QTest::qWaitFor([&] { return !previewTimer->isActive(); }, 6000));
  EXPECT_EQ(player.Mode(), PlaybackMode::Stopped);
  EXPECT_EQ(player.Position(), window.PreviewReturn());

  window.Split_TbClick();
  const Bytes source = ReadBytes(path);
  const auto at = [&](std::int32_t frame) {
    return source.begin() + static_cast<long>(frame) * window.Figures().FrameBytes;
  };
  EXPECT_EQ(ReadBytes(dir.File("set-1.mp3")), Bytes(source.begin(), at(marked)));
  EXPECT_EQ(ReadBytes(dir.File("set-2.mp3")), Bytes(at(marked), at(100)));
}

}  // namespace
}  // namespace brelvik::testing
