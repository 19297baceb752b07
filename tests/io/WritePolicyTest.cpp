#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <optional>
#include <vector>

#include "TempDir.h"
#include "io/WritePolicy.h"

namespace brelvik {
namespace {

using testing::TempDir;
using testing::WriteBytes;
namespace fs = std::filesystem;

struct PlanCase {
  const char* Name;
  std::function<void(const TempDir&)> Make;  // in a folder that holds read.mp3
  std::vector<std::string> Paths;            // relative to the folder
  std::optional<std::string> Refusal;        // with {} for the folder; none when allowed
};

void PrintTo(const PlanCase& row, std::ostream* out) {
  *out << row.Name;
}

class CheckAll : public ::testing::TestWithParam<PlanCase> {};

TEST_P(CheckAll, RefusesWhatMayNotBeWritten) {
  TempDir dir;
  WriteBytes(dir.File("read.mp3"), {1, 2, 3});
  if (GetParam().Make) {
    GetParam().Make(dir);
  }
  WritePolicy policy;
  policy.Protect(dir.File("read.mp3"), "the source file");
  std::vector<std::string> paths;
  for (const std::string& path : GetParam().Paths) {
    paths.push_back(dir.File(path));
  }
  std::optional<std::string> refusal;
  try {
    policy.CheckAll(paths);
  } catch (const ERefusedSplit& refused) {
    refusal = refused.what();
  }
  std::optional<std::string> expected = GetParam().Refusal;
  for (auto at = expected ? expected->find("{}") : std::string::npos; at != std::string::npos;
       at = expected->find("{}")) {
    expected->replace(at, 2, dir.File(""));
  }
  EXPECT_EQ(refusal, expected);
}

void Folders(const TempDir& dir, std::initializer_list<const char*> names) {
  for (const char* name : names) {
    fs::create_directory(dir.File(name));
  }
}

INSTANTIATE_TEST_SUITE_P(
    Plans, CheckAll,
    ::testing::Values(
        PlanCase{"NewNamesAndAFileOfTheRun",
                 [](const TempDir& dir) { WriteBytes(dir.File("b.mp3"), {9}); },
                 {"a.mp3", "b.mp3"},
                 std::nullopt},
        PlanCase{"ALinkToARegularFile",
                 [](const TempDir& dir) {
                   WriteBytes(dir.File("t"), {9});
                   fs::create_symlink("t", dir.File("b.mp3"));
                 },
                 {"a.mp3", "b.mp3"},
                 "{}b.mp3 is a symbolic link; remove it or choose another name"},
        PlanCase{"ALinkToTheFileRead",
                 [](const TempDir& dir) { fs::create_symlink("read.mp3", dir.File("a.mp3")); },
                 {"a.mp3"},
                 "{}a.mp3 is a symbolic link; remove it or choose another name"},
        PlanCase{"AFolderByItsName",
                 [](const TempDir& dir) { Folders(dir, {"d"}); },
                 {"d/"},
                 "The piece {}d/ names something other than a regular file, which is left as "
                 "it is"},
        PlanCase{"AnotherNameOfTheFileRead",
                 [](const TempDir& dir) {
                   fs::create_hard_link(dir.File("read.mp3"), dir.File("a.mp3"));
                 },
                 {"a.mp3"},
                 "The piece {}a.mp3 would overwrite the source file"},
        // Folders along the path may be links: the user named them.
        PlanCase{"TheFileReadThroughALinkedFolder",
                 [](const TempDir& dir) { fs::create_directory_symlink(".", dir.File("here")); },
                 {"here/read.mp3"},
                 "The piece {}here/read.mp3 would overwrite the source file"},
        PlanCase{"LinkedFoldersOfOneFolder",
                 [](const TempDir& dir) {
                   Folders(dir, {"real"});
                   fs::create_directory_symlink("real", dir.File("d-1"));
                   fs::create_directory_symlink("real", dir.File("d-2"));
                 },
                 {"d-1/x.mp3", "d-2/x.mp3"},
                 "The pieces {}d-1/x.mp3 and {}d-2/x.mp3 are one file, so the second would "
                 "replace the first"},
        PlanCase{"DotDotBackToOneFolder",
                 [](const TempDir& dir) {
                   Folders(dir, {"a-1", "a-2"});
                 },
                 {"a-1/../y.mp3", "a-2/../y.mp3"},
                 "The pieces {}a-1/../y.mp3 and {}a-2/../y.mp3 are one file, so the second "
                 "would replace the first"},
        PlanCase{"DotSegment",
                 nullptr,
                 {"y.mp3", "./y.mp3"},
                 "The pieces {}y.mp3 and {}./y.mp3 are one file, so the second would replace "
                 "the first"},
        PlanCase{"OneTextTwice", nullptr, {"y.mp3", "y.mp3"}, std::nullopt},
        // Nothing can be written there; writing says why.
        PlanCase{"AMissingFolder", nullptr, {"none/y.mp3", "none/y.mp3"}, std::nullopt}),
    [](const auto& named) { return std::string(named.param.Name); });

TEST(WritePolicy, NamesWhatIsWrittenInItsRefusals) {
  TempDir dir;
  WriteBytes(dir.File("live.mp3"), {1});
  WritePolicy policy("cue sheet");
  policy.Protect(dir.File("live.mp3"), "the MP3 file");
  policy.Protect(dir.File("missing.mp3"), "nothing");  // names no file: protects nothing
  try {
    policy.CheckAll({dir.File("live.mp3")});
    ADD_FAILURE() << "not refused";
  } catch (const ERefusedSplit& refusal) {
    EXPECT_EQ(std::string(refusal.what()),
              "The cue sheet " + dir.File("live.mp3") + " would overwrite the MP3 file");
  }
  EXPECT_NO_THROW(policy.CheckAll({dir.File("missing.mp3")}));
}

}  // namespace
}  // namespace brelvik
