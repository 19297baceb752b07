// Measures the silence scan on one file: FindSilences with the default
// settings, a few times over with the file in the page cache, as multiples of
// the audio's own length (the scan runs on the calling thread alone). Prints
// the best and median wall-clock figures and the scanning thread's CPU time,
// and exits with 1 when the best falls below the target or when the scan does
// not find the expected number of silences.
//
// Usage: brelvik-bench-silence FILE [EXPECTED_SILENCES] [RUNS]
#include <time.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <string>
#include <vector>

#include "playback/Mpg123Decoder.h"
#include "silence/SilenceScan.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr double kTargetTimesRealTime = 100.0;

double ThreadCpuSeconds() {
  timespec now{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

struct Run {
  double WallSeconds = 0;
  double CpuSeconds = 0;
  std::size_t Silences = 0;
};

Run ScanOnce(const std::string& path) {
  const double cpuBefore = ThreadCpuSeconds();
  const auto start = Clock::now();
  const auto found = brelvik::silence::FindSilences(path, {});
  const std::chrono::duration<double> wall = Clock::now() - start;
  return {wall.count(), ThreadCpuSeconds() - cpuBefore, found ? found->size() : 0};
}

double AudioSeconds(const std::string& path) {
  const brelvik::playback::Mpg123Decoder decoder(path);
  return static_cast<double>(decoder.LengthSamples()) / decoder.Rate();
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s FILE [EXPECTED_SILENCES] [RUNS]\n", argv[0]);
    return 2;
  }
  const std::string path = argv[1];
  const long expected = argc > 2 ? std::atol(argv[2]) : -1;
  const int runs = std::max(1, argc > 3 ? std::atoi(argv[3]) : 5);
  try {
    const double audio = AudioSeconds(path);
    (void)ScanOnce(path);  // warm-up: file in the page cache
    std::vector<Run> measured;
    for (int i = 0; i < runs; ++i) {
      measured.push_back(ScanOnce(path));
    }
    std::sort(measured.begin(), measured.end(),
              [](const Run& a, const Run& b) { return a.WallSeconds < b.WallSeconds; });
    const Run& best = measured.front();
    const Run& median = measured[measured.size() / 2];
    const double bestTimes = audio / best.WallSeconds;
    const bool fast = bestTimes >= kTargetTimesRealTime;
    const bool counted = expected < 0 || static_cast<long>(best.Silences) == expected;
    std::printf("  audio: %.1f s; silences found: %zu", audio, best.Silences);
    if (expected >= 0) {
      std::printf(" (expected %ld) %s", expected, counted ? "PASS" : "FAIL");
    }
    std::printf("\n  scan: best %.3f s, median %.3f s of %d; scanning thread's CPU %.3f s\n",
                best.WallSeconds, median.WallSeconds, runs, best.CpuSeconds);
    std::printf(
        "  speed: %.0f x real time (median %.0f x, by CPU time %.0f x; target >= %.0f x) %s\n",
        bestTimes, audio / median.WallSeconds, audio / best.CpuSeconds, kTargetTimesRealTime,
        fast ? "PASS" : "FAIL");
    return fast && counted ? 0 : 1;
  } catch (const std::exception& error) {
    std::fprintf(stderr, "silence bench: %s\n", error.what());
    return 1;
  }
}
