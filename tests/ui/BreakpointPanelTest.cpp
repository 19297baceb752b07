// The breakpoint panel, its menu and the two previews, with the scripted
// device; the test runs the preview timer's ticks itself.
#include <gmock/gmock.h>

#include <QClipboard>
#include <QFrame>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QSlider>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QUrl>
#include <filesystem>

#include "ModalBoxes.h"
#include "WindowFixture.h"
#include "ui/Pictures.h"

namespace brelvik::testing {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

class BreakpointPanelTest : public OpenedWindowTest {
 protected:
  QLineEdit* Entry() { return Find<QLineEdit>("AddMan_Ed"); }
  bool Previewing() { return Find<QTimer>("Play3s_Timer")->isActive(); }
  bool MediaPanelUsable() { return Find<QFrame>("Media_Pan")->isEnabled(); }

  // Moves the stopped device so that the frame label shows the frame at ms.
  void ShowPositionOf(int ms) {
    window_.SetTrackBarPosition(ms);
    device_.Calls.clear();
  }

  void Type(const QString& text) {
    Entry()->setText(text);
    window_.AddManFrame_TBClick();
  }

  // The breakpoint list [0, 50, 90] (50 is at 1303 ms, 90 at 2345 ms).
  void ThreeBreakpoints() {
    Type("50");
    Type("90");
    device_.Calls.clear();
  }
};

TEST_F(BreakpointPanelTest, AddsTheCurrentFrameInOrderAndSelectsIt) {
  ShowPositionOf(2345);  // frame 89: 2345 × 16 / 417 = 89.98
  window_.AddCurrentFrame_TBClick();
  ShowPositionOf(260);  // frame 9
  window_.AddCurrentFrame_TBClick();
  EXPECT_EQ(ListTexts(), (QStringList{"0", "9", "89"}));
  EXPECT_EQ(CurrentRow(), 1);
  EXPECT_EQ(window_.Breakpoints().Selected(), 1);
}

TEST_F(BreakpointPanelTest, TheCurrentFrameAlreadyThereIsNotAddedAgain) {
  window_.AddCurrentFrame_TBClick();  // "0" is there from the open
  ShowPositionOf(183);                // frame 7: 183 × 16 / 417 = 7.02
  Type("007");
  window_.AddCurrentFrame_TBClick();  // the texts differ, the values do not
  EXPECT_EQ(ListTexts(), (QStringList{"0", "007"}));
}

struct TypedCase {
  const char* Name;
  const char* Typed;
  QStringList List;
  const char* Message;  // the error box's text, or nothing
};

class TypedFrameTest : public BreakpointPanelTest,
                       public ::testing::WithParamInterface<TypedCase> {};

TEST_P(TypedFrameTest, IsCheckedAgainstTheFrameTotal) {
  Type("50");
  ModalBoxes boxes;
  Type(GetParam().Typed);
  EXPECT_EQ(ListTexts(), GetParam().List);
  EXPECT_EQ(Entry()->text(), GetParam().Typed) << "the field keeps its text";
  if (GetParam().Message[0] == '\0') {
    EXPECT_TRUE(boxes.Seen().empty());
  } else {
    ASSERT_EQ(boxes.Seen().size(), 1u);
    EXPECT_EQ(boxes.Seen()[0].Title, "Error");
    EXPECT_EQ(boxes.Seen()[0].Text, GetParam().Message);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Texts, TypedFrameTest,
    ::testing::Values(
        TypedCase{"Empty", "", {"0", "50"}, "Insert a number of frames from 0 to: 100"},
        TypedCase{"OverTheTotal", "101", {"0", "50"}, "Maximum number of frames: 100"},
        TypedCase{"EqualToTheTotal", "100", {"0", "50", "100"}, ""},
        TypedCase{"LeadingZeros", "0012", {"0", "0012", "50"}, ""},
        TypedCase{"Duplicate", "50", {"0", "50"}, ""}),
    [](const auto& test) { return std::string(test.param.Name); });

TEST_F(BreakpointPanelTest, TheEntryTakesOnlyTypedDigitsAndBackspace) {
  QTest::keyClicks(Entry(), "a1-b2 3.x");
  EXPECT_EQ(Entry()->text(), "123");
  QTest::keyClick(Entry(), Qt::Key_Backspace);
  EXPECT_EQ(Entry()->text(), "12");
  QTest::keyClick(Entry(), Qt::Key_Left);
  QTest::keyClick(Entry(), Qt::Key_Delete);
  EXPECT_EQ(Entry()->text(), "1");
}

TEST_F(BreakpointPanelTest, PastingIsNotFilteredAndANonNumberIsReported) {
  QApplication::clipboard()->setText("x-5");
  QTest::keyClick(Entry(), Qt::Key_V, Qt::ControlModifier);
  ASSERT_EQ(Entry()->text(), "x-5");
  ModalBoxes boxes;
  window_.AddManFrame_TBClick();
  ASSERT_EQ(boxes.Seen().size(), 1u);
  EXPECT_EQ(boxes.Seen()[0].Text, "'x-5' is not a valid integer value.");
  EXPECT_NE(boxes.Seen()[0].Title, "Error");
  EXPECT_EQ(ListTexts(), QStringList{"0"});
}

TEST_F(BreakpointPanelTest, DeletingSelectsTheEntryNowAtThatIndex) {
  ThreeBreakpoints();
  SelectRow(0);
  window_.Deletethisbreakpoint1Click();  // "0" may go too
  EXPECT_EQ(ListTexts(), (QStringList{"50", "90"}));
  EXPECT_EQ(CurrentRow(), 0);
  SelectRow(1);
  window_.Deletethisbreakpoint1Click();
  EXPECT_EQ(ListTexts(), QStringList{"50"});
  EXPECT_EQ(CurrentRow(), 0);
}

TEST_F(BreakpointPanelTest, WithNothingSelectedTheMenuCommandsDoNothing) {
  ASSERT_EQ(CurrentRow(), -1);
  window_.BreakpointsListMouseDown(QPoint(10, 10));
  EXPECT_FALSE(Find<QMenu>("BreakPoint_PopupMenu")->isVisible());
  window_.Deletethisbreakpoint1Click();
  window_.Play3Secsbefore1Click();
  window_.Play3safter1Click();
  EXPECT_EQ(ListTexts(), QStringList{"0"});
  EXPECT_THAT(device_.Calls, IsEmpty());
  EXPECT_FALSE(Previewing());
}

TEST_F(BreakpointPanelTest, APressOnTheListOpensTheMenuOnlyWithASelection) {
  ThreeBreakpoints();
  window_.show();
  auto* menu = Find<QMenu>("BreakPoint_PopupMenu");
  const QRect second = RowRect(1);
  SelectRow(-1);

  QTest::mouseClick(ListBox()->viewport(), Qt::RightButton, {}, second.center());
  EXPECT_FALSE(menu->isVisible()) << "a right press selects nothing";
  EXPECT_EQ(CurrentRow(), -1);

  QTest::mouseClick(ListBox()->viewport(), Qt::LeftButton, {}, second.center());
  EXPECT_EQ(CurrentRow(), 1);
  EXPECT_TRUE(menu->isVisible());
  menu->hide();

  const QRect third = RowRect(2);
  QTest::mouseClick(ListBox()->viewport(), Qt::RightButton, {}, third.center());
  EXPECT_EQ(CurrentRow(), 1) << "the menu is for the entry already selected";
  EXPECT_TRUE(menu->isVisible());
  QStringList captions;
  for (QAction* action : menu->actions()) {
    captions << action->text();
  }
  EXPECT_EQ(captions,
            (QStringList{"Play 3 Secs before", "Play 3 Secs after", "Delete this breakpoint"}));
  menu->hide();
}

TEST_F(BreakpointPanelTest, PreviewBeforePlaysTheThreeSecondsBeforeAndReturns) {
  ThreeBreakpoints();
  ShowPositionOf(400);
  SelectRow(2);  // frame 90: 90 × 417 × 8 / 128 = 2345 ms
  window_.Play3Secsbefore1Click();
  EXPECT_EQ(window_.PreviewEnd(), 2345);
  EXPECT_EQ(window_.PreviewReturn(), 400);
  // The track bar's change event seeks first, then the preview itself.
  EXPECT_THAT(device_.Calls, ElementsAre("Stop", "Seek 0", "Seek 0", "Play"));
  EXPECT_TRUE(Previewing());
  EXPECT_FALSE(MediaPanelUsable());
  EXPECT_TRUE(Find<QFrame>("Break_Pan")->isEnabled());
  EXPECT_TRUE(Find<QFrame>("Input_Pan")->isEnabled());
  device_.Calls.clear();

  device_.Position = 2300;
  window_.Play3s_TimerTimer();
  EXPECT_TRUE(Previewing());
  EXPECT_EQ(Bar()->value(), 2300);
  EXPECT_EQ(LabelText("Frame_LB"), "88");
  EXPECT_THAT(device_.Calls, IsEmpty());

  device_.Position = 2345;
  window_.Play3s_TimerTimer();
  EXPECT_FALSE(Previewing());
  EXPECT_TRUE(MediaPanelUsable());
  EXPECT_EQ(Bar()->value(), 400);
  EXPECT_THAT(device_.Calls, ElementsAre("Seek 400", "Stop"));
  EXPECT_EQ(Image("Play_TB"), ui::kImagePlay);
  EXPECT_EQ(LabelText("Frame_LB"), "89") << "the labels keep the last preview position";
}

TEST_F(BreakpointPanelTest, PreviewBeforeTheBreakpointZeroEndsAtTheFirstTick) {
  SelectRow(0);
  window_.Play3Secsbefore1Click();
  EXPECT_EQ(window_.PreviewEnd(), 0);
  EXPECT_THAT(device_.Calls, ElementsAre("Stop", "Seek 0", "Play"));
  window_.Play3s_TimerTimer();
  EXPECT_FALSE(Previewing());
  EXPECT_TRUE(MediaPanelUsable());
}

TEST_F(BreakpointPanelTest, PreviewAfterABreakpointNearTheEndEndsAtTheLength) {
  ThreeBreakpoints();
  SelectRow(2);
  window_.Play3safter1Click();
  EXPECT_EQ(window_.PreviewEnd(), 2606) << "the device's length, not 2345 + 3000";
  EXPECT_EQ(Bar()->value(), 2345);
  EXPECT_THAT(device_.Calls, ElementsAre("Stop", "Seek 2345", "Seek 2345", "Play"));
  device_.Position = 2605;
  window_.Play3s_TimerTimer();
  EXPECT_TRUE(Previewing());
  device_.Position = 2606;
  window_.Play3s_TimerTimer();
  EXPECT_FALSE(Previewing());
}

TEST_F(BreakpointPanelTest, PreviewAfterEndsThreeSecondsLater) {
  device_.Length = 60000;
  window_.Breakpoints().AddCurrentFrame("50");
  window_.ShowBreakpoints();
  window_.Play3safter1Click();
  EXPECT_EQ(window_.PreviewEnd(), 1303 + 3000);
}

TEST_F(BreakpointPanelTest, APreviewEndsWhenTheDeviceStopsByItself) {
  ThreeBreakpoints();
  SelectRow(1);
  window_.Play3safter1Click();
  device_.Position = 1800;
  device_.Mode = PlaybackMode::Stopped;
  window_.Play3s_TimerTimer();
  EXPECT_FALSE(Previewing());
  EXPECT_TRUE(MediaPanelUsable());
}

TEST_F(BreakpointPanelTest, APreviewAtTheDevicesEndDoesNotStartOverFromZero) {
  Type("100");  // the frame total: 2606 ms, the device's length
  device_.Calls.clear();
  window_.Play3safter1Click();
  EXPECT_THAT(device_.Calls, ElementsAre("Stop", "Seek 2606", "Seek 2606"));
  window_.Play3s_TimerTimer();
  EXPECT_FALSE(Previewing());
  EXPECT_TRUE(MediaPanelUsable());
}

TEST_F(BreakpointPanelTest, ASecondPreviewReturnsWhereTheFirstHadReached) {
  ThreeBreakpoints();
  ShowPositionOf(100);
  SelectRow(1);
  window_.Play3safter1Click();
  device_.Position = 1500;
  window_.Play3s_TimerTimer();
  SelectRow(2);
  window_.Play3safter1Click();
  EXPECT_EQ(window_.PreviewReturn(), 1500);
  EXPECT_EQ(window_.PreviewEnd(), 2606);
  EXPECT_TRUE(Previewing());
}

TEST_F(BreakpointPanelTest, APreviewDuringPlaybackWaitsForTimer1ToSeeTheStop) {
  ThreeBreakpoints();
  window_.Play_TBClick();
  ASSERT_TRUE(Find<QTimer>("Timer1")->isActive());
  SelectRow(1);
  window_.Play3safter1Click();  // runs pending events until Timer1's tick
  EXPECT_FALSE(Find<QTimer>("Timer1")->isActive());
  EXPECT_TRUE(Previewing());
  EXPECT_EQ(Image("Play_TB"), ui::kImagePlaying);
}

TEST_F(BreakpointPanelTest, OpeningAnotherFileEndsAPreview) {
  SelectRow(0);
  window_.Play3safter1Click();
  ASSERT_TRUE(Previewing());
  OpenThroughDialog(WriteMp3("other.mp3", 50));
  EXPECT_FALSE(Previewing());
  EXPECT_TRUE(MediaPanelUsable());
}

TEST_F(BreakpointPanelTest, SplittingEndsAPreview) {
  ThreeBreakpoints();
  SelectRow(0);
  window_.Play3safter1Click();
  SplitAndWait(window_);
  EXPECT_FALSE(Previewing());
  EXPECT_TRUE(MediaPanelUsable());
  EXPECT_TRUE(std::filesystem::exists(dir_.File("live-2.mp3")));
}

// Shortcuts, sent to the shown and active window as key presses.
class ShortcutTest : public BreakpointPanelTest {
 protected:
  void SetUp() override {
    BreakpointPanelTest::SetUp();
    window_.show();
    window_.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window_));
    ListBox()->setFocus();
  }
  void Press(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QTest::keyClick(QApplication::focusWidget(), static_cast<Qt::Key>(key), modifiers);
  }
};

