// The waveform view beside the window, over a real file (a tone, two seconds
// of silence, noise): W opens and closes it, it follows the file, and what
// is done on it changes the list through the list's own operations, with
// their refusals, and with undo and redo in both windows.
#include <gmock/gmock.h>

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QSlider>

#include "ModalBoxes.h"
#include "WindowFixture.h"
#include "ui/BreakpointsController.h"
#include "ui/ListHistory.h"
#include "ui/WaveformController.h"
#include "waveform/WaveformFixture.h"

namespace brelvik::testing {
namespace {

using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::IsEmpty;
using ui::testing::Drag;
using ui::testing::Layout;
using ui::testing::LayoutFile;
using ui::testing::SendMouse;
using ui::testing::WaitUntil;

class WaveformWiringTest : public WindowTest {
 protected:
  // The time the entry at this frame keeps, if it keeps one.
  std::optional<double> KeptTime(std::int32_t frame) {
    const BreakpointList& list = window_.Breakpoints();
    const std::optional<int> index = list.IndexOf(frame);
    return index ? list.TimeMs(*index) : std::nullopt;
  }

  void SetUp() override {
    device_.Length = static_cast<std::int32_t>(Layout().EndMs(2));
    window_.show();
    window_.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window_));
  }

  ui::WaveformController& Controller() { return *window_.findChild<ui::WaveformController*>(); }
  ui::ListHistory& History() { return *window_.findChild<ui::ListHistory*>(); }
  ui::WaveformWindow& View() { return *Controller().View(); }
  ui::DetailView& Detail() { return View().Detail(); }
  const ui::WaveformMarks& Shown() { return Controller().ShownMarks(); }

  void Press(QWidget& window, int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitFor([&] { return QApplication::activeWindow() == &window; }));
    QTest::keyClick(window.focusWidget() != nullptr ? window.focusWidget() : &window,
                    static_cast<Qt::Key>(key), modifiers);
  }
  void OpenTheFile() { OpenThroughDialog(LayoutFile()); }
  void OpenTheView() {
    Press(window_, Qt::Key_W);
    ASSERT_TRUE(Controller().Shown());
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&View()));
  }
  void WaitForTheDecode() {
    ASSERT_TRUE(WaitUntil(
        [&] { return Controller().Decode()->CurrentState() == ui::SharedDecode::State::Done; }));
  }
  // With the file open and the view open on it, entries at these frames.
  void MarkFrames(std::initializer_list<const char*> frames) {
    for (const char* frame : frames) {
      Find<QLineEdit>("AddMan_Ed")->setText(frame);
      window_.AddManFrame_TBClick();
    }
  }
  std::int32_t FrameAt(double ms) { return FrameOfTime(ms, window_.Figures()); }
  double XOf(double ms) { return Detail().Scale().ColumnOf(ms) + 0.5; }
  QPointF At(double ms) { return {XOf(ms), Detail().height() / 2.0}; }
  double TimeAt(QPointF at) { return Detail().Scale().TimeOf(at.x()); }
  std::vector<double> ShownTimes() { return Shown().Times(); }
};

TEST_F(WaveformWiringTest, WOpensAndClosesTheViewWhichFollowsTheOpenFile) {
  OpenTheView();
  EXPECT_TRUE(View().findChild<QLabel*>("WaveformNoFile")->isVisible());
  OpenTheFile();
  EXPECT_EQ(View().windowTitle(), "parts.mp3 — Waveform");
  ASSERT_NE(Controller().Decode(), nullptr);
  EXPECT_EQ(Controller().Decode()->Path(), LayoutFile());
  EXPECT_FALSE(View().findChild<QLabel*>("WaveformNoFile")->isVisible());
  // W in the view closes it too; a decode still running stops with it.
  Press(View(), Qt::Key_W);
  EXPECT_FALSE(Controller().Shown());
  EXPECT_NE(Controller().Decode()->CurrentState(), ui::SharedDecode::State::Decoding);
  OpenTheView();
  WaitForTheDecode();
  Press(window_, Qt::Key_W);
  EXPECT_FALSE(Controller().Shown());
  EXPECT_EQ(Controller().Decode()->CurrentState(), ui::SharedDecode::State::Done);
}

TEST_F(WaveformWiringTest, WInTheFrameFieldOpensTheViewAndTypesNothing) {
  OpenTheFile();
  auto* entry = Find<QLineEdit>("AddMan_Ed");
  entry->setText("12");
  entry->setFocus();
  Press(window_, Qt::Key_W);
  EXPECT_TRUE(Controller().Shown());
  EXPECT_EQ(entry->text(), "12");
}

