#include <gtest/gtest.h>

#include <optional>
#include <ostream>
#include <stdexcept>
#include <string>
#include <vector>

#include "BreakpointLists.h"
#include "split/BreakpointList.h"
#include "split/IntegerText.h"

namespace brelvik {
namespace {

using testing::ListOf;
using Texts = std::vector<std::string>;

enum class Add { Current, Typed };

struct AddCase {
  const char* Name;
  Texts Start;
  Add How;
  std::string Text;
  Texts Expected;
  std::optional<int> InsertedAt;
  std::string Refusal;
};

void PrintTo(const AddCase& row, std::ostream* out) {
  *out << row.Name;
}

class BreakpointAdd : public ::testing::TestWithParam<AddCase> {};

TEST_P(BreakpointAdd, KeepsTheListAscendingAndUnique) {
  const auto& c = GetParam();
  BreakpointList list = ListOf(c.Start);
  ASSERT_EQ(list.Texts(), c.Start);

  const AddOutcome outcome =
      c.How == Add::Current ? list.AddCurrentFrame(c.Text) : list.AddTypedFrame(c.Text, 900);
  EXPECT_EQ(list.Texts(), c.Expected);
  EXPECT_EQ(outcome.InsertedAt, c.InsertedAt);
  EXPECT_EQ(outcome.Refusal, c.Refusal);
  if (c.InsertedAt) {
    EXPECT_EQ(list.Selected(), *c.InsertedAt);
  }
}

// Frame total 900 throughout.
INSTANTIATE_TEST_SUITE_P(
    Rules, BreakpointAdd,
    ::testing::Values(
        AddCase{"EmptyListTakesZero", {}, Add::Current, "0", {"0"}, 0, ""},
        AddCase{"CurrentZeroAlreadyThere", {"0"}, Add::Current, "0", {"0"}, std::nullopt, ""},
        AddCase{"BetweenTwo", {"0", "500"}, Add::Typed, "250", {"0", "250", "500"}, 1, ""},
        AddCase{"CurrentBetweenTwo", {"0", "500"}, Add::Current, "250", {"0", "250", "500"}, 1, ""},
        AddCase{"Appended", {"0", "500"}, Add::Typed, "900", {"0", "500", "900"}, 2, ""},
        AddCase{"TypedDuplicate", {"0", "500"}, Add::Typed, "500", {"0", "500"}, std::nullopt, ""},
        AddCase{"BeforeTheFirst", {"5", "500"}, Add::Typed, "3", {"3", "5", "500"}, 0, ""},
        // A whole-text match only: "50" is not found in "500" and goes in by value.
        AddCase{"NoPartialTextMatch", {"0", "500"}, Add::Current, "50", {"0", "50", "500"}, 1, ""},
        // The text search misses, the walk meets the equal value.
        AddCase{"LeadingZerosEqualByValue",
                {"0", "007"},
                Add::Current,
                "7",
                {"0", "007"},
                std::nullopt,
                ""},
        AddCase{"SignedTextEqualByValue",
                {"0", "500"},
                Add::Current,
                "+500",
                {"0", "500"},
                std::nullopt,
                ""},
        AddCase{"TypedKeepsLeadingZeros",
                {"0", "5", "20"},
                Add::Typed,
                "0012",
                {"0", "5", "0012", "20"},
                2,
                ""},
        AddCase{"EqualToFrameTotal", {"0"}, Add::Typed, "900", {"0", "900"}, 1, ""},
        AddCase{"OneAboveFrameTotal",
                {"0"},
                Add::Typed,
                "901",
                {"0"},
                std::nullopt,
                "Maximum number of frames: 900"},
        AddCase{"EmptyText",
                {"0"},
                Add::Typed,
                "",
                {"0"},
                std::nullopt,
                "Insert a number of frames from 0 to: 900"},
        AddCase{"PastedNegativeIntoEmpty", {}, Add::Typed, "-3", {"-3"}, 0, ""},
        AddCase{
            "PastedNegativeGoesFirst", {"0", "500"}, Add::Typed, "-3", {"-3", "0", "500"}, 0, ""}));

struct BadText {
  const char* Name;
  Add How;
  std::string Text;
};

void PrintTo(const BadText& row, std::ostream* out) {
  *out << row.Name;
}

class BreakpointAddNotANumber : public ::testing::TestWithParam<BadText> {};

TEST_P(BreakpointAddNotANumber, RaisesAndLeavesTheListAlone) {
  const auto& c = GetParam();
  BreakpointList list = ListOf({"0", "500"});
  try {
    c.How == Add::Current ? list.AddCurrentFrame(c.Text) : list.AddTypedFrame(c.Text, 900);
    FAIL() << "'" << c.Text << "' was taken";
  } catch (const EConvertError& error) {
    EXPECT_EQ(std::string(error.what()), "'" + c.Text + "' is not a valid integer value");
  }
  EXPECT_EQ(list.Texts(), (Texts{"0", "500"}));
}

INSTANTIATE_TEST_SUITE_P(Texts, BreakpointAddNotANumber,
                         ::testing::Values(BadText{"TypedLetters", Add::Typed, "12a"},
                                           BadText{"TypedTooLarge", Add::Typed, "2147483648"},
                                           BadText{"TypedSpace", Add::Typed, " 7"},
                                           BadText{"CurrentLetters", Add::Current, "abc"}));

struct DeleteCase {
  const char* Name;
  Texts Start;
  int Select;
  Texts Expected;
  int SelectedAfter;
};

void PrintTo(const DeleteCase& row, std::ostream* out) {
  *out << row.Name;
}

class BreakpointDelete : public ::testing::TestWithParam<DeleteCase> {};

TEST_P(BreakpointDelete, RemovesTheSelectedEntry) {
  const auto& c = GetParam();
  BreakpointList list = ListOf(c.Start);
  list.Select(c.Select);
  list.DeleteSelected();
  EXPECT_EQ(list.Texts(), c.Expected);
  EXPECT_EQ(list.Selected(), c.SelectedAfter);
}

INSTANTIATE_TEST_SUITE_P(
    Rules, BreakpointDelete,
    ::testing::Values(
        DeleteCase{"MiddleSelectsTheNext", {"0", "10", "20", "30"}, 1, {"0", "20", "30"}, 1},
        DeleteCase{"LastSelectsTheNewLast", {"0", "10", "20"}, 2, {"0", "10"}, 1},
        DeleteCase{"ZeroCanGo", {"0", "10", "20"}, 0, {"10", "20"}, 0},
        DeleteCase{"OnlyEntryLeavesNothingSelected", {"0"}, 0, {}, -1},
        DeleteCase{"NothingSelected", {"0", "10"}, -1, {"0", "10"}, -1},
        DeleteCase{"SelectionOutOfRangeIsNone", {"0", "10"}, 2, {"0", "10"}, -1}));

TEST(BreakpointListState, StartsAndResetsToTheSingleZero) {
  BreakpointList list;
  EXPECT_EQ(list.Texts(), Texts{"0"});
  EXPECT_EQ(list.Selected(), -1);

  list.AddTypedFrame("40", 900);
  list.AddTypedFrame("20", 900);
  list.Reset();
  EXPECT_EQ(list.Texts(), Texts{"0"});
  EXPECT_EQ(list.Selected(), -1);
}

TEST(BreakpointListState, CountAndValueReadTheNumbers) {
  const BreakpointList list = ListOf({"-3", "0", "007", "0012", "+40"});
  ASSERT_EQ(list.Count(), 5);
  const std::vector<std::int32_t> expected = {-3, 0, 7, 12, 40};
  for (int i = 0; i < list.Count(); ++i) {
    EXPECT_EQ(list.Value(i), expected[static_cast<std::size_t>(i)]) << "entry " << i;
  }
}

struct MoveCase {
  const char* Name;
  int Index;
  std::int32_t Frame;
  Texts Expected;
  std::optional<int> NowAt;
  std::string Refusal;
};

void PrintTo(const MoveCase& row, std::ostream* out) {
  *out << row.Name;
}

class BreakpointMove : public ::testing::TestWithParam<MoveCase> {};

// From {"0", "007", "20", "500"}, "007" selected and timed, frame total 900.
TEST_P(BreakpointMove, AppliesTheAddsRefusalsAndKeepsARefusedEntry) {
  const auto& c = GetParam();
  BreakpointList list = ListOf({"0", "20", "500"});
  list.AddTypedFrame("007", 900, 290.0);
  ASSERT_EQ(list.Selected(), 1);

  const MoveOutcome outcome = list.Move(c.Index, c.Frame, 900, 1234.5);
  EXPECT_EQ(list.Texts(), c.Expected);
  EXPECT_EQ(outcome.NowAt, c.NowAt);
  EXPECT_EQ(outcome.Refusal, c.Refusal);
  if (c.NowAt) {
    EXPECT_EQ(list.Selected(), *c.NowAt);
    EXPECT_EQ(list.TimeMs(*c.NowAt), 1234.5);
  } else {
    EXPECT_EQ(list.Selected(), 1);
    EXPECT_EQ(list.TimeMs(1), 290.0) << "a refused move keeps the entry's time";
  }
}

INSTANTIATE_TEST_SUITE_P(
    Table, BreakpointMove,
    ::testing::Values(MoveCase{"PastTheNextEntry", 1, 300, {"0", "20", "300", "500"}, 2, ""},
                      MoveCase{"BeforeThePrevious", 2, 3, {"0", "3", "007", "500"}, 1, ""},
                      MoveCase{"ToTheEnd", 0, 900, {"007", "20", "500", "900"}, 3, ""},
                      MoveCase{"OntoItselfTakesTheTime", 1, 7, {"0", "7", "20", "500"}, 1, ""},
                      MoveCase{"OntoAnother", 1, 20, {"0", "007", "20", "500"}, std::nullopt, ""},
                      MoveCase{"PastFrameTotal",
                               1,
                               901,
                               {"0", "007", "20", "500"},
                               std::nullopt,
                               "Maximum number of frames: 900"},
                      MoveCase{"BelowZero",
                               1,
                               -1,
                               {"0", "007", "20", "500"},
                               std::nullopt,
                               "Insert a number of frames from 0 to: 900"}));

TEST(BreakpointMove, NoEntryAtTheIndexRaises) {
  BreakpointList list;
  EXPECT_THROW(list.Move(1, 5, 900), std::out_of_range);
  EXPECT_EQ(list.Texts(), Texts{"0"});
}

TEST(BreakpointListTimes, AnEntryAlreadyThereKeepsItsTime) {
  BreakpointList list;
  list.AddCurrentFrame("40", 1000.0);
  list.AddCurrentFrame("40", 1020.0);
  list.AddTypedFrame("40", 900, 1030.0);
  ASSERT_EQ(list.Texts(), (Texts{"0", "40"}));
  EXPECT_EQ(list.TimeMs(0), std::nullopt);
  EXPECT_EQ(list.TimeMs(1), 1000.0);
}

}  // namespace
}  // namespace brelvik
