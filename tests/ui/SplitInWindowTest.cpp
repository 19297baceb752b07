// The split on its own thread: the window stays responsive while a 2 GB file
// is split, and Esc, closing the window or an ending signal end the split
// without leaving a temporary or a half-written piece. The source is a sparse
// file (a few real frames, then a hole), and every split is ended within its
// first pieces, so that no test writes gigabytes.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QFrame>
#include <QMouseEvent>
#include <QProgressBar>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <filesystem>
#include <set>

#include "WindowFixture.h"

namespace brelvik::testing {
namespace {

using ::testing::ElementsAre;
using ui::WindowState;

constexpr std::int64_t kSourceBytes = 2'100'000'000;

// The names in the folder, hidden ones too.
std::set<std::string> NamesIn(const std::string& folder) {
  std::set<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    names.insert(entry.path().filename().string());
  }
  return names;
}

// Records when events of one type reach an object.
class Arrivals final : public QObject {
 public:
  Arrivals(QObject* watched, QEvent::Type type) : type_(type) { watched->installEventFilter(this); }
  int Count() const { return count_; }

 protected:
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == type_) {
      ++count_;
    }
    return false;
  }

 private:
  QEvent::Type type_;
  int count_ = 0;
};

class SplitInWindowTest : public WindowTest {
 protected:
  void SetUp() override {
    source_ = WriteMp3("big.mp3", 1000);
    std::filesystem::resize_file(source_, kSourceBytes);
    window_.show();
    window_.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window_));
    OpenThroughDialog(source_);
    ASSERT_EQ(window_.State(), WindowState::Stopped);
    ASSERT_GT(window_.Figures().FrameTotal, 5'000'000);
  }

  void Mark(std::initializer_list<const char*> frames) {
    for (const char* frame : frames) {
      window_.Breakpoints().AddTypedFrame(frame, window_.Figures().FrameTotal);
    }
    window_.ShowBreakpoints();
  }

  // Runs the event loop for ms, returning the longest wait between two ticks
  // of a 10 ms timer: how long the window could not have answered.
  static qint64 LongestStall(int ms) {
    QElapsedTimer clock;
    clock.start();
    qint64 last = 0;
    qint64 longest = 0;
    QTimer tick;
    tick.setInterval(10);
    QObject::connect(&tick, &QTimer::timeout, [&] {
      longest = std::max(longest, clock.elapsed() - last);
      last = clock.elapsed();
    });
    tick.start();
    while (clock.elapsed() < ms) {
      QTest::qWait(5);
    }
    return std::max(longest, clock.elapsed() - last);
  }

  void ExpectTheWindowUsable() {
    EXPECT_EQ(window_.State(), WindowState::Stopped);
    for (const char* panel : {"Input_Pan", "Media_Pan", "Break_Pan", "Output_Pan"}) {
      EXPECT_TRUE(Find<QFrame>(panel)->isEnabled()) << panel;
    }
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
  }

  std::string source_;
};

TEST_F(SplitInWindowTest, TheWindowAnswersWhileA2GBFileIsSplitAndEscGivesTheSplitUp) {
  Mark({"5000000"});  // one piece of 2 GB
  window_.Split_TbClick();
  ASSERT_EQ(window_.State(), WindowState::Splitting);
  EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
  EXPECT_TRUE(Find<QProgressBar>("ProgressBar")->isVisibleTo(&window_));

  EXPECT_LT(LongestStall(500), 100);
  // A click and a repaint are answered while the split runs.
  auto* logo = Find<QWidget>("Info_Logo");
  Arrivals clicks(logo, QEvent::MouseButtonRelease);
  Arrivals paints(&window_, QEvent::Paint);
  const QPointF at(5, 5);
  QCoreApplication::postEvent(
      logo, new QMouseEvent(QEvent::MouseButtonPress, at, logo->mapToGlobal(at), Qt::LeftButton,
                            Qt::LeftButton, Qt::NoModifier));
  QCoreApplication::postEvent(
      logo, new QMouseEvent(QEvent::MouseButtonRelease, at, logo->mapToGlobal(at), Qt::LeftButton,
                            Qt::NoButton, Qt::NoModifier));
  window_.update();
  EXPECT_LT(LongestStall(100), 100);
  EXPECT_EQ(clicks.Count(), 1);
  EXPECT_GE(paints.Count(), 1);
  ASSERT_EQ(window_.State(), WindowState::Splitting) << "the split ended before it was given up";

  QTest::keyClick(&window_, Qt::Key_Escape);
  ExpectTheWindowUsable();
  EXPECT_THAT(NamesIn(dir_.File("")), ElementsAre("big.mp3"));
}

TEST_F(SplitInWindowTest, ClosingTheWindowGivesTheSplitUp) {
  Mark({"5000000"});
  window_.Split_TbClick();
  QTest::qWait(200);
  ASSERT_EQ(window_.State(), WindowState::Splitting);
  EXPECT_TRUE(window_.close());
  EXPECT_FALSE(window_.isVisible());
  EXPECT_EQ(window_.State(), WindowState::Stopped);
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
  EXPECT_THAT(NamesIn(dir_.File("")), ElementsAre("big.mp3"));
}

// An ending signal lets the piece being written be finished, then closes.
TEST_F(SplitInWindowTest, AnEndingSignalFinishesThePieceBeingWrittenAndCloses) {
  Mark({"50000", "100000", "5000000"});  // pieces of 20 MB, 20 MB and 2 GB
  window_.Split_TbClick();
  window_.EndOnSignal();
  EXPECT_TRUE(window_.isVisible());
  for (int waited = 0; window_.isVisible() && waited < 30000; waited += 10) {
    QTest::qWait(10);
  }
  EXPECT_FALSE(window_.isVisible());
  EXPECT_THAT(NamesIn(dir_.File("")), ElementsAre("big-1.mp3", "big.mp3"));
  EXPECT_EQ(std::filesystem::file_size(dir_.File("big-1.mp3")), 50000u * 417u);
}

}  // namespace
}  // namespace brelvik::testing