TEST_F(WaveformWiringTest, MarkersStandAtTheEntriesTimesAndFollowTheSelectionBothWays) {
  OpenTheFile();
  MarkFrames({"38", "150"});
  OpenTheView();
  const auto& breakpoints = *window_.findChild<ui::BreakpointsController*>();
  EXPECT_THAT(ShownTimes(), ElementsAre(0, breakpoints.TimeOf(1), breakpoints.TimeOf(2)));
  SendMouse(Detail(), QEvent::MouseButtonPress, At(breakpoints.TimeOf(1)));
  SendMouse(Detail(), QEvent::MouseButtonRelease, At(breakpoints.TimeOf(1)));
  EXPECT_EQ(CurrentRow(), 1);
  EXPECT_EQ(Shown().SelectedMarker(), 1);
  SelectRow(2);
  EXPECT_EQ(Shown().SelectedMarker(), 2);
  EXPECT_EQ(History().Steps(), 2);  // the two adds; selecting is no change
}

TEST_F(WaveformWiringTest, ADragMovesTheEntryAndARefusedOneLeavesTheMarker) {
  OpenTheFile();
  MarkFrames({"38", "150"});
  OpenTheView();
  const std::vector<double> before = ShownTimes();
  Drag(Detail(), At(before[1]), At(4000));
  EXPECT_THAT(ListTexts(), ElementsAre("0", "150", QString::number(FrameAt(4000))));
  EXPECT_EQ(KeptTime(FrameAt(4000)), std::nullopt);  // no time kept
  EXPECT_EQ(Shown().SelectedMarker(), 2);
  // Onto another entry's frame: refused as an add of that frame, without a word.
  ModalBoxes boxes;
  const std::vector<double> moved = ShownTimes();
  Drag(Detail(), At(moved[2]), At(moved[1] + 5));
  EXPECT_THAT(ListTexts(), ElementsAre("0", "150", QString::number(FrameAt(4000))));
  EXPECT_EQ(ShownTimes(), moved);
  QTest::qWait(20);
  EXPECT_THAT(boxes.Seen(), IsEmpty());
}

TEST_F(WaveformWiringTest, InExactModeTheEntryKeepsTheTimeItWasDroppedOrClickedAt) {
  OpenTheFile();
  MarkFrames({"38"});
  Find<QCheckBox>("ExactCuts_CB")->setChecked(true);
  OpenTheView();
  const QPointF to = At(2345);
  Drag(Detail(), At(ShownTimes()[1]), to);
  const std::int32_t frame = FrameAt(TimeAt(to));
  EXPECT_THAT(ListTexts(), ElementsAre("0", QString::number(frame)));
  EXPECT_DOUBLE_EQ(KeptTime(frame).value_or(-1), TimeAt(to));
  EXPECT_DOUBLE_EQ(ShownTimes()[1], TimeAt(to));
  const QPointF click = At(4321);
  SendMouse(Detail(), QEvent::MouseButtonPress, click, Qt::ShiftModifier);
  EXPECT_DOUBLE_EQ(KeptTime(FrameAt(TimeAt(click))).value_or(-1), TimeAt(click));
}

TEST_F(WaveformWiringTest, ShiftClickAddsDeleteRemovesAndTheArrowsNudge) {
  OpenTheFile();
  OpenTheView();
  SendMouse(Detail(), QEvent::MouseButtonPress, At(3000), Qt::ShiftModifier);
  const std::int32_t added = FrameAt(TimeAt(At(3000)));
  ASSERT_THAT(ListTexts(), ElementsAre("0", QString::number(added)));
  const std::int32_t second = FrameAt(1000);
  ASSERT_GT(second, 30);
  QTest::keyClick(&Detail(), Qt::Key_Right);
  QTest::keyClick(&Detail(), Qt::Key_Left, Qt::ShiftModifier);
  EXPECT_THAT(ListTexts(), ElementsAre("0", QString::number(added + 1 - second)));
  // Past the last frame or below 0: the add's refusals, said the same way.
  ModalBoxes boxes;
  SelectRow(0);
  QTest::keyClick(&Detail(), Qt::Key_Left);
  MarkFrames({QString::number(window_.Figures().FrameTotal).toUtf8().constData()});
  QTest::keyClick(&Detail(), Qt::Key_Right);
  QTest::qWait(20);
  const std::string total = std::to_string(window_.Figures().FrameTotal);
  ASSERT_EQ(boxes.Seen().size(), 2u);
  EXPECT_EQ(boxes.Seen()[0].Text.toStdString(), "Insert a number of frames from 0 to: " + total);
  EXPECT_EQ(boxes.Seen()[1].Text.toStdString(), "Maximum number of frames: " + total);
  EXPECT_THAT(ListTexts(),
              ElementsAre("0", QString::number(added + 1 - second), QString::fromStdString(total)));
  QTest::keyClick(&Detail(), Qt::Key_Delete);
  EXPECT_THAT(ListTexts(), ElementsAre("0", QString::number(added + 1 - second)));
}

