// Exact mode on any file: the frame walk, the cut plan and the pieces. The
// input is the file, after eight bytes that pick two cut times.
#include <sys/mman.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "FuzzChecks.h"
#include "exact/ExactSplit.h"
#include "exact/HeaderFrame.h"
#include "exact/StreamLayout.h"

namespace {

namespace exact = brelvik::exact;
using brelvik::fuzz::Check;

// The input as a file of its own, without touching the disk.
class MemoryFile {
 public:
  MemoryFile(const std::uint8_t* data, std::size_t size)
      : fd_(::memfd_create("input.mp3", MFD_CLOEXEC)) {
    Check(fd_ >= 0 && ::write(fd_, data, size) == static_cast<ssize_t>(size));
  }
  ~MemoryFile() { ::close(fd_); }
  MemoryFile(const MemoryFile&) = delete;
  MemoryFile& operator=(const MemoryFile&) = delete;
  std::string Path() const { return "/proc/self/fd/" + std::to_string(fd_); }

 private:
  int fd_;
};

void CheckLayout(const exact::StreamLayout& l) {
  Check(l.AudioStart <= l.AudioEnd && l.AudioEnd <= l.FileSize && l.AudioFrames > 0);
  Check(l.SamplesPerFrame == 384 || l.SamplesPerFrame == 576 || l.SamplesPerFrame == 1152);
  Check(0 <= l.FirstSample && l.FirstSample < l.EndSample &&
        l.EndSample <= l.AudioFrames * l.SamplesPerFrame);
}

void CheckRecipe(const exact::StreamLayout& l, const exact::PieceRecipe& r) {
  Check(0 <= r.FirstFrame && r.FirstFrame <= r.LastFrame && r.LastFrame < l.AudioFrames);
  Check(r.StateFrames >= 0 && r.FirstFrame - r.StateFrames >= 0);
  if (r.HeaderFrame) {
    Check(0 <= r.EncoderDelay && r.EncoderDelay <= exact::kLargestGaplessField);
    Check(0 <= r.EncoderPadding && r.EncoderPadding <= exact::kLargestGaplessField);
  }
}

void SplitInto(const std::string& source, const exact::StreamLayout& layout,
               const exact::CutPlan& plan) {
  char folder[] = "/tmp/brelvik-fuzz-XXXXXX";
  Check(::mkdtemp(folder) != nullptr);
  int written = 0;
  try {
    brelvik::InputFile file(source);
    exact::SplitExact(file, layout, plan, std::string(folder) + "/piece-%track%.mp3",
                      [&](int piece) { written = piece; });
    Check(written == plan.Pieces());
  } catch (const brelvik::EStreamError&) {
  }
  std::filesystem::remove_all(folder);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  brelvik::fuzz::Input input(data, size);
  const double first = static_cast<std::uint16_t>(input.Int32()) * 10.0;
  const double second = first + static_cast<std::uint16_t>(input.Int32()) * 10.0;
  const MemoryFile file(input.Rest(), input.RestSize());
  exact::IndexOutcome index;
  try {
    index = exact::IndexStream(file.Path());
  } catch (const brelvik::EStreamError&) {
    return 0;
  }
  Check(index.Layout.has_value() != !index.Refusal.empty());
  if (!index.Layout) {
    return 0;
  }
  const exact::StreamLayout& layout = *index.Layout;
  CheckLayout(layout);
  const exact::PlanOutcome plan = exact::PlanCuts(
      layout, {{0, "0"}, {first, "a"}, {second, "b"}, {exact::kEndOfStream, "end"}});
  if (!plan.Plan) {
    return 0;
  }
  for (int piece = 0; piece < plan.Plan->Pieces(); ++piece) {
    const auto& bounds = plan.Plan->Bounds;
    Check(bounds[static_cast<std::size_t>(piece)] < bounds[static_cast<std::size_t>(piece) + 1]);
    CheckRecipe(layout, exact::RecipeFor(layout, bounds[static_cast<std::size_t>(piece)],
                                         bounds[static_cast<std::size_t>(piece) + 1]));
  }
  if (input.RestSize() <= 256 * 1024) {
    SplitInto(file.Path(), layout, *plan.Plan);
  }
  return 0;
}
