#include <gtest/gtest.h>

#include <ostream>
#include <string>

#include "split/OutputNaming.h"

namespace brelvik {
namespace {

struct PathCase {
  std::string Path;
  std::string Extension;
  std::string FileName;
  std::string PureName;
  std::string Template;
};

void PrintTo(const PathCase& row, std::ostream* out) {
  *out << ::testing::PrintToString(row.Path);
}

class PathParts : public ::testing::TestWithParam<PathCase> {};

TEST_P(PathParts, SplitAtTheLastSlashAndDot) {
  const auto& c = GetParam();
  EXPECT_EQ(ExtensionOf(c.Path), c.Extension);
  EXPECT_EQ(FileNamePart(c.Path), c.FileName);
  EXPECT_EQ(ExtractPureName(c.Path), c.PureName);
  EXPECT_EQ(MakeTemplate(c.Path), c.Template);
}

// "\" and ":" are ordinary characters in POSIX names.
INSTANTIATE_TEST_SUITE_P(
    Paths, PathParts,
    ::testing::Values(
        PathCase{"/music/live.mp3", ".mp3", "live.mp3", "/music/live", "/music/live-%track%.mp3"},
        PathCase{"/x/set", "", "set", "/x/set", "/x/set-%track%"},
        PathCase{"/my.music/set", "", "set", "/my.music/set", "/my.music/set-%track%"},
        PathCase{"/a.b/c.d/e.mp3", ".mp3", "e.mp3", "/a.b/c.d/e", "/a.b/c.d/e-%track%.mp3"},
        PathCase{"/m/live.tar.mp3", ".mp3", "live.tar.mp3", "/m/live.tar",
                 "/m/live.tar-%track%.mp3"},
        PathCase{"/m/live.", ".", "live.", "/m/live", "/m/live-%track%."},
        PathCase{"/m/.mp3", ".mp3", ".mp3", "/m/", "/m/-%track%.mp3"},
        PathCase{"live.mp3", ".mp3", "live.mp3", "live", "live-%track%.mp3"},
        PathCase{"/music/", "", "", "/music/", "/music/-%track%"},
        PathCase{"a.b\\c", ".b\\c", "a.b\\c", "a", "a-%track%.b\\c"},
        PathCase{"/m/a.b:c", ".b:c", "a.b:c", "/m/a", "/m/a-%track%.b:c"},
        PathCase{"", "", "", "", "-%track%"}));

struct PieceCase {
  const char* Name;
  std::string Template;
  int Piece;
  std::string Expected;
};

void PrintTo(const PieceCase& row, std::ostream* out) {
  *out << row.Name;
}

class PieceNames : public ::testing::TestWithParam<PieceCase> {};

TEST_P(PieceNames, ReplaceTheFirstPlaceholder) {
  const auto& c = GetParam();
  EXPECT_EQ(PieceName(c.Template, c.Piece), c.Expected);
}

INSTANTIATE_TEST_SUITE_P(
    Templates, PieceNames,
    ::testing::Values(
        PieceCase{"Third", "/music/live-%track%.mp3", 3, "/music/live-3.mp3"},
        PieceCase{"NoLeadingZeros", "/music/live-%track%.mp3", 1, "/music/live-1.mp3"},
        PieceCase{"SeveralDigits", "/music/live-%track%.mp3", 120, "/music/live-120.mp3"},
        PieceCase{"NoExtension", "/x/set-%track%", 2, "/x/set-2"},
        PieceCase{"OnlyTheFirst", "/a-%track%/b-%track%.mp3", 2, "/a-2/b-%track%.mp3"},
        PieceCase{"CaseSensitive", "/m/live-%TRACK%.mp3", 2, "/m/live-%TRACK%.mp3"},
        PieceCase{"NeedsTheDash", "/m/live%track%.mp3", 2, "/m/live%track%.mp3"},
        PieceCase{"UpperCaseFirst", "/m/a-%Track%-%track%.mp3", 4, "/m/a-%Track%-4.mp3"},
        PieceCase{"NoPlaceholderFirst", "/m/live.mp3", 1, "/m/live.mp3"},
        PieceCase{"NoPlaceholderLater", "/m/live.mp3", 7, "/m/live.mp3"}));

}  // namespace
}  // namespace brelvik
