// Measures the waveform view on one long file (in the page cache), off
// screen: the time from opening the view to its first envelope on screen,
// the decode's speed on one core, the envelope's memory per hour of audio,
// redrawing the detail at 1,920 pixels after a zoom or scroll, and how long
// stopping the decoding takes. Prints each figure with PASS or FAIL against
// its target and exits with 1 when one is missed.
//
// Usage: brelvik-bench-waveform FILE
#include <QApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QThread>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <exception>
#include <memory>
#include <optional>
#include <random>
#include <stdexcept>
#include <thread>
#include <vector>

#include "playback/Mpg123Decoder.h"
#include "ui/waveform/DetailView.h"
#include "ui/waveform/SharedDecode.h"
#include "ui/waveform/WaveformWindow.h"
#include "waveform/Envelope.h"
#include "waveform/decode/DetailDecoder.h"
#include "waveform/decode/FileScan.h"

namespace {

using brelvik::ui::SharedDecode;
using Clock = std::chrono::steady_clock;

constexpr double kFirstEnvelopeTargetMs = 200;
constexpr double kRateTarget = 500;
constexpr double kMemoryTargetMbPerHour = 4;
constexpr double kRedrawTargetMs = 16;
constexpr double kStopTargetMs = 50;
constexpr int kRedrawWidth = 1920;

double MsSince(Clock::time_point start) {
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

const char* Verdict(bool pass) {
  return pass ? "PASS" : "FAIL";
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

// Everything that changes comes through the event queue: waits for events
// rather than spinning.
void RunEventsUntil(const std::function<bool()>& done) {
  while (!done()) {
    QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
  }
}

// From the view's creation to its first envelope drawn: a new window, a new
// decode of the file, and a paint once the first buckets have arrived.
bool MeasureFirstEnvelope(const std::string& path, double durationMs) {
  std::vector<double> times;
  for (int run = 0; run < 5; ++run) {
    const auto start = Clock::now();
    brelvik::ui::WaveformWindow window;
    SharedDecode decode(path);
    window.ShowFile("bench.mp3", &decode, durationMs);
    window.show();
    RunEventsUntil(
        [&] { return decode.Envelope() != nullptr && decode.Envelope()->DecodedFrames() > 0; });
    (void)window.Detail().grab();
    times.push_back(MsSince(start));
  }
  const double median = Median(times);
  const bool pass = median < kFirstEnvelopeTargetMs;
  std::printf(
      "  first envelope drawn: median %.1f ms, slowest %.1f ms of %zu (target < %.0f ms) %s\n",
      median, *std::max_element(times.begin(), times.end()), times.size(), kFirstEnvelopeTargetMs,
      Verdict(pass));
  return pass;
}

double ThreadCpuSeconds() {
  timespec now{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

// The whole file decoded once, envelope and silences, with what the view's
// side does with the buckets (the pyramid above them) on the same thread:
// the work of one core, timed by that thread's CPU clock (the machine may be
// busy with other work) and by the wall clock.
std::optional<brelvik::waveform::Envelope> MeasureRate(const std::string& path, double audioSeconds,
                                                       bool& pass) {
  std::optional<brelvik::waveform::Envelope> envelope;
  std::size_t silences = 0;
  brelvik::waveform::FileScan::Reports reports;
  reports.Opened = [&](const brelvik::waveform::FileScan::Format& format) {
    envelope.emplace(format.Rate, format.Channels, format.ExpectedFrames);
  };
  reports.Grew = [&](std::vector<brelvik::waveform::Peak> peaks, std::int64_t end, double) {
    envelope->Append(peaks, end);
  };
  reports.Finished = [&](std::vector<brelvik::silence::Silence> found) {
    envelope->Finish();
    silences = found.size();
  };
  reports.Failed = [](const std::string& error) { throw std::runtime_error(error); };
  const std::atomic<bool> stop = false;
  double bestCpu = 1e9;
  double bestWall = 1e9;
  for (int run = 0; run < 3; ++run) {
    const double cpuBefore = ThreadCpuSeconds();
    const auto start = Clock::now();
    brelvik::waveform::ScanFile(path, {}, reports, 0, stop);
    bestWall = std::min(bestWall, MsSince(start) / 1000);
    bestCpu = std::min(bestCpu, ThreadCpuSeconds() - cpuBefore);
  }
  pass = envelope && envelope->Finished() && audioSeconds / bestCpu >= kRateTarget;
  std::printf(
      "  envelope and silences of %.0f s of audio (%zu silences): best of 3 %.2f s CPU, "
      "%.2f s wall\n",
      audioSeconds, silences, bestCpu, bestWall);
  std::printf(
      "  rate on one core: %.0f x real time (by the wall clock %.0f x; target >= %.0f x) "
      "%s\n",
      audioSeconds / bestCpu, audioSeconds / bestWall, kRateTarget, Verdict(pass));
  return envelope;
}

bool MeasureMemory(const brelvik::waveform::Envelope& envelope, double audioSeconds) {
  const double mb = static_cast<double>(envelope.MemoryBytes()) / 1e6;
  const double perHour = mb / (audioSeconds / 3600);
  const bool pass = perHour <= kMemoryTargetMbPerHour;
  std::printf(
      "  envelope memory: %.2f MB, %.2f MB per hour (%d Hz, %d channels, %d levels; "
      "target <= %.0f MB) %s\n",
      mb, perHour, envelope.Rate(), envelope.Channels(), envelope.Levels(), kMemoryTargetMbPerHour,
      Verdict(pass));
  return pass;
}

// Zooms from the whole file in to 20 ms and back out, and scrolls at each
// zoom, timing each change with the paint it causes.
bool MeasureRedraw(SharedDecode& decode, double durationMs) {
  brelvik::ui::DetailView view;
  view.resize(kRedrawWidth, 300);
  view.SetSource(&decode, durationMs);
  QImage target(view.size(), QImage::Format_ARGB32_Premultiplied);
  view.render(&target);
  std::vector<double> times;
  std::vector<double> cpuTimes;
  const auto timed = [&](const std::function<void()>& change) {
    const auto start = Clock::now();
    const double cpu = ThreadCpuSeconds();
    change();
    view.render(&target);
    cpuTimes.push_back((ThreadCpuSeconds() - cpu) * 1000);
    times.push_back(MsSince(start));
    QCoreApplication::processEvents();  // details decoded on demand arrive meanwhile
  };
  std::mt19937 generator(5);
  std::uniform_real_distribution<double> where(0, 1);
  for (int round = 0; round < 2; ++round) {
    for (double factor : {1.6, 1 / 1.6}) {
      for (int step = 0; step < 24; ++step) {
        const brelvik::waveform::ViewSpan span = view.Span();
        timed([&] { view.ZoomBy(factor, span.StartMs + where(generator) * span.LengthMs); });
        timed([&] {
          view.ShowSpan(
              brelvik::waveform::ScrolledBy(view.Span(), durationMs, view.Span().LengthMs * 0.3));
        });
      }
    }
  }
  const double slowest = *std::max_element(cpuTimes.begin(), cpuTimes.end());
  const bool pass = slowest <= kRedrawTargetMs;
  std::printf(
      "  redraw at %d px after a zoom or scroll, %zu of them: slowest %.2f ms of CPU "
      "(target <= %.0f ms) %s; by the wall clock median %.2f ms, slowest %.2f ms\n",
      kRedrawWidth, times.size(), slowest, kRedrawTargetMs, Verdict(pass), Median(times),
      *std::max_element(times.begin(), times.end()));
  return pass;
}

// Stops a decode at moments spread over its run (its first milliseconds,
// the open, included) and a detail decoder while it opens the file.
bool MeasureStop(const std::string& path) {
  std::vector<double> times;
  for (const int after : {0, 1, 3, 10, 40, 150, 400, 1000, 2500}) {
    SharedDecode decode(path);
    std::this_thread::sleep_for(std::chrono::milliseconds(after));
    const auto start = Clock::now();
    decode.Stop();
    times.push_back(MsSince(start));
  }
  for (const int after : {0, 20, 60}) {
    auto decoder = std::make_unique<brelvik::waveform::DetailDecoder>(
        path, [](const auto&, brelvik::waveform::PeakLevel) {});
    decoder->Request({100'000'000, 2'000'000, 8, 100'000'000, 102'000'000});
    std::this_thread::sleep_for(std::chrono::milliseconds(after));
    const auto start = Clock::now();
    decoder.reset();
    times.push_back(MsSince(start));
  }
  const double slowest = *std::max_element(times.begin(), times.end());
  const bool pass = slowest <= kStopTargetMs;
  std::printf("  stop: median %.2f ms, slowest %.2f ms of %zu (target <= %.0f ms) %s\n",
              Median(times), slowest, times.size(), kStopTargetMs, Verdict(pass));
  return pass;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s FILE\n", argv[0]);
    return 2;
  }
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
  }
  QApplication application(argc, argv);
  const std::string path = argv[1];
  try {
    const brelvik::playback::Mpg123Decoder scanned(path);
    const double audioSeconds = static_cast<double>(scanned.LengthSamples()) / scanned.Rate();
    const double durationMs = audioSeconds * 1000;
    bool pass = MeasureFirstEnvelope(path, durationMs);
    bool fast = false;
    const auto envelope = MeasureRate(path, audioSeconds, fast);
    pass = fast && pass;
    pass = MeasureMemory(*envelope, audioSeconds) && pass;
    SharedDecode decode(path);
    RunEventsUntil([&] { return decode.CurrentState() != SharedDecode::State::Decoding; });
    pass = MeasureRedraw(decode, durationMs) && pass;
    pass = MeasureStop(path) && pass;
    return pass ? 0 : 1;
  } catch (const std::exception& error) {
    std::fprintf(stderr, "waveform bench: %s\n", error.what());
    return 1;
  }
}
