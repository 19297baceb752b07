// brelvik-split printing what files and file names hold: control characters
// quoted on stdout and stderr (JSON as it was), and the titles of sheets in
// other encodings in exact pieces' tags, never emptied.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <taglib/id3v2tag.h>
#include <taglib/mpegfile.h>

#include <fstream>
#include <nlohmann/json.hpp>

#include "CliRun.h"
#include "Lame.h"
#include "StreamBuilder.h"
#include "TempDir.h"

namespace brelvik::testing {
namespace {

using ::testing::HasSubstr;

void WriteText(const std::string& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

// Whether a terminal would take none of the text for a command: no control
// byte but the line ends.
bool IsInert(const std::string& text) {
  return std::none_of(text.begin(), text.end(), [](char c) {
    const auto byte = static_cast<unsigned char>(c);
    return (byte < 0x20 && c != '\n') || byte == 0x7F;
  });
}

TEST(PrintedText, EscapeSequencesFromASheetsFileAreQuotedOnStdoutAndStderr) {
  TempDir dir;
  const std::string evil = "\x1b]0;pwned\x07\x1b[2Jlive";
  const std::string shown = "\\x1b]0;pwned\\x07\\x1b[2Jlive";
  const std::string mp3 = dir.File(evil + ".mp3");
  StreamBuilder().Frames(HeaderFields{}, 200).WriteTo(mp3);
  StreamBuilder().Frames(HeaderFields{}, 200).WriteTo(dir.File("other.mp3"));
  const std::string sheet = dir.File("s.cue");
  WriteText(sheet, "FILE \"" + evil +
                       ".mp3\" MP3\nTRACK 01 AUDIO\nINDEX 01 00:00:00\n"
                       "TRACK 02 AUDIO\nINDEX 01 00:02:00\n");

  const CommandResult split = RunSplitter({"split", mp3, "--cue", sheet});
  ASSERT_EQ(split.ExitCode, 0) << split.Err;
  EXPECT_THAT(split.Out, HasSubstr(dir.File(shown + "-1.mp3") + "  "));
  const CommandResult refused = RunSplitter({"split", dir.File("other.mp3"), "--cue", sheet});
  EXPECT_EQ(refused.ExitCode, 1);
  EXPECT_THAT(refused.Err, HasSubstr("is for " + dir.File(shown + ".mp3") + ", not for"));
  const CommandResult unwritable = RunSplitter({"cue", mp3, "100"});
  EXPECT_EQ(unwritable.ExitCode, 1);
  EXPECT_THAT(unwritable.Err, HasSubstr("The file name " + shown + ".mp3 cannot be written"));
  const CommandResult info = RunSplitter({"info", mp3});
  EXPECT_THAT(info.Out, ::testing::StartsWith("File:"));
  EXPECT_THAT(info.Out, HasSubstr(" " + dir.File(shown + ".mp3") + "\n"));
  const CommandResult unknown = RunSplitter({"split", mp3, "--cue", sheet + evil});
  EXPECT_THAT(unknown.Err, HasSubstr("s.cue" + shown));
  // CLI11's own messages name arguments too.
  const CommandResult folder = RunSplitter({"split", mp3, "-o", dir.File(evil) + "/"});
  EXPECT_GT(folder.ExitCode, 3);
  EXPECT_THAT(folder.Err, HasSubstr(shown + "/"));
  for (const CommandResult* result : {&split, &refused, &unwritable, &info, &unknown, &folder}) {
    EXPECT_TRUE(IsInert(result->Out) && IsInert(result->Err)) << result->Out << result->Err;
  }
  // JSON escapes them itself: the name reads back as it is.
  const CommandResult json = RunSplitter({"info", mp3, "--json"});
  ASSERT_EQ(json.ExitCode, 0);
  EXPECT_EQ(nlohmann::json::parse(json.Out)["file"], mp3);
}

std::string TitleOf(const std::string& path) {
  TagLib::MPEG::File piece(path.c_str());
  return piece.hasID3v2Tag() ? piece.ID3v2Tag()->title().to8Bit(true) : "(no tag)";
}

// A sheet written on Windows, and bytes that looked like UTF-8 to a looser
// check: each title reads as its bytes say, and a track without one keeps the
// source's own.
TEST(SheetTitles, ReachExactPiecesInTheirEncodingAndNeverEmptyATitle) {
  TempDir dir;
  EncodeWithLame(dir, "night",
                 {.Seconds = 6.0, .LameArgs = {"-b", "128", "--tt", "Own Title", "--id3v2-only"}});
  const struct {
    std::string Titles[2];
    std::string Expected[3];
  } sheets[] = {
      {{"Don\x92t \x93stop\x94", "\x80 5"},
       {"Don\xE2\x80\x99t \xE2\x80\x9Cstop\xE2\x80\x9D", "\xE2\x82\xAC 5", "Own Title"}},
      {{"a\xC0\xAF", "x\xED\xA0\x80"},
       {"a\xC3\x80\xC2\xAF", "x\xC3\xAD\xC2\xA0\xE2\x82\xAC", "Own Title"}},
  };
  for (const auto& sheet : sheets) {
    WriteText(dir.File("night.cue"),
              "FILE \"night.mp3\" MP3\nTRACK 01 AUDIO\nTITLE \"" + sheet.Titles[0] +
                  "\"\nINDEX 01 00:00:00\nTRACK 02 AUDIO\nTITLE \"" + sheet.Titles[1] +
                  "\"\nINDEX 01 00:02:00\nTRACK 03 AUDIO\n"
                  "INDEX 01 00:04:00\n");
    const CommandResult result =
        RunSplitter({"split", dir.File("night.mp3"), "--cue", dir.File("night.cue"), "--exact"});
    ASSERT_EQ(result.ExitCode, 0) << result.Err;
    for (int k = 1; k <= 3; ++k) {
      EXPECT_EQ(TitleOf(dir.File("night-" + std::to_string(k) + ".mp3")), sheet.Expected[k - 1])
          << k;
    }
  }
}

}  // namespace
}  // namespace brelvik::testing
