// Cue sheets as the common rippers and players write them, read into tracks;
// sheets that cannot be used, refused with their reason; and the breakpoint
// list written as a sheet and read back into the same list.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <limits>
#include <string>
#include <vector>

#include "TempDir.h"
#include "cue/CueBreakpoints.h"
#include "cue/CueSheet.h"
#include "io/StreamError.h"

namespace brelvik::cue {
namespace {

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using ::testing::HasSubstr;
using testing::TempDir;

struct Style {
  const char* Name;
  std::string Text;
  std::string File;
  std::vector<double> StartsMs;
  std::vector<std::string> Titles;
  std::vector<std::string> Performers;
  std::string Album;
  std::string AlbumPerformer;
};

void PrintTo(const Style& style, std::ostream* out) {
  *out << style.Name;
}

const Style kStyles[] = {
    {"RipperWithCrLfAndPregaps",
     "REM GENRE Rock\r\nREM DATE 1999\r\nREM DISCID 860B640B\r\nREM COMMENT \"ExactAudioCopy "
     "v1.6\"\r\n"
     "PERFORMER \"The Band\"\r\nTITLE \"Live at the Hall\"\r\nFILE \"Live at the Hall.mp3\" "
     "WAVE\r\n"
     "  TRACK 01 AUDIO\r\n    TITLE \"Opening\"\r\n    PERFORMER \"The Band\"\r\n"
     "    INDEX 01 00:00:00\r\n"
     "  TRACK 02 AUDIO\r\n    TITLE \"Second Song\"\r\n    PERFORMER \"The Band\"\r\n"
     "    INDEX 00 03:58:40\r\n    INDEX 01 04:00:00\r\n"
     "  TRACK 03 AUDIO\r\n    TITLE \"Encore\"\r\n    PERFORMER \"Guest\"\r\n"
     "    INDEX 00 09:10:00\r\n    INDEX 01 09:12:37\r\n",
     "Live at the Hall.mp3",
     {0, 240000, 552000 + 37 * 1000.0 / 75},
     {"Opening", "Second Song", "Encore"},
     {"The Band", "The Band", "Guest"},
     "Live at the Hall",
     "The Band"},
    {"UnquotedNamesAndLfOnly",
     "FILE set.mp3 MP3\nTRACK 1 AUDIO\nTITLE Intro\nINDEX 01 00:00:00\n"
     "TRACK 2 AUDIO\nTITLE Outro\nINDEX 01 1:02:03\n",
     "set.mp3",
     {0, 62000 + 3 * 1000.0 / 75},
     {"Intro", "Outro"},
     {"", ""},
     "",
     ""},
    {"Latin1Text",
     "PERFORMER \"Caf\xE9 Orchestra\"\nFILE \"caf\xE9.mp3\" MP3\n  TRACK 01 AUDIO\n"
     "    TITLE \"Ni\xF1o\"\n    INDEX 01 00:01:00\n",
     "caf\xC3\xA9.mp3",
     {1000},
     {"Ni\xC3\xB1o"},
     {""},
     "",
     "Caf\xC3\xA9 Orchestra"},
    {"Utf8WithByteOrderMark",
     "\xEF\xBB\xBFTITLE \"\xE6\x97\xA5\xE6\x9C\xAC\"\nFILE \"a.mp3\" MP3\n  TRACK 01 AUDIO\n"
     "    TITLE \"\xC3\x85ngstr\xC3\xB6m\"\n    INDEX 01 00:00:00\n  TRACK 02 AUDIO\n"
     "    INDEX 01 00:30:74\n",
     "a.mp3",
     {0, 30000 + 74 * 1000.0 / 75},
     {"\xC3\x85ngstr\xC3\xB6m", ""},
     {"", ""},
     "\xE6\x97\xA5\xE6\x9C\xAC",
     ""},
    {"FlagsAndPregapAndLongMinutes",
     "FILE \"book.mp3\" MP3\n  TRACK 01 AUDIO\n    FLAGS DCP\n    INDEX 01 00:00:00\n"
     "  TRACK 02 AUDIO\n    PREGAP 00:02:00\n    INDEX 01 125:00:00\n",
     "book.mp3",
     {0, 125 * 60000.0},
     {"", ""},
     {"", ""},
     "",
     ""},
};

class CueStyles : public ::testing::TestWithParam<Style> {};

TEST_P(CueStyles, ReadIntoTracks) {
  const Style& style = GetParam();
  const CueOutcome outcome = ParseCueSheet(style.Text, "test.cue");
  ASSERT_TRUE(outcome.Sheet) << outcome.Refusal;
  const CueSheet& sheet = *outcome.Sheet;
  EXPECT_EQ(sheet.File, style.File);
  EXPECT_EQ(sheet.Title, style.Album);
  EXPECT_EQ(sheet.Performer, style.AlbumPerformer);
  ASSERT_EQ(sheet.Tracks.size(), style.StartsMs.size());
  for (std::size_t i = 0; i < sheet.Tracks.size(); ++i) {
    EXPECT_NEAR(sheet.Tracks[i].StartMs, style.StartsMs[i], 1e-6) << "track " << i + 1;
    EXPECT_EQ(sheet.Tracks[i].Title, style.Titles[i]) << "track " << i + 1;
    EXPECT_EQ(sheet.Tracks[i].Performer, style.Performers[i]) << "track " << i + 1;
  }
  EXPECT_FALSE(sheet.EndMs);
}

INSTANTIATE_TEST_SUITE_P(Writers, CueStyles, ::testing::ValuesIn(kStyles),
                         [](const auto& param) { return std::string(param.param.Name); });

struct BadSheet {
  const char* Name;
  std::string Text;
  const char* Why;
};

const BadSheet kBadSheets[] = {
    {"NoTracks", "FILE \"a.mp3\" MP3\nTITLE \"x\"\n", "holds no audio track"},
    {"NoIndexOne", "FILE \"a.mp3\" MP3\n  TRACK 01 AUDIO\n    INDEX 00 00:00:00\n",
     "has no INDEX 01 for track 1"},
    {"TwoFiles",
     "FILE \"a.mp3\" MP3\n  TRACK 01 AUDIO\n    INDEX 01 00:00:00\n"
     "FILE \"b.mp3\" MP3\n  TRACK 02 AUDIO\n    INDEX 01 00:00:00\n",
     "more than one file"},
    {"OutOfOrder",
     "FILE \"a.mp3\" MP3\n  TRACK 01 AUDIO\n    INDEX 01 00:10:00\n"
     "  TRACK 02 AUDIO\n    INDEX 01 00:05:00\n",
     "not after the track before it"},
    {"NotASheet", "Hello, this is a letter.\nRegards\n", "holds no audio track"},
    {"BrokenTrackNumber", "FILE \"a.mp3\" MP3\n  TRACK xx AUDIO\n    INDEX 01 00:00:00\n",
     "cannot be read (line 2: TRACK takes a number and a mode"},
    {"TrackWithoutMode",
     "FILE \"a.mp3\" MP3\n  TRACK 01 AUDIO\n    INDEX 01 00:00:00\n  TRACK 02\n",
     "cannot be read (line 4: TRACK takes a number and a mode"},
    {"Binary", std::string("FILE \"a.mp3\" MP3\n\0\x01\x02", 20), "binary data"},
    {"Empty", "", "holds no audio track"},
    // libcue recovers from these and returns the other tracks, or wrong times.
    {"OneTrackWithoutIndexOne",
     "FILE a.mp3 MP3\nTRACK 01 AUDIO\nINDEX 01 00:00:00\nTRACK 02 AUDIO\nINDEX 00 00:03:00\n"
     "TRACK 03 AUDIO\nINDEX 01 00:12:00\n",
     "has no INDEX 01 for track 2"},
    {"TimeWithoutFrames",
     "FILE a.mp3 MP3\nTRACK 01 AUDIO\nINDEX 01 00:00:00\nTRACK 02 AUDIO\nINDEX 01 00:04:00\n"
     "TRACK 03 AUDIO\nINDEX 01 00:08\nTRACK 04 AUDIO\nINDEX 01 00:12:00\n",
     "has track 3's INDEX 01 at 00:08, which is no time mm:ss:ff (seconds under 60, frames under "
     "75)"},
    {"FramesPast74",
     "FILE a.mp3 MP3\nTRACK 01 AUDIO\nINDEX 01 00:00:00\nTRACK 02 AUDIO\n"
     "INDEX 01 00:04:99\n",
     "has track 2's INDEX 01 at 00:04:99, which is no time mm:ss:ff"},
    {"SecondsPast59", "FILE a.mp3 MP3\nTRACK 01 AUDIO\nINDEX 00 00:60:00\nINDEX 01 01:00:00\n",
     "has track 1's INDEX 00 at 00:60:00, which is no time"},
    {"IndexWithoutTime", "FILE a.mp3 MP3\nTRACK 01 AUDIO\nINDEX 01\n",
     "has track 1's INDEX 01 without a time"},
    {"MinutesOverflowingAnInt",
     "FILE a.mp3 MP3\nTRACK 01 AUDIO\nINDEX 01 00:00:00\nTRACK 02 AUDIO\nINDEX 01 99999999:00:00\n",
     "has track 2's INDEX 01 at 99999999:00:00, later than the 477218:35:22"},
    {"MinutesWrappingToASmallTime",
     "FILE a.mp3 MP3\nTRACK 01 AUDIO\nINDEX 01 00:00:00\nTRACK 02 AUDIO\nINDEX 01 4772186:00:00\n",
     "has track 2's INDEX 01 at 4772186:00:00, later than"},
    {"UnquotedTitleOfWords",
     "FILE a.mp3 MP3\nTRACK 01 AUDIO\nTITLE Hello World\nINDEX 01 00:00:00\n",
     "cannot be read (line 3: TITLE takes one text, in quotation marks when it holds blanks)"},
    {"TrackWithoutIndexBeforeAnother",
     "FILE a.mp3 MP3\nTRACK 01 AUDIO\nINDEX 01 00:00:00\nTRACK 02 AUDIO\nTRACK 03 AUDIO\n"
     "INDEX 01 00:01:00\n",
     "has no INDEX 01 for track 2"},
    {"StartAfterTheFirstTrack",
     "REM START 00:05:00\nFILE a.mp3 MP3\nTRACK 01 AUDIO\nINDEX 01 00:04:00\n",
     "starts at 00:05:00, after its first track starts (00:04:00)"},
};

class BadSheets : public ::testing::TestWithParam<BadSheet> {};

TEST_P(BadSheets, AreRefusedWithTheirReason) {
  const CueOutcome outcome = ParseCueSheet(GetParam().Text, "bad.cue");
  EXPECT_FALSE(outcome.Sheet);
  EXPECT_THAT(outcome.Refusal, HasSubstr("The cue sheet bad.cue"));
  EXPECT_THAT(outcome.Refusal, HasSubstr(GetParam().Why));
}

INSTANTIATE_TEST_SUITE_P(Sheets, BadSheets, ::testing::ValuesIn(kBadSheets),
                         [](const auto& param) { return std::string(param.param.Name); });

// Old Mac sheets end their lines with CR alone; any mix of line ends reads the same.
TEST(CueStyles, AnyLineEndsReadAlike) {
  for (const std::string end : {"\r", "\r\n", "\n\r"}) {
    const CueOutcome read =
        ParseCueSheet("REM END 00:20:00" + end + "FILE \"live.mp3\" MP3" + end + "TRACK 01 AUDIO" +
                          end + "INDEX 01 00:00:00" + end + "TRACK 02 AUDIO" + end +
                          "TITLE \"Late\"" + end + "INDEX 01 00:04:00" + end,
                      "night.cue");
    ASSERT_TRUE(read.Sheet) << read.Refusal;
    EXPECT_EQ(read.Sheet->File, "live.mp3");
    ASSERT_EQ(read.Sheet->Tracks.size(), 2u);
    EXPECT_EQ(read.Sheet->Tracks[1].StartMs, 4000);
    EXPECT_EQ(read.Sheet->Tracks[1].Title, "Late");
    EXPECT_EQ(read.Sheet->EndMs, 20000);
  }
}

// libcue's scanner keeps its state from one sheet to the next.
TEST(CueStyles, ASheetEndingInARemarkLeavesTheNextSheetReadable) {
  const std::string sheet = "FILE \"a.mp3\" MP3\n  TRACK 01 AUDIO\n    INDEX 01 00:00:00\n";
  ASSERT_TRUE(ParseCueSheet(sheet + "REM COMMENT no line end", "first.cue").Sheet);
  const CueOutcome next = ParseCueSheet(sheet, "next.cue");
  ASSERT_TRUE(next.Sheet) << next.Refusal;
  EXPECT_EQ(next.Sheet->File, "a.mp3");
}

TEST(CueFiles, ReadingRefusesWhatIsNoSheetFile) {
  TempDir dir;
  EXPECT_THAT(ReadCueSheet(dir.File("missing.cue")).Refusal, HasSubstr("missing.cue"));
  EXPECT_THAT(ReadCueSheet(dir.Path().string()).Refusal, HasSubstr("not a regular file"));
  testing::WriteBytes(dir.File("huge.cue"), testing::Bytes(2 << 20, 'A'));
  EXPECT_THAT(ReadCueSheet(dir.File("huge.cue")).Refusal, HasSubstr("too large"));
}

TEST(CueFiles, TheSheetNamesItsAudioInItsOwnFolder) {
  TempDir dir;
  testing::WriteBytes(dir.File("live.mp3"), {1, 2, 3});
  testing::WriteBytes(dir.File("other.mp3"), {1, 2, 3});
  CueSheet sheet;
  sheet.File = "C:\\Rips\\live.mp3";  // written on another system
  const std::string sheetPath = dir.File("live.cue");
  EXPECT_EQ(AudioPathOf(sheetPath, sheet), dir.File("live.mp3"));
  EXPECT_EQ(RefusalForAudio(sheetPath, sheet, dir.File("live.mp3")), "");
  EXPECT_THAT(RefusalForAudio(sheetPath, sheet, dir.File("other.mp3")),
              HasSubstr("is for " + dir.File("live.mp3") + ", not for " + dir.File("other.mp3")));
}

struct AudioLookup {
  const char* Name;
  std::string File;                // as the FILE line gives it
  std::vector<std::string> Files;  // what the folders hold, from the sheet's folder
  std::string Expected;            // from the sheet's folder
};

void PrintTo(const AudioLookup& lookup, std::ostream* out) {
  *out << lookup.Name;
}

const AudioLookup kLookups[] = {
    {"RelativePath", "../music/mix.mp3", {"../music/mix.mp3", "mix.mp3"}, "../music/mix.mp3"},
    {"RelativePathWithBackslashes", "music\\mix.mp3", {"music/mix.mp3"}, "music/mix.mp3"},
    {"RelativePathNotThereTakesTheName", "../gone/mix.mp3", {"mix.mp3"}, "mix.mp3"},
    {"AbsolutePathTakesTheName", "/nowhere/mix.mp3", {"mix.mp3"}, "mix.mp3"},
    {"Latin1NameOnTheDisk", "caf\xC3\xA9.mp3", {"caf\xE9.mp3"}, "caf\xE9.mp3"},
    {"Latin1RelativePath",
     "../m\xC3\xBAsica/caf\xC3\xA9.mp3",
     {"../m\xFAsica/caf\xE9.mp3"},
     "../m\xFAsica/caf\xE9.mp3"},
};

class AudioLookups : public ::testing::TestWithParam<AudioLookup> {};

TEST_P(AudioLookups, FindTheFileTheSheetNames) {
  const AudioLookup& lookup = GetParam();
  TempDir dir;
  const std::filesystem::path sheets = dir.Path() / "sheets";
  std::filesystem::create_directories(sheets);
  for (const std::string& file : lookup.Files) {
    std::filesystem::create_directories((sheets / file).parent_path());
    testing::WriteBytes((sheets / file).string(), {1});
  }
  CueSheet sheet;
  sheet.File = lookup.File;
  const std::string found = AudioPathOf((sheets / "w.cue").string(), sheet);
  EXPECT_EQ(std::filesystem::weakly_canonical(found),
            std::filesystem::weakly_canonical(sheets / lookup.Expected))
      << found;
  EXPECT_EQ(found.find("/../"), std::string::npos) << found;
}

INSTANTIATE_TEST_SUITE_P(Files, AudioLookups, ::testing::ValuesIn(kLookups),
                         [](const auto& param) { return std::string(param.param.Name); });

TEST(CueTimes, AreWrittenToTheNearestCdFrame) {
  EXPECT_EQ(CueTime(0), "00:00:00");
  EXPECT_EQ(CueTime(1000.0 / 75 * 0.6), "00:00:01");
  EXPECT_EQ(CueTime(59999), "01:00:00");
  EXPECT_EQ(CueTime(125 * 60000.0 + 13.3), "125:00:01");
  EXPECT_EQ(CueTime(-5), "00:00:00");
}

// Figures of common files: 128 and 320 kbit/s at 44.1 kHz, 64 kbit/s at
// 22.05 kHz, 32 kbit/s at 8 kHz (frames of 72 ms, longer than a CD frame).
const StreamFigures kFigures[] = {
    {128, 417, 10000, 26}, {320, 1044, 10000, 26}, {64, 208, 10000, 26}, {32, 288, 10000, 72}};

class ListRoundTrip : public ::testing::TestWithParam<StreamFigures> {};

// A list of these entries; without "0" when they hold none, as the window
// lets a person delete it.
BreakpointList ListOf(const std::vector<std::string>& entries) {
  BreakpointList list;
  for (const std::string& entry : entries) {
    list.AddCurrentFrame(entry);
  }
  if (std::find(entries.begin(), entries.end(), "0") == entries.end()) {
    list.Select(0);
    list.DeleteSelected();
  }
  return list;
}

TEST_P(ListRoundTrip, EveryFrameNumberReadsBack) {
  const StreamFigures& figures = GetParam();
  for (std::int32_t frame = 0; frame < 3000; ++frame) {
    const double ms = CueFramesMs(std::lround(TimeOfFrame(frame, figures) * 75 / 1000));
    ASSERT_EQ(FrameOfTime(ms, figures), frame) << CueTime(ms);
  }
}

TEST_P(ListRoundTrip, AWrittenSheetReadsBackIntoTheSameList) {
  const StreamFigures& figures = GetParam();
  constexpr std::int32_t kEnd = 9001;
  for (const std::vector<std::string>& entries :
       {std::vector<std::string>{"0", "1", "1200", "2401", "7777", "9001"},
        std::vector<std::string>{"0", "333", "4000"}, std::vector<std::string>{"0", "9001"},
        std::vector<std::string>{"38", "100"}, std::vector<std::string>{"1", "2", "9001"},
        std::vector<std::string>{"4000", "9001"}}) {
    const BreakpointList list = ListOf(entries);
    const CueSheet written = SheetOfList(list, figures, "/music/set.mp3", kEnd, std::nullopt);
    const CueOutcome read = ParseCueSheet(CueSheetText(written), "set.cue");
    ASSERT_TRUE(read.Sheet) << read.Refusal;
    EXPECT_EQ(read.Sheet->File, "set.mp3");

    BreakpointList filled;
    ASSERT_FALSE(FillList(*read.Sheet, figures, kEnd, filled));
    EXPECT_THAT(filled.Texts(), ElementsAreArray(entries));
  }
}

INSTANTIATE_TEST_SUITE_P(Figures, ListRoundTrip, ::testing::ValuesIn(kFigures),
                         [](const auto& param) {
                           return std::to_string(param.param.Kbps) + "kbps" +
                                  std::to_string(param.param.FrameBytes) + "bytes";
                         });

TEST(SheetOfList, KeepsTheNamesOfTheTracksItCameFrom) {
  const StreamFigures figures{128, 417, 30000, 26};
  const CueOutcome read = ParseCueSheet(kStyles[0].Text, "live.cue");
  ASSERT_TRUE(read.Sheet);
  BreakpointList list;
  ASSERT_FALSE(FillList(*read.Sheet, figures, 30000, list));
  list.AddCurrentFrame("15000");  // one more, by ear
  const CueSheet written = SheetOfList(list, figures, "live.mp3", 30000, read.Sheet);
  const CueOutcome again = ParseCueSheet(CueSheetText(written), "live.cue");
  ASSERT_TRUE(again.Sheet) << again.Refusal;
  EXPECT_EQ(again.Sheet->Title, "Live at the Hall");
  EXPECT_EQ(again.Sheet->Performer, "The Band");
  std::vector<std::string> titles;
  for (const CueTrack& track : again.Sheet->Tracks) {
    titles.push_back(track.Title);
  }
  EXPECT_THAT(titles, ElementsAre("Opening", "Second Song", "", "Encore"));
}

TEST(FillList, RefusesATrackPastTheEndOfTheFileNamingIt) {
  const StreamFigures figures{128, 417, 1000, 26};                    // 26 s of frames
  const CueOutcome read = ParseCueSheet(kStyles[1].Text, "set.cue");  // track 2 at 1:02:03
  ASSERT_TRUE(read.Sheet);
  BreakpointList list;
  const auto refusal = FillList(*read.Sheet, figures, 1000, list);
  ASSERT_TRUE(refusal);
  EXPECT_EQ(*refusal, "track 2 (01:02:03) lies past the end of the file, frame 1000");
}

// A variable-rate file whose first frame is smaller than its average one has
// list frames beyond its frame count; the player's B key adds them, and a
// sheet holding them reads back.
TEST(FillList, TakesFramesPastTheFrameCountUpToTheEnd) {
  const StreamFigures figures{154, 417, 2298, 21};
  BreakpointList list;
  list.AddCurrentFrame("1000");
  list.AddCurrentFrame("2538");
  const CueSheet written = SheetOfList(list, figures, "vbr.mp3", 2700, std::nullopt);
  const CueOutcome read = ParseCueSheet(CueSheetText(written), "vbr.cue");
  ASSERT_TRUE(read.Sheet) << read.Refusal;
  BreakpointList filled;
  EXPECT_FALSE(FillList(*read.Sheet, figures, 2700, filled));
  EXPECT_THAT(filled.Texts(), ElementsAre("0", "1000", "2538"));
}

// At 260 kbit/s with 417-byte frames a list frame lasts 12.8 ms, less than a
// CD frame: neighbours may share one, and the later moves on.
TEST(SheetOfList, TimesAscendWhereFramesAreShorterThanCdFrames) {
  const StreamFigures figures{260, 417, 20000, 12};
  for (std::int32_t first = 1; first < 400; ++first) {
    BreakpointList list;
    list.AddCurrentFrame(std::to_string(first));
    list.AddCurrentFrame(std::to_string(first + 1));
    list.AddCurrentFrame("5000");
    const CueOutcome read =
        ParseCueSheet(CueSheetText(SheetOfList(list, figures, "a.mp3", 6000, std::nullopt)), "a");
    ASSERT_TRUE(read.Sheet) << first << ": " << read.Refusal;
    ASSERT_EQ(read.Sheet->Tracks.size(), 3u);
    BreakpointList filled;
    ASSERT_FALSE(FillList(*read.Sheet, figures, 6000, filled));
    EXPECT_EQ(filled.Count(), 4) << first;  // the three starts ("0" first), the end
  }
}

TEST(CueLimits, MoreTracksThanASheetHoldsAreRefusedNotDropped) {
  std::string text = "FILE \"long.mp3\" MP3\n";
  for (int k = 1; k <= 120; ++k) {
    text += "TRACK " + std::to_string(k) + " AUDIO\nINDEX 01 " + std::to_string(k) + ":00:00\n";
  }
  const CueOutcome read = ParseCueSheet(text, "long.cue");
  EXPECT_FALSE(read.Sheet);
  EXPECT_EQ(read.Refusal,
            "The cue sheet long.cue holds 120 tracks, more than the 99 a cue sheet can hold");
}

TEST(CueLimits, AnEndBeforeTheLastTrackIsRefused) {
  const CueOutcome read = ParseCueSheet(
      "REM END 00:05:00\nFILE a.mp3 MP3\nTRACK 01 AUDIO\nINDEX 01 00:00:00\nTRACK 02 AUDIO\n"
      "INDEX 01 00:10:00\n",
      "a.cue");
  EXPECT_FALSE(read.Sheet);
  EXPECT_THAT(read.Refusal, HasSubstr("ends at 00:05:00, not after its last track starts"));
}

// A sheet with a start of its own has no piece before it; exact mode's first
// cut goes there, with a lead-in only when the first track starts later.
TEST(ExactRequests, StartAtTheSheetsStart) {
  const std::string tracks =
      "FILE a.mp3 MP3\nTRACK 01 AUDIO\nTITLE Uno\nINDEX 01 00:01:00\nTRACK 02 AUDIO\n"
      "INDEX 01 00:04:00\n";
  const struct {
    std::string Start;
    std::vector<double> Cuts;
    std::string FirstTitle;
  } cases[] = {{"", {0, 1000, 4000, exact::kEndOfStream}, ""},
               {"REM START 00:01:00\n", {1000, 4000, exact::kEndOfStream}, "Uno"},
               {"REM START 00:00:40\n", {40 * 1000.0 / 75, 1000, 4000, exact::kEndOfStream}, ""}};
  for (const auto& c : cases) {
    const CueOutcome read = ParseCueSheet(c.Start + tracks, "a.cue");
    ASSERT_TRUE(read.Sheet) << read.Refusal;
    std::vector<double> cuts;
    for (const exact::CutRequest& request : RequestsOfSheet(*read.Sheet)) {
      cuts.push_back(request.Milliseconds);
    }
    EXPECT_THAT(cuts, ElementsAreArray(c.Cuts)) << c.Start;
    const auto names = NamesOfSheet(*read.Sheet);
    ASSERT_EQ(names.size(), c.Cuts.size() - 1) << c.Start;
    EXPECT_EQ(names.front().Title, c.FirstTitle) << c.Start;
  }
}

TEST(ExactRequests, TakeTheSheetsTimesAsTheyAreAndNameEachPiece) {
  const CueOutcome read = ParseCueSheet(kStyles[2].Text, "cafe.cue");  // one track at 0:01
  ASSERT_TRUE(read.Sheet);
  const auto requests = RequestsOfSheet(*read.Sheet);
  ASSERT_EQ(requests.size(), 3u);
  EXPECT_EQ(requests[0].Milliseconds, 0);
  EXPECT_EQ(requests[1].Milliseconds, 1000);
  EXPECT_EQ(requests[2].Milliseconds, exact::kEndOfStream);
  const auto names = NamesOfSheet(*read.Sheet);
  ASSERT_EQ(names.size(), 2u);  // the lead-in, then the track
  EXPECT_EQ(names[0].Title, "");
  EXPECT_EQ(names[0].AlbumArtist, "Caf\xC3\xA9 Orchestra");
  EXPECT_EQ(names[1].Title, "Ni\xC3\xB1o");
}

// Names are written so that they read back: a backslash would escape the
// closing quotation mark.
TEST(WriteCueSheet, WritesTheTextAndNeverADevice) {
  TempDir dir;
  CueSheet sheet;
  sheet.File = dir.File("a.mp3");
  sheet.Tracks = {{1, 0, "One\\", ""}, {2, 61000, "", "Two's \"artist\""}};
  WriteCueSheet(dir.File("a.cue"), sheet);
  const auto bytes = testing::ReadBytes(dir.File("a.cue"));
  EXPECT_EQ(std::string(bytes.begin(), bytes.end()),
            "FILE \"a.mp3\" MP3\n  TRACK 01 AUDIO\n    TITLE \"One/\"\n    INDEX 01 00:00:00\n"
            "  TRACK 02 AUDIO\n    PERFORMER \"Two's 'artist'\"\n    INDEX 01 01:01:00\n");
  EXPECT_THROW(WriteCueSheet("/dev/null", sheet), EStreamError);
  std::filesystem::create_symlink("gone.cue", dir.File("b.cue"));
  EXPECT_THROW(WriteCueSheet(dir.File("b.cue"), sheet), EStreamError);
  EXPECT_TRUE(std::filesystem::is_symlink(dir.File("b.cue")));
}

// A sheet in another folder than its MP3 names it by its path from there, and
// reads back into the same file.
TEST(WriteCueSheet, NamesTheMp3FromTheSheetsFolder) {
  TempDir dir;
  std::filesystem::create_directories(dir.Path() / "music");
  std::filesystem::create_directories(dir.Path() / "sheets" / "live");
  const std::string mp3 = dir.File("music/mix.mp3");
  testing::WriteBytes(mp3, {1, 2, 3});
  CueSheet sheet;
  sheet.File = mp3;
  sheet.Tracks = {{1, 0, "", ""}};
  const struct {
    std::string Sheet;
    std::string File;
  } cases[] = {{dir.File("music/mix.cue"), "mix.mp3"},
               {dir.File("sheets/live/mix.cue"), "../../music/mix.mp3"},
               {dir.File("mix.cue"), "music/mix.mp3"}};
  for (const auto& c : cases) {
    WriteCueSheet(c.Sheet, sheet);
    const CueOutcome read = ReadCueSheet(c.Sheet);
    ASSERT_TRUE(read.Sheet) << read.Refusal;
    EXPECT_EQ(read.Sheet->File, c.File);
    EXPECT_EQ(RefusalForAudio(c.Sheet, *read.Sheet, mp3), "") << c.Sheet;
  }
}

// A name that is no UTF-8 is written as Latin-1 taken to UTF-8, and the sheet
// still finds it.
TEST(WriteCueSheet, WritesANameThatIsNoUtf8AsUtf8) {
  TempDir dir;
  const std::string mp3 = dir.File("caf\xE9.mp3");
  testing::WriteBytes(mp3, {1, 2, 3});
  CueSheet sheet;
  sheet.File = mp3;
  sheet.Tracks = {{1, 0, "Ni\xF1o", ""}};
  WriteCueSheet(dir.File("cafe.cue"), sheet);
  const auto bytes = testing::ReadBytes(dir.File("cafe.cue"));
  EXPECT_THAT(
      std::string(bytes.begin(), bytes.end()),
      HasSubstr("FILE \"caf\xC3\xA9.mp3\" MP3\n  TRACK 01 AUDIO\n    TITLE \"Ni\xC3\xB1o\""));
  const CueOutcome read = ReadCueSheet(dir.File("cafe.cue"));
  ASSERT_TRUE(read.Sheet) << read.Refusal;
  EXPECT_EQ(AudioPathOf(dir.File("cafe.cue"), *read.Sheet), mp3);
  EXPECT_EQ(RefusalForAudio(dir.File("cafe.cue"), *read.Sheet, mp3), "");
}

// libcue keeps "\"" inside a quoted name as it is, and reading takes a
// backslash for a folder separator: such names are refused before anything is
// written, where titles are only cleaned.
TEST(WriteCueSheet, RefusesANameThatWouldNotReadBack) {
  TempDir dir;
  const struct {
    std::string Name;
    std::string Why;
  } cases[] = {{"say \"hi\".mp3", "it holds a quotation mark"},
               {"a\\b.mp3", "it holds a backslash"},
               {"tab\there.mp3", "it holds a control character"}};
  for (const auto& c : cases) {
    CueSheet sheet;
    sheet.File = dir.File(c.Name);
    sheet.Tracks = {{1, 0, "", ""}};
    try {
      WriteCueSheet(dir.File("a.cue"), sheet);
      ADD_FAILURE() << c.Name << " was written";
    } catch (const ERefusedSplit& refusal) {
      EXPECT_EQ(std::string(refusal.what()),
                "The file name " + c.Name + " cannot be written in a cue sheet (" + c.Why + ")");
    }
    EXPECT_FALSE(std::filesystem::exists(dir.File("a.cue"))) << c.Name;
  }
  // A quotation mark in a folder of the path from the sheet counts as well.
  std::filesystem::create_directories(dir.Path() / "q\"x");
  CueSheet sheet;
  sheet.File = dir.File("q\"x/a.mp3");
  sheet.Tracks = {{1, 0, "", ""}};
  EXPECT_THROW(WriteCueSheet(dir.File("a.cue"), sheet), ERefusedSplit);
}

}  // namespace
}  // namespace brelvik::cue
