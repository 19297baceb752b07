// The window against the faults a hostile user or a failing device brings
// out: one explicit state after a refused device open and around previews,
// drops taken as copies, out-of-range breakpoints, and signals.
#include <gmock/gmock.h>
#include <sys/stat.h>

#include <QApplication>
#include <QDropEvent>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QMimeData>
#include <QTimer>
#include <QUrl>
#include <csignal>

#include "ModalBoxes.h"
#include "WindowFixture.h"
#include "ui/SignalWatcher.h"

namespace brelvik::testing {
namespace {

using ::testing::Contains;
using ::testing::ElementsAre;
using ui::WindowState;

// Lets the window's timers run for a while, as the event loop would.
void RunEventsFor(int ms) {
  QElapsedTimer clock;
  clock.start();
  while (clock.elapsed() < ms) {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
  }
}

class WindowFaultsTest : public OpenedWindowTest {
 protected:
  void StartPlaying() {
    window_.Play_TBClick();
    ASSERT_EQ(window_.State(), WindowState::Playing);
  }
  bool Running(const char* timer) { return Find<QTimer>(timer)->isActive(); }
};

TEST_F(WindowFaultsTest, ARefusedOpenWhilePlayingShowsOneBoxAndStopsFollowing) {
  StartPlaying();
  device_.RefuseOpenWith = "ALSA: Couldn't open audio device: No such file or directory";
  ModalBoxes boxes;
  OpenThroughDialog(WriteMp3("other.mp3", 50));
  RunEventsFor(600);  // six ticks of Timer1, had it kept running

  ASSERT_EQ(boxes.Seen().size(), 1u);
  EXPECT_EQ(boxes.Seen()[0].Text, "ALSA: Couldn't open audio device: No such file or directory.");
  EXPECT_EQ(window_.State(), WindowState::Stopped);
  EXPECT_FALSE(Running("Timer1"));
  EXPECT_FALSE(Running("Play3s_Timer"));
  EXPECT_EQ(Image("Play_TB"), 0);
  EXPECT_EQ(Image("Pause_TB"), 1);
  // The previous file's figures and list stay, as for any refused open.
  EXPECT_EQ(window_.Figures().FrameTotal, 100);
  EXPECT_TRUE(Find<QFrame>("Media_Pan")->isEnabled());
}

TEST_F(WindowFaultsTest, APreviewStartedWhilePlayingWaitsForNothing) {
  StartPlaying();
  window_.Breakpoints().AddTypedFrame("50", 100);
  SelectRow(1);
  // A key pressed just before the command: a nested event loop in the
  // command would run it in the middle of the preview's start.
  bool queuedPlayRan = false;
  QTimer::singleShot(0, [&] {
    queuedPlayRan = true;
    window_.Play_TBClick();
  });
  device_.Calls.clear();
  window_.Play3Secsbefore1Click();

  EXPECT_FALSE(queuedPlayRan);
  EXPECT_EQ(window_.State(), WindowState::Previewing);
  EXPECT_FALSE(Running("Timer1"));
  EXPECT_TRUE(Running("Play3s_Timer"));
  EXPECT_THAT(device_.Calls, ElementsAre("Stop", "Seek 0", "Play"));
  // Once it runs, the queued click finds the preview's device playing.
  QCoreApplication::processEvents();
  EXPECT_TRUE(queuedPlayRan);
  EXPECT_EQ(window_.State(), WindowState::Previewing);
}

TEST_F(WindowFaultsTest, EachStateShowsItsPanelsTimersAndImages) {
  struct Expected {
    bool Media, Output, Timer1, Preview;
    int Play, Pause;
  };
  const auto check = [&](WindowState state, Expected e) {
    EXPECT_EQ(window_.State(), state);
    EXPECT_EQ(Find<QFrame>("Media_Pan")->isEnabled(), e.Media);
    EXPECT_EQ(Find<QFrame>("Output_Pan")->isEnabled(), e.Output);
    EXPECT_EQ(Running("Timer1"), e.Timer1);
    EXPECT_EQ(Running("Play3s_Timer"), e.Preview);
    EXPECT_EQ(Image("Play_TB"), e.Play);
    EXPECT_EQ(Image("Pause_TB"), e.Pause);
  };
  check(WindowState::Stopped, {true, true, false, false, 0, 1});
  window_.Play_TBClick();
  check(WindowState::Playing, {true, true, true, false, 7, 1});
  window_.Pause_TBClick();
  device_.Mode = PlaybackMode::Paused;
  check(WindowState::Paused, {true, true, true, false, 7, 8});
  window_.Pause_TBClick();
  check(WindowState::Playing, {true, true, true, false, 7, 1});
  window_.Stop_TBClick();
  window_.Timer1Timer();
  check(WindowState::Stopped, {true, true, false, false, 0, 1});
  SelectRow(0);
  window_.Play3safter1Click();
  check(WindowState::Previewing, {false, true, false, true, 7, 1});
}

TEST_F(WindowFaultsTest, ADropProposedAsAMoveIsTakenAsACopy) {
  const std::string other = WriteMp3("dropped.mp3", 70);
  QMimeData data;
  data.setUrls({QUrl::fromLocalFile(QString::fromStdString(other))});
  const Qt::DropActions offered = Qt::MoveAction | Qt::CopyAction;
  QDragEnterEvent enter(QPoint(5, 5), offered, &data, Qt::LeftButton, Qt::ShiftModifier);
  enter.setDropAction(Qt::MoveAction);
  QApplication::sendEvent(&window_, &enter);
  EXPECT_TRUE(enter.isAccepted());
  EXPECT_EQ(enter.dropAction(), Qt::CopyAction);
  QDropEvent drop(QPointF(5, 5), offered, &data, Qt::LeftButton, Qt::ShiftModifier);
  drop.setDropAction(Qt::MoveAction);
  QApplication::sendEvent(&window_, &drop);
  EXPECT_TRUE(drop.isAccepted());
  EXPECT_EQ(drop.dropAction(), Qt::CopyAction);
  EXPECT_EQ(window_.SourcePath(), other);
}

TEST_F(WindowFaultsTest, ADropOfferedOnlyAsAMoveIsRefused) {
  const std::string other = WriteMp3("dropped.mp3", 70);
  QMimeData data;
  data.setUrls({QUrl::fromLocalFile(QString::fromStdString(other))});
  QDropEvent drop(QPointF(5, 5), Qt::MoveAction, &data, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(&window_, &drop);
  EXPECT_FALSE(drop.isAccepted());
  EXPECT_NE(window_.SourcePath(), other);
}

TEST_F(WindowFaultsTest, PreviewsOfPastedBreakpointsAtTheRangesEndsStayInRange) {
  // Pasted into the frame field, these pass its upper check.
  for (const char* pasted : {"-99999999", "-2147483648"}) {
    window_.Breakpoints().Reset();
    window_.Breakpoints().AddTypedFrame(pasted, 100);
    window_.ShowBreakpoints();
    SelectRow(0);
    device_.Calls.clear();
    window_.Play3Secsbefore1Click();
    EXPECT_THAT(device_.Calls, Contains("Seek 0")) << pasted;
    EXPECT_EQ(window_.PreviewEnd(), std::numeric_limits<std::int32_t>::min()) << pasted;
    window_.Play3s_TimerTimer();  // the position is past the end at once
    EXPECT_EQ(window_.State(), WindowState::Stopped) << pasted;
  }
}

TEST_F(WindowFaultsTest, AFifoNamedLikeAnMp3OpensNothingAndWaitsForNothing) {
  const std::string fifo = dir_.File("stream.mp3");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0644), 0);
  ModalBoxes boxes;
  OpenThroughDialog(fifo);
  EXPECT_TRUE(boxes.Seen().empty());
  EXPECT_NE(window_.SourcePath(), fifo);
  EXPECT_EQ(window_.State(), WindowState::Stopped);
}

TEST_F(WindowFaultsTest, AHeaderStatingNoFramesSaysWhyEveryBreakpointIsRefused) {
  const std::string path = dir_.File("zero.mp3");
  StreamBuilder()
      .XingFrame(HeaderFields{}, 36, 0, 500000)
      .Frames(HeaderFields{}, 300)
      .WriteTo(path);
  OpenThroughDialog(path);
  ASSERT_EQ(window_.Figures().FrameTotal, 0);
  Find<QLineEdit>("AddMan_Ed")->setText("10");
  ModalBoxes boxes;
  window_.AddManFrame_TBClick();
  ASSERT_EQ(boxes.Seen().size(), 1u);
  EXPECT_EQ(boxes.Seen()[0].Text,
            "Maximum number of frames: 0 (the file's header states 0 frames)");
}

TEST_F(WindowFaultsTest, ASignalClosesTheWindowThroughTheEventLoop) {
  window_.show();
  int calls = 0;
  {
    ui::SignalWatcher watcher([&] {
      ++calls;
      window_.EndOnSignal();
    });
    std::raise(SIGTERM);
    EXPECT_EQ(calls, 0);  // nothing happens inside the handler
    RunEventsFor(100);
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(watcher.Received(), SIGTERM);
  }
  EXPECT_FALSE(window_.isVisible());
  struct sigaction restored {};
  ::sigaction(SIGTERM, nullptr, &restored);
  EXPECT_EQ(restored.sa_handler, SIG_DFL);
}

}  // namespace
}  // namespace brelvik::testing
