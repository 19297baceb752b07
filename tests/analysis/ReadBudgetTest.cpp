#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdint>
#include <functional>
#include <memory>
#include <numeric>
#include <optional>
#include <string>
#include <vector>

#include "AnalysisTestFiles.h"
#include "StreamBuilder.h"
#include "TempDir.h"
#include "analysis/MPEGaudio.h"
#include "analysis/ReadOnlyFile.h"

namespace brelvik {
namespace {

using testing::Bytes;
using testing::HeaderFields;
using testing::PrintTo;
using testing::StreamBuilder;
using testing::TempDir;

constexpr HeaderFields kMp3{};  // 417-byte frames
constexpr std::int64_t kWindow = 3458;

enum class Op { Open, Size, Seek, Read, Close };

struct Event {
  Op Kind;
  std::int64_t Value;  // Seek: the position; Read: the bytes asked for
};

// Watches every file the analysis opens through its opener: logs each
// operation and can make the operation of one step fail, or one read come
// back with half the bytes asked for. Steps count every operation but Close.
class FileWatch {
 public:
  struct Faults {
    std::optional<int> FailAt = std::nullopt;
    std::optional<int> ShortenAt = std::nullopt;
  };

  FileWatch() = default;
  explicit FileWatch(Faults faults) : faults_(faults) {}

  FileOpener Opener();

  // False when this step is to fail.
  bool Step(Op kind, std::int64_t value) {
    events_.push_back({kind, value});
    return steps_++ != faults_.FailAt;
  }
  bool ShortenThisRead() const { return steps_ - 1 == faults_.ShortenAt; }
  void Opened() { ++opened_; }
  void Closed() { events_.push_back({Op::Close, 0}); }

  // Files handed out; each must have been closed by the end of the analysis.
  int OpenFiles() const { return opened_; }

  int Steps() const { return steps_; }
  int Count(Op kind) const {
    return static_cast<int>(std::count_if(events_.begin(), events_.end(),
                                          [kind](const Event& e) { return e.Kind == kind; }));
  }
  std::vector<std::int64_t> Values(Op kind) const {
    std::vector<std::int64_t> values;
    for (const Event& e : events_) {
      if (e.Kind == kind) {
        values.push_back(e.Value);
      }
    }
    return values;
  }
  std::vector<int> StepsOf(Op kind) const {
    std::vector<int> steps;
    int step = 0;
    for (const Event& e : events_) {
      if (e.Kind == kind) {
        steps.push_back(step);
      }
      if (e.Kind != Op::Close) {
        ++step;
      }
    }
    return steps;
  }

 private:
  Faults faults_;
  std::vector<Event> events_;
  int steps_ = 0;
  int opened_ = 0;
};

class WatchedFile final : public ReadOnlyFile {
 public:
  WatchedFile(std::unique_ptr<ReadOnlyFile> inner, FileWatch& watch)
      : inner_(std::move(inner)), watch_(watch) {}
  WatchedFile(const WatchedFile&) = delete;
  WatchedFile& operator=(const WatchedFile&) = delete;
  ~WatchedFile() override { watch_.Closed(); }

  std::optional<std::int64_t> Size() override {
    if (!watch_.Step(Op::Size, 0)) {
      return std::nullopt;
    }
    return inner_->Size();
  }

  bool Seek(std::int64_t position) override {
    return watch_.Step(Op::Seek, position) && inner_->Seek(position);
  }

  std::optional<std::size_t> Read(std::span<std::uint8_t> buffer) override {
    if (!watch_.Step(Op::Read, static_cast<std::int64_t>(buffer.size()))) {
      return std::nullopt;
    }
    if (watch_.ShortenThisRead()) {
      return inner_->Read(buffer.first(buffer.size() / 2));
    }
    return inner_->Read(buffer);
  }

