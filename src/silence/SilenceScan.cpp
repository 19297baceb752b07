#include "silence/SilenceScan.h"

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <vector>

#include "playback/Mpg123Decoder.h"

namespace brelvik::silence {
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
  explicit Reporter(const ScanProgress& progress) : progress_(progress) {}

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

  const ScanProgress& progress_;
  Clock::time_point last_;
  double told_ = 0;
  double next_ = 0;
};

}  // namespace

std::optional<std::vector<Silence>> FindSilences(const std::string& path,
                                                 const SilenceSettings& settings,
                                                 const ScanProgress& progress) {
  CheckSettings(settings);
  Reporter reporter(progress);
  if (!reporter.Start()) {
    return std::nullopt;
  }
  playback::Mpg123Decoder decoder(path);
  SilenceFinder finder(decoder.Rate(), decoder.Channels(), settings);
  const std::int64_t length = decoder.LengthSamples();
  const auto blockFrames =
      static_cast<std::size_t>(std::clamp(length / 200, kMinBlockFrames, kMaxBlockFrames));
  std::vector<std::int16_t> block(blockFrames * static_cast<std::size_t>(decoder.Channels()));
  std::int64_t done = 0;
  while (const std::size_t got = decoder.Read(block.data(), blockFrames)) {
    finder.Feed(block.data(), got);
    done += static_cast<std::int64_t>(got);
    const double fraction =
        length > 0 ? std::min(1.0, static_cast<double>(done) / static_cast<double>(length)) : 1.0;
    if (!reporter.Update(fraction)) {
      return std::nullopt;
    }
  }
  std::vector<Silence> silences = finder.Finish();
  if (!reporter.End()) {
    return std::nullopt;
  }
  return silences;
}

}  // namespace brelvik::silence
