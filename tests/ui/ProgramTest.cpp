// The window program's command line, and the window started with a file and
// used on a machine without sound.
#include <gmock/gmock.h>
#include <stdlib.h>

#include <QAction>
#include <QDir>
#include <QFrame>
#include <QMessageBox>
#include <QSlider>
#include <filesystem>

#include "Lame.h"
#include "ModalBoxes.h"
#include "WindowFixture.h"
#include "playback/MediaPlayer.h"
#include "ui/ErrorReports.h"
#include "ui/Program.h"

namespace brelvik::testing {
namespace {

using ::testing::HasSubstr;
using ::testing::StartsWith;
using ui::StartRequest;

TEST(ProgramCommandLine, AnswersAndRefusesWithoutAWindow) {
  const StartRequest none = ui::ParseCommandLine({"brelvik"});
  EXPECT_EQ(none.What, StartRequest::Kind::Window);
  EXPECT_TRUE(none.File.isEmpty());

  const StartRequest file = ui::ParseCommandLine({"brelvik", "live.mp3"});
  EXPECT_EQ(file.What, StartRequest::Kind::Window);
  EXPECT_EQ(file.File, QDir::current().absoluteFilePath("live.mp3"));

  const StartRequest version = ui::ParseCommandLine({"brelvik", "--version"});
  EXPECT_EQ(version.What, StartRequest::Kind::Version);
  EXPECT_EQ(version.Text, "brelvik " BRELVIK_PROJECT_VERSION "\n");

  const StartRequest help = ui::ParseCommandLine({"brelvik", "--help"});
  EXPECT_EQ(help.What, StartRequest::Kind::Help);
  EXPECT_THAT(help.Text.toStdString(), StartsWith("Usage: brelvik [options] [FILE]"));
  EXPECT_THAT(help.Text.toStdString(), HasSubstr("brelvik-split"));

  const StartRequest two = ui::ParseCommandLine({"brelvik", "a.mp3", "b.mp3"});
  EXPECT_EQ(two.What, StartRequest::Kind::Refused);
  EXPECT_EQ(two.Text, "give one file to open, not 2 (a.mp3, b.mp3)");
  EXPECT_EQ(ui::ParseCommandLine({"brelvik", "--louder"}).What, StartRequest::Kind::Refused);
}

// The built program, with no display at all.
TEST(ProgramCommandLine, TheProgramAnswersOnTheTerminal) {
  const std::vector<std::string> noDisplay = {
      "env", "-u", "DISPLAY", "-u", "WAYLAND_DISPLAY", "-u", "QT_QPA_PLATFORM", BRELVIK_WINDOW_EXE};
  auto run = [&](std::vector<std::string> args) {
    std::vector<std::string> argv = noDisplay;
    argv.insert(argv.end(), args.begin(), args.end());
    return RunCommand(argv);
  };
  const CommandResult version = run({"--version"});
  EXPECT_EQ(version.ExitCode, 0);
  EXPECT_EQ(version.Out, "brelvik " BRELVIK_PROJECT_VERSION "\n");
  EXPECT_EQ(run({"--help"}).ExitCode, 0);
  const CommandResult two = run({"a.mp3", "b.mp3"});
  EXPECT_EQ(two.ExitCode, 2);
  EXPECT_THAT(two.Err, StartsWith("brelvik: give one file to open, not 2 (a.mp3, b.mp3)\n"));
}

TEST_F(WindowTest, AFileNamedOnTheCommandLineIsOpenedAsTheOpenButtonWould) {
  const std::string path = WriteMp3("live.mp3", 100);
  const StartRequest request = ui::ParseCommandLine({"brelvik", QString::fromStdString(path)});
  ui::OpenAtStart(window_, request.File);
  EXPECT_TRUE(window_.SourcePath().empty());  // once the event loop runs
  QCoreApplication::processEvents();

  EXPECT_EQ(window_.SourcePath(), path);
  EXPECT_EQ(window_.Figures(), (StreamFigures{128, 417, 100, 26}));
  EXPECT_EQ(window_.SplitTemplate(), dir_.File("live-%track%.mp3"));
  EXPECT_EQ(LabelText("Output_Lb"), "live-%track%.mp3");
  EXPECT_EQ(LabelText("FileName_lb"), "live.mp3");
  EXPECT_EQ(ListTexts(), QStringList{"0"});
  EXPECT_EQ(window_.State(), ui::WindowState::Stopped);
  EXPECT_EQ(device_.Calls, (std::vector<std::string>{"Open " + path}));
}

// A machine without a sound output: SDL is given a driver that does not exist.
class NoSoundWindowTest : public ::testing::Test {
 protected:
  NoSoundWindowTest() { ::setenv("SDL_AUDIODRIVER", "no-such-output", 1); }
  ~NoSoundWindowTest() override { ::setenv("SDL_AUDIODRIVER", "dummy", 1); }

