// The controller every change of the window's list goes through: each change
// is announced exactly once and nothing else is, a snapshot brings back all an
// undo needs, and the session's refusals reach the window as they stand.
#include <gmock/gmock.h>

#include <QSignalSpy>
#include <functional>

#include "ui/BreakpointsController.h"

namespace brelvik::testing {
namespace {

using ::testing::ElementsAre;
using ui::BreakpointsController;

// 100 frames of 417 bytes at 128 kbit/s (26.06 ms each).
Session HundredFrames(const std::string& path = "/music/live.mp3") {
  SourceFile source;
  source.Path = path;
  source.Figures = {128, 417, 100, 26};
  source.FileLength = 100 * 417;
  return Session(std::move(source));
}

cue::CueSheet TwoTracks() {
  cue::CueSheet sheet;
  sheet.File = "live.mp3";
  sheet.Tracks = {{1, 0, "Early", ""}, {2, 1000, "Late", ""}};
  return sheet;
}

class BreakpointsControllerTest : public ::testing::Test {
 protected:
  BreakpointsControllerTest() { controller_.Reset(HundredFrames()); }

  std::vector<std::string> Texts() const { return controller_.List().Texts(); }

  BreakpointsController controller_;
};

struct Step {
  const char* Name;
  std::function<void(BreakpointsController&)> Do;
  int Changes;  // how often Changed is emitted
};

class AnnouncedChangeTest : public BreakpointsControllerTest,
                            public ::testing::WithParamInterface<Step> {};

TEST_P(AnnouncedChangeTest, EachChangeIsAnnouncedOnceAndNothingElseIs) {
  controller_.AddTypedFrame("50");
  controller_.Select(1);
  QSignalSpy changed(&controller_, &BreakpointsController::Changed);
  const std::vector<Breakpoint> before = controller_.List().Entries();
  GetParam().Do(controller_);
  EXPECT_EQ(changed.count(), GetParam().Changes);
  // The selection is no part of the change.
  EXPECT_EQ(controller_.List().Entries() != before, GetParam().Changes > 0)
      << "announced exactly when the entries changed";
}

const Step kSteps[] = {
    {"NewFrame", [](auto& c) { c.AddCurrentFrame("20"); }, 1},
    {"FrameAlreadyThere", [](auto& c) { c.AddCurrentFrame("50"); }, 0},
    {"TypedFrame", [](auto& c) { c.AddTypedFrame("70"); }, 1},
    {"TypedPastTheEnd", [](auto& c) { c.AddTypedFrame("101"); }, 0},
    {"Move", [](auto& c) { c.Move(1, 60, 1570.0); }, 1},
    {"MoveOntoAnother", [](auto& c) { c.Move(1, 0); }, 0},
    {"MovePastTheEnd", [](auto& c) { c.Move(1, 101); }, 0},
    {"Delete", [](auto& c) { c.DeleteSelected(); }, 1},
    {"DeleteWithoutSelection",
     [](auto& c) {
       c.Select(-1);
       c.DeleteSelected();
     },
     0},
    {"SelectionAlone", [](auto& c) { c.Select(0); }, 0},
    {"Silences",
     [](auto& c) {
       c.AddSilences({{2000, 400, -80}});
     },
     1},
    {"NoSilences", [](auto& c) { c.AddSilences({}); }, 0},
    {"Restore", [](auto& c) { c.Restore({}); }, 1},
    {"NewFile", [](auto& c) { c.Reset(HundredFrames()); }, 1},
};

INSTANTIATE_TEST_SUITE_P(Steps, AnnouncedChangeTest, ::testing::ValuesIn(kSteps),
                         [](const auto& step) { return std::string(step.param.Name); });

TEST_F(BreakpointsControllerTest, ANewFileIsAnnouncedBeforeItsList) {
  std::vector<std::string> heard;
  QObject::connect(&controller_, &BreakpointsController::NewFile, [&] {
    heard.push_back("new file " + std::to_string(controller_.List().Count()));
  });
  QObject::connect(&controller_, &BreakpointsController::Changed,
                   [&] { heard.push_back("changed"); });
  Session withSheet = HundredFrames("/music/other.mp3");
  ASSERT_FALSE(withSheet.TakeSheet(TwoTracks(), "/music/other.cue", withSheet.EndFrameHeld()));
  controller_.Reset(std::move(withSheet));
  EXPECT_THAT(heard, ElementsAre("new file 3", "changed"));
  EXPECT_EQ(controller_.SheetPath(), "/music/other.cue");

  // A sheet for the file already open changes its list only.
  heard.clear();
  Session sameFile = HundredFrames("/music/other.mp3");
  controller_.Reset(std::move(sameFile));
  EXPECT_THAT(heard, ElementsAre("changed"));
}

// Entries from times, the selection, the sheet and its path all come back.
TEST_F(BreakpointsControllerTest, ASnapshotBringsBackTheListAsItWas) {
  Session withSheet = HundredFrames();
  ASSERT_FALSE(withSheet.TakeSheet(TwoTracks(), "/music/live.cue", withSheet.EndFrameHeld()));
  controller_.Reset(std::move(withSheet));
  controller_.AddTypedFrame("007");
  controller_.Select(2);
  const BreakpointsController::Snapshot taken = controller_.TakeSnapshot();

  controller_.Restore({});
  controller_.AddSilences({{2000, 400, -80}});
  ASSERT_FALSE(controller_.Sheet());
  ASSERT_NE(controller_.TakeSnapshot(), taken);

  controller_.Restore(taken);
  EXPECT_EQ(controller_.TakeSnapshot(), taken);
  EXPECT_THAT(Texts(), ElementsAre("0", "007", "38", "100"));
  EXPECT_EQ(controller_.List().Selected(), 2);
  EXPECT_EQ(controller_.TimeOf(2), 1000.0);
  EXPECT_EQ(controller_.Sheet(), TwoTracks());
  EXPECT_EQ(controller_.SheetPath(), "/music/live.cue");
}

// A marker dragged on the waveform keeps the time it was dropped at; one
// dragged onto another entry or past the end stays where it was.
TEST_F(BreakpointsControllerTest, AMoveKeepsItsTimeAndARefusedOneChangesNothing) {
  controller_.AddTypedFrame("50");
  const MoveOutcome moved = controller_.Move(1, 60, 1570.0);
  EXPECT_EQ(moved.NowAt, 1);
  EXPECT_THAT(Texts(), ElementsAre("0", "60"));
  EXPECT_EQ(controller_.TimeOf(1), 1570.0);
  EXPECT_EQ(controller_.TimeText(1), "00:01.570");

  const auto before = controller_.TakeSnapshot();
  EXPECT_EQ(controller_.Move(1, 101).Refusal, "Maximum number of frames: 100");
  EXPECT_EQ(controller_.TakeSnapshot(), before);
}

// A file whose header states no frames allows no breakpoint; the reason is
// said once.
TEST_F(BreakpointsControllerTest, TheReasonAFileAllowsNoBreakpointIsSaidOnce) {
  SourceFile empty;
  empty.Path = "/music/empty.mp3";
  empty.Figures = {128, 417, 0, 26};
  controller_.Reset(Session(std::move(empty)));
  EXPECT_EQ(controller_.AddTypedFrame("5").Refusal,
            "Maximum number of frames: 0 (the file's header states 0 frames)");
  EXPECT_EQ(controller_.Move(0, 5).Refusal,
            "Maximum number of frames: 0 (the file's header states 0 frames)");
}

TEST_F(BreakpointsControllerTest, TheEndOfTheStreamHasNoHint) {
  Session withSheet = HundredFrames();
  ASSERT_FALSE(withSheet.TakeSheet(TwoTracks(), "/music/live.cue", withSheet.EndFrameHeld()));
  controller_.Reset(std::move(withSheet));
  EXPECT_EQ(controller_.TimeText(0), "00:00.000");
  EXPECT_EQ(controller_.TimeText(1), "00:01.000");
  EXPECT_EQ(controller_.TimeText(2), "");
}

}  // namespace
}  // namespace brelvik::testing
