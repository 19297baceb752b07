// Marking faster in the window: a cue sheet opened or dropped fills the list,
// Ctrl+E saves the list as one, and Ctrl+L proposes a breakpoint at every
// silence, found off the window's thread and stopped with Esc.
#include <gmock/gmock.h>
#include <sys/stat.h>

#include <QApplication>
#include <QCheckBox>
#include <QDropEvent>
#include <QElapsedTimer>
#include <QFrame>
#include <QLineEdit>
#include <QMimeData>
#include <QProgressBar>
#include <QTest>
#include <algorithm>
#include <filesystem>
#include <fstream>

#include "ModalBoxes.h"
#include "SoxAudio.h"
#include "WindowFixture.h"
#include "cue/CueSheet.h"

namespace brelvik::testing {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ui::WindowState;

void WriteText(const std::string& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

// The fixture's file: 100 frames of 417 bytes at 128 kbit/s, 26.06 ms each.
// Track 2 at 1 s is frame 38, the file ends at frame 100.
constexpr const char* kSheet =
    "TITLE \"Night\"\r\nFILE \"live.mp3\" MP3\r\n  TRACK 01 AUDIO\r\n    INDEX 01 00:00:00\r\n"
    "  TRACK 02 AUDIO\r\n    TITLE \"Late\"\r\n    INDEX 01 00:01:00\r\n";

class CueSheetWindowTest : public WindowTest {
 protected:
  void SetUp() override {
    device_.Length = 2606;
    WriteMp3("live.mp3", 100);
    WriteText(dir_.File("live.cue"), kSheet);
  }
};

TEST_F(CueSheetWindowTest, OpeningASheetOpensItsMp3AndFillsTheList) {
  OpenThroughDialog(dir_.File("live.cue"));
  EXPECT_EQ(window_.SourcePath(), dir_.File("live.mp3"));
  EXPECT_EQ(window_.State(), WindowState::Stopped);
  EXPECT_THAT(ListTexts(), ElementsAre("0", "38", "100"));
  // Exact cuts take the sheet's times as they are, and the end as the end.
  EXPECT_EQ(window_.Breakpoints().TimeMs(1), 1000.0);
  EXPECT_TRUE(std::isinf(window_.Breakpoints().TimeMs(2).value()));
}

TEST_F(CueSheetWindowTest, ADroppedSheetOpensAsWell) {
  QMimeData data;
  data.setUrls({QUrl::fromLocalFile(QString::fromStdString(dir_.File("live.cue")))});
  QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(&window_, &enter);
  EXPECT_TRUE(enter.isAccepted());
  QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(&window_, &drop);
  EXPECT_TRUE(drop.isAccepted());
  EXPECT_EQ(window_.SourcePath(), dir_.File("live.mp3"));
  EXPECT_THAT(ListTexts(), ElementsAre("0", "38", "100"));
}

TEST_F(CueSheetWindowTest, SheetsThatCannotBeUsedSayWhy) {
  WriteText(dir_.File("gone.cue"), "FILE \"gone.mp3\" MP3\n TRACK 01 AUDIO\n INDEX 01 00:00:00\n");
  WriteText(dir_.File("empty.cue"), "FILE \"live.mp3\" MP3\n");
  WriteText(dir_.File("pipe.cue"), "FILE \"pipe.mp3\" MP3\n TRACK 01 AUDIO\n INDEX 01 00:00:00\n");
  ASSERT_EQ(::mkfifo(dir_.File("pipe.mp3").c_str(), 0644), 0);
  const std::pair<const char*, const char*> cases[] = {
      {"gone.cue", "gone.mp3, which is not there"},
      {"empty.cue", "holds no audio track"},
      {"pipe.cue", "pipe.mp3, which is not a regular file"},
  };
  for (const auto& [sheet, why] : cases) {
    ModalBoxes boxes;
    OpenThroughDialog(dir_.File(sheet));
    ASSERT_EQ(boxes.Seen().size(), 1u) << sheet;
    EXPECT_EQ(boxes.Seen()[0].Title, "Error");
    EXPECT_THAT(boxes.Seen()[0].Text.toStdString(), HasSubstr(dir_.File(sheet)));
    EXPECT_THAT(boxes.Seen()[0].Text.toStdString(), HasSubstr(why));
    EXPECT_EQ(window_.State(), WindowState::NoFile);
  }
}

TEST_F(CueSheetWindowTest, ASheetNamingASheetIsRefusedNotFollowed) {
  WriteText(dir_.File("self.cue"), "FILE \"self.cue\" MP3\n TRACK 01 AUDIO\n INDEX 01 00:00:00\n");
  ModalBoxes boxes;
  OpenThroughDialog(dir_.File("self.cue"));
  EXPECT_EQ(window_.State(), WindowState::NoFile);
  EXPECT_EQ(boxes.Seen().size(), 1u);
}

TEST_F(CueSheetWindowTest, DeletingAnEntryForgetsItsTime) {
  OpenThroughDialog(dir_.File("live.cue"));
  window_.Breakpoints().Select(1);
  window_.Deletethisbreakpoint1Click();
  EXPECT_THAT(ListTexts(), ElementsAre("0", "100"));
  for (int i = 0; i < window_.Breakpoints().Count(); ++i) {
    EXPECT_NE(window_.Breakpoints().TimeMs(i), 1000.0) << i;
  }
}

// An entry's hint is the time it stands for: a sheet's index as the sheet
// gives it, a typed frame's start; the end of the stream has none.
TEST_F(CueSheetWindowTest, EachEntrysHintShowsTheTimeItStandsFor) {
  OpenThroughDialog(dir_.File("live.cue"));
  EXPECT_THAT(ListHints(), ElementsAre("00:00.000", "00:01.000", ""));
  // Typed again, frame 38 stands for its start: 38 frames of 26.0625 ms.
  window_.Breakpoints().Select(1);
  window_.Deletethisbreakpoint1Click();
  Find<QLineEdit>("AddMan_Ed")->setText("38");
  window_.AddManFrame_TBClick();
  EXPECT_THAT(ListHints(), ElementsAre("00:00.000", "00:00.990", ""));
}

// The window lets a person delete the list's "0": the sheet keeps where the
// list starts, and a sheet saved in another folder finds the MP3 from there.
TEST_F(CueSheetWindowTest, ASavedListThatStartsLaterReadsBackFromAnyFolder) {
  OpenThroughDialog(dir_.File("live.cue"));
  window_.Breakpoints().Select(0);
  window_.Deletethisbreakpoint1Click();
  ASSERT_THAT(ListTexts(), ElementsAre("38", "100"));
  std::filesystem::create_directories(dir_.Path() / "sheets");
  for (const std::string& sheet : {dir_.File("later.cue"), dir_.File("sheets/later.cue")}) {
    dialogAnswers_.push_back(QString::fromStdString(sheet));
    window_.SaveCueSheet_KeyPress();

    ModalBoxes boxes;
    OpenThroughDialog(sheet);
    EXPECT_THAT(boxes.Seen(), ::testing::IsEmpty()) << sheet;
    EXPECT_EQ(window_.SourcePath(), dir_.File("live.mp3")) << sheet;
    EXPECT_THAT(ListTexts(), ElementsAre("38", "100")) << sheet;
    EXPECT_EQ(window_.Breakpoints().TimeMs(0), 1000.0);
  }
}

// A name that would not read back from the sheet is refused, and nothing is
// written.
TEST_F(CueSheetWindowTest, CtrlERefusesAnMp3NameASheetCannotHold) {
  const std::string odd = WriteMp3("back\\slash.mp3", 100);
  OpenThroughDialog(odd);
  window_.Breakpoints().AddTypedFrame("12", 100);
  window_.show();
  window_.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&window_));
  dialogAnswers_.push_back(QString::fromStdString(dir_.File("odd.cue")));
  ModalBoxes boxes;
  QTest::keyClick(&window_, Qt::Key_E, Qt::ControlModifier);
  ASSERT_EQ(boxes.Seen().size(), 1u);
  EXPECT_EQ(boxes.Seen()[0].Text.toStdString(),
            "The file name back\\slash.mp3 cannot be written in a cue sheet (it holds a "
            "backslash)");
  EXPECT_FALSE(std::filesystem::exists(dir_.File("odd.cue")));
}

