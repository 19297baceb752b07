#include "cue/CuePaths.h"

#include <algorithm>
#include <filesystem>
#include <optional>
#include <vector>

#include "cue/CueSheet.h"
#include "cue/TextEncoding.h"
#include "io/InputFile.h"
#include "split/OutputNaming.h"

namespace brelvik::cue {
namespace {

namespace fs = std::filesystem;

// The names a FILE line's UTF-8 name may have on the disk: as written, and
// its Windows-1252 and Latin-1 bytes, as sheets name files whose names are no
// UTF-8 (this program's older sheets took such names for Latin-1).
std::vector<std::string> SpellingsOf(const std::string& written) {
  std::vector<std::string> spellings = {written};
  for (const auto& other : {Utf8ToWindows1252(written), Utf8ToLatin1(written)}) {
    if (other && std::find(spellings.begin(), spellings.end(), *other) == spellings.end()) {
      spellings.push_back(*other);
    }
  }
  return spellings;
}

// The regular file a FILE line's path names from the folder, under the first
// of its spellings that names one.
std::optional<fs::path> ExistingFileIn(const fs::path& folder, const std::string& written) {
  for (const std::string& spelling : SpellingsOf(written)) {
    std::error_code ignored;
    if (fs::path candidate = folder / spelling; fs::is_regular_file(candidate, ignored)) {
      return candidate;
    }
  }
  return std::nullopt;
}

// The path with its folders' "..", "." and links resolved, its file's name
// kept: "sheets/../live.mp3" as the window and messages show it.
fs::path WithFolderResolved(const fs::path& path) {
  std::error_code error;
  const fs::path folder = fs::weakly_canonical(path.parent_path(), error);
  return error ? path : folder / path.filename();
}

}  // namespace

std::string SlashedPath(std::string name) {
  std::replace(name.begin(), name.end(), '\\', '/');
  return name;
}

std::string AudioPathOf(const std::string& sheetPath, const CueSheet& sheet) {
  const fs::path folder = fs::path(sheetPath).parent_path();
  const std::string path = SlashedPath(sheet.File);
  const std::string name = FileNamePart(path);
  if (path != name && !path.starts_with('/')) {
    if (const auto found = ExistingFileIn(folder, path)) {
      return WithFolderResolved(*found).string();
    }
  }
  return ExistingFileIn(folder, name).value_or(folder / name).string();
}

std::string RefusalForAudio(const std::string& sheetPath, const CueSheet& sheet,
                            const std::string& audioPath) {
  const std::string named = AudioPathOf(sheetPath, sheet);
  if (IsSameFile(named, audioPath)) {
    return {};
  }
  return "The cue sheet " + sheetPath + " is for " + named + ", not for " + audioPath;
}

std::string SheetPathFor(const std::string& audioPath) {
  return ExtractPureName(audioPath) + ".cue";
}

std::string FileTextFor(const std::string& sheetPath, const std::string& audioPath) {
  const auto folderOf = [](const std::string& path) {
    const fs::path folder = fs::path(path).parent_path();
    std::error_code ignored;
    return fs::weakly_canonical(fs::absolute(folder.empty() ? "." : folder, ignored), ignored);
  };
  const std::string name = FileNamePart(audioPath);
  const fs::path sheetFolder = folderOf(sheetPath);
  const fs::path audioFolder = folderOf(audioPath);
  if (sheetFolder == audioFolder) {
    return name;
  }
  const fs::path relative = audioFolder.lexically_relative(sheetFolder);
  return relative.empty() ? name : (relative / name).generic_string();
}

}  // namespace brelvik::cue
