// The stream analysis through its injectable file access: the input is the
// file, after two bytes that pick an operation to fail and a read to come
// back short (0: none).
#include <algorithm>
#include <cstring>
#include <memory>

#include "FuzzChecks.h"
#include "analysis/MPEGaudio.h"
#include "split/StreamFigures.h"

namespace {

using brelvik::ReadOnlyFile;

class FaultyMemoryFile final : public ReadOnlyFile {
 public:
  FaultyMemoryFile(const std::uint8_t* data, std::size_t size, int& step, int failAt, int shortAt)
      : data_(data), size_(size), step_(step), failAt_(failAt), shortAt_(shortAt) {}

  std::optional<std::int64_t> Size() override {
    if (Fails()) {
      return std::nullopt;
    }
    return static_cast<std::int64_t>(size_);
  }
  bool Seek(std::int64_t position) override {
    if (Fails() || position < 0) {
      return false;
    }
    position_ = static_cast<std::size_t>(position);
    return true;
  }
  std::optional<std::size_t> Read(std::span<std::uint8_t> buffer) override {
    const bool shortRead = step_ + 1 == shortAt_;
    if (Fails()) {
      return std::nullopt;
    }
    std::size_t count = position_ < size_ ? std::min(buffer.size(), size_ - position_) : 0;
    if (shortRead) {
      count /= 2;
    }
    std::memcpy(buffer.data(), data_ + std::min(position_, size_), count);
    position_ += count;
    return count;
  }

 private:
  bool Fails() { return ++step_ == failAt_; }

  const std::uint8_t* data_;
  std::size_t size_;
  std::size_t position_ = 0;
  int& step_;
  int failAt_;
  int shortAt_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  brelvik::fuzz::Input input(data, size);
  const int failAt = input.Byte();
  const int shortAt = input.Byte();
  const std::uint8_t* file = input.Rest();
  const std::size_t fileSize = input.RestSize();
  int step = 0;
  brelvik::TMPEGaudio analyser([&](const std::string&) -> std::unique_ptr<ReadOnlyFile> {
    if (failAt == 255) {
      return nullptr;
    }
    return std::make_unique<FaultyMemoryFile>(file, fileSize, step, failAt, shortAt);
  });
  const bool analysed = analyser.Analyse("input.mp3");
  if (!analyser.FirstFrame().Found) {
    brelvik::fuzz::Check(!analyser.IsValid());
  }
  if (analysed && analyser.IsValid()) {
    const brelvik::StreamFigures figures = brelvik::SetDataMpeg(analyser);
    brelvik::fuzz::Check(figures.Kbps >= 8 && figures.Kbps <= 448 && figures.FrameBytes > 0);
    for (const std::int32_t ms : {0, 1, 260, 2'147'483'647, -1}) {
      const auto texts = brelvik::SetDataPosition(ms, figures);
      brelvik::fuzz::Check(texts.Time.size() == 8);
    }
    brelvik::FramesToMSec(figures.FrameTotal, figures.FrameBytes, figures.Kbps);
  }
  return 0;
}
