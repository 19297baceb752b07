// The "Exact cuts" check box: off at every start, and when on, the split
// writes whole pieces cut on real frames, or refuses with a message and
// writes nothing.
#include <gmock/gmock.h>

#include <QCheckBox>
#include <QFrame>
#include <QLabel>
#include <QProgressBar>
#include <filesystem>

#include "ModalBoxes.h"
#include "WindowFixture.h"

namespace brelvik::testing {
namespace {

using ::testing::ElementsAre;

class ExactCutsTest : public WindowTest {
 protected:
  QCheckBox* Box() { return Find<QCheckBox>("ExactCuts_CB"); }

  void SplitExactly(std::initializer_list<const char*> breakpoints, std::int32_t frameTotal) {
    for (const char* frame : breakpoints) {
      window_.Breakpoints().AddTypedFrame(frame, frameTotal);
    }
    Box()->setChecked(true);
    window_.Split_TbClick();
  }
};

TEST_F(ExactCutsTest, StandsInTheInfoPanelOffAndUsable) {
  EXPECT_EQ(Box()->parentWidget()->objectName(), "Info_Pan");
  EXPECT_EQ(Box()->pos(), QPoint(45, 24));
  EXPECT_EQ(Box()->text(), "Exact cuts");
  EXPECT_FALSE(Box()->isChecked());
  EXPECT_TRUE(Box()->isEnabled());
  EXPECT_TRUE(Box()->toolTip().contains("frames"));
}

TEST_F(ExactCutsTest, WritesWholePiecesAndIsLockedDuringTheSplit) {
  const std::string path = WriteMp3("live.mp3", 100);
  OpenThroughDialog(path);
  std::vector<bool> lockedDuringSplit;
  QObject::connect(Find<QProgressBar>("ProgressBar"), &QProgressBar::valueChanged,
                   [&] { lockedDuringSplit.push_back(!Box()->isEnabled()); });
  ModalBoxes boxes;
  SplitExactly({"30", "70"}, 100);

  EXPECT_TRUE(boxes.Seen().empty());
  EXPECT_THAT(lockedDuringSplit, ElementsAre(true, true));
  EXPECT_TRUE(Box()->isEnabled());
  EXPECT_TRUE(Box()->isChecked());
  // The stream's own first frames need no header frame in front of them;
  // the second piece opens with a fresh Info frame (at 36 bytes, after the
  // side information) stating its own frame count.
  const Bytes source = ReadBytes(path);
  EXPECT_EQ(ReadBytes(dir_.File("live-1.mp3")), Bytes(source.begin(), source.begin() + 30 * 417));
  const Bytes second = ReadBytes(dir_.File("live-2.mp3"));
  ASSERT_GT(second.size(), 48u);
  EXPECT_EQ(std::string(second.begin() + 36, second.begin() + 40), "Info");
  const std::size_t frames = (std::size_t{second[44]} << 24) | (std::size_t{second[45]} << 16) |
                             (std::size_t{second[46]} << 8) | second[47];
  EXPECT_EQ(frames, 40u + 2u);  // the cut frames and the frames the decoder needs before them
  EXPECT_FALSE(std::filesystem::exists(dir_.File("live-3.mp3")));
}

TEST_F(ExactCutsTest, TwoBreakpointsPastTheEndAreRefusedWithNothingWritten) {
  // 2,000 bytes of junk after the frames count as frames for the figures
  // (104 in all) but hold no audio.
  const std::string path = dir_.File("live.mp3");
  StreamBuilder().Frames(HeaderFields{}, 100).Junk(2000, 0x11).WriteTo(path);
  OpenThroughDialog(path);
  ModalBoxes boxes;
  SplitExactly({"102", "104"}, window_.Figures().FrameTotal);

  ASSERT_EQ(boxes.Seen().size(), 1u);
  EXPECT_EQ(boxes.Seen()[0].Title, "Error");
  EXPECT_EQ(boxes.Seen()[0].Text,
            "Piece 2 would hold no audio: breakpoints 102 and 104 both lie at or past the end of "
            "the audio");
  EXPECT_FALSE(std::filesystem::exists(dir_.File("live-1.mp3")));
  EXPECT_TRUE(Find<QFrame>("Output_Pan")->isEnabled());
  EXPECT_TRUE(Box()->isEnabled());
}

TEST_F(ExactCutsTest, AStreamThatChangesItsFormatIsRefused) {
  const std::string path = dir_.File("mixed.mp3");
  HeaderFields at48k;
  at48k.SampleRateIndex = 1;
  StreamBuilder().Frames(HeaderFields{}, 60).Frames(at48k, 40).WriteTo(path);
  OpenThroughDialog(path);
  ModalBoxes boxes;
  SplitExactly({"30"}, window_.Figures().FrameTotal);

  ASSERT_EQ(boxes.Seen().size(), 1u);
  EXPECT_EQ(boxes.Seen()[0].Text.toStdString(),
            "Exact cuts cannot be made in " + path +
                ": its audio changes from MPEG 1 Layer III at 44100 Hz to MPEG 1 Layer III at "
                "48000 Hz at byte " +
                std::to_string(60 * 417));
  EXPECT_FALSE(std::filesystem::exists(dir_.File("mixed-1.mp3")));
}

// Beside the box, a mark whose tool tip says why exact pieces of the open
// file cannot join sample for sample: shown for Layer I and II, not for
// Layer III.
TEST_F(ExactCutsTest, WarnsBesideTheBoxWhereJoinsCannotBeExact) {
  QLabel* mark = Find<QLabel>("ExactWarning_Lb");
  EXPECT_EQ(mark->parentWidget()->objectName(), "Info_Pan");
  EXPECT_TRUE(mark->isHidden());
  const std::string layerII = dir_.File("layer2.mp2");
  StreamBuilder().Frames(HeaderFields{3, 2, 10, 0}, 200).WriteTo(layerII);
  OpenThroughDialog(layerII);
  EXPECT_FALSE(mark->isHidden());
  EXPECT_TRUE(mark->toolTip().startsWith(
      "Exact pieces of this file will not join sample for sample: Layer II has no header frame"));
  EXPECT_GT(mark->x(), Box()->geometry().right());
  EXPECT_LE(mark->geometry().right(), Find<QFrame>("Info_Pan")->width());
  EXPECT_EQ(Box()->pos(), QPoint(45, 24));

  OpenThroughDialog(WriteMp3("live.mp3", 100));
  EXPECT_TRUE(mark->isHidden());
}

}  // namespace
}  // namespace brelvik::testing
