#include <gtest/gtest.h>
#include <sys/resource.h>

#include <csignal>
#include <filesystem>
#include <functional>
#include <map>
#include <ostream>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "BreakpointLists.h"
#include "StreamBuilder.h"
#include "analysis/MPEGaudio.h"
#include "split/OutputNaming.h"
#include "split/SplitEngine.h"
#include "split/StreamFigures.h"

namespace brelvik {
namespace {

namespace fs = std::filesystem;
using testing::Bytes;
using testing::ListOf;
using testing::ReadBytes;
using testing::TempDir;
using testing::WriteBytes;
using Names = std::set<std::string>;

Bytes RandomBytes(std::size_t count, unsigned seed = 7) {
  std::mt19937 generator(seed);
  Bytes bytes(count);
  for (auto& b : bytes) {
    b = static_cast<std::uint8_t>(generator());
  }
  return bytes;
}

Bytes Slice(const Bytes& bytes, std::size_t from, std::size_t to) {
  return Bytes(bytes.begin() + static_cast<std::ptrdiff_t>(from),
               bytes.begin() + static_cast<std::ptrdiff_t>(to));
}

// Every name in the folder, hidden ones included.
// The split of the file at this path, opened for it.
void SplitFile(const std::string& source, const std::string& splitTemplate,
               std::uint16_t frameBytes, const BreakpointList& breakpoints,
               const SplitProgress& progress, WritePolicy alsoRead = WritePolicy()) {
  InputFile input(source);
  Split(input, splitTemplate, frameBytes, breakpoints, progress, std::move(alsoRead));
}

Names NamesIn(const fs::path& folder) {
  Names names;
  for (const auto& entry : fs::directory_iterator(folder)) {
    names.insert(entry.path().filename().string());
  }
  return names;
}

struct Range {
  std::size_t From;
  std::size_t To;
};

struct RangeCase {
  const char* Name;
  std::vector<std::string> Breakpoints;
  std::uint16_t FrameBytes;
  std::size_t SourceBytes;
  std::vector<Range> Pieces;  // byte ranges of the source, worked out by hand
};

void PrintTo(const RangeCase& row, std::ostream* out) {
  *out << row.Name;
}

class SplitPieces : public ::testing::TestWithParam<RangeCase> {};

TEST_P(SplitPieces, AreTheSourceBytesBetweenNeighbouringBreakpoints) {
  const auto& c = GetParam();
  TempDir dir;
  const Bytes source = RandomBytes(c.SourceBytes);
  WriteBytes(dir.File("src.mp3"), source);
  const std::string splitTemplate = dir.File("live-%track%.mp3");
  const auto pieceBytes = [&](int k) {
    const Range r = c.Pieces.at(static_cast<std::size_t>(k - 1));
    return Slice(source, r.From, r.To);
  };

  std::vector<int> progress;
  SplitFile(dir.File("src.mp3"), splitTemplate, c.FrameBytes, ListOf(c.Breakpoints), [&](int k) {
    progress.push_back(k);
    EXPECT_EQ(ReadBytes(PieceName(splitTemplate, k)), pieceBytes(k)) << "piece " << k;
  });

  Names expectedNames = {"src.mp3"};
  std::vector<int> expectedProgress;
  for (int k = 1; k <= static_cast<int>(c.Pieces.size()); ++k) {
    EXPECT_EQ(ReadBytes(dir.File("live-" + std::to_string(k) + ".mp3")), pieceBytes(k))
        << "piece " << k;
    expectedNames.insert("live-" + std::to_string(k) + ".mp3");
    expectedProgress.push_back(k);
  }
  EXPECT_EQ(NamesIn(dir.Path()), expectedNames);
  EXPECT_EQ(progress, expectedProgress);
}

INSTANTIATE_TEST_SUITE_P(
    Ranges, SplitPieces,
    ::testing::Values(
        // The bytes after the last breakpoint are written nowhere.
        RangeCase{"ThreeBreakpoints", {"0", "3", "7"}, 100, 1000, {{0, 300}, {300, 700}}},
        RangeCase{"TypedWithLeadingZeros", {"0", "003", "0007"}, 100, 1000, {{0, 300}, {300, 700}}},
        RangeCase{"UpToTheLastByte", {"0", "10"}, 100, 1000, {{0, 1000}}},
        RangeCase{"CutAtTheEnd", {"0", "8", "12"}, 100, 1000, {{0, 800}, {800, 1000}}},
        RangeCase{"OneByteLeft", {"0", "10", "11"}, 100, 1001, {{0, 1000}, {1000, 1001}}},
        RangeCase{"StartingAtTheEndIsEmpty", {"0", "10", "12"}, 100, 1000, {{0, 1000}, {0, 0}}},
        RangeCase{"StartingPastTheEndIsEmpty", {"0", "12", "15"}, 100, 1000, {{0, 1000}, {0, 0}}},
        RangeCase{"ZeroDeleted", {"3", "7"}, 100, 1000, {{300, 700}}},
        RangeCase{"NegativeIsByteZero", {"-2", "3", "5"}, 100, 1000, {{0, 300}, {300, 500}}},
        RangeCase{"TwoNegatives", {"-5", "-2", "1"}, 100, 1000, {{0, 0}, {0, 100}}},
        // Pieces of several copy blocks.
        RangeCase{
            "LongPieces", {"0", "100", "250"}, 1044, 300000, {{0, 104400}, {104400, 261000}}}));

TEST(Split, CountsOffsetsFromTheFirstByteOfTheFileTagIncluded) {
  TempDir dir;
  // A 1,000-byte ID3v2 tag (stated size 7 × 128 + 94), then 20 frames of 417 bytes.
  testing::StreamBuilder stream;
  stream.ID3v2({0, 0, 7, 94}, 990).Frames(testing::HeaderFields{}, 20);
  stream.WriteTo(dir.File("tagged.mp3"));
  TMPEGaudio analyser;
  ASSERT_TRUE(analyser.Analyse(dir.File("tagged.mp3")));
  const StreamFigures figures = SetDataMpeg(analyser);
  ASSERT_EQ(figures.FrameBytes, 417);

  SplitFile(dir.File("tagged.mp3"), MakeTemplate(dir.File("tagged.mp3")), figures.FrameBytes,
            ListOf({"0", "5", "10"}), {});
  const Bytes first = ReadBytes(dir.File("tagged-1.mp3"));
  EXPECT_EQ(first, Slice(stream.Get(), 0, 2085));
  EXPECT_EQ(ReadBytes(dir.File("tagged-2.mp3")), Slice(stream.Get(), 2085, 4170));
  ASSERT_GE(first.size(), 3u);
  EXPECT_EQ(std::string(first.begin(), first.begin() + 3), "ID3");
}

TEST(Split, ReplacesExistingPiecesWhole) {
  TempDir dir;
  const Bytes source = RandomBytes(1000);
  WriteBytes(dir.File("src.mp3"), source);
  WriteBytes(dir.File("live-1.mp3"), RandomBytes(5000, 99));
  SplitFile(dir.File("src.mp3"), dir.File("live-%track%.mp3"), 100, ListOf({"0", "3"}), {});
  EXPECT_EQ(ReadBytes(dir.File("live-1.mp3")), Slice(source, 0, 300));
}

TEST(Split, TemplateWithoutPlaceholderKeepsTheLastPiece) {
  TempDir dir;
  const Bytes source = RandomBytes(1000);
  WriteBytes(dir.File("src.mp3"), source);
  std::vector<int> progress;
  SplitFile(dir.File("src.mp3"), dir.File("out.mp3"), 100, ListOf({"0", "3", "7"}),
            [&](int k) { progress.push_back(k); });
  EXPECT_EQ(ReadBytes(dir.File("out.mp3")), Slice(source, 300, 700));
  EXPECT_EQ(NamesIn(dir.Path()), (Names{"src.mp3", "out.mp3"}));
  EXPECT_EQ(progress, (std::vector<int>{1, 2}));
}

TEST(Split, OneBreakpointWritesNothing) {
  TempDir dir;
  WriteBytes(dir.File("src.mp3"), RandomBytes(1000));
  int calls = 0;
  SplitFile(dir.File("src.mp3"), dir.File("live-%track%.mp3"), 100, ListOf({"0"}),
            [&](int) { ++calls; });
  EXPECT_EQ(calls, 0);
  EXPECT_EQ(NamesIn(dir.Path()), Names{"src.mp3"});
}

// Runs a split that must fail with exactly this message; returns the pieces
// reported done.
std::vector<int> FailingSplit(const std::string& source, const std::string& splitTemplate,
                              std::uint16_t frameBytes, const std::vector<std::string>& points,
                              const std::string& message) {
  std::vector<int> progress;
  try {
    SplitFile(source, splitTemplate, frameBytes, ListOf(points),
              [&](int k) { progress.push_back(k); });
    ADD_FAILURE() << "the split did not fail";
  } catch (const EStreamError& error) {
    EXPECT_EQ(std::string(error.what()), message);
  }
  return progress;
}

TEST(SplitFailure, MissingSourceCannotBeOpened) {
  TempDir dir;
  const std::string missing = dir.File("gone.mp3");
  EXPECT_TRUE(FailingSplit(missing, dir.File("live-%track%.mp3"), 100, {"0", "3"},
                           "Cannot open file " + missing)
                  .empty());
  EXPECT_TRUE(NamesIn(dir.Path()).empty());
}

TEST(SplitFailure, MissingFolderCannotTakeAPiece) {
  TempDir dir;
  WriteBytes(dir.File("src.mp3"), RandomBytes(1000));
  const std::string splitTemplate = dir.File("nowhere/live-%track%.mp3");
  EXPECT_TRUE(FailingSplit(dir.File("src.mp3"), splitTemplate, 100, {"0", "3"},
                           "Cannot create file " + dir.File("nowhere/live-1.mp3"))
                  .empty());
  EXPECT_EQ(NamesIn(dir.Path()), Names{"src.mp3"});
}

TEST(SplitFailure, AnythingButARegularFileInThePlaceOfAPieceIsRefusedBeforeAnyPiece) {
  TempDir dir;
  WriteBytes(dir.File("src.mp3"), RandomBytes(1000));
  fs::create_directory(dir.File("live-2.mp3"));
  try {
    SplitFile(dir.File("src.mp3"), dir.File("live-%track%.mp3"), 100, ListOf({"0", "3", "7", "9"}),
              [](int) { ADD_FAILURE() << "a piece was written"; });
    ADD_FAILURE() << "the split did not refuse";
  } catch (const ERefusedSplit& refusal) {
    EXPECT_EQ(std::string(refusal.what()),
              "The piece " + dir.File("live-2.mp3") +
                  " names something other than a regular file, which is left as it is");
  }
  EXPECT_TRUE(fs::is_directory(dir.File("live-2.mp3")));
  EXPECT_EQ(NamesIn(dir.Path()), (Names{"src.mp3", "live-2.mp3"}));
}

struct LinkedPieceCase {
  const char* Name;
  void (*Make)(const TempDir& dir);  // puts something in the place of live-2.mp3
  const char* Refusal;               // with {} for the folder
};

// Any link under a piece's name is refused, wherever it leads.
constexpr const char* kLinkRefusal =
    "{}live-2.mp3 is a symbolic link; remove it or choose another name";

const LinkedPieceCase kLinkedPieces[] = {
    {"LinkToAMissingFile",
     [](const TempDir& dir) { fs::create_symlink("missing.mp3", dir.File("live-2.mp3")); },
     kLinkRefusal},
    {"LinksInACircle",
     [](const TempDir& dir) {
       fs::create_symlink("live-2.mp3", dir.File("loop.mp3"));
       fs::create_symlink("loop.mp3", dir.File("live-2.mp3"));
     },
     kLinkRefusal},
    {"LinkToAnEarlierPiece",
     [](const TempDir& dir) {
       WriteBytes(dir.File("live-1.mp3"), {1, 2, 3});
       fs::create_symlink("live-1.mp3", dir.File("live-2.mp3"));
     },
     kLinkRefusal},
    {"LinkToARegularFile",
     [](const TempDir& dir) {
       WriteBytes(dir.File("other.mp3"), {1, 2, 3});
       fs::create_symlink("other.mp3", dir.File("live-2.mp3"));
     },
     kLinkRefusal},
};

class SplitLinkedPiece : public ::testing::TestWithParam<LinkedPieceCase> {};

// The bytes of every regular file in the folder, links not followed.
std::map<std::string, Bytes> FilesIn(const fs::path& folder) {
  std::map<std::string, Bytes> files;
  for (const auto& entry : fs::directory_iterator(folder)) {
    if (!entry.is_symlink() && entry.is_regular_file()) {
      files[entry.path().filename().string()] = ReadBytes(entry.path().string());
    }
  }
  return files;
}

TEST_P(SplitLinkedPiece, IsRefusedBeforeAnyPieceAndLeftAsItIs) {
  TempDir dir;
  WriteBytes(dir.File("src.mp3"), RandomBytes(1000));
  GetParam().Make(dir);
  const auto before = NamesIn(dir.Path());
  const auto bytesBefore = FilesIn(dir.Path());
  std::string expected = GetParam().Refusal;
  for (auto at = expected.find("{}"); at != std::string::npos; at = expected.find("{}")) {
    expected.replace(at, 2, dir.File(""));
  }
  try {
    SplitFile(dir.File("src.mp3"), dir.File("live-%track%.mp3"), 100, ListOf({"0", "3", "7", "9"}),
              [](int) { ADD_FAILURE() << "a piece was written"; });
    ADD_FAILURE() << "the split did not refuse";
  } catch (const ERefusedSplit& refusal) {
    EXPECT_EQ(std::string(refusal.what()), expected);
  }
  EXPECT_EQ(NamesIn(dir.Path()), before);
  EXPECT_EQ(FilesIn(dir.Path()), bytesBefore);
  EXPECT_TRUE(fs::is_symlink(dir.File("live-2.mp3")));
}

INSTANTIATE_TEST_SUITE_P(Names, SplitLinkedPiece, ::testing::ValuesIn(kLinkedPieces),
                         [](const ::testing::TestParamInfo<LinkedPieceCase>& named) {
                           return std::string(named.param.Name);
                         });

// Lowers the largest file this process may write, so that a write past it
// fails with EFBIG instead of raising SIGXFSZ; both are restored on leaving.
class FileSizeLimit {
 public:
  explicit FileSizeLimit(rlim_t bytes) {
    ::getrlimit(RLIMIT_FSIZE, &saved_);
    savedHandler_ = std::signal(SIGXFSZ, SIG_IGN);
    rlimit lowered = saved_;
    lowered.rlim_cur = bytes;
    applied_ = ::setrlimit(RLIMIT_FSIZE, &lowered) == 0;
  }
  ~FileSizeLimit() {
    ::setrlimit(RLIMIT_FSIZE, &saved_);
    std::signal(SIGXFSZ, savedHandler_);
  }
  FileSizeLimit(const FileSizeLimit&) = delete;
  FileSizeLimit& operator=(const FileSizeLimit&) = delete;

