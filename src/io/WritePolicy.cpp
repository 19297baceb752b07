#include "io/WritePolicy.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <map>
#include <tuple>
#include <utility>

namespace brelvik {
namespace {

// The folder part of a path and its last component: "/a/b" gives "/a" and
// "b", "b" gives "." and "b", "/b" gives "/" and "b"; a path ending in "/"
// has an empty last component.
std::pair<std::string, std::string> FolderAndName(const std::string& path) {
  const auto slash = path.rfind('/');
  if (slash == std::string::npos) {
    return {".", path};
  }
  return {slash == 0 ? "/" : path.substr(0, slash), path.substr(slash + 1)};
}

}  // namespace

OutputPlace::OutputPlace(const std::string& path) : path_(path) {
  std::string folder;
  std::tie(folder, name_) = FolderAndName(path);
  folder_ = FileDescriptor(
      RetryInterrupted([&] { return ::open(folder.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC); }));
  if (!folder_.Valid()) {
    openError_ = errno;
    return;
  }
  if (const auto status = folder_.Status()) {
    folderIdentity_ = IdentityOf(*status);
  }
}

FolderEntry OutputPlace::Look() const {
  using Kind = FolderEntry::Kind;
  if (!folder_.Valid()) {
    return {};
  }
  // An empty name is the folder itself.
  struct stat status {};
  if (::fstatat(folder_.Get(), name_.empty() ? "." : name_.c_str(), &status, AT_SYMLINK_NOFOLLOW) !=
      0) {
    return {errno == ENOENT ? Kind::Missing : Kind::Unknown, {}, 0};
  }
  const Kind kind = S_ISLNK(status.st_mode)   ? Kind::SymbolicLink
                    : S_ISREG(status.st_mode) ? Kind::RegularFile
                                              : Kind::Other;
  return {kind, IdentityOf(status), status.st_mode};
}

void WritePolicy::Protect(const InputFile& file, std::string what) {
  protected_.push_back({file.Identity(), std::move(what)});
}

void WritePolicy::Protect(const std::string& path, std::string what) {
  if (const auto identity = IdentityOfPath(path)) {
    protected_.push_back({*identity, std::move(what)});
  }
}

void WritePolicy::Check(const OutputPlace& place, const FolderEntry& there) const {
  using Kind = FolderEntry::Kind;
  const std::string& path = place.Path();
  if (there.What == Kind::SymbolicLink) {
    throw ERefusedSplit(path + " is a symbolic link; remove it or choose another name");
  }
  if (there.What == Kind::Other) {
    throw ERefusedSplit("The " + noun_ + " " + path +
                        " names something other than a regular file, which is left as it is");
  }
  if (there.What != Kind::RegularFile) {
    return;
  }
  const auto read = std::find_if(protected_.begin(), protected_.end(), [&](const Protected& file) {
    return file.Identity == there.Identity;
  });
  if (read != protected_.end()) {
    throw ERefusedSplit("The " + noun_ + " " + path + " would overwrite " + read->What);
  }
}

void WritePolicy::CheckAll(const std::vector<std::string>& paths) const {
  // The names seen so far, by folder and last component.
  std::map<std::pair<FileIdentity, std::string>, const std::string*> seen;
  for (const std::string& path : paths) {
    const OutputPlace place(path);
    Check(place, place.Look());
    if (!place.Folder().Valid()) {
      continue;  // nothing can be written there; writing says why
    }
    const auto [earlier, added] =
        seen.emplace(std::pair(place.FolderIdentity(), place.Name()), &path);
    if (!added && *earlier->second != path) {
      throw ERefusedSplit("The " + noun_ + "s " + *earlier->second + " and " + path +
                          " are one file, so the second would replace the first");
    }
  }
}

}  // namespace brelvik