TEST_F(ShortcutTest, SpacePlaysAndPauses) {
  Press(Qt::Key_Space);
  EXPECT_THAT(device_.Calls, ElementsAre("Play"));
  Press(Qt::Key_Space);
  EXPECT_THAT(device_.Calls, ElementsAre("Play", "Pause"));
}

TEST_F(ShortcutTest, StepAndJumpKeysMoveTheTrackBar) {
  Press(Qt::Key_Right, Qt::ControlModifier);
  Press(Qt::Key_End, Qt::ControlModifier);
  Press(Qt::Key_Home, Qt::ControlModifier);
  Press(Qt::Key_Right, Qt::ControlModifier);
  Press(Qt::Key_Left, Qt::ControlModifier);
  EXPECT_THAT(device_.Calls, ElementsAre("Seek 26", "Seek 2606", "Stop", "Seek 2606", "Seek 0",
                                         "Seek 26", "Seek 0"));
}

TEST_F(ShortcutTest, BreakpointKeysAddAndDelete) {
  ShowPositionOf(260);
  Press(Qt::Key_B);
  ShowPositionOf(520);
  Press(Qt::Key_Insert);
  EXPECT_EQ(ListTexts(), (QStringList{"0", "9", "19"}));
  SelectRow(1);
  Press(Qt::Key_Delete);
  EXPECT_EQ(ListTexts(), (QStringList{"0", "19"}));
}

