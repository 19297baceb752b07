#include "io/PieceWriter.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <random>

namespace brelvik {
namespace {

constexpr int kNameAttempts = 16;

std::string RandomSuffix() {
  static constexpr char kLetters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
  std::random_device device;
  std::uniform_int_distribution<std::size_t> pick(0, sizeof kLetters - 2);
  std::string suffix(8, ' ');
  for (char& c : suffix) {
    c = kLetters[pick(device)];
  }
  return suffix;
}

std::string HiddenNameFor(const std::string& name) {
  return "." + name.substr(0, 200) + "." + RandomSuffix() + ".part";
}

bool UnnamedFilesCanBeLinked() {
  static const bool procMounted = ::access("/proc/self/fd", X_OK) == 0;
  return procMounted;
}

}  // namespace

PieceWriter::PieceWriter(const std::string& destination, WritePolicy policy)
    : place_(destination), policy_(std::move(policy)) {
  if (!place_.Folder().Valid()) {
    ThrowCreateError(place_.OpenError());
  }
  const FolderEntry there = place_.Look();
  policy_.Check(place_, there);
  replaces_ = there.What == FolderEntry::Kind::RegularFile;
  // An existing file we may not write to stays as it is, as a plain
  // overwrite would have left it.
  if (replaces_ && ::faccessat(place_.Folder().Get(), place_.Name().c_str(), W_OK, 0) != 0) {
    ThrowCreateError(errno);
  }
  if (UnnamedFilesCanBeLinked()) {
    OpenUnnamed();
  }
  if (!file_.Valid()) {
    OpenHidden();
  }
  // A replaced file keeps its permissions, as an overwrite in place would.
  if (replaces_) {
    ::fchmod(file_.Get(), there.Mode & 07777);
  }
}

PieceWriter::~PieceWriter() {
  file_.Close();
  if (!temporary_.empty()) {
    ::unlinkat(place_.Folder().Get(), temporary_.c_str(), 0);
    Forget();
  }
}

void PieceWriter::OpenUnnamed() {
  file_ = FileDescriptor(RetryInterrupted([&] {
    return ::openat(place_.Folder().Get(), ".", O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
  }));
}

void PieceWriter::OpenHidden() {
  for (int attempt = 0; attempt < kNameAttempts && !file_.Valid(); ++attempt) {
    temporary_ = HiddenNameFor(place_.Name());
    registered_.emplace(place_.Folder().Get(), temporary_);
    file_ = FileDescriptor(RetryInterrupted([&] {
      return ::openat(place_.Folder().Get(), temporary_.c_str(),
                      O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
    }));
    if (!file_.Valid() && errno != EEXIST) {
      break;
    }
  }
  if (!file_.Valid()) {
    const int error = errno;
    Forget();
    ThrowCreateError(error);
  }
}

void PieceWriter::Forget() {
  temporary_.clear();
  registered_.reset();
}

void PieceWriter::ThrowWriteError(int error) const {
  throw EStreamError("Stream write error", place_.Path(), std::strerror(error));
}

void PieceWriter::ThrowCreateError(int error) const {
  throw EStreamError("Cannot create file " + place_.Path(), place_.Path(), std::strerror(error));
}

void PieceWriter::Write(std::span<const std::uint8_t> bytes) {
  if (const Transfer written = file_.WriteFull(bytes); written.Error != 0) {
    ThrowWriteError(written.Error);
  }
}

void PieceWriter::WriteAt(std::int64_t offset, std::span<const std::uint8_t> bytes) {
  if (const Transfer written = file_.WriteFullAt(offset, bytes); written.Error != 0) {
    ThrowWriteError(written.Error);
  }
}

bool PieceWriter::LinkUnnamedAs(const std::string& name) const {
  const std::string self = "/proc/self/fd/" + std::to_string(file_.Get());
  return ::linkat(AT_FDCWD, self.c_str(), place_.Folder().Get(), name.c_str(), AT_SYMLINK_FOLLOW) ==
         0;
}

void PieceWriter::LinkUnnamedAsHidden() {
  for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
    temporary_ = HiddenNameFor(place_.Name());
    registered_.emplace(place_.Folder().Get(), temporary_);
    if (LinkUnnamedAs(temporary_)) {
      return;
    }
    if (errno != EEXIST) {
      break;
    }
  }
  const int error = errno;
  Forget();
  ThrowCreateError(error);
}

void PieceWriter::CloseWritten() {
  if (!file_.Close()) {
    ThrowWriteError(errno);
  }
}

void PieceWriter::Commit() {
  const bool unnamed = temporary_.empty();
  // A new name takes the file at once; linkat never follows nor replaces
  // what is there, so a name taken in the meantime is looked at below.
  if (unnamed && !replaces_) {
    if (LinkUnnamedAs(place_.Name())) {
      CloseWritten();
      return;
    }
    if (errno != EEXIST) {
      ThrowCreateError(errno);
    }
  }
  // A file there is replaced through a hidden name, which exists only
  // between the two steps.
  if (unnamed) {
    LinkUnnamedAsHidden();
  }
  CloseWritten();
  PutInPlace();
}

void PieceWriter::PutInPlace() {
  policy_.Check(place_, place_.Look());
  const int folder = place_.Folder().Get();
  if (::renameat(folder, temporary_.c_str(), folder, place_.Name().c_str()) != 0) {
    ThrowCreateError(errno);
  }
  Forget();
}

}  // namespace brelvik
