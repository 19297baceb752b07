#include "silence/SilenceFinder.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>
#include <string>
#include <utility>

namespace brelvik::silence {
namespace {

constexpr int kSlicesPerWindow = 20;  // 1 ms each
constexpr int kSlicesPerSecond = 1000;
constexpr double kFullScale = 32768.0;
constexpr double kFullScaleEnergy = kFullScale * kFullScale;

std::uint64_t SumOfSquares(const std::int16_t* values, std::size_t count) {
  // A square fits in 31 bits, so 32-bit products keep the loop vectorisable.
  std::uint64_t sum = 0;
  for (std::size_t i = 0; i < count; ++i) {
    const std::int32_t v = values[i];
    sum += static_cast<std::uint32_t>(v * v);
  }
  return sum;
}

double LevelDb(double energy, double values) {
  if (energy <= 0 || values <= 0) {
    return kFloorDb;
  }
  return std::max(kFloorDb, 10.0 * std::log10(energy / values / kFullScaleEnergy));
}

}  // namespace

void CheckSettings(const SilenceSettings& settings) {
  if (!std::isfinite(settings.ThresholdDb)) {
    throw std::invalid_argument("the silence threshold must be a finite level in dBFS");
  }
  if (!std::isfinite(settings.MinLengthSecs) || settings.MinLengthSecs <= 0) {
    throw std::invalid_argument("the shortest silence must last more than 0 s, not " +
                                std::to_string(settings.MinLengthSecs));
  }
}

SilenceFinder::SilenceFinder(int rate, int channels, SilenceSettings settings)
    : rate_(rate),
      channels_(channels),
      settings_(settings),
      quietEnergyPerValue_(kFullScaleEnergy * std::pow(10.0, settings.ThresholdDb / 10.0)) {
  // Below 1000 Hz a 1 ms slice could hold no sample at all.
  if (rate < kSlicesPerSecond) {
    throw std::invalid_argument("sample rate " + std::to_string(rate) + " Hz is below 1000 Hz");
  }
  if (channels < 1) {
    throw std::invalid_argument("a stream needs at least one channel");
  }
  CheckSettings(settings);
  sliceEnd_ = SliceStart(1);
  window_.reserve(kSlicesPerWindow);
  previousWindow_.reserve(kSlicesPerWindow);
}

std::int64_t SilenceFinder::SliceStart(std::int64_t slice) const {
  // Rounded down from the exact time, so that 20 slices make a window of
  // exactly 20 ms on average at rates such as 11025 Hz as well.
  return slice * rate_ / kSlicesPerSecond;
}

bool SilenceFinder::IsQuiet(double energy, std::int64_t frames) const {
  return energy < quietEnergyPerValue_ * static_cast<double>(frames * channels_);
}

void SilenceFinder::Feed(const std::int16_t* interleaved, std::size_t frames) {
  const auto channels = static_cast<std::size_t>(channels_);
  while (frames > 0) {
    const std::int64_t filled = slice_.Start + slice_.Frames;
    const std::size_t take = std::min(static_cast<std::size_t>(sliceEnd_ - filled), frames);
    slice_.Energy += SumOfSquares(interleaved, take * channels);
    slice_.Frames += static_cast<std::int64_t>(take);
    interleaved += take * channels;
    frames -= take;
    if (slice_.Start + slice_.Frames == sliceEnd_) {
      CloseSlice();
    }
  }
}

std::vector<Silence> SilenceFinder::Finish() {
  if (slice_.Frames > 0) {
    CloseSlice();
  }
  if (!window_.empty()) {
    CloseWindow();
  }
  run_.reset();  // it lasts to the end of the stream
  return std::move(found_);
}

void SilenceFinder::CloseSlice() {
  window_.push_back(slice_);
  ++sliceIndex_;
  slice_ = Slice{.Start = sliceEnd_};
  sliceEnd_ = SliceStart(sliceIndex_ + 1);
  if (window_.size() == kSlicesPerWindow) {
    CloseWindow();
  }
}

void SilenceFinder::CloseWindow() {
  std::uint64_t energy = 0;
  std::int64_t frames = 0;
  for (const Slice& slice : window_) {
    energy += slice.Energy;
    frames += slice.Frames;
  }
  if (IsQuiet(static_cast<double>(energy), frames)) {
    if (!run_) {
      OpenRun(window_.front().Start);
    }
    run_->End = window_.front().Start + frames;
    run_->Energy += static_cast<double>(energy);
  } else if (run_) {
    // The quiet slices this loud window begins with still belong to the run.
    for (const Slice& slice : window_) {
      if (!IsQuiet(static_cast<double>(slice.Energy), slice.Frames)) {
        break;
      }
      run_->End = slice.Start + slice.Frames;
      run_->Energy += static_cast<double>(slice.Energy);
    }
    CloseRun();
  }
  std::swap(previousWindow_, window_);
  window_.clear();
}

void SilenceFinder::OpenRun(std::int64_t windowStart) {
  run_ = Run{.Start = windowStart, .End = windowStart, .FromStreamStart = windowStart == 0};
  // So do the quiet slices the loud window before it ends with.
  for (auto slice = previousWindow_.rbegin(); slice != previousWindow_.rend(); ++slice) {
    if (!IsQuiet(static_cast<double>(slice->Energy), slice->Frames)) {
      break;
    }
    run_->Start = slice->Start;
    run_->Energy += static_cast<double>(slice->Energy);
  }
}

void SilenceFinder::CloseRun() {
  const Run run = *run_;
  run_.reset();
  // Half a sample of slack, so that a run of exactly MinLengthSecs is not
  // lost to rounding in the product.
  const double minFrames = settings_.MinLengthSecs * rate_ - 0.5;
  if (!run.FromStreamStart && static_cast<double>(run.End - run.Start) >= minFrames) {
    found_.push_back(ToSilence(run));
  }
}

Silence SilenceFinder::ToSilence(const Run& run) const {
  const double msPerFrame = 1000.0 / rate_;
  const auto frames = static_cast<double>(run.End - run.Start);
  return Silence{.StartMs = static_cast<double>(run.Start) * msPerFrame,
                 .LengthMs = frames * msPerFrame,
                 .LevelDb = LevelDb(run.Energy, frames * channels_)};
}

}  // namespace brelvik::silence
