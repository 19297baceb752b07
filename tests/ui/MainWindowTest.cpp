#include <gmock/gmock.h>

#include <QApplication>
#include <QFrame>
#include <QProgressBar>
#include <QSignalSpy>
#include <QSlider>
#include <QTimer>
#include <QToolButton>
#include <filesystem>

#include "ModalBoxes.h"
#include "WindowFixture.h"
#include "ui/ErrorReports.h"

namespace brelvik::testing {
namespace {

using ::testing::ElementsAre;

struct PanelPlace {
  const char* Name;
  QRect Geometry;
  bool EnabledAtStart;
};

class StartUpTest : public WindowTest, public ::testing::WithParamInterface<PanelPlace> {};

TEST_P(StartUpTest, PanelStandsInPlaceWithItsStartState) {
  const PanelPlace& place = GetParam();
  auto* panel = Find<QFrame>(place.Name);
  EXPECT_EQ(panel->geometry(), place.Geometry);
  EXPECT_EQ(panel->isEnabled(), place.EnabledAtStart);
  EXPECT_EQ(panel->frameShadow(), QFrame::Sunken);
}

INSTANTIATE_TEST_SUITE_P(Panels, StartUpTest,
                         ::testing::Values(PanelPlace{"Input_Pan", QRect(2, 2, 305, 22), true},
                                           PanelPlace{"Media_Pan", QRect(2, 27, 305, 97), false},
                                           PanelPlace{"Break_Pan", QRect(2, 127, 117, 145), false},
                                           PanelPlace{"AddMan_Pan", QRect(122, 127, 185, 34),
                                                      false},
                                           PanelPlace{"Info_Pan", QRect(122, 164, 185, 108), true},
                                           PanelPlace{"Output_Pan", QRect(2, 275, 305, 22), false}),
                         [](const auto& test) { return std::string(test.param.Name); });

TEST_F(WindowTest, StartsWithItsCaptionSizeAndTexts) {
  EXPECT_EQ(window_.windowTitle(), "Brelvik MP3 Splitter");
  EXPECT_EQ(window_.size(), QSize(309, 299));
  EXPECT_EQ(window_.minimumSize(), window_.maximumSize());
  EXPECT_FALSE(window_.windowFlags() & Qt::WindowMaximizeButtonHint);
  EXPECT_TRUE(window_.windowFlags() & Qt::WindowMinimizeButtonHint);

  EXPECT_EQ(LabelText("FileName_lb"), "Source MP3 File");
  EXPECT_EQ(LabelText("Open_Lb"), "Open MP3 file -->");
  EXPECT_EQ(LabelText("Time_lb"), "00:00:00");
  EXPECT_EQ(LabelText("Frame_LB"), "0");
  EXPECT_EQ(LabelText("Output_Lb"), "Output MP3 Files");
  EXPECT_EQ(LabelText("Info_Title"), "Brelvik MP3 Splitter 1.0");
  EXPECT_EQ(ListTexts(), QStringList{"0"});
  EXPECT_FALSE(Find<QProgressBar>("ProgressBar")->isVisibleTo(&window_));
  EXPECT_EQ(Find<QProgressBar>("ProgressBar")->geometry(), QRect(10, 7, 241, 8));

  auto* trackBar = Find<QSlider>("TrackBar");
  EXPECT_EQ(trackBar->maximum(), 2000);
  EXPECT_EQ(trackBar->pageStep(), 10000);
  EXPECT_EQ(trackBar->toolTip(), "Drag and Seek...");
}

struct ButtonHint {
  const char* Name;
  const char* Hint;
  QPoint Place;
};

class ButtonTest : public WindowTest, public ::testing::WithParamInterface<ButtonHint> {};

TEST_P(ButtonTest, HasItsHintAndPlace) {
  auto* button = Find<QToolButton>(GetParam().Name);
  EXPECT_EQ(button->toolTip(), GetParam().Hint);
  EXPECT_EQ(button->pos(), GetParam().Place);
  EXPECT_TRUE(button->autoRaise());
  EXPECT_FALSE(button->icon().isNull());
}

INSTANTIATE_TEST_SUITE_P(
    Buttons, ButtonTest,
    ::testing::Values(
        ButtonHint{"Open_TB", "Select an MP3 file from your computer (Ctrl+O)", {284, 2}},
        ButtonHint{"Split_Tb", "Makes split MP3 files (Ctrl+S)", {265, 2}},
        ButtonHint{"Output_TB", "Change name of output MP3 files", {284, 2}},
        ButtonHint{"Play_TB", "Play (Space)", {0, 2}},
        ButtonHint{"Pause_TB", "Pause (Space)", {19, 2}}, ButtonHint{"Stop_TB", "Stop", {38, 2}},
        ButtonHint{"Start_TB", "Moves to the beginning of the MP3 file (Ctrl+Home)", {57, 2}},
        ButtonHint{"Rew_TB", "Moves backward a frame (Ctrl+Left)", {76, 2}},
        ButtonHint{"FF_TB", "Moves forward a frame (Ctrl+Right)", {95, 2}},
        ButtonHint{"End_TB", "Moves to the end of the MP3 file (Ctrl+End)", {114, 2}},
        ButtonHint{"AddCurrentFrame_TB", "Add a breakpoint from current frame (B)", {5, 1}},
        ButtonHint{"AddManFrame_TB", "Add a breakpoint", {0, 0}}),
    [](const auto& test) { return std::string(test.param.Name); });

TEST_F(WindowTest, ArrowDriftsTowardsTheOpenButtonInALoop) {
  auto* arrow = Find<QLabel>("Open_Lb");
  EXPECT_TRUE(Find<QTimer>("Open_Timer")->isActive());
  EXPECT_EQ(Find<QTimer>("Open_Timer")->interval(), 150);
  std::vector<int> lefts;
  for (int tick = 0; tick < 10; ++tick) {
    window_.Open_TimerTimer();
    lefts.push_back(arrow->x());
  }
  EXPECT_THAT(lefts, ElementsAre(165, 170, 175, 180, 185, 190, 195, 150, 155, 160));
}

TEST_F(WindowTest, OpeningAValidFileFillsTheWindow) {
  const std::string path = WriteMp3("live.mp3", 100);
  OpenThroughDialog(path);

  EXPECT_EQ(window_.Figures(), (StreamFigures{128, 417, 100, 26}));
  EXPECT_EQ(window_.SourcePath(), path);
  EXPECT_EQ(window_.SplitTemplate(), dir_.File("live-%track%.mp3"));
  EXPECT_EQ(LabelText("FileName_lb"), "live.mp3");
  EXPECT_EQ(Find<QLabel>("FileName_lb")->toolTip(), QString::fromStdString(path));
  EXPECT_EQ(LabelText("Output_Lb"), "live-%track%.mp3");
  EXPECT_EQ(Find<QLabel>("Output_Lb")->toolTip(),
            QString::fromStdString(dir_.File("live-%track%.mp3")));
  EXPECT_EQ(ListTexts(), QStringList{"0"});
  for (const char* panel : {"Input_Pan", "Media_Pan", "Break_Pan", "AddMan_Pan", "Output_Pan"}) {
    EXPECT_TRUE(Find<QFrame>(panel)->isEnabled()) << panel;
  }
  EXPECT_FALSE(Find<QTimer>("Open_Timer")->isActive());
  EXPECT_FALSE(Find<QLabel>("Open_Lb")->isVisibleTo(&window_));
  EXPECT_EQ(device_.FileName, path);
  EXPECT_EQ(device_.Calls.front(), "Open " + path);
  EXPECT_EQ(Find<QSlider>("TrackBar")->maximum(), device_.Length);
  EXPECT_EQ(Find<QSlider>("TrackBar")->tickInterval(), device_.Length / 20);
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST_F(WindowTest, AFileWithoutAudioIsReportedAndChangesNothing) {
  const std::string path = dir_.File("notes.mp3");
  WriteBytes(path, Bytes(5000, 0x20));
  ModalBoxes boxes;
  OpenThroughDialog(path);

  ASSERT_EQ(boxes.Seen().size(), 1u);
  EXPECT_EQ(boxes.Seen()[0].Title, "Error");
  EXPECT_EQ(boxes.Seen()[0].Text,
            QString::fromStdString("Can not read data from the file: " + path));
  EXPECT_EQ(boxes.Seen()[0].Icon, QMessageBox::Critical);
  EXPECT_EQ(boxes.Seen()[0].Buttons, 1);
  EXPECT_TRUE(device_.Calls.empty());
  EXPECT_FALSE(Find<QFrame>("Media_Pan")->isEnabled());
  EXPECT_TRUE(Find<QTimer>("Open_Timer")->isActive());
}

TEST_F(WindowTest, AnUnreadableFileDoesNothing) {
  const std::string shortFile = dir_.File("short.mp3");
  WriteBytes(shortFile, Bytes(100, 0xFF));
  ModalBoxes boxes;
  OpenThroughDialog(shortFile);
  OpenThroughDialog(dir_.File("missing.mp3"));
  window_.Open_TBClick();  // cancelled dialog

  EXPECT_TRUE(boxes.Seen().empty());
  EXPECT_TRUE(device_.Calls.empty());
  EXPECT_EQ(LabelText("FileName_lb"), "Source MP3 File");
  EXPECT_TRUE(window_.SourcePath().empty());
}

TEST_F(WindowTest, ASecondOpenResetsTheListAndTheTemplate) {
  OpenThroughDialog(WriteMp3("first.mp3", 100));
  ASSERT_TRUE(window_.Breakpoints().AddTypedFrame("50", 100).InsertedAt);
  window_.ShowBreakpoints();
  ChooseOutputName("/elsewhere/part.mp3");
  ASSERT_EQ(ListTexts(), (QStringList{"0", "50"}));

  OpenThroughDialog(WriteMp3("second.mp3", 200));
  EXPECT_EQ(ListTexts(), QStringList{"0"});
  EXPECT_EQ(window_.SplitTemplate(), dir_.File("second-%track%.mp3"));
  EXPECT_EQ(window_.Figures().FrameTotal, 200);
}

struct OutputChoice {
  const char* Chosen;
  const char* Template;
  const char* Caption;
};

class OutputNameTest : public WindowTest, public ::testing::WithParamInterface<OutputChoice> {};

TEST_P(OutputNameTest, ChosenPathBecomesTheTemplate) {
  OpenThroughDialog(WriteMp3("live.mp3"));
  ChooseOutputName(GetParam().Chosen);
  EXPECT_EQ(window_.SplitTemplate(), GetParam().Template);
  EXPECT_EQ(LabelText("Output_Lb"), GetParam().Caption);
  EXPECT_EQ(Find<QLabel>("Output_Lb")->toolTip(), GetParam().Template);
}

INSTANTIATE_TEST_SUITE_P(
    Names, OutputNameTest,
    ::testing::Values(OutputChoice{"/out/part", "/out/part-%track%", "part-%track%"},
                      OutputChoice{"/out/set.mp3", "/out/set-%track%.mp3", "set-%track%.mp3"},
                      OutputChoice{"/my.music/set", "/my.music/set-%track%", "set-%track%"}));

TEST_F(WindowTest, CancellingTheOutputDialogKeepsTheTemplate) {
  OpenThroughDialog(WriteMp3("live.mp3"));
  window_.Output_TBClick();
  EXPECT_EQ(window_.SplitTemplate(), dir_.File("live-%track%.mp3"));
}

TEST_F(WindowTest, SplitWritesThePiecesWithTheProgressBarMoving) {
  const std::string path = WriteMp3("live.mp3", 100);
  OpenThroughDialog(path);
  window_.Breakpoints().AddTypedFrame("30", 100);
  window_.Breakpoints().AddTypedFrame("70", 100);
  auto* bar = Find<QProgressBar>("ProgressBar");
  QSignalSpy progress(bar, &QProgressBar::valueChanged);
  std::vector<bool> panelsLockedDuringSplit;
  QObject::connect(bar, &QProgressBar::valueChanged, [&] {
    panelsLockedDuringSplit.push_back(!Find<QFrame>("Input_Pan")->isEnabled() &&
                                      !Find<QFrame>("Output_Pan")->isEnabled() &&
                                      bar->isVisibleTo(&window_));
  });

  SplitAndWait(window_);

  const Bytes source = ReadBytes(path);
  EXPECT_EQ(ReadBytes(dir_.File("live-1.mp3")), Bytes(source.begin(), source.begin() + 30 * 417));
  EXPECT_EQ(ReadBytes(dir_.File("live-2.mp3")),
            Bytes(source.begin() + 30 * 417, source.begin() + 70 * 417));
  EXPECT_FALSE(std::filesystem::exists(dir_.File("live-3.mp3")));
  ASSERT_EQ(progress.count(), 2);
  EXPECT_EQ(progress.at(0).at(0).toInt(), 1);
  EXPECT_EQ(progress.at(1).at(0).toInt(), 2);
  EXPECT_EQ(bar->maximum(), 2);
  EXPECT_THAT(panelsLockedDuringSplit, ElementsAre(true, true));
  EXPECT_EQ(device_.Calls.back(), "Stop");
  EXPECT_TRUE(Find<QFrame>("Input_Pan")->isEnabled());
  EXPECT_TRUE(Find<QFrame>("Media_Pan")->isEnabled());
  EXPECT_FALSE(bar->isVisibleTo(&window_));
  EXPECT_TRUE(Find<QLabel>("Output_Lb")->isVisibleTo(&window_));
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST_F(WindowTest, SplitOfASingleEntryDoesNothing) {
  OpenThroughDialog(WriteMp3("live.mp3"));
  const auto callsBefore = device_.Calls;
  ModalBoxes boxes;
  SplitAndWait(window_);
  EXPECT_EQ(device_.Calls, callsBefore);
  EXPECT_TRUE(boxes.Seen().empty());
  EXPECT_FALSE(std::filesystem::exists(dir_.File("live-1.mp3")));
}

TEST_F(WindowTest, AFailingSplitIsReportedAndLeavesTheWindowUsable) {
  OpenThroughDialog(WriteMp3("live.mp3"));
  window_.Breakpoints().AddTypedFrame("30", 100);
  ChooseOutputName(dir_.File("missing/part.mp3"));
  ModalBoxes boxes;
  SplitAndWait(window_);

  ASSERT_EQ(boxes.Seen().size(), 1u);
  EXPECT_EQ(boxes.Seen()[0].Title, ui::ApplicationTitle(QCoreApplication::applicationFilePath()));
  EXPECT_EQ(boxes.Seen()[0].Text,
            QString::fromStdString("Cannot create file " + dir_.File("missing/part-1.mp3") + "."));
  EXPECT_EQ(boxes.Seen()[0].Icon, QMessageBox::Critical);
  for (const char* panel : {"Input_Pan", "Media_Pan", "Break_Pan", "AddMan_Pan", "Output_Pan"}) {
    EXPECT_TRUE(Find<QFrame>(panel)->isEnabled()) << panel;
  }
  EXPECT_FALSE(Find<QProgressBar>("ProgressBar")->isVisibleTo(&window_));
  EXPECT_TRUE(Find<QLabel>("Output_Lb")->isVisibleTo(&window_));
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST_F(WindowTest, ASplitThatWouldOverwriteTheSourceWritesNothing) {
  const std::string source = WriteMp3("song-1.mp3", 100);
  OpenThroughDialog(source);
  const Bytes before = ReadBytes(source);
  window_.Breakpoints().AddTypedFrame("30", 100);
  window_.Breakpoints().AddTypedFrame("60", 100);
  ChooseOutputName(dir_.File("song.mp3"));  // piece 1 would be song-1.mp3, the source
  ModalBoxes boxes;
  SplitAndWait(window_);

  ASSERT_EQ(boxes.Seen().size(), 1u);
  EXPECT_TRUE(boxes.Seen()[0].Text.contains(QString::fromStdString(dir_.File("song-1.mp3"))));
  EXPECT_EQ(ReadBytes(source), before);
  EXPECT_FALSE(std::filesystem::exists(dir_.File("song-2.mp3")));
  EXPECT_TRUE(Find<QFrame>("Output_Pan")->isEnabled());
}

TEST_F(WindowTest, ARefusedDeviceOpenIsReportedAndKeepsTheWindowAsItWas) {
  device_.RefuseOpenWith = "ALSA: Couldn't open audio device: No such file or directory";
  ModalBoxes boxes;
  OpenThroughDialog(WriteMp3("live.mp3"));

  ASSERT_EQ(boxes.Seen().size(), 1u);
  EXPECT_EQ(boxes.Seen()[0].Text, "ALSA: Couldn't open audio device: No such file or directory.");
  EXPECT_FALSE(Find<QFrame>("Media_Pan")->isEnabled());
  EXPECT_TRUE(Find<QFrame>("Input_Pan")->isEnabled());
  EXPECT_TRUE(Find<QTimer>("Open_Timer")->isActive());
  EXPECT_TRUE(Find<QLabel>("Open_Lb")->isVisibleTo(&window_));
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST_F(WindowTest, SplitWithoutAnOpenDeviceFileReportsAndWritesNothing) {
  OpenThroughDialog(WriteMp3("live.mp3"));
  window_.Breakpoints().AddTypedFrame("30", 100);
  device_.RefuseOpenWith = "Unknown error code";
  ModalBoxes boxes;
  OpenThroughDialog(WriteMp3("other.mp3"));
  SplitAndWait(window_);

  ASSERT_EQ(boxes.Seen().size(), 2u);
  EXPECT_EQ(boxes.Seen()[1].Text, "No MCI device open.");
  EXPECT_FALSE(std::filesystem::exists(dir_.File("live-1.mp3")));
  EXPECT_TRUE(Find<QFrame>("Input_Pan")->isEnabled());
}

TEST(ErrorReportTest, TitleIsTheProgramNameUpToItsFirstDot) {
  EXPECT_EQ(ui::ApplicationTitle("/usr/bin/brelvik"), "Brelvik");
  EXPECT_EQ(ui::ApplicationTitle("/opt/BRELVIK.Split.bin"), "Brelvik");
  EXPECT_EQ(ui::ApplicationTitle("relative/x"), "X");
}

struct PeriodCase {
  const char* Text;
  const char* Shown;
};

class FinalPeriodTest : public ::testing::TestWithParam<PeriodCase> {};

TEST_P(FinalPeriodTest, IsAddedAfterCharactersSortingAfterADot) {
  EXPECT_EQ(ui::WithFinalPeriod(GetParam().Text), GetParam().Shown);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, FinalPeriodTest,
    ::testing::Values(PeriodCase{"No MCI device open", "No MCI device open."},
                      PeriodCase{"Stream read error.", "Stream read error."},
                      PeriodCase{"Cannot create file /a/b-1.mp3", "Cannot create file /a/b-1.mp3."},
                      PeriodCase{"ends with a dash -", "ends with a dash -"},
                      PeriodCase{"ends with a slash /", "ends with a slash /."},
                      PeriodCase{"Really!", "Really!"}, PeriodCase{"", ""}));

}  // namespace
}  // namespace brelvik::testing