TEST_F(WaveformWiringTest, UndoAndRedoInBothWindows) {
  OpenTheFile();
  MarkFrames({"38"});
  OpenTheView();
  const auto& breakpoints = *window_.findChild<ui::BreakpointsController*>();
  const ui::BreakpointsController::Snapshot marked = breakpoints.TakeSnapshot();
  Drag(Detail(), At(ShownTimes()[1]), At(4000));
  const ui::BreakpointsController::Snapshot dragged = breakpoints.TakeSnapshot();
  ASSERT_NE(dragged, marked);
  Press(View(), Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(breakpoints.TakeSnapshot(), marked);
  EXPECT_EQ(ShownTimes()[1], breakpoints.TimeOf(1));
  Press(View(), Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
  EXPECT_EQ(breakpoints.TakeSnapshot(), dragged);
  Press(window_, Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(breakpoints.TakeSnapshot(), marked);
  Press(window_, Qt::Key_Y, Qt::ControlModifier);
  EXPECT_EQ(breakpoints.TakeSnapshot(), dragged);
  // Another file: nothing to undo, and the view on it.
  OpenThroughDialog(WriteMp3("other.mp3"));
  EXPECT_FALSE(History().CanUndo());
  EXPECT_EQ(View().windowTitle(), "other.mp3 — Waveform");
  EXPECT_EQ(Controller().Decode()->Path(), dir_.File("other.mp3"));
}

TEST_F(WaveformWiringTest, ControlLTakesTheSilencesOfTheViewsDecode) {
  OpenTheFile();
  OpenTheView();
  WaitForTheDecode();
  const std::vector<silence::Silence> silences = Controller().Decode()->Silences();
  ASSERT_EQ(silences.size(), 1u);
  EXPECT_NEAR(silences[0].MiddleMs(), (Layout().StartMs(1) + Layout().EndMs(1)) / 2, 60);
  Press(window_, Qt::Key_L, Qt::ControlModifier);
  // No search ran: the breakpoint is there at once.
  EXPECT_EQ(window_.State(), ui::WindowState::Stopped);
  EXPECT_THAT(ListTexts(), ElementsAre("0", QString::number(FrameAt(silences[0].MiddleMs()))));
  ASSERT_EQ(Shown().Silences.size(), 1u);
  EXPECT_EQ(Shown().Silences[0].StartMs, silences[0].StartMs);
}

TEST_F(WaveformWiringTest, WithoutAFinishedDecodeControlLSearchesAsBefore) {
  OpenTheFile();
  Press(window_, Qt::Key_L, Qt::ControlModifier);
  EXPECT_EQ(window_.State(), ui::WindowState::Scanning);
  ASSERT_TRUE(WaitUntil([&] { return window_.State() == ui::WindowState::Stopped; }));
  EXPECT_EQ(ListTexts().size(), 2);
}

TEST_F(WaveformWiringTest, ThePlayheadFollowsThePositionAndAClickMovesIt) {
  OpenTheFile();
  OpenTheView();
  device_.Position = 1234;
  ASSERT_TRUE(WaitUntil([&] { return Shown().PlayheadMs == 1234.0; }, 1000));
  const QPointF at = At(2500);
  SendMouse(Detail(), QEvent::MouseButtonPress, at);
  SendMouse(Detail(), QEvent::MouseButtonRelease, at);
  const int ms = static_cast<int>(std::lround(TimeAt(at)));
  EXPECT_EQ(Find<QSlider>("TrackBar")->value(), ms);
  EXPECT_THAT(device_.Calls, Contains("Seek " + std::to_string(ms)));
}

}  // namespace
}  // namespace brelvik::testing
