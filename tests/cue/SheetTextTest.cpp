// Sheets as hostile or merely foreign writers make them: the encodings they
// come in, the lines libcue would read otherwise than written (each refused
// naming its line), and reading that leaves the process's stderr alone.
#include <fcntl.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "cue/CueSheet.h"
#include "cue/TextEncoding.h"

namespace brelvik::cue {
namespace {

using ::testing::HasSubstr;

// One track titled `title` (bytes as given) in a sheet of plain ASCII.
std::string SheetTitled(const std::string& title) {
  return "FILE \"a.mp3\" MP3\nTRACK 01 AUDIO\nTITLE \"" + title + "\"\nINDEX 01 00:00:00\n";
}

struct Encoded {
  const char* Name;
  std::string Bytes;  // the title's bytes in the sheet
  std::string Title;  // as read, UTF-8
};

void PrintTo(const Encoded& encoded, std::ostream* out) {
  *out << encoded.Name;
}

const Encoded kTitles[] = {
    {"Windows1252Quotes", "Don\x92t \x93stop\x94", "Don\xE2\x80\x99t \xE2\x80\x9Cstop\xE2\x80\x9D"},
    {"Windows1252EuroAndDashes", "\x80 5 \x96 \x85", "\xE2\x82\xAC 5 \xE2\x80\x93 \xE2\x80\xA6"},
    {"Latin1Letters", "Ni\xF1o", "Ni\xC3\xB1o"},
    // Bytes that look like UTF-8 and are not: the text is Windows-1252.
    {"OverlongSlash", "a\xC0\xAF", "a\xC3\x80\xC2\xAF"},
    {"Surrogate", "x\xED\xA0\x80", "x\xC3\xAD\xC2\xA0\xE2\x82\xAC"},
    {"PastTheLastCodePoint", "\xF4\x90\x80\x80", "\xC3\xB4\xC2\x90\xE2\x82\xAC\xE2\x82\xAC"},
    // The five bytes Windows-1252 leaves undefined stand for themselves.
    {"UndefinedByte", "\x81z", "\xC2\x81z"},
    {"StrictUtf8", "\xF0\x9F\x8E\xB5 \xC3\x85", "\xF0\x9F\x8E\xB5 \xC3\x85"},
};

class SheetEncodings : public ::testing::TestWithParam<Encoded> {};

TEST_P(SheetEncodings, GiveTheTitleAsWrittenInUtf8) {
  const CueOutcome read = ParseCueSheet(SheetTitled(GetParam().Bytes), "enc.cue");
  ASSERT_TRUE(read.Sheet) << read.Refusal;
  EXPECT_EQ(read.Sheet->Tracks[0].Title, GetParam().Title);
}

INSTANTIATE_TEST_SUITE_P(Titles, SheetEncodings, ::testing::ValuesIn(kTitles),
                         [](const auto& param) { return std::string(param.param.Name); });

// UTF-16 bytes with a byte order mark, in either order.
std::string Utf16(const std::u16string& text, bool littleEndian) {
  std::string bytes = littleEndian ? "\xFF\xFE" : "\xFE\xFF";
  for (const char16_t unit : text) {
    const char high = static_cast<char>(unit >> 8);
    const char low = static_cast<char>(unit & 0xFF);
    bytes += littleEndian ? std::string{low, high} : std::string{high, low};
  }
  return bytes;
}

TEST(SheetEncodings, Utf16WithAByteOrderMarkReadsInEitherOrder) {
  const std::u16string sheet =
      u"PERFORMER \"\u00C5ngstr\u00F6m\"\r\nFILE \"caf\u00E9.mp3\" MP3\r\nTRACK 01 AUDIO\r\n"
      u"TITLE \"\U0001F3B5 \u65E5\u672C\"\r\nINDEX 01 00:01:00\r\n";
  for (const bool littleEndian : {true, false}) {
    const CueOutcome read = ParseCueSheet(Utf16(sheet, littleEndian), "wide.cue");
    ASSERT_TRUE(read.Sheet) << littleEndian << ": " << read.Refusal;
    EXPECT_EQ(read.Sheet->Performer, "\xC3\x85ngstr\xC3\xB6m");
    EXPECT_EQ(read.Sheet->File, "caf\xC3\xA9.mp3");
    ASSERT_EQ(read.Sheet->Tracks.size(), 1u);
    EXPECT_EQ(read.Sheet->Tracks[0].Title, "\xF0\x9F\x8E\xB5 \xE6\x97\xA5\xE6\x9C\xAC");
    EXPECT_EQ(read.Sheet->Tracks[0].StartMs, 1000);
  }
  std::string cut = Utf16(sheet, true);
  cut.pop_back();
  EXPECT_THAT(ParseCueSheet(cut, "cut.cue").Refusal,
              HasSubstr("cannot be read (its UTF-16 text is broken at byte"));
}

TEST(Utf8, IsCheckedStrictly) {
  for (const std::string valid :
       {"", "\x7F", "\xC2\x80", "\xDF\xBF", "\xE0\xA0\x80", "\xED\x9F\xBF", "\xEE\x80\x80",
        "\xEF\xBF\xBF", "\xF0\x90\x80\x80", "\xF4\x8F\xBF\xBF"}) {
    EXPECT_TRUE(IsUtf8(valid)) << TerminalText(valid);
  }
  for (const std::string invalid :
       {"\x80", "\xC0\xAF", "\xC1\xBF", "\xE0\x80\xAF", "\xE0\x9F\xBF", "\xED\xA0\x80",
        "\xED\xBF\xBF", "\xF0\x8F\xBF\xBF", "\xF4\x90\x80\x80", "\xF5\x80\x80\x80", "\xFF",
        "\xE2\x82", "\xC3(", "a\xC3"}) {
    EXPECT_FALSE(IsUtf8(invalid)) << TerminalText(invalid);
  }
}

TEST(Windows1252, EveryByteConvertsAndConvertsBack) {
  std::string bytes;
  for (int b = 1; b < 256; ++b) {
    bytes.push_back(static_cast<char>(b));
  }
  const std::string utf8 = Windows1252ToUtf8(bytes);
  EXPECT_TRUE(IsUtf8(utf8));
  EXPECT_EQ(Utf8ToWindows1252(utf8), bytes);
  EXPECT_EQ(Utf8ToWindows1252("\xE6\x97\xA5"), std::nullopt);  // no such character there
}

TEST(TerminalText, QuotesControlsAndWhatIsNoUtf8AndKeepsPrintableText) {
  const std::pair<std::string, std::string> cases[] = {
      {"\x1b]0;title\x07", "\\x1b]0;title\\x07"},
      {"\x1b[2Jline\nnext\tcol\r", "\\x1b[2Jline\\x0anext\\x09col\\x0d"},
      {std::string("nul\0del\x7F", 8), "nul\\x00del\\x7f"},
      {"csi \xC2\x9B"
       "31m",
       "csi \\xc2\\x9b31m"},  // C1 control in UTF-8
      {"raw \x9B", "raw \\x9b"},
      {"\xC0\xAF\xED\xA0\x80", "\\xc0\\xaf\\xed\\xa0\\x80"},
      {"caf\xC3\xA9 \xE2\x80\x9Cq\xE2\x80\x9D \xF0\x9F\x8E\xB5 C:\\dir <b>",
       "caf\xC3\xA9 \xE2\x80\x9Cq\xE2\x80\x9D \xF0\x9F\x8E\xB5 C:\\dir <b>"},
  };
  for (const auto& [text, shown] : cases) {
    EXPECT_EQ(TerminalText(text), shown);
  }
}

struct BadLine {
  const char* Name;
  std::string Line;  // in a track, after its INDEX 01, or before it where it says
  const char* Why;
};

void PrintTo(const BadLine& bad, std::ostream* out) {
  *out << bad.Name;
}

// Lines libcue complains about on stderr, leaves out, or reads otherwise than
// written.
const BadLine kBadLines[] = {
    {"UnclosedQuotation", "TITLE \"open", "line 4: a quotation mark is not closed"},
    {"BackslashBeforeTheClosingMark", "TITLE \"a\\\"",
     "line 4: a backslash stands before a closing quotation mark"},
    {"WordAfterTheClosingMark", "TITLE \"a\"b", "line 4: a word goes on after its closing"},
    {"SmallLetters", "title \"x\"",
     "line 4: \"title\" is no keyword of a cue sheet (keywords "
     "are written in capitals: TITLE)"},
    {"UnknownKeyword", "FOO bar", "line 4: \"FOO\" is no keyword of a cue sheet)"},
    {"ControlCharacterLine", "\x01", "line 4: \"\x01\" is no keyword"},
    {"QuotedFlag", "FLAGS \"DCP\"", "line 4: FLAGS takes no text in quotation marks"},
    {"UnknownFlag", "FLAGS DATA", "line 4: FLAGS takes DCP, 4CH, PRE and SCMS only"},
    {"CatalogInATrack", "CATALOG 123", "line 4: CATALOG belongs before the first TRACK line"},
    {"TwoFiles", "FILE \"b.mp3\" MP3\nFILE \"c.mp3\" MP3",
     "line 5: a second FILE line before a TRACK or INDEX line"},
    {"FileWithoutType", "FILE \"b.mp3\"", "line 4: FILE takes a name and its type"},
    {"IndexPast99", "INDEX 100 00:00:05", "line 4: INDEX takes a number from 00 to 99"},
    {"GapWithoutFrames", "PREGAP 2",
     "has track 1's PREGAP at 2, which is no time mm:ss:ff (seconds under 60, frames under 75)"},
    {"LongQuotedText", "TITLE \"" + std::string(1023, 'q') + "\"",
     "line 4: a text of 1023 bytes, longer than the 1022 a cue sheet's text can have"},
    {"LongWord", "TITLE " + std::string(1500, 'w'), "line 4: a text of 1500 bytes"},
};

class BadLines : public ::testing::TestWithParam<BadLine> {};

TEST_P(BadLines, AreRefusedNamingTheLine) {
  const CueOutcome read = ParseCueSheet(
      "FILE \"a.mp3\" MP3\nTRACK 01 AUDIO\nINDEX 01 00:00:00\n" + GetParam().Line + "\n", "l.cue");
  EXPECT_FALSE(read.Sheet);
  EXPECT_THAT(read.Refusal, HasSubstr(std::string("The cue sheet l.cue ") +
                                      (GetParam().Why[0] == 'l' ? "cannot be read (" : "")));
  EXPECT_THAT(read.Refusal, HasSubstr(GetParam().Why));
}

INSTANTIATE_TEST_SUITE_P(Lines, BadLines, ::testing::ValuesIn(kBadLines),
                         [](const auto& param) { return std::string(param.param.Name); });

TEST(SheetLines, ThoseBeforeTheFirstTrackAreCheckedForWhereTheyStand) {
  const std::pair<std::string, std::string> cases[] = {
      {"INDEX 01 00:00:00\nFILE a.mp3 MP3\nTRACK 01 AUDIO\nINDEX 01 00:00:00\n",
       "cannot be read (line 1: INDEX stands before the first TRACK line)"},
      {"TRACK 01 AUDIO\nFILE a.mp3 MP3\nINDEX 01 00:00:00\n",
       "cannot be read (line 1: TRACK stands before any FILE line)"},
      {"FILE a.mp3 MP3\nTRACK \"01\" AUDIO\nINDEX 01 00:00:00\n",
       "cannot be read (line 2: TRACK takes no text in quotation marks)"},
      {"FILE a.bin BINARY\nTRACK 01 MODE1/2352\nPREGAP 00:02:00\nFILE a.mp3 MP3\nTRACK 02 AUDIO\n"
       "INDEX 01 00:10:00\n",
       "has no INDEX for track 1"},
  };
  for (const auto& [text, why] : cases) {
    EXPECT_EQ(ParseCueSheet(text, "p.cue").Refusal, "The cue sheet p.cue " + why);
  }
}

// What real sheets hold beside tracks: read, and left aside.
TEST(SheetLines, RemarksAndDiscTextsOfCommonWritersRead) {
  const CueOutcome read = ParseCueSheet(
      "REM GENRE \"Hard Rock\"\nREM DATE\nREM COMMENT \"unclosed\nREM \x01\x1b odd\n"
      "CATALOG 0724384960650\nCDTEXTFILE \"x.cdt\"\nSONGWRITER \"S\"\nFILE \"C:\\Rips\\a.wav\" "
      "WAVE\n  TRACK 01 AUDIO\n    FLAGS DCP 4CH PRE SCMS\n    ISRC USRC17607839\n    COMPOSER c\n"
      "    PREGAP 00:02:00\n    INDEX 00 00:00:00\n    INDEX 01 00:00:32\n    POSTGAP 00:01:00\n"
      "  TRACK 02 MODE1/2352\n    INDEX 01 01:00:00\n",
      "real.cue");
  ASSERT_TRUE(read.Sheet) << read.Refusal;
  EXPECT_EQ(read.Sheet->File, "C:\\Rips\\a.wav");
  ASSERT_EQ(read.Sheet->Tracks.size(), 1u);  // the data track is no audio
  EXPECT_EQ(read.Sheet->Tracks[0].StartMs, CueFramesMs(32));
}

// libcue's scanner keeps its state between texts: however a text ends, the
// next reads as written.
TEST(SheetLines, NoTextSpoilsTheNextOne) {
  const std::string track = "FILE \"a.mp3\" MP3\nTRACK 01 AUDIO\nINDEX 01 00:00:00\n";
  for (const std::string ending :
       {"TITLE", "REM DATE", "FILE", "ISRC", "TITLE \"open", "REM DATE \"a b\"", "TITLE \"a\\\"",
        "REM REPLAYGAIN_ALBUM_GAIN", "REMDATE", "TRACK 02 AUDIO"}) {
    ParseCueSheet(track + ending, "first.cue");
    const CueOutcome next =
        ParseCueSheet("FILE \"settled.mp3\" MP3\nTRACK 01 AUDIO\nINDEX 01 00:00:01\n", "next.cue");
    ASSERT_TRUE(next.Sheet) << TerminalText(ending) << ": " << next.Refusal;
    EXPECT_EQ(next.Sheet->File, "settled.mp3") << TerminalText(ending);
    EXPECT_EQ(next.Sheet->Tracks.at(0).StartMs, CueFramesMs(1)) << TerminalText(ending);
  }
}

// The window's playback and decoder threads print on stderr while a sheet is
// read: all of it arrives, and reading adds nothing, whatever the sheet.
TEST(SheetReading, LeavesTheProcessStderrAlone) {
  int pipeFds[2];
  ASSERT_EQ(::pipe(pipeFds), 0);
  const int savedStderr = ::dup(STDERR_FILENO);
  ASSERT_GE(savedStderr, 0);
  ASSERT_EQ(::dup2(pipeFds[1], STDERR_FILENO), STDERR_FILENO);
  ::close(pipeFds[1]);

  std::string received;
  std::thread reader([&] {
    char buffer[4096];
    for (ssize_t n; (n = ::read(pipeFds[0], buffer, sizeof buffer)) > 0;) {
      received.append(buffer, static_cast<std::size_t>(n));
    }
  });
  std::atomic<bool> reading{true};
  std::string sent;
  std::thread writer([&] {
    for (int k = 0; reading || k < 50; ++k) {
      const std::string line = "thread line " + std::to_string(k) + "\n";
      if (::write(STDERR_FILENO, line.data(), line.size()) == static_cast<ssize_t>(line.size())) {
        sent += line;
      }
    }
  });
  const std::string sheets[] = {
      "FILE a.mp3 MP3\nTRACK 01 AUDIO\nTITLE Hello World\nINDEX 01 00:00:00\n",
      "FILE a.mp3 MP3\nTRACK xx AUDIO\nINDEX 01 00:00:00\n",
      "file a.mp3 mp3\ntrack 01 audio\nindex 01 00:00:00\n",
      "FILE a.mp3 MP3\nTRACK 01 AUDIO\nINDEX 01 00:00:00\nREM DATE\n",
      "FILE a.mp3 MP3\nTRACK 01 AUDIO\nINDEX 01 00:00:00\n"};
  for (int round = 0; round < 400; ++round) {
    for (const std::string& sheet : sheets) {
      ParseCueSheet(sheet, "s.cue");
    }
  }
  reading = false;
  writer.join();
  ::dup2(savedStderr, STDERR_FILENO);  // closes the pipe's last writing end
  ::close(savedStderr);
  reader.join();
  ::close(pipeFds[0]);
  EXPECT_EQ(received.size(), sent.size());
  EXPECT_TRUE(received == sent) << received.substr(0, 300);
}

}  // namespace
}  // namespace brelvik::cue
