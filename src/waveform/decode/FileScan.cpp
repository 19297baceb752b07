#include "waveform/decode/FileScan.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <exception>
#include <optional>
#include <utility>

#include "playback/DecodePass.h"
#include "waveform/Envelope.h"
#include "waveform/PeakBuilder.h"

namespace brelvik::waveform {
namespace {

using Clock = std::chrono::steady_clock;

// How often the envelope grows on screen while the file is decoded.
constexpr auto kGrowthGap = std::chrono::milliseconds(25);

}  // namespace

FileScan::FileScan(std::string path, silence::SilenceSettings settings, Reports reports,
                   double knownMs)
    : reports_(std::move(reports)), thread_([this, path = std::move(path), settings, knownMs] {
        ScanFile(path, settings, reports_, knownMs, stop_);
      }) {}

FileScan::~FileScan() {
  Stop();
  thread_.join();
}

void ScanFile(const std::string& path, silence::SilenceSettings settings,
              const FileScan::Reports& reports, double knownMs, const std::atomic<bool>& stop) {
  std::optional<PeakBuilder> builder;
  std::optional<silence::SilenceFinder> finder;
  std::int64_t expected = 0;
  Clock::time_point lastGrowth;
  const auto grow = [&](double fraction) {
    lastGrowth = Clock::now();
    reports.Grew(builder->Take(), builder->Frames(), fraction);
  };

  playback::DecodePass pass;
  pass.Options = {.ScanLength = false, .Stop = &stop};
  pass.Opened = [&](const playback::Mpg123Decoder& decoder) {
    builder.emplace(decoder.Channels(), kFinestFrames);
    finder.emplace(decoder.Rate(), decoder.Channels(), settings);
    expected = knownMs > 0 ? static_cast<std::int64_t>(std::ceil(knownMs * decoder.Rate() / 1000))
                           : decoder.LengthSamples();
    reports.Opened({decoder.Rate(), decoder.Channels(), expected});
  };
  pass.Block = [&](const std::int16_t* interleaved, std::size_t frames) {
    if (stop) {
      return false;
    }
    const bool first = builder->Frames() == 0;
    builder->Feed(interleaved, frames);
    finder->Feed(interleaved, frames);
    if (first || Clock::now() - lastGrowth >= kGrowthGap) {
      const double done = static_cast<double>(builder->Frames());
      grow(expected > 0 ? std::min(done / static_cast<double>(expected), 1.0) : 0.0);
    }
    return true;
  };
  try {
    if (!playback::DecodeFile(path, pass) || stop) {
      return;
    }
    builder->Finish();
    grow(1.0);
    reports.Finished(finder->Finish());
  } catch (const std::exception& error) {
    if (!stop) {
      reports.Failed(error.what());
    }
  }
}

}  // namespace brelvik::waveform
