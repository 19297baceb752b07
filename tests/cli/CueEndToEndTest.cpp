// `brelvik-split cue`, `split --cue`, `silences` and `split --at-silences`,
// run as a program on files encoded with lame.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <taglib/id3v2tag.h>
#include <taglib/mpegfile.h>

#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>

#include "CliRun.h"
#include "Lame.h"
#include "ReferenceDecode.h"
#include "SoxAudio.h"
#include "TempDir.h"

namespace brelvik::testing {
namespace {

using ::testing::HasSubstr;

void WriteText(const std::string& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

// A 10-second constant-rate file, shared by the cue tests.
class CueCommand : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    dir_ = new TempDir;
    source_ = new std::string(
        EncodeWithLame(*dir_, "concert", {.Seconds = 10.0, .LameArgs = {"-b", "128"}}));
  }
  static void TearDownTestSuite() {
    delete source_;
    delete dir_;
  }
  void TearDown() override {
    for (const auto& entry : std::filesystem::directory_iterator(dir_->Path())) {
      const std::string name = entry.path().filename().string();
      if (name.find('-') != std::string::npos || entry.path().extension() == ".cue") {
        std::filesystem::remove(entry.path());
      }
    }
  }

  static std::string Piece(const std::string& stem, int k) {
    return dir_->File(stem + "-" + std::to_string(k) + ".mp3");
  }

