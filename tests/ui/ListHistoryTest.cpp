// Undo and redo over the breakpoint list's own operations: each change is a
// step that brings back the entries, their times and the sheet; a new file
// starts over; a selection is no step.
#include <gmock/gmock.h>

#include <vector>

#include "cue/CueSheet.h"
#include "session/Session.h"
#include "ui/BreakpointsController.h"
#include "ui/ListHistory.h"

namespace brelvik::testing {
namespace {

using ::testing::ElementsAre;
using Snapshot = ui::BreakpointsController::Snapshot;

// 417-byte frames at 128 kbit/s: 26.06 ms each, 1,000 frames.
Session Opened(const std::string& path = "/music/live.mp3") {
  SourceFile source;
  source.Path = path;
  source.Figures = {128, 417, 1000, 26};
  source.FileLength = 1000 * 417;
  return Session(std::move(source));
}

class ListHistoryTest : public ::testing::Test {
 protected:
  ListHistoryTest() { list_.Reset(Opened()); }

  std::vector<std::string> Texts() const { return list_.List().Texts(); }

  ui::BreakpointsController list_;
  ui::ListHistory history_{list_};
};

TEST_F(ListHistoryTest, EachChangeIsOneStepThatUndoesWithItsTimesAndRedoes) {
  std::vector<Snapshot> seen{list_.TakeSnapshot()};
  list_.AddCurrentFrame("38");
  seen.push_back(list_.TakeSnapshot());
  list_.AddTypedFrame("007");
  seen.push_back(list_.TakeSnapshot());
  list_.Move(2, 50, 1304.5);  // "38" to frame 50, keeping the time it was dropped at
  seen.push_back(list_.TakeSnapshot());
  list_.AddSilences({{2000, 400, -90}});
  seen.push_back(list_.TakeSnapshot());
  // A sheet opened for the file that is open.
  cue::CueSheet sheet;
  sheet.File = "live.mp3";
  sheet.Tracks = {{1, 0, "One", ""}, {2, 1000, "Two", ""}};
  Session withSheet = Opened();
  ASSERT_FALSE(withSheet.TakeSheet(sheet, "/music/live.cue", withSheet.EndFrameHeld()));
  list_.Reset(std::move(withSheet));
  seen.push_back(list_.TakeSnapshot());
  list_.Select(1);
  list_.DeleteSelected();
  seen.push_back(list_.TakeSnapshot());
  ASSERT_EQ(history_.Steps(), static_cast<int>(seen.size()) - 1);

  for (auto step = seen.rbegin() + 1; step != seen.rend(); ++step) {
    history_.Undo();
    EXPECT_EQ(list_.TakeSnapshot(), *step) << "undoing to step " << seen.rend() - step - 1;
  }
  EXPECT_FALSE(history_.CanUndo());
  EXPECT_THAT(Texts(), ElementsAre("0"));
  for (auto step = seen.begin() + 1; step != seen.end(); ++step) {
    history_.Redo();
    EXPECT_EQ(list_.TakeSnapshot(), *step);
  }
  EXPECT_FALSE(history_.CanRedo());
  // The times came back with the entries: the sheet's and the dropped one.
  history_.Undo();
  history_.Undo();
  history_.Undo();
  EXPECT_THAT(Texts(), ElementsAre("0", "007", "50"));
  EXPECT_EQ(list_.TimeOf(2), 1304.5);
  history_.Redo();
  history_.Redo();
  EXPECT_EQ(list_.Sheet(), sheet);
  EXPECT_EQ(list_.SheetPath(), "/music/live.cue");
  EXPECT_EQ(list_.TimeOf(1), 1000.0);
}

TEST_F(ListHistoryTest, GoesBackMoreThanAHundredSteps) {
  for (int frame = 1; frame <= 150; ++frame) {
    list_.Move(0, frame);
  }
  ASSERT_THAT(Texts(), ElementsAre("150"));
  for (int step = 0; step < 150; ++step) {
    history_.Undo();
  }
  EXPECT_THAT(Texts(), ElementsAre("0"));
  EXPECT_FALSE(history_.CanUndo());
}

TEST_F(ListHistoryTest, ANewFileStartsAnEmptyHistory) {
  list_.AddCurrentFrame("38");
  list_.Reset(Opened("/music/other.mp3"));
  EXPECT_FALSE(history_.CanUndo());
  EXPECT_FALSE(history_.CanRedo());
  list_.AddCurrentFrame("12");
  history_.Undo();
  EXPECT_THAT(Texts(), ElementsAre("0"));
}

TEST_F(ListHistoryTest, NothingChangedIsNoStep) {
  list_.AddCurrentFrame("38");
  list_.Select(0);
  list_.Refresh();              // the selection alone
  list_.AddCurrentFrame("38");  // already there
  list_.Move(1, 0);             // onto another entry: refused
  list_.Move(1, 1001);          // past the end: refused
  EXPECT_EQ(history_.Steps(), 1);
  EXPECT_THAT(Texts(), ElementsAre("0", "38"));
}

TEST_F(ListHistoryTest, AChangeAfterAnUndoDropsTheRedo) {
  list_.AddCurrentFrame("38");
  history_.Undo();
  list_.AddCurrentFrame("12");
  EXPECT_FALSE(history_.CanRedo());
  history_.Redo();
  EXPECT_THAT(Texts(), ElementsAre("0", "12"));
}

}  // namespace
}  // namespace brelvik::testing