  bool Applied() const { return applied_; }

 private:
  rlimit saved_{};
  void (*savedHandler_)(int) = SIG_DFL;
  bool applied_ = false;
};

TEST(SplitFailure, WriteFailureMidPieceKeepsTheOldFileAndLeavesNoTemporary) {
  TempDir dir;
  const Bytes source = RandomBytes(200000);
  WriteBytes(dir.File("src.mp3"), source);
  const Bytes old = RandomBytes(37, 5);
  WriteBytes(dir.File("live-2.mp3"), old);

  std::vector<int> progress;
  {
    // Piece 1 (10,000 bytes) fits under the limit, piece 2 (140,000) does not.
    FileSizeLimit limit(100000);
    ASSERT_TRUE(limit.Applied());
    progress = FailingSplit(dir.File("src.mp3"), dir.File("live-%track%.mp3"), 1000,
                            {"0", "10", "150", "180"}, "Stream write error");
  }
  EXPECT_EQ(progress, std::vector<int>{1});
  EXPECT_EQ(ReadBytes(dir.File("live-1.mp3")), Slice(source, 0, 10000));
  EXPECT_EQ(ReadBytes(dir.File("live-2.mp3")), old);
  EXPECT_EQ(NamesIn(dir.Path()), (Names{"src.mp3", "live-1.mp3", "live-2.mp3"}));
}

// Another name for the source "music/src-2.mp3" that piece 2 of the returned
// template takes; piece 1 would come first.
struct SourceAlias {
  const char* Name;
  std::function<std::string(const TempDir&)> Template;
};

void PrintTo(const SourceAlias& row, std::ostream* out) {
  *out << row.Name;
}

class SplitOntoTheSource : public ::testing::TestWithParam<SourceAlias> {};

TEST_P(SplitOntoTheSource, IsRefusedBeforeAnythingIsWritten) {
  TempDir dir;
  fs::create_directory(dir.Path() / "music");
  const std::string source = dir.File("music/src-2.mp3");
  const Bytes bytes = RandomBytes(1000);
  WriteBytes(source, bytes);
  const std::string splitTemplate = GetParam().Template(dir);
  const Names before = NamesIn(dir.Path() / "music");

  int calls = 0;
  try {
    SplitFile(source, splitTemplate, 100, ListOf({"0", "3", "7"}), [&](int) { ++calls; });
    ADD_FAILURE() << "the split went ahead";
  } catch (const EStreamError& error) {
    const std::string clash = PieceName(splitTemplate, 2);
    EXPECT_NE(std::string(error.what()).find(clash), std::string::npos) << error.what();
  }
  EXPECT_EQ(calls, 0);
  EXPECT_EQ(ReadBytes(source), bytes);
  EXPECT_EQ(NamesIn(dir.Path() / "music"), before);
}

INSTANTIATE_TEST_SUITE_P(
    Spellings, SplitOntoTheSource,
    ::testing::Values(
        SourceAlias{"SamePath", [](const TempDir& d) { return d.File("music/src-%track%.mp3"); }},
        SourceAlias{"NoPlaceholder", [](const TempDir& d) { return d.File("music/src-2.mp3"); }},
        SourceAlias{"DotSegment",
                    [](const TempDir& d) { return d.File("music/./src-%track%.mp3"); }},
        SourceAlias{"DotDotSegment",
                    [](const TempDir& d) { return d.File("music/../music/src-%track%.mp3"); }},
        SourceAlias{"DoubleSlash",
                    [](const TempDir& d) { return d.File("music//src-%track%.mp3"); }},
        SourceAlias{"SymbolicLink",
                    [](const TempDir& d) {
                      fs::create_symlink("src-2.mp3", d.Path() / "music/link-2.mp3");
                      return d.File("music/link-%track%.mp3");
                    }},
        SourceAlias{"HardLink",
                    [](const TempDir& d) {
                      fs::create_hard_link(d.Path() / "music/src-2.mp3",
                                           d.Path() / "music/hard-2.mp3");
                      return d.File("music/hard-%track%.mp3");
                    }},
        SourceAlias{"LinkedFolder", [](const TempDir& d) {
                      fs::create_directory_symlink(d.Path() / "music", d.Path() / "alias");
                      return d.File("alias/src-%track%.mp3");
                    }}));

}  // namespace
}  // namespace brelvik