 private:
  std::unique_ptr<ReadOnlyFile> inner_;
  FileWatch& watch_;
};

FileOpener FileWatch::Opener() {
  return [this](const std::string& path) -> std::unique_ptr<ReadOnlyFile> {
    if (!Step(Op::Open, 0)) {
      return nullptr;
    }
    auto file = OpenFileOnDisk(path);
    if (!file) {
      return nullptr;
    }
    Opened();
    return std::make_unique<WatchedFile>(std::move(file), *this);
  };
}

using Positions = std::vector<std::int64_t>;

struct Plan {
  std::string Path;
  Positions Seeks;  // expected, in order
  Positions Reads;  // expected sizes, in order
};

struct BudgetCase {
  const char* Name;
  std::function<Plan(const TempDir&)> Make;
};

Plan Written(const TempDir& dir, const StreamBuilder& builder, Positions seeks, Positions reads) {
  const std::string path = dir.File("watched.mp3");
  builder.WriteTo(path);
  return {path, std::move(seeks), std::move(reads)};
}

class ReadBudgetTest : public ::testing::TestWithParam<BudgetCase> {};

// Two tag reads of 128 and 10 bytes, then at most three windows, whatever
// the file's size; every file opened is closed again.
TEST_P(ReadBudgetTest, TagReadsAndAtMostThreeWindows) {
  const TempDir dir;
  const Plan plan = GetParam().Make(dir);
  FileWatch watch;
  TMPEGaudio audio(watch.Opener());
  ASSERT_TRUE(audio.Analyse(plan.Path));

  const Positions reads = watch.Values(Op::Read);
  EXPECT_EQ(watch.Values(Op::Seek), plan.Seeks);
  EXPECT_EQ(reads, plan.Reads);
  ASSERT_GE(reads.size(), 3u);
  EXPECT_EQ(reads[0], 128);
  EXPECT_EQ(reads[1], 10);
  EXPECT_LE(std::count(reads.begin(), reads.end(), kWindow), 3);
  EXPECT_LE(std::accumulate(reads.begin(), reads.end(), std::int64_t{0}), 3 * kWindow + 138);
  EXPECT_EQ(watch.OpenFiles(), 3);
  EXPECT_EQ(watch.Count(Op::Close), 3);
}

INSTANTIATE_TEST_SUITE_P(
    Files, ReadBudgetTest,
    ::testing::Values(
        BudgetCase{"ConstantRateWithId3v1",
                   [](const TempDir& dir) {
                     const auto b = StreamBuilder().Frames(kMp3, 20).ID3v1();
                     const auto size = static_cast<std::int64_t>(b.Size());
                     return Written(dir, b, {size - 128, 0, size - kWindow - 128},
                                    {128, 10, kWindow, kWindow});
                   }},
        BudgetCase{"VariableRateHasNoTrailerRead",
                   [](const TempDir& dir) {
                     const auto b =
                         StreamBuilder().XingFrame(kMp3, 36, 1000, 400000).Frames(kMp3, 20);
                     const auto size = static_cast<std::int64_t>(b.Size());
                     return Written(dir, b, {size - 128, 0}, {128, 10, kWindow});
                   }},
        BudgetCase{"NoFramesAnywhere",
                   [](const TempDir& dir) {
                     return Written(dir, StreamBuilder().Junk(10000), {10000 - 128, 0, 5000},
                                    {128, 10, kWindow, kWindow});
                   }},
        BudgetCase{
            "NoFramesShortFile",
            [](const TempDir& dir) {
              return Written(dir, StreamBuilder().Junk(3000), {3000 - 128, 0}, {128, 10, kWindow});
            }},
        BudgetCase{
            "FrameInTheSecondWindow",
            [](const TempDir& dir) {
              // 1,000-byte tag, junk to 7,380, 20 frames to 15,720.
              const auto b = StreamBuilder().ID3v2({0, 0, 7, 94}, 990).Junk(6380).Frames(kMp3, 20);
              return Written(dir, b, {15720 - 128, 1000, 7360, 15720 - kWindow},
                             {128, 10, kWindow, kWindow, kWindow});
            }},
        BudgetCase{
            "ThreeGiBSparse",
            [](const TempDir& dir) {
              constexpr std::int64_t kSize = std::int64_t{3} << 30;
              const std::string path = dir.File("large.mp3");
              testing::WriteSparse(path, StreamBuilder().Frames(kMp3, 10).Get(), kSize);
              return Plan{path, {kSize - 128, 0, kSize - kWindow}, {128, 10, kWindow, kWindow}};
            }}),
    testing::CaseName());

// The file behind each fault: a tagged constant-rate stream that needs all
// three windows, and a variable-rate one.
std::string FaultFile(const TempDir& dir, bool vbr) {
  StreamBuilder builder;
  if (vbr) {
    builder.XingFrame(kMp3, 36, 1000, 400000).Frames(kMp3, 20);
  } else {
    builder.ID3v2({0, 0, 7, 94}, 990).Junk(6380).Frames(kMp3, 20).ID3v1();
  }
  const std::string path = dir.File(vbr ? "vbr.mp3" : "cbr.mp3");
  builder.WriteTo(path);
  return path;
}

class FaultTest : public ::testing::TestWithParam<bool> {};

TEST_P(FaultTest, EveryFailingOperationMakesAnalyseFalse) {
  const TempDir dir;
  const std::string path = FaultFile(dir, GetParam());
  FileWatch clean;
  ASSERT_TRUE(TMPEGaudio(clean.Opener()).Analyse(path));
  // Tag readers 4 and 3 steps (open, size, seek, read; open, read, size);
  // the stream open, size and a seek and read per window: one for the
  // variable-rate file, three for the constant-rate one.
  ASSERT_EQ(clean.Steps(), GetParam() ? 4 + 3 + 4 : 4 + 3 + 8);

  for (int step = 0; step < clean.Steps(); ++step) {
    SCOPED_TRACE(::testing::Message() << "failing step " << step);
    FileWatch watch({.FailAt = step});
    TMPEGaudio audio(watch.Opener());
    bool result = true;
    EXPECT_NO_THROW(result = audio.Analyse(path));
    EXPECT_FALSE(result);
    EXPECT_EQ(watch.Count(Op::Close), watch.OpenFiles());
  }
}

// Fewer bytes than asked fail the tag reads only; a short window read just
// leaves the window's tail empty.
TEST_P(FaultTest, ShortReadsFailOnlyTheTagReads) {
  const TempDir dir;
  const std::string path = FaultFile(dir, GetParam());
  FileWatch clean;
  ASSERT_TRUE(TMPEGaudio(clean.Opener()).Analyse(path));
  const std::vector<int> readSteps = clean.StepsOf(Op::Read);
  ASSERT_GE(readSteps.size(), 3u);

  for (std::size_t i = 0; i < readSteps.size(); ++i) {
    SCOPED_TRACE(::testing::Message() << "short read " << i);
    FileWatch watch({.ShortenAt = readSteps[i]});
    TMPEGaudio audio(watch.Opener());
    EXPECT_EQ(audio.Analyse(path), i >= 2);
  }
}

INSTANTIATE_TEST_SUITE_P(Files, FaultTest, ::testing::Values(false, true),
                         [](const auto& file) { return file.param ? "Vbr" : "Cbr"; });

}  // namespace
}  // namespace brelvik

namespace brelvik {
namespace {

// A FIFO (or a device) named like an MP3 is not waited for: the analysis
// says false at once, as for any file it cannot read.
TEST(NotARegularFile, AFifoMakesAnalyseFalseWithoutWaiting) {
  TempDir dir;
  const std::string fifo = dir.File("stream.mp3");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0644), 0);
  TMPEGaudio analyser;
  EXPECT_FALSE(analyser.Analyse(fifo));
  EXPECT_FALSE(analyser.IsValid());
  EXPECT_EQ(OpenFileOnDisk(fifo), nullptr);
  EXPECT_EQ(OpenFileOnDisk(dir.Path().string()), nullptr);
}

}  // namespace
}  // namespace brelvik