  TempDir dir_;
  std::deque<QString> answers_;
  std::vector<QString> offers_;
};

TEST_F(NoSoundWindowTest, OpensStepsAndSplitsAndPlaySaysWhyItCannotSound) {
  const std::string path =
      EncodeWithLame(dir_, "tone", {.Seconds = 2.0, .LameArgs = {"-b", "128"}});
  answers_.push_back(QString::fromStdString(path));
  ui::TMain window(std::make_unique<TMediaPlayer>(),
                   std::make_unique<ScriptedDialogs>(answers_, offers_));
  ModalBoxes boxes;
  window.Open_TBClick();
  ASSERT_EQ(window.SourcePath(), path);
  EXPECT_TRUE(boxes.Seen().empty());
  EXPECT_NEAR(window.MediaPlayer().Length(), 2000, 30);

  window.FF_TBClick();
  EXPECT_EQ(window.MediaPlayer().Position(), window.Figures().FrameMs);
  window.Play_TBClick();
  ASSERT_EQ(boxes.Seen().size(), 1u);
  EXPECT_EQ(boxes.Seen()[0].Title, ui::ApplicationTitle(QCoreApplication::applicationFilePath()));
  EXPECT_THAT(boxes.Seen()[0].Text.toStdString(), HasSubstr("no-such-output"));
  EXPECT_EQ(window.State(), ui::WindowState::Stopped);
  EXPECT_TRUE(window.findChild<QFrame*>("Media_Pan")->isEnabled());

  window.Breakpoints().AddTypedFrame("30", window.Figures().FrameTotal);
  SplitAndWait(window);
  EXPECT_EQ(boxes.Seen().size(), 1u);
  EXPECT_EQ(std::filesystem::file_size(dir_.File("tone-1.mp3")), 30u * 417);

  // A preview that cannot sound says why once and leaves the position as it was.
  const int before = window.findChild<QSlider*>("TrackBar")->value();
  window.Breakpoints().Select(1);
  window.findChild<QAction*>("Play3safter1")->trigger();
  EXPECT_EQ(boxes.Seen().size(), 2u);
  EXPECT_EQ(window.findChild<QSlider*>("TrackBar")->value(), before);
  EXPECT_EQ(window.MediaPlayer().Position(), before);
  EXPECT_EQ(window.State(), ui::WindowState::Stopped);
}

}  // namespace
}  // namespace brelvik::testing

namespace brelvik::testing {
namespace {

TEST_F(WindowTest, DialogsStartAtTheSourceAndProposeTheTemplatesName) {
  window_.Open_TBClick();  // cancelled
  OpenThroughDialog(WriteMp3("live.mp3"));
  window_.Output_TBClick();  // cancelled
  ChooseOutputName(dir_.File("sets/night.mp3"));
  window_.Output_TBClick();  // cancelled
  EXPECT_EQ(dialogOffers_,
            (std::vector<QString>{"", "", QString::fromStdString(dir_.File("live.mp3")),
                                  QString::fromStdString(dir_.File("live.mp3")),
                                  QString::fromStdString(dir_.File("sets/night.mp3"))}));
  window_.Open_TBClick();
  EXPECT_EQ(dialogOffers_.back(), QString::fromStdString(dir_.Path().string()));
}

TEST_F(WindowTest, LongNamesLoseTheirMiddleAndKeepTheirWholePathInTheHint) {
  const std::string name =
      "a concert recorded on a long summer night in the old harbour hall "
      "with the full orchestra and choir.mp3";
  const std::string path = WriteMp3(name);
  OpenThroughDialog(path);
  // Each label ends before the first button of its panel.
  for (const auto& [label, firstButton] :
       {std::pair{"FileName_lb", "Open_TB"}, std::pair{"Output_Lb", "Split_Tb"}}) {
    auto* shown = Find<QLabel>(label);
    EXPECT_TRUE(shown->text().contains(QChar(0x2026))) << label;
    EXPECT_TRUE(shown->text().startsWith("a concert")) << label;
    EXPECT_TRUE(shown->text().endsWith(".mp3")) << label;
    EXPECT_LE(shown->fontMetrics().horizontalAdvance(shown->text()), shown->width()) << label;
    EXPECT_LE(shown->x() + shown->width(), Find<QToolButton>(firstButton)->x()) << label;
  }
  EXPECT_EQ(Find<QLabel>("FileName_lb")->toolTip().toStdString(), path);
  EXPECT_EQ(Find<QLabel>("Output_Lb")->toolTip().toStdString(), window_.SplitTemplate());
}

}  // namespace
}  // namespace brelvik::testing