// The sheet the list came from is read by the run, as the MP3 is: no piece
// takes its place, in either kind of split.
TEST_F(CueSheetWindowTest, NoPieceReplacesTheSheetTheListCameFrom) {
  WriteText(dir_.File("live-1.cue"), kSheet);
  const Bytes sheet = ReadBytes(dir_.File("live-1.cue"));
  OpenThroughDialog(dir_.File("live-1.cue"));
  ASSERT_THAT(ListTexts(), ElementsAre("0", "38", "100"));
  ChooseOutputName(dir_.File("live.cue"));  // pieces live-1.cue, live-2.cue
  for (const bool exact : {false, true}) {
    Find<QCheckBox>("ExactCuts_CB")->setChecked(exact);
    ModalBoxes boxes;
    SplitAndWait(window_);
    ASSERT_EQ(boxes.Seen().size(), 1u) << exact;
    EXPECT_EQ(boxes.Seen()[0].Text.toStdString(),
              "The piece " + dir_.File("live-1.cue") + " would overwrite the cue sheet.");
    EXPECT_EQ(ReadBytes(dir_.File("live-1.cue")), sheet);
    EXPECT_FALSE(std::filesystem::exists(dir_.File("live-2.cue")));
  }
}

TEST_F(CueSheetWindowTest, CtrlENeverPutsTheSheetInPlaceOfTheMp3) {
  OpenThroughDialog(dir_.File("live.mp3"));
  window_.Breakpoints().AddTypedFrame("12", 100);
  const Bytes mp3 = ReadBytes(dir_.File("live.mp3"));
  dialogAnswers_.push_back(QString::fromStdString(dir_.File("live.mp3")));
  ModalBoxes boxes;
  window_.SaveCueSheet_KeyPress();
  ASSERT_EQ(boxes.Seen().size(), 1u);
  EXPECT_EQ(boxes.Seen()[0].Title, "Error");
  EXPECT_EQ(boxes.Seen()[0].Text.toStdString(),
            "The cue sheet " + dir_.File("live.mp3") + " would overwrite the MP3 file");
  EXPECT_EQ(ReadBytes(dir_.File("live.mp3")), mp3);
}

