#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <functional>
#include <set>

#include "TempDir.h"
#include "io/PieceWriter.h"

namespace brelvik {
namespace {

using testing::Bytes;
using testing::ReadBytes;
using testing::TempDir;
using testing::WriteBytes;
namespace fs = std::filesystem;

const Bytes kPiece = {'p', 'i', 'e', 'c', 'e'};
const Bytes kVictim = {'k', 'e', 'y', 's'};

std::set<std::string> NamesIn(const fs::path& folder) {
  std::set<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder)) {
    names.insert(entry.path().filename().string());
  }
  return names;
}

TEST(PieceWriter, NothingIsUnderTheNameUntilCommitAndNothingStaysWithoutIt) {
  TempDir dir;
  const std::string name = dir.File("piece.mp3");
  WriteBytes(dir.File("old.mp3"), kVictim);
  {
    PieceWriter writer(name);
    writer.Write(kPiece);
    EXPECT_FALSE(fs::exists(name));
  }
  {
    PieceWriter writer(dir.File("old.mp3"));
    writer.Write(kPiece);
  }
  EXPECT_EQ(NamesIn(dir.Path()), std::set<std::string>{"old.mp3"});
  EXPECT_EQ(ReadBytes(dir.File("old.mp3")), kVictim);
  PieceWriter writer(name);
  writer.Write(kPiece);
  writer.Commit();
  EXPECT_EQ(ReadBytes(name), kPiece);
}

TEST(PieceWriter, AReplacedFileKeepsItsPermissionsAndOtherNamesKeepTheOldBytes) {
  TempDir dir;
  const std::string name = dir.File("piece.mp3");
  WriteBytes(name, kVictim);
  fs::create_hard_link(name, dir.File("other-name.mp3"));
  fs::permissions(name, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  PieceWriter writer(name);
  writer.Write(kPiece);
  writer.Commit();
  EXPECT_EQ(ReadBytes(name), kPiece);
  EXPECT_EQ(fs::status(name).permissions() & fs::perms::all,
            fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  // The file is replaced, never written into.
  EXPECT_EQ(ReadBytes(dir.File("other-name.mp3")), kVictim);
}

// What is planted under the piece's name while the piece is being written,
// after the writer has looked at it.
struct PlantCase {
  const char* Name;
  bool NameTakenAtFirst;  // a regular file was under the name when writing began
  std::function<void(const TempDir&)> Plant;
  std::string Refusal;  // with {} for the folder
};

void PlantLink(const TempDir& dir) {
  fs::remove(dir.File("piece.mp3"));
  fs::create_symlink(dir.File("victim"), dir.File("piece.mp3"));
}

void PrintTo(const PlantCase& row, std::ostream* out) {
  *out << row.Name;
}

class PlantedWhileWriting : public ::testing::TestWithParam<PlantCase> {};

TEST_P(PlantedWhileWriting, IsFoundWhenThePieceIsPutInPlace) {
  TempDir dir;
  const std::string name = dir.File("piece.mp3");
  WriteBytes(dir.File("victim"), kVictim);
  if (GetParam().NameTakenAtFirst) {
    WriteBytes(name, {1, 2, 3});
  }
  WritePolicy policy;
  policy.Protect(dir.File("victim"), "the source file");
  std::set<std::string> planted;
  try {
    PieceWriter writer(name, policy);
    writer.Write(kPiece);
    GetParam().Plant(dir);
    planted = NamesIn(dir.Path());
    writer.Commit();
    ADD_FAILURE() << "the piece was put in place";
  } catch (const ERefusedSplit& refusal) {
    std::string expected = GetParam().Refusal;
    expected.replace(expected.find("{}"), 2, dir.File(""));
    EXPECT_EQ(std::string(refusal.what()), expected);
  }
  EXPECT_EQ(ReadBytes(dir.File("victim")), kVictim);
  EXPECT_EQ(NamesIn(dir.Path()), planted) << "what was planted stays, and no hidden file";
}

INSTANTIATE_TEST_SUITE_P(
    Plants, PlantedWhileWriting,
    ::testing::Values(
        PlantCase{"LinkUnderANewName", false, PlantLink,
                  "{}piece.mp3 is a symbolic link; remove it or choose another name"},
        PlantCase{"LinkInPlaceOfAFile", true, PlantLink,
                  "{}piece.mp3 is a symbolic link; remove it or choose another name"},
        PlantCase{"AnotherNameOfAProtectedFile", false,
                  [](const TempDir& dir) {
                    fs::create_hard_link(dir.File("victim"), dir.File("piece.mp3"));
                  },
                  "The piece {}piece.mp3 would overwrite the source file"},
        PlantCase{"AFolder", true,
                  [](const TempDir& dir) {
                    fs::remove(dir.File("piece.mp3"));
                    fs::create_directory(dir.File("piece.mp3"));
                  },
                  "The piece {}piece.mp3 names something other than a regular file, which is "
                  "left as it is"}),
    [](const auto& named) { return std::string(named.param.Name); });

TEST(PieceWriter, AFolderThatCannotBeOpenedCannotTakeAFile) {
  TempDir dir;
  try {
    PieceWriter writer(dir.File("missing/piece.mp3"));
    ADD_FAILURE() << "created";
  } catch (const EStreamError& error) {
    EXPECT_EQ(error.Detailed(), "Cannot create file " + dir.File("missing/piece.mp3") +
                                    ": No such file or directory");
  }
}

}  // namespace
}  // namespace brelvik
