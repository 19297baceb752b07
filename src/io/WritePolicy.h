// What this program may write over. A file is written only into the folder
// the user named and under the name the user named: the folder is opened once
// and the name looked at inside it without following a link. Folders along
// the path may be links (the user named them); the last component may not.
// Refused, before anything is written and again at the moment a file is put
// in place (ERefusedSplit):
//   - a symbolic link under the name, whatever it leads to: writing through
//     it would put the file wherever whoever made the link chose;
//   - anything but a regular file under the name (a device, a FIFO, a
//     folder), which is left as it is;
//   - a file the run reads (the source, a cue sheet), by its identity;
//   - two names of one run that are one file: the same folder (device and
//     inode) and the same last component.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

#include "io/FileDescriptor.h"
#include "io/InputFile.h"

namespace brelvik {

// What a name in a folder holds, the name not followed when it is a link.
struct FolderEntry {
  enum class Kind { Missing, RegularFile, SymbolicLink, Other, Unknown };
  Kind What = Kind::Unknown;  // Unknown: it cannot be looked at (no folder, no access)
  FileIdentity Identity;
  mode_t Mode = 0;
};

// Where a file is to be written: the folder its path names, opened once
// (O_PATH), and the path's last component in it.
class OutputPlace {
 public:
  explicit OutputPlace(const std::string& path);

  const std::string& Path() const { return path_; }  // as given, for messages
  const std::string& Name() const { return name_; }
  const FileDescriptor& Folder() const { return folder_; }
  // The folder could not be opened: its errno.
  int OpenError() const { return openError_; }
  FileIdentity FolderIdentity() const { return folderIdentity_; }

  // What the name holds now.
  FolderEntry Look() const;

 private:
  std::string path_;
  std::string name_;
  FileDescriptor folder_;
  int openError_ = 0;
  FileIdentity folderIdentity_;
};

class WritePolicy {
 public:
  // `noun` names what is written in refusals: "piece", "cue sheet".
  explicit WritePolicy(std::string noun = "piece") : noun_(std::move(noun)) {}

  // Nothing written may take the place of this file; `what` names it in the
  // refusal: "the source file".
  void Protect(const InputFile& file, std::string what);
  // The file the path names now (through links), if it names one.
  void Protect(const std::string& path, std::string what);

  // Raises ERefusedSplit when the place may not be written, as it holds `there`.
  void Check(const OutputPlace& place, const FolderEntry& there) const;
  // Every name of a run, before anything is written: each as Check, and no
  // two that are one file. The same text twice is not taken for a collision:
  // a template without a number names one file for every piece, the last
  // piece standing, as callers that allow it expect.
  void CheckAll(const std::vector<std::string>& paths) const;

 private:
  struct Protected {
    FileIdentity Identity;
    std::string What;
  };

  std::string noun_;
  std::vector<Protected> protected_;
};

}  // namespace brelvik
