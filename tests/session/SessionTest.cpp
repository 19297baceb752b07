#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "StreamBuilder.h"
#include "TempDir.h"
#include "exact/CutPlan.h"
#include "io/StreamError.h"
#include "session/Session.h"
#include "session/SessionCue.h"
#include "session/SplitJobs.h"

namespace brelvik {
namespace {

using ::testing::ElementsAre;
using testing::TempDir;

// 128 kbit/s, 417-byte frames of 26 ms: 1000 frames last 26.1 s.
constexpr int kFrames = 1000;

std::string WriteMp3(const TempDir& dir, const std::string& name) {
  const std::string path = dir.File(name);
  testing::StreamBuilder().Frames({}, kFrames).WriteTo(path);
  return path;
}

void WriteText(const std::string& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

TEST(OpenMp3, GivesTheFiguresOfValidAudio) {
  const TempDir dir;
  const std::string path = WriteMp3(dir, "set.mp3");
  const auto session = OpenMp3(path);
  ASSERT_TRUE(session) << session.Refused().Text;
  EXPECT_EQ(session->Figures(), (StreamFigures{128, 417, kFrames, 26}));
  EXPECT_EQ(session->Source().FileLength, 417 * kFrames);
  EXPECT_EQ(session->Template(), dir.File("set-%track%.mp3"));
  EXPECT_EQ(session->Breakpoints().Texts(), std::vector<std::string>{"0"});
  EXPECT_EQ(session->EndFrameHeld(), kFrames);
}

TEST(OpenMp3, RefusesWhatIsNoAudioByKind) {
  const TempDir dir;
  testing::StreamBuilder().Junk(20000, 0x41).WriteTo(dir.File("text.mp3"));
  const struct {
    std::string Path;
    RefusalKind Kind;
    std::string Text;
  } cases[] = {
      {dir.File("text.mp3"), RefusalKind::NoAudio,
       "Can not read data from the file: " + dir.File("text.mp3")},
      {dir.File("gone.mp3"), RefusalKind::Unreadable,
       "cannot read " + dir.File("gone.mp3") + " (missing, unreadable, or too short to analyse)"},
      {dir.Path().string(), RefusalKind::Unreadable,
       dir.Path().string() + " is not a regular file"},
  };
  for (const auto& c : cases) {
    const auto session = OpenMp3(c.Path);
    ASSERT_FALSE(session) << c.Path;
    EXPECT_EQ(session.Refused(), Refusal(c.Kind, c.Text));
  }
}

TEST(SessionMove, AddsTheFrameCountReasonAsAnAddDoes) {
  const TempDir dir;
  testing::StreamBuilder().XingFrame({}, 36, 0, 0).Frames({}, 50).WriteTo(dir.File("v.mp3"));
  auto session = OpenMp3(dir.File("v.mp3"));
  ASSERT_TRUE(session) << session.Refused().Text;
  ASSERT_EQ(session->Figures().FrameTotal, 0);
  const MoveOutcome moved = session->Move(0, 1);
  EXPECT_EQ(moved.Refusal, "Maximum number of frames: 0 (the file's header states 0 frames)");
  EXPECT_EQ(session->AddTypedFrame("1").Refusal, moved.Refusal);
}

// A sheet with titles, its tracks at 0:00, 0:10.20 and 0:20.
constexpr const char* kSheet =
    "PERFORMER \"Band\"\nTITLE \"Live\"\nFILE \"set.mp3\" MP3\n"
    "  TRACK 01 AUDIO\n    TITLE \"One\"\n    INDEX 01 00:00:00\n"
    "  TRACK 02 AUDIO\n    TITLE \"Two\"\n    INDEX 01 00:10:15\n"
    "  TRACK 03 AUDIO\n    TITLE \"Three\"\n    INDEX 01 00:20:00\n";

TEST(OpenCueSheet, FillsTheListWithTheTracksAndTheirTimes) {
  const TempDir dir;
  WriteMp3(dir, "set.mp3");
  WriteText(dir.File("set.cue"), kSheet);
  const auto session = OpenCueSheet(dir.File("set.cue"));
  ASSERT_TRUE(session) << session.Refused().Text;
  EXPECT_EQ(session->Source().Path, dir.File("set.mp3"));
  EXPECT_THAT(session->Breakpoints().Texts(), ElementsAre("0", "391", "767", "1000"));
  // Exact cuts at the sheet's own times, the last at the end of the stream.
  const auto requests = ExactRequestsOfList(*session);
  ASSERT_EQ(requests.size(), 4U);
  EXPECT_DOUBLE_EQ(requests[1].Milliseconds, 10200.0);
  EXPECT_DOUBLE_EQ(requests[2].Milliseconds, 20000.0);
  EXPECT_EQ(requests[3].Milliseconds, exact::kEndOfStream);
  const auto names = ExactNamesOfList(*session);
  ASSERT_EQ(names.size(), 4U);
  EXPECT_EQ(names[1].Title, "Two");
  EXPECT_EQ(names[1].Album, "Live");
}

TEST(OpenCueSheet, RefusesAllOrNothing) {
  const TempDir dir;
  WriteMp3(dir, "set.mp3");
  std::filesystem::create_directory(dir.File("folder.mp3"));
  WriteText(dir.File("other.cue"), "");
  const auto sheetFor = [&](const std::string& name, const std::string& file,
                            const std::string& index) {
    WriteText(dir.File(name),
              "FILE \"" + file + "\" MP3\n  TRACK 01 AUDIO\n    INDEX 01 " + index + "\n");
    return dir.File(name);
  };
  const struct {
    std::string Sheet;
    RefusalKind Kind;
    std::string Text;
  } cases[] = {
      {sheetFor("late.cue", "set.mp3", "00:30:00"), RefusalKind::CueSheet,
       "track 1 (00:30:00) lies past the end of the file, frame 1000"},
      {sheetFor("gone.cue", "gone.mp3", "00:00:00"), RefusalKind::CueSheet,
       "The cue sheet " + dir.File("gone.cue") + " is for " + dir.File("gone.mp3") +
           ", which is not there"},
      {sheetFor("dir.cue", "folder.mp3", "00:00:00"), RefusalKind::CueSheet,
       "The cue sheet " + dir.File("dir.cue") + " is for " + dir.File("folder.mp3") +
           ", which is not a regular file"},
      {sheetFor("cue.cue", "other.cue", "00:00:00"), RefusalKind::CueSheet,
       "The cue sheet " + dir.File("cue.cue") + " names another cue sheet, " +
           dir.File("other.cue") + ", for its audio"},
  };
  for (const auto& c : cases) {
    const auto session = OpenCueSheet(c.Sheet);
    ASSERT_FALSE(session) << c.Sheet;
    EXPECT_EQ(session.Refused(), Refusal(c.Kind, c.Text));
  }
  const auto missing = OpenCueSheet(dir.File("none.cue"));
  ASSERT_FALSE(missing);
  EXPECT_EQ(missing.Refused().Kind, RefusalKind::Unreadable);
}

TEST(CueSheetRefusal, NeedsOnePieceAndAtMostNinetyNine) {
  const TempDir dir;
  auto session = OpenMp3(WriteMp3(dir, "set.mp3"));
  ASSERT_TRUE(session);
  EXPECT_EQ(CueSheetRefusal(*session)->Kind, RefusalKind::NothingToDo);
  for (int frame = 1; frame <= 99; ++frame) {
    session->AddTypedFrame(std::to_string(frame));
  }
  EXPECT_FALSE(CueSheetRefusal(*session));
  session->AddTypedFrame("100");
  EXPECT_EQ(CueSheetRefusal(*session), Refusal(RefusalKind::CueSheet, cue::TooManyTracks(100)));
}

TEST(WriteCueSheet, WritesTheListAndRefusesTheSourceAsItsName) {
  const TempDir dir;
  WriteMp3(dir, "set.mp3");
  WriteText(dir.File("set.cue"), kSheet);
  auto session = OpenCueSheet(dir.File("set.cue"));
  ASSERT_TRUE(session);
  session->Breakpoints().Select(2);
  session->Breakpoints().DeleteSelected();
  ASSERT_FALSE(WriteCueSheet(*session, dir.File("new.cue"), session->EndFrameHeld()));
  const auto reread = OpenCueSheet(dir.File("new.cue"));
  ASSERT_TRUE(reread) << reread.Refused().Text;
  EXPECT_THAT(reread->Breakpoints().Texts(), ElementsAre("0", "391", "1000"));
  EXPECT_EQ(reread->Sheet()->Tracks.at(1).Title, "Two") << "the names of the sheet read";

  const auto before = testing::ReadBytes(dir.File("set.mp3"));
  const auto refusal = WriteCueSheet(*session, dir.File("set.mp3"), session->EndFrameHeld());
  ASSERT_TRUE(refusal);
  EXPECT_EQ(refusal->Kind, RefusalKind::NameRefused);
  EXPECT_EQ(testing::ReadBytes(dir.File("set.mp3")), before);
}

TEST(AddSilences, PutsEachMiddleInTheListWithItsTime) {
  const TempDir dir;
  auto session = OpenMp3(WriteMp3(dir, "set.mp3"));
  ASSERT_TRUE(session);
  session->Breakpoints().AddCurrentFrame("100", 2600.0);
  // Middles at 2,610 ms (frame 100, taken already), 5,213 ms (frame 200).
  AddSilences(*session, {{2500, 220, -70}, {5013, 400, -80}});
  const BreakpointList& list = session->Breakpoints();
  ASSERT_THAT(list.Texts(), ElementsAre("0", "100", "200"));
  EXPECT_EQ(list.TimeMs(1), 2600.0);
  EXPECT_EQ(list.TimeMs(2), 5213.0);
}

TEST(SplitJobs, RefuseNothingToSplitAndProtectTheSheet) {
  const TempDir dir;
  auto plain = OpenMp3(WriteMp3(dir, "set.mp3"));
  ASSERT_TRUE(plain);
  const auto none = DescribedJobOf(*plain);
  ASSERT_FALSE(none);
  EXPECT_EQ(none.Refused().Kind, RefusalKind::NothingToDo);
  const std::vector<exact::CutRequest> one{{0, "0"}};
  EXPECT_EQ(ExactJobOf(*plain, {}, one).Refused().Kind, RefusalKind::NothingToDo);

  WriteText(dir.File("set-1.cue"), kSheet);
  auto session = OpenCueSheet(dir.File("set-1.cue"));
  ASSERT_TRUE(session);
  session->SetTemplate(dir.File("set-%track%.cue"));
  const auto job = DescribedJobOf(*session);
  ASSERT_TRUE(job);
  EXPECT_EQ(job->Pieces(), 3);
  InputFile source(session->Source().Path);
  EXPECT_THROW(job->Run(source, [](int) {}), ERefusedSplit);
  EXPECT_FALSE(std::filesystem::exists(dir.File("set-2.cue")));
}

}  // namespace
}  // namespace brelvik