TEST_F(CueSheetWindowTest, CtrlESavesTheListAsASheetThatReadsBack) {
  OpenThroughDialog(dir_.File("live.mp3"));
  window_.Breakpoints().AddTypedFrame("12", 100);
  window_.Breakpoints().AddTypedFrame("77", 100);
  window_.ShowBreakpoints();
  dialogAnswers_.push_back(QString::fromStdString(dir_.File("saved.cue")));
  window_.SaveCueSheet_KeyPress();
  EXPECT_EQ(dialogOffers_.back().toStdString(), dir_.File("live.cue"));

  OpenThroughDialog(dir_.File("saved.cue"));
  EXPECT_THAT(ListTexts(), ElementsAre("0", "12", "77"));
  // The sheet remembers where the list stopped, short of the file's end.
  const auto read = cue::ReadCueSheet(dir_.File("saved.cue"));
  ASSERT_TRUE(read.Sheet);
  EXPECT_EQ(read.Sheet->Tracks.size(), 2u);
  EXPECT_TRUE(read.Sheet->EndMs);
}

// 1.5 s of tone, 1.2 s of silence, 1.5 s of tone, 1.5 s of silence, 1 s of tone.
SoundLayout TwoPauses() {
  return {44100,
          1,
          {{1500, "sine 440 vol 0.5"},
           {1200, ""},
           {1500, "sine 550 vol 0.5"},
           {1500, ""},
           {1000, "sine 660 vol 0.5"}}};
}

