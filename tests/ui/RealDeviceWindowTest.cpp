// The window with the real playback device and a lame-encoded file.
#include <gtest/gtest.h>

#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
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

// A window with the real device, opened on a lame-encoded 128 kbit/s file.
class RealDeviceWindowTest : public ::testing::Test {
 protected:
  void OpenEncoded(const std::string& name, double seconds) {
    path_ = EncodeWithLame(dir_, name, {.Seconds = seconds, .LameArgs = {"-b", "128"}});
    answers_.push_back(QString::fromStdString(path_));
    auto device = std::make_unique<TMediaPlayer>();
    player_ = device.get();
    window_ = std::make_unique<ui::TMain>(std::move(device),
                                          std::make_unique<ScriptedDialogs>(answers_, offers_));
    window_->Open_TBClick();
    ASSERT_EQ(window_->SourcePath(), path_);
  }

  // The source's bytes from frame first up to frame last.
  Bytes Frames(std::int32_t first, std::int32_t last) {
    const Bytes source = ReadBytes(path_);
    const auto at = [&](std::int32_t frame) {
      return source.begin() + static_cast<long>(frame) * window_->Figures().FrameBytes;
    };
    return Bytes(at(first), at(last));
  }

  TempDir dir_;
  std::string path_;
  std::deque<QString> answers_;
  std::vector<QString> offers_;
  TMediaPlayer* player_ = nullptr;
  std::unique_ptr<ui::TMain> window_;
};

TEST_F(RealDeviceWindowTest, OpensAnEncodedFileAndSplitsIt) {
  OpenEncoded("tone", 2.0);
  ui::TMain& window = *window_;
  TMediaPlayer& player = *player_;
  EXPECT_EQ(player.Mode(), PlaybackMode::Stopped);
  EXPECT_NEAR(player.Length(), 2000, 60);
  EXPECT_EQ(window.findChild<QSlider*>("TrackBar")->maximum(), player.Length());
  EXPECT_EQ(window.Figures().Kbps, 128);
  EXPECT_TRUE(window.findChild<QFrame*>("Media_Pan")->isEnabled());

  window.Breakpoints().AddTypedFrame("20", window.Figures().FrameTotal);
  window.Breakpoints().AddTypedFrame("40", window.Figures().FrameTotal);
  player.Play();
  SplitAndWait(window);

  EXPECT_EQ(player.Mode(), PlaybackMode::Stopped);
  EXPECT_EQ(ReadBytes(dir_.File("tone-1.mp3")), Frames(0, 20));
  EXPECT_EQ(ReadBytes(dir_.File("tone-2.mp3")), Frames(20, 40));
}

// A person's road with the real device: open, play, mark from the playing
// position and by number, preview, split.
TEST_F(RealDeviceWindowTest, MarksWhilePlayingPreviewsAndSplits) {
  OpenEncoded("set", 3.0);
  ui::TMain& window = *window_;
  TMediaPlayer& player = *player_;

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

  auto* listBox = window.findChild<QListView*>("BreakpointsList");
  listBox->setCurrentIndex(listBox->model()->index(1, 0));
  window.Play3safter1Click();
  auto* previewTimer = window.findChild<QTimer*>("Play3s_Timer");
  EXPECT_TRUE(previewTimer->isActive());
  ASSERT_TRUE(QTest::qWaitFor([&] { return !previewTimer->isActive(); }, 6000));
  EXPECT_EQ(player.Mode(), PlaybackMode::Stopped);
  EXPECT_EQ(player.Position(), window.PreviewReturn());

  SplitAndWait(window);
  EXPECT_EQ(ReadBytes(dir_.File("set-1.mp3")), Frames(0, marked));
  EXPECT_EQ(ReadBytes(dir_.File("set-2.mp3")), Frames(marked, 100));
}

}  // namespace
}  // namespace brelvik::testing