TEST_F(ShortcutTest, KeysTheEntryUsesStayWithTheEntry) {
  Entry()->setFocus();
  Entry()->setText("45");
  SelectRow(0);
  Press(Qt::Key_Space);
  Press(Qt::Key_B);
  Press(Qt::Key_Home);
  Press(Qt::Key_Delete);
  Press(Qt::Key_Right, Qt::ControlModifier);
  EXPECT_THAT(device_.Calls, IsEmpty());
  EXPECT_EQ(ListTexts(), QStringList{"0"});
  EXPECT_EQ(Entry()->text(), "5");
}

TEST_F(ShortcutTest, KeysOfALockedPanelDoNothing) {
  SelectRow(0);
  window_.Play3safter1Click();  // the media panel is locked while a preview runs
  device_.Calls.clear();
  Press(Qt::Key_Space);
  Press(Qt::Key_B);
  Press(Qt::Key_Right, Qt::ControlModifier);
  EXPECT_THAT(device_.Calls, IsEmpty());
  EXPECT_EQ(ListTexts(), QStringList{"0"});
}

TEST_F(ShortcutTest, ControlOOpensAndControlSSplits) {
  Type("40");
  dialogAnswers_.push_back(QString::fromStdString(WriteMp3("other.mp3", 80)));
  Press(Qt::Key_O, Qt::ControlModifier);
  EXPECT_EQ(window_.Figures().FrameTotal, 80);
  Type("40");
  Press(Qt::Key_S, Qt::ControlModifier);
  WaitForTheSplit(window_);
  EXPECT_EQ(ReadBytes(dir_.File("other-1.mp3")).size(), 40u * 417);
}

TEST_F(BreakpointPanelTest, DroppingAnMp3FileOpensIt) {
  const std::string other = WriteMp3("dropped.mp3", 70);
  QMimeData data;
  data.setUrls({QUrl::fromLocalFile(QString::fromStdString(other))});
  QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(&window_, &enter);
  EXPECT_TRUE(enter.isAccepted());
  QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(&window_, &drop);
  EXPECT_EQ(window_.SourcePath(), other);
  EXPECT_EQ(window_.Figures().FrameTotal, 70);
}

TEST_F(BreakpointPanelTest, OtherDropsAreRefused) {
  const std::string text = dir_.File("notes.txt");
  WriteBytes(text, Bytes(10, 'x'));
  QMimeData data;
  data.setUrls({QUrl::fromLocalFile(QString::fromStdString(text))});
  QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(&window_, &enter);
  EXPECT_FALSE(enter.isAccepted());
}

}  // namespace
}  // namespace brelvik::testing
