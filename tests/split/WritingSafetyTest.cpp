// The split writes only where the user chose: a link planted under a piece's
// name, before or during the split, and a file the run reads; and it reads
// only what it opened, while the source's name is given to another file.
// Names that are one file: tests/io/WritePolicyTest.cpp and the command line's
// WriteRefusalsTest.cpp.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <numeric>
#include <set>
#include <string>
#include <vector>

#include "BreakpointLists.h"
#include "TempDir.h"
#include "split/OutputNaming.h"
#include "split/SplitEngine.h"

namespace brelvik {
namespace {

namespace fs = std::filesystem;
using testing::Bytes;
using testing::ListOf;
using testing::ReadBytes;
using testing::TempDir;
using testing::WriteBytes;

constexpr std::uint16_t kFrameBytes = 100;
const Bytes kVictim = {'s', 's', 'h', '-', 'k', 'e', 'y'};

Bytes Counting(std::size_t count, std::uint8_t first = 0) {
  Bytes bytes(count);
  std::iota(bytes.begin(), bytes.end(), first);
  return bytes;
}

std::set<std::string> NamesIn(const fs::path& folder) {
  std::set<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder)) {
    names.insert(entry.path().filename().string());
  }
  return names;
}

// The refusal a split raises, or an empty text when it went through.
std::string RefusalOf(const std::function<void()>& split) {
  try {
    split();
  } catch (const ERefusedSplit& refusal) {
    return refusal.what();
  }
  return {};
}

// A shared download folder (sticky, writable by all) holding the source, and
// a victim's file elsewhere that another user links a piece's name to.
class PlantedLink : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::create_directory(shared_);
    ASSERT_EQ(::chmod(shared_.c_str(), 01777), 0);
    fs::create_directory(home_);
    WriteBytes(victim_, kVictim);
    WriteBytes(source_, Counting(1000));
  }

  void Plant(const std::string& name) const {
    fs::create_symlink(victim_, name);
    // Owned by someone else, as the planted link of another user would be.
    ASSERT_EQ(::lchown(name.c_str(), 65534, 65534), 0);
  }

  void ExpectLeftAsItWas(const std::string& link) const {
    EXPECT_EQ(ReadBytes(victim_), kVictim);
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(fs::read_symlink(link), victim_);
  }

  TempDir dir_;
  std::string shared_ = dir_.File("shared");
  std::string home_ = dir_.File("home");
  std::string victim_ = dir_.File("home/authorized_keys");
  std::string source_ = dir_.File("shared/album.mp3");
  std::string template_ = MakeTemplate(source_);
};

TEST_F(PlantedLink, BeforeTheSplitIsRefusedAndNothingIsWritten) {
  Plant(PieceName(template_, 2));
  const auto before = NamesIn(shared_);
  InputFile source(source_);
  EXPECT_EQ(RefusalOf([&] {
              Split(source, template_, kFrameBytes, ListOf({"0", "3", "7"}),
                    [](int) { ADD_FAILURE() << "a piece was written"; });
            }),
            PieceName(template_, 2) + " is a symbolic link; remove it or choose another name");
  ExpectLeftAsItWas(PieceName(template_, 2));
  EXPECT_EQ(NamesIn(shared_), before);
}

TEST_F(PlantedLink, DuringTheSplitIsNotFollowed) {
  InputFile source(source_);
  std::vector<int> done;
  EXPECT_EQ(RefusalOf([&] {
              Split(source, template_, kFrameBytes, ListOf({"0", "3", "7"}), [&](int piece) {
                done.push_back(piece);
                if (piece == 1) {
                  Plant(PieceName(template_, 2));
                }
              });
            }),
            PieceName(template_, 2) + " is a symbolic link; remove it or choose another name");
  EXPECT_EQ(done, std::vector<int>{1});
  EXPECT_EQ(ReadBytes(PieceName(template_, 1)), Counting(300));
  ExpectLeftAsItWas(PieceName(template_, 2));
}

TEST(FilesTheRunReads, AreNeverReplacedByAPiece) {
  TempDir dir;
  WriteBytes(dir.File("x.mp3"), Counting(1000));
  const Bytes sheet = {'F', 'I', 'L', 'E'};
  WriteBytes(dir.File("x-1.cue"), sheet);
  WritePolicy alsoRead;
  alsoRead.Protect(dir.File("x-1.cue"), "the cue sheet");
  InputFile source(dir.File("x.mp3"));
  EXPECT_EQ(RefusalOf([&] {
              Split(
                  source, dir.File("x-%track%.cue"), kFrameBytes, ListOf({"0", "3", "7"}),
                  [](int) { ADD_FAILURE() << "a piece was written"; }, alsoRead);
            }),
            "The piece " + dir.File("x-1.cue") + " would overwrite the cue sheet");
  EXPECT_EQ(ReadBytes(dir.File("x-1.cue")), sheet);
}

TEST(ReplacedSource, StillGivesEveryPieceFromTheFileOpened) {
  TempDir dir;
  const std::string path = dir.File("src.mp3");
  const Bytes original = Counting(1000);
  WriteBytes(path, original);
  InputFile source(path);
  Split(source, MakeTemplate(path), kFrameBytes, ListOf({"0", "3", "7", "9"}), [&](int piece) {
    if (piece == 1) {
      WriteBytes(dir.File("other.mp3"), Counting(2000, 50));
      fs::rename(dir.File("other.mp3"), path);
    }
  });
  EXPECT_EQ(ReadBytes(dir.File("src-2.mp3")),
            Bytes(original.begin() + 300, original.begin() + 700));
  EXPECT_EQ(ReadBytes(dir.File("src-3.mp3")),
            Bytes(original.begin() + 700, original.begin() + 900));
}

}  // namespace
}  // namespace brelvik
