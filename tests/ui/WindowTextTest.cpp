// What the window shows of files: names and sheet texts as the characters
// they hold, never as markup; and a sheet it refuses leaves the open file and
// the list as they were.
#include <gmock/gmock.h>

#include <QTextDocument>
#include <fstream>

#include "ModalBoxes.h"
#include "WindowFixture.h"
#include "io/StreamError.h"
#include "ui/ErrorReports.h"

namespace brelvik::testing {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;

void WriteText(const std::string& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

// Markup a hostile sheet or file name may hold; a name holds no "/".
constexpr const char* kMarkup =
    "<h1><font color=red>Disk failure detected<br>Run: rm -rf ~ to repair";

// What a person sees of a tool tip: Qt shows one that looks like markup as
// rich text.
QString SeenToolTip(const QString& tip) {
  if (!Qt::mightBeRichText(tip)) {
    return tip;
  }
  QTextDocument document;
  document.setHtml(tip);
  return document.toPlainText();
}

TEST_F(WindowTest, MarkupInASheetsFileShowsAsTextInTheErrorBox) {
  WriteText(dir_.File("evil.cue"),
            std::string("FILE \"") + kMarkup + ".mp3\" MP3\nTRACK 01 AUDIO\nINDEX 01 00:00:00\n");
  ModalBoxes boxes;
  OpenThroughDialog(dir_.File("evil.cue"));
  ASSERT_EQ(boxes.Seen().size(), 1u);
  EXPECT_EQ(boxes.Seen()[0].TextFormat, Qt::PlainText);
  EXPECT_THAT(boxes.Seen()[0].Text.toStdString(),
              HasSubstr(dir_.File(std::string(kMarkup) + ".mp3") + ", which is not there"));
}

TEST_F(WindowTest, EveryBoxShowsPlainText) {
  ModalBoxes boxes;
  ui::Guarded(&window_, [] { throw EStreamError(std::string("Cannot open file ") + kMarkup); });
  ui::ShowInformationBox(&window_, kMarkup);
  ASSERT_EQ(boxes.Seen().size(), 2u);
  for (const SeenBox& box : boxes.Seen()) {
    EXPECT_EQ(box.TextFormat, Qt::PlainText) << box.Title.toStdString();
    EXPECT_THAT(box.Text.toStdString(), HasSubstr(kMarkup));
  }
}

TEST_F(WindowTest, NamesShowAsTextInLabelsAndHints) {
  const std::string name = std::string("<b>") + "big<br>name.mp3";
  const std::string path = WriteMp3(name, 100);
  device_.Length = 2606;
  OpenThroughDialog(path);
  ASSERT_EQ(window_.SourcePath(), path);
  for (const char* label : {"FileName_lb", "Output_Lb"}) {
    EXPECT_EQ(Find<QLabel>(label)->textFormat(), Qt::PlainText) << label;
  }
  EXPECT_EQ(LabelText("FileName_lb").toStdString(), name);
  EXPECT_EQ(SeenToolTip(Find<QLabel>("FileName_lb")->toolTip()).toStdString(), path);
  EXPECT_EQ(SeenToolTip(Find<QLabel>("Output_Lb")->toolTip()).toStdString(),
            dir_.File("<b>big<br>name-%track%.mp3"));
}

// A track past the end of the sheet's MP3 refuses the whole sheet, as the
// command line does: the window keeps its file and its list.
TEST_F(OpenedWindowTest, ASheetRefusedInPartLeavesTheFileAndTheList) {
  window_.Breakpoints().AddTypedFrame("12", 100);
  window_.ShowBreakpoints();
  WriteMp3("short.mp3", 30);  // 0.78 s
  WriteText(dir_.File("short.cue"),
            "FILE \"short.mp3\" MP3\nTRACK 01 AUDIO\nINDEX 01 00:00:00\nTRACK 02 AUDIO\n"
            "INDEX 01 00:00:30\nTRACK 03 AUDIO\nINDEX 01 00:05:00\n");
  ModalBoxes boxes;
  OpenThroughDialog(dir_.File("short.cue"));
  ASSERT_EQ(boxes.Seen().size(), 1u);
  EXPECT_EQ(boxes.Seen()[0].Text.toStdString(),
            "track 3 (00:05:00) lies past the end of the file, frame 30");
  EXPECT_EQ(window_.SourcePath(), dir_.File("live.mp3"));
  EXPECT_THAT(ListTexts(), ElementsAre("0", "12"));
  EXPECT_EQ(device_.FileName, dir_.File("live.mp3"));
  EXPECT_THAT(device_.Calls, ::testing::Not(::testing::Contains(HasSubstr("Open"))));
  EXPECT_EQ(window_.Figures().FrameTotal, 100);
}

}  // namespace
}  // namespace brelvik::testing