  static TempDir* dir_;
  static std::string* source_;
};

TempDir* CueCommand::dir_ = nullptr;
std::string* CueCommand::source_ = nullptr;

TEST_F(CueCommand, AWrittenSheetSplitsAsItsBreakpointsDo) {
  const CommandResult written = RunSplitter({"cue", *source_, "0:02.5", "150", "--to-end"});
  ASSERT_EQ(written.ExitCode, 0) << written.Err;
  const std::string sheet = dir_->File("concert.cue");
  EXPECT_EQ(written.Out, sheet + ": 3 tracks\n");

  ASSERT_EQ(
      RunSplitter({"split", *source_, "0:02.5", "150", "--to-end", "-o", dir_->File("direct.mp3")})
          .ExitCode,
      0);
  const CommandResult fromSheet =
      RunSplitter({"split", *source_, "--cue", sheet, "-o", dir_->File("sheet.mp3")});
  ASSERT_EQ(fromSheet.ExitCode, 0) << fromSheet.Err;
  for (int k = 1; k <= 3; ++k) {
    EXPECT_EQ(ReadBytes(Piece("direct", k)), ReadBytes(Piece("sheet", k))) << "piece " << k;
  }
  EXPECT_FALSE(std::filesystem::exists(Piece("sheet", 4)));
}

TEST_F(CueCommand, AListThatStopsShortOfTheEndKeepsItsLastBreakpoint) {
  ASSERT_EQ(RunSplitter({"cue", *source_, "100", "200", "-o", dir_->File("short.cue")}).ExitCode,
            0);
  ASSERT_EQ(RunSplitter({"split", *source_, "--cue", dir_->File("short.cue")}).ExitCode, 0);
  EXPECT_EQ(std::filesystem::file_size(Piece("concert", 2)), 100u * 417u);
  EXPECT_FALSE(std::filesystem::exists(Piece("concert", 3)));
}

TEST_F(CueCommand, ExactPiecesCarryTheSheetsNames) {
  WriteText(dir_->File("named.cue"),
            "PERFORMER \"The Band\"\r\nTITLE \"Live\"\r\nFILE \"concert.mp3\" MP3\r\n"
            "  TRACK 01 AUDIO\r\n    TITLE \"Opening\"\r\n    INDEX 01 00:00:00\r\n"
            "  TRACK 02 AUDIO\r\n    TITLE \"Caf\xE9\"\r\n    PERFORMER \"Guest\"\r\n"
            "    INDEX 01 00:04:30\r\n");
  const CommandResult result =
      RunSplitter({"split", *source_, "--cue", dir_->File("named.cue"), "--exact"});
  ASSERT_EQ(result.ExitCode, 0) << result.Err;
  const struct {
    const char* Title;
    const char* Artist;
  } expected[] = {{"Opening", "The Band"}, {"Caf\xC3\xA9", "Guest"}};
  for (int k = 1; k <= 2; ++k) {
    TagLib::MPEG::File piece(Piece("concert", k).c_str());
    ASSERT_TRUE(piece.hasID3v2Tag()) << k;
    const auto* tag = piece.ID3v2Tag();
    EXPECT_EQ(tag->title().to8Bit(true), expected[k - 1].Title);
    // The track's performer, or the album's when the track names none.
    EXPECT_EQ(tag->artist().to8Bit(true), k == 2 ? "Guest" : "The Band");
    EXPECT_EQ(tag->album().to8Bit(true), "Live");
    EXPECT_EQ(tag->track(), static_cast<unsigned>(k));
  }
  // The second piece starts where the sheet says, 4.4 s in, to half a frame.
  const ReferenceDecode first = DecodeAsPlayer(Piece("concert", 1));
  EXPECT_NEAR(static_cast<double>(first.Frames()), 4.4 * 44100, 576);
}

TEST_F(CueCommand, SheetsThatDoNotFitAreRefusedBeforeWriting) {
  WriteText(dir_->File("other.cue"),
            "FILE \"other.mp3\" MP3\n TRACK 01 AUDIO\n INDEX 01 00:00:00\n");
  WriteText(dir_->File("late.cue"),
            "FILE \"concert.mp3\" MP3\n TRACK 01 AUDIO\n INDEX 01 00:00:00\n"
            " TRACK 02 AUDIO\n INDEX 01 05:00:00\n");
  const struct {
    std::string Sheet;
    std::vector<std::string> Extra;
    std::string Says;
  } cases[] = {
      {"other.cue", {}, "is for " + dir_->File("other.mp3") + ", not for " + *source_},
      {"late.cue", {}, "track 2 (05:00:00) lies past the end of the file"},
      {"missing.cue", {}, "missing.cue"},
  };
  for (const auto& c : cases) {
    const CommandResult result = RunSplitter({"split", *source_, "--cue", dir_->File(c.Sheet)});
    EXPECT_EQ(result.ExitCode, c.Sheet == "missing.cue" ? 2 : 1) << c.Sheet;
    EXPECT_THAT(result.Err, HasSubstr(c.Says));
    EXPECT_FALSE(std::filesystem::exists(Piece("concert", 1)));
  }
  // A sheet comes instead of breakpoints, not beside them.
  const CommandResult both =
      RunSplitter({"split", *source_, "--cue", dir_->File("late.cue"), "100"});
  EXPECT_GT(both.ExitCode, 3);
  // The sheet never takes the MP3's place.
  const CommandResult over = RunSplitter({"cue", *source_, "100", "-o", *source_});
  EXPECT_EQ(over.ExitCode, 1);
  EXPECT_THAT(over.Err, HasSubstr("would overwrite the MP3 file"));
}

// A list read from a sheet with a start of its own begins there: the pieces
// are those of the same list given with "0" before it, less the first.
TEST_F(CueCommand, ASheetsStartBeginsTheFirstPiece) {
  WriteText(dir_->File("later.cue"),
            "REM START 00:02:00\rFILE \"concert.mp3\" MP3\r  TRACK 01 AUDIO\r"
            "    INDEX 01 00:02:00\r  TRACK 02 AUDIO\r    INDEX 01 00:05:00\r");
  ASSERT_EQ(
      RunSplitter({"split", *source_, "0:02", "0:05", "--to-end", "-o", dir_->File("direct.mp3")})
          .ExitCode,
      0);
  const CommandResult fromSheet = RunSplitter(
      {"split", *source_, "--cue", dir_->File("later.cue"), "-o", dir_->File("sheet.mp3")});
  ASSERT_EQ(fromSheet.ExitCode, 0) << fromSheet.Err;
  for (int k = 1; k <= 2; ++k) {
    EXPECT_EQ(ReadBytes(Piece("direct", k + 1)), ReadBytes(Piece("sheet", k))) << "piece " << k;
  }
  EXPECT_FALSE(std::filesystem::exists(Piece("sheet", 3)));

  const CommandResult exact = RunSplitter(
      {"split", *source_, "--cue", dir_->File("later.cue"), "--exact", "-o", dir_->File("x.mp3")});
  ASSERT_EQ(exact.ExitCode, 0) << exact.Err;
  EXPECT_NEAR(static_cast<double>(DecodeAsPlayer(Piece("x", 1)).Frames()), 3.0 * 44100, 1152);
  EXPECT_FALSE(std::filesystem::exists(Piece("x", 3)));
}

TEST_F(CueCommand, Mp3NamesReadBackOrAreRefusedBeforeWriting) {
  TempDir dir;
  const struct {
    std::string Name;
    std::string Refusal;  // empty when the sheet is written and used
  } cases[] = {
      {"caf\xE9", ""},  // a Latin-1 name
      {"say \"hi\"", "(it holds a quotation mark)"},
      {"back\\slash", "(it holds a backslash)"},
  };
  for (const auto& c : cases) {
    const std::string mp3 = dir.File(c.Name + ".mp3");
    std::filesystem::copy_file(*source_, mp3);
    const CommandResult written = RunSplitter({"cue", mp3, "150", "--to-end"});
    const std::string sheet = dir.File(c.Name + ".cue");
    if (!c.Refusal.empty()) {
      EXPECT_EQ(written.ExitCode, 1) << c.Name;
      EXPECT_EQ(written.Err, "The file name " + c.Name + ".mp3 cannot be written in a cue sheet " +
                                 c.Refusal + "\n");
      EXPECT_FALSE(std::filesystem::exists(sheet)) << c.Name;
      continue;
    }
    ASSERT_EQ(written.ExitCode, 0) << written.Err;
    const CommandResult split = RunSplitter({"split", mp3, "--cue", sheet});
    EXPECT_EQ(split.ExitCode, 0) << c.Name << split.Err;
    EXPECT_TRUE(std::filesystem::exists(dir.File(c.Name + "-2.mp3"))) << c.Name;
  }
}

// 2 s of tone, 1.5 s of silence, 2 s of tone, 0.4 s of silence (too short),
// 2 s of tone, 2 s of silence, 1.5 s of tone.
SoundLayout Pauses() {
  return {44100,
          2,
          {{2000, "sine 440 vol 0.5"},
           {1500, ""},
           {2000, "sine 660 vol 0.5"},
           {400, ""},
           {2000, "sine 550 vol 0.5"},
           {2000, ""},
           {1500, "sine 330 vol 0.5"}}};
}

TEST(SilencesCommand, ListsTheLongPausesAndSplitsAtTheirMiddles) {
  TempDir dir;
  const SoundLayout layout = Pauses();
  const std::string path = EncodeSoundLayout(dir, "radio", layout, {"-b", "128"});

  const CommandResult listed = RunSplitter({"silences", path, "--json"});
  ASSERT_EQ(listed.ExitCode, 0) << listed.Err;
  const auto json = nlohmann::json::parse(listed.Out);
  EXPECT_EQ(json["threshold_db"], -50.0);
  const auto& silences = json["silences"];
  ASSERT_EQ(silences.size(), 2u) << listed.Out;
  const std::size_t parts[] = {1, 5};
  for (std::size_t i = 0; i < 2; ++i) {
    const double start = layout.StartMs(parts[i]);
    const double end = layout.EndMs(parts[i]);
    EXPECT_NEAR(silences[i]["start_ms"].get<double>(), start, 20.0);
    EXPECT_NEAR(silences[i]["start_ms"].get<double>() + silences[i]["length_ms"].get<double>(), end,
                20.0);
    EXPECT_NEAR(silences[i]["milliseconds"].get<double>(), (start + end) / 2, 20.0);
  }

  // A longer minimum leaves only the 2-second pause.
  const CommandResult longer = RunSplitter({"silences", path, "--min-length", "1.8"});
  ASSERT_EQ(longer.ExitCode, 0) << longer.Err;
  EXPECT_THAT(longer.Out, HasSubstr("0:08.9"));  // its middle, 8.9 s in
  EXPECT_THAT(longer.Out, ::testing::Not(HasSubstr("0:02.7")));

  const CommandResult split = RunSplitter({"split", path, "--at-silences", "--exact"});
  ASSERT_EQ(split.ExitCode, 0) << split.Err;
  const ReferenceDecode source = DecodeAsPlayer(path);
  std::int64_t joined = 0;
  for (int k = 1; k <= 3; ++k) {
    joined += DecodeAsPlayer(dir.File("radio-" + std::to_string(k) + ".mp3")).Frames();
  }
  EXPECT_EQ(joined, source.Frames());
  EXPECT_FALSE(std::filesystem::exists(dir.File("radio-4.mp3")));
}

TEST(SilencesCommand, AFileWithoutPausesSplitsNothing) {
  TempDir dir;
  const std::string path = EncodeWithLame(dir, "tone", {.Seconds = 3.0, .LameArgs = {"-b", "96"}});
  const CommandResult listed = RunSplitter({"silences", path});
  EXPECT_EQ(listed.ExitCode, 0);
  EXPECT_EQ(listed.Out, "No silences found\n");
  const CommandResult split = RunSplitter({"split", path, "--at-silences"});
  EXPECT_EQ(split.ExitCode, 1);
  EXPECT_EQ(split.Err, "Nothing to split: no silences found\n");
  for (const char* bad : {"12", "nan", "-inf", "loud"}) {
    EXPECT_GT(RunSplitter({"silences", path, "--threshold", bad}).ExitCode, 3) << bad;
  }
  EXPECT_GT(RunSplitter({"split", path, "--at-silences", "--min-length", "nan"}).ExitCode, 3);
  // The search's figures go with the search.
  EXPECT_GT(RunSplitter({"split", path, "100", "--min-length", "2"}).ExitCode, 3);
}

TEST(SilencesCommand, JsonNamesAFileWhoseNameIsNoUtf8) {
  TempDir dir;
  const std::string tone = EncodeWithLame(dir, "tone", {.Seconds = 1.0, .LameArgs = {"-b", "96"}});
  const std::string odd = dir.File("caf\xE9.mp3");  // a Latin-1 name
  std::filesystem::rename(tone, odd);
  for (const char* command : {"silences", "info"}) {
    const CommandResult result = RunSplitter({command, odd, "--json"});
    ASSERT_EQ(result.ExitCode, 0) << command << result.Err;
    EXPECT_THAT(nlohmann::json::parse(result.Out)["file"].get<std::string>(), HasSubstr("caf"));
  }
}

TEST(CueCommandLimits, AListOfMoreThan99PiecesIsNoSheet) {
  TempDir dir;
  const std::string path = EncodeWithLame(dir, "long", {.Seconds = 5.0, .LameArgs = {"-b", "64"}});
  std::vector<std::string> args = {"cue", path};
  for (int frame = 1; frame <= 120; ++frame) {
    args.push_back(std::to_string(frame));
  }
  const CommandResult result = RunSplitter(args);
  EXPECT_EQ(result.ExitCode, 1);
  EXPECT_EQ(result.Err, "A cue sheet holds at most 99 tracks; this list makes 120 pieces\n");
  EXPECT_FALSE(std::filesystem::exists(dir.File("long.cue")));
}

}  // namespace
}  // namespace brelvik::testing