class SilencesWindowTest : public WindowTest {
 protected:
  void SetUp() override {
    path_ = EncodeSoundLayout(dir_, "tape", TwoPauses(), {"-b", "128"});
    device_.Length = 6700;
    OpenThroughDialog(path_);
    ASSERT_EQ(window_.State(), WindowState::Stopped);
  }
  bool WaitForScanEnd() {
    return QTest::qWaitFor([this] { return window_.State() != WindowState::Scanning; }, 20000);
  }
  void ExpectBusy(bool busy) {
    EXPECT_EQ(window_.State() == WindowState::Scanning, busy);
    EXPECT_EQ(Find<QProgressBar>("ProgressBar")->isVisible(), busy);
    EXPECT_EQ(Find<QFrame>("Input_Pan")->isEnabled(), !busy);
    EXPECT_EQ(Find<QFrame>("Break_Pan")->isEnabled(), !busy);
    EXPECT_EQ(QApplication::overrideCursor() != nullptr, busy);
  }

  std::string path_;
};

TEST_F(SilencesWindowTest, CtrlLAddsABreakpointInTheMiddleOfEachSilence) {
  window_.show();
  window_.FindSilences_KeyPress();
  ExpectBusy(true);
  ASSERT_TRUE(WaitForScanEnd());
  ExpectBusy(false);
  const SoundLayout layout = TwoPauses();
  const std::vector<double> middles = {(layout.StartMs(1) + layout.EndMs(1)) / 2,
                                       (layout.StartMs(3) + layout.EndMs(3)) / 2};
  ASSERT_EQ(window_.Breakpoints().Count(), 3) << ListTexts().join(",").toStdString();
  for (int i = 0; i < 2; ++i) {
    const std::int32_t frame = window_.Breakpoints().Value(i + 1);
    const double ms = window_.Breakpoints().TimeMs(i + 1).value();
    EXPECT_NEAR(ms, middles[static_cast<std::size_t>(i)], 20.0);
    // The entry is the frame the position display shows at that time.
    EXPECT_EQ(frame, MSecToFrames(static_cast<std::int32_t>(ms), window_.Figures().FrameBytes,
                                  window_.Figures().Kbps));
  }
  // The proposals can be heard like any other entry.
  SelectRow(1);
  window_.Play3safter1Click();
  EXPECT_EQ(window_.State(), WindowState::Previewing);
}

// An hour of the pauses at 32 kbit/s (14 MB): long enough that its search
// cannot end before Esc, however fast the machine. lame writes no Info frame
// (-t), whose frame count would end the decoding after the first copy.
std::string WriteAnHourOfPauses(const TempDir& dir) {
  const std::string piece =
      EncodeSoundLayout(dir, "piece", TwoPauses(), {"-b", "32", "--resample", "44.1", "-t"});
  const Bytes once = ReadBytes(piece);
  Bytes hour;
  for (int copy = 0; copy < 540; ++copy) {
    hour.insert(hour.end(), once.begin(), once.end());
  }
  WriteBytes(dir.File("hour.mp3"), hour);
  return dir.File("hour.mp3");
}

TEST_F(SilencesWindowTest, EscStopsTheSearchAndLeavesTheListAsItWas) {
  OpenThroughDialog(WriteAnHourOfPauses(dir_));
  window_.show();
  window_.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&window_));
  auto* progress = Find<QProgressBar>("ProgressBar");
  QElapsedTimer clock;
  clock.start();
  QTest::keyClick(&window_, Qt::Key_L, Qt::ControlModifier);
  ASSERT_EQ(window_.State(), WindowState::Scanning);
  // The search's first hundredth tells how long the rest would take.
  ASSERT_TRUE(
      QTest::qWaitFor([progress] { return progress->value() >= progress->maximum() / 100; }, 5000));
  const qint64 firstHundredthMs = clock.restart();
  QTest::keyClick(&window_, Qt::Key_Escape);
  const qint64 stoppingMs = clock.elapsed();
  ExpectBusy(false);
  // Stopping does not wait for the search to run to its end.
  EXPECT_LT(stoppingMs, std::max<qint64>(firstHundredthMs * 10, 100));
  QTest::qWait(300);  // whatever the stopped search still reports is ignored
  EXPECT_THAT(ListTexts(), ElementsAre("0"));
  EXPECT_EQ(window_.State(), WindowState::Stopped);
}

TEST_F(SilencesWindowTest, ClosingTheWindowStopsTheSearch) {
  window_.show();
  window_.FindSilences_KeyPress();
  EXPECT_TRUE(window_.close());
  ExpectBusy(false);
}

}  // namespace
}  // namespace brelvik::testing
