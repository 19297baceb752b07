#include "playback/DecodePass.h"

#include <algorithm>
#include <chrono>
#include <optional>
#include <vector>

namespace brelvik::playback {
namespace {

using Clock = std::chrono::steady_clock;

constexpr double kReportStep = 0.01;
constexpr auto kReportGap = std::chrono::microseconds(2500);  // at most 400 reports a second
// However long a hundredth of the stream takes, the caller is asked this
// often whether to go on, so that a stop is heard at once on long files.
constexpr auto kLongestSilence = std::chrono::milliseconds(50);
// Decoded in blocks of about a two-hundredth of the stream, so that the
// reports can keep to their step, within these bounds.
constexpr std::int64_t kMinBlockFrames = 576;
constexpr std::int64_t kMaxBlockFrames = 8192;

// Passes the fraction done on to the caller's progress, as often as it is
// asked to be told.
class Reporter {
 public:
  explicit Reporter(const DecodeProgress& progress) : progress_(progress) {}

  // False when the caller asked to stop.
  bool Start() { return Tell(0.0); }
  bool Update(double fraction) {
    const auto since = Clock::now() - last_;
    if ((fraction < next_ || since < kReportGap) && since < kLongestSilence) {
      return true;
    }
    return Tell(fraction);
  }
  bool End() { return told_ >= 1.0 || Tell(1.0); }

 private:
  bool Tell(double fraction) {
    told_ = fraction;
    last_ = Clock::now();
    next_ = fraction + kReportStep;
    return !progress_ || progress_(fraction);
  }

  const DecodeProgress& progress_;
  Clock::time_point last_;
  double told_ = 0;
  double next_ = 0;
};

bool Stopped(const DecoderOptions& options) {
  return options.Stop != nullptr && options.Stop->load(std::memory_order_relaxed);
}

}  // namespace

bool DecodeFile(const std::string& path, const DecodePass& pass) {
  Reporter reporter(pass.Progress);
  if (!reporter.Start()) {
    return false;
  }
  std::optional<Mpg123Decoder> decoder;
  try {
    decoder.emplace(path, pass.Options);
  } catch (const DecoderError&) {
    if (Stopped(pass.Options)) {
      return false;
    }
    throw;
  }
  if (pass.Opened) {
    pass.Opened(*decoder);
  }
  const std::int64_t length = decoder->LengthSamples();
  const auto blockFrames =
      static_cast<std::size_t>(std::clamp(length / 200, kMinBlockFrames, kMaxBlockFrames));
  std::vector<std::int16_t> block(blockFrames * static_cast<std::size_t>(decoder->Channels()));
  std::int64_t done = 0;
  while (const std::size_t got = decoder->Read(block.data(), blockFrames)) {
    if (!pass.Block(block.data(), got)) {
      return false;
    }
    done += static_cast<std::int64_t>(got);
    const double fraction =
        length > 0 ? std::min(1.0, static_cast<double>(done) / static_cast<double>(length)) : 1.0;
    if (!reporter.Update(fraction)) {
      return false;
    }
  }
  return !Stopped(pass.Options) && reporter.End();
}

}  // namespace brelvik::playback
