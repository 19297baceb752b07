#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <numeric>
#include <thread>

#include "TempDir.h"
#include "io/EndSignals.h"
#include "io/FileDescriptor.h"
#include "io/InputFile.h"

namespace brelvik {
namespace {

using testing::Bytes;
using testing::ReadBytes;
using testing::TempDir;
using testing::WriteBytes;
namespace fs = std::filesystem;

Bytes Counting(std::size_t count) {
  Bytes bytes(count);
  std::iota(bytes.begin(), bytes.end(), std::uint8_t{0});
  return bytes;
}

// A pipe gives what has been written so far: a full read gathers the pieces
// a writer sends one at a time.
TEST(FileDescriptor, AFullReadWaitsForEveryByteAskedFor) {
  int ends[2];
  ASSERT_EQ(::pipe(ends), 0);
  FileDescriptor reader(ends[0]);
  const Bytes sent = Counting(300);
  std::thread writer([&] {
    FileDescriptor out(ends[1]);
    for (std::size_t at = 0; at < sent.size(); at += 100) {
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
      ASSERT_EQ(out.WriteFull(std::span(sent).subspan(at, 100)).Bytes, 100u);
    }
  });
  Bytes got(250);
  const Transfer read = reader.ReadFull(got);
  writer.join();
  EXPECT_EQ(read.Bytes, 250u);
  EXPECT_EQ(read.Error, 0);
  EXPECT_EQ(got, Bytes(sent.begin(), sent.begin() + 250));
  // The writer has closed its end: the rest, then the end of the pipe.
  Bytes rest(100);
  EXPECT_EQ(reader.ReadFull(rest).Bytes, 50u);
}

TEST(FileDescriptor, ReadsAndWritesAtAnOffsetLeaveThePositionAlone) {
  TempDir dir;
  const std::string path = dir.File("data");
  FileDescriptor file(::open(path.c_str(), O_RDWR | O_CREAT, 0644));
  ASSERT_TRUE(file.Valid());
  ASSERT_EQ(file.WriteFull(Counting(10)).Bytes, 10u);
  ASSERT_EQ(file.WriteFullAt(2, Bytes{0xAA, 0xBB}).Bytes, 2u);
  ASSERT_EQ(file.WriteFull(Bytes{0xCC}).Bytes, 1u);  // still at 10
  EXPECT_EQ(ReadBytes(path), (Bytes{0, 1, 0xAA, 0xBB, 4, 5, 6, 7, 8, 9, 0xCC}));

  Bytes middle(3);
  EXPECT_EQ(file.ReadFullAt(3, middle).Bytes, 3u);
  EXPECT_EQ(middle, (Bytes{0xBB, 4, 5}));
  Bytes pastTheEnd(4);
  const Transfer short_ = file.ReadFullAt(9, pastTheEnd);
  EXPECT_EQ(short_.Bytes, 2u);
  EXPECT_EQ(short_.Error, 0);
}

TEST(FileDescriptor, AFailedCallSaysWhy) {
  TempDir dir;
  WriteBytes(dir.File("data"), Counting(4));
  FileDescriptor readOnly(::open(dir.File("data").c_str(), O_RDONLY));
  EXPECT_EQ(readOnly.WriteFull(Bytes{1}).Error, EBADF);
  FileDescriptor moved = std::move(readOnly);
  EXPECT_FALSE(readOnly.Valid());
  EXPECT_TRUE(moved.Close());
  EXPECT_FALSE(moved.Valid());
}

struct OpenCase {
  const char* Name;
  void (*Make)(const std::string& path);
  int Error;  // 0 when it opens
};

const OpenCase kOpenCases[] = {
    {"RegularFile",
     [](const std::string& p) {
       WriteBytes(p, {1, 2});
     },
     0},
    {"LinkToARegularFile",
     [](const std::string& p) {
       WriteBytes(p + ".real", {1, 2});
       fs::create_symlink(p + ".real", p);
     },
     0},
    {"Missing", [](const std::string&) {}, ENOENT},
    {"Folder", [](const std::string& p) { fs::create_directory(p); }, EINVAL},
    // Opening a FIFO without a writer would wait for one.
    {"Fifo", [](const std::string& p) { ASSERT_EQ(::mkfifo(p.c_str(), 0644), 0); }, EINVAL},
};

void PrintTo(const OpenCase& row, std::ostream* out) {
  *out << row.Name;
}

class OpenForReading : public ::testing::TestWithParam<OpenCase> {};

TEST_P(OpenForReading, TakesRegularFilesOnlyAndNeverWaits) {
  TempDir dir;
  const std::string path = dir.File("input");
  GetParam().Make(path);
  const OpenedFile opened = OpenRegularFile(path);
  EXPECT_EQ(opened.Error, GetParam().Error);
  EXPECT_EQ(opened.File.Valid(), GetParam().Error == 0);
  if (GetParam().Error == 0) {
    EXPECT_NO_THROW(InputFile{path});
  } else {
    try {
      InputFile file(path);
      ADD_FAILURE() << "opened";
    } catch (const EStreamError& error) {
      EXPECT_EQ(std::string(error.what()), "Cannot open file " + path);
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Kinds, OpenForReading, ::testing::ValuesIn(kOpenCases),
                         [](const auto& named) { return std::string(named.param.Name); });

TEST(InputFile, ReadingPastTheEndIsAStreamReadError) {
  TempDir dir;
  WriteBytes(dir.File("data"), Counting(10));
  InputFile file(dir.File("data"));
  Bytes four(4);
  file.ReadAt(6, four);
  EXPECT_EQ(four, (Bytes{6, 7, 8, 9}));
  try {
    file.ReadAt(7, four);
    ADD_FAILURE() << "read past the end";
  } catch (const EStreamError& error) {
    EXPECT_EQ(error.Detailed(), "Stream read error: " + dir.File("data") + ": the file ends early");
  }
}

TEST(RegisteredTemporary, IsRemovedByAnEndingSignalOnlyWhileItIsListed) {
  TempDir dir;
  FileDescriptor folder(::open(dir.Path().c_str(), O_PATH | O_DIRECTORY));
  WriteBytes(dir.File(".a.part"), {1});
  WriteBytes(dir.File(".b.part"), {2});
  { const RegisteredTemporary forgotten(folder.Get(), ".b.part"); }
  const RegisteredTemporary listed(folder.Get(), ".a.part");
  RemoveTemporaries();
  EXPECT_FALSE(fs::exists(dir.File(".a.part")));
  EXPECT_TRUE(fs::exists(dir.File(".b.part")));
}

}  // namespace
}  // namespace brelvik
