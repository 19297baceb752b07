// Measures the playback device on one file: how long Open takes (with the
// file in the page cache), the process's CPU use while it plays with the
// caller polling Mode and Position every 100 ms as the window does, and what
// one Mode plus Position call costs. Prints PASS or FAIL for each target and
// exits with 1 when one is missed.
//
// Usage: brelvik-bench-playback FILE [PLAY_SECONDS]
#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <string>
#include <thread>
#include <vector>

#include "playback/MediaPlayer.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr double kOpenTargetMs = 150.0;
constexpr double kCpuTargetPercent = 3.0;
constexpr double kCallTargetUs = 100.0;  // "well under a millisecond"
constexpr int kOpens = 5;

double MsBetween(Clock::time_point from, Clock::time_point to) {
  return std::chrono::duration<double, std::milli>(to - from).count();
}

double ProcessCpuSeconds() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  auto seconds = [](const timeval& t) {
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6;
  };
  return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

const char* Verdict(bool pass) {
  return pass ? "PASS" : "FAIL";
}

bool MeasureOpen(brelvik::TMediaPlayer& player) {
  player.Open();  // warm-up: file in the page cache, output opened
  std::vector<double> times;
  for (int i = 0; i < kOpens; ++i) {
    const auto start = Clock::now();
    player.Open();
    times.push_back(MsBetween(start, Clock::now()));
  }
  std::sort(times.begin(), times.end());
  const double median = times[times.size() / 2];
  const bool pass = median < kOpenTargetMs;
  std::printf("  open: median %.1f ms, slowest %.1f ms of %d (target < %.0f ms) %s\n", median,
              times.back(), kOpens, kOpenTargetMs, Verdict(pass));
  std::printf("  length: %d ms\n", player.Length());
  return pass;
}

bool MeasurePlaying(brelvik::TMediaPlayer& player, int seconds) {
  player.Seek(player.Length() / 2);
  const double cpuBefore = ProcessCpuSeconds();
  const auto start = Clock::now();
  player.Play();
  const auto end = start + std::chrono::seconds(seconds);
  while (Clock::now() < end) {
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    if (player.Mode() != brelvik::PlaybackMode::Playing) {
      std::printf("  playing: the device stopped early\n");
      return false;
    }
    (void)player.Position();
  }
  const double wall = MsBetween(start, Clock::now()) / 1000.0;
  const double percent = 100.0 * (ProcessCpuSeconds() - cpuBefore) / wall;
  const bool pass = percent < kCpuTargetPercent;
  std::printf("  playing: %.2f %% of one core over %.1f s (target < %.0f %%) %s\n", percent, wall,
              kCpuTargetPercent, Verdict(pass));
  return pass;
}

bool MeasureCalls(brelvik::TMediaPlayer& player) {
  constexpr int kCalls = 20000;
  const auto start = Clock::now();
  long sum = 0;
  for (int i = 0; i < kCalls; ++i) {
    sum += static_cast<long>(player.Mode()) + player.Position();
  }
  const double us = MsBetween(start, Clock::now()) * 1000.0 / kCalls;
  const bool pass = us < kCallTargetUs && sum > 0;
  std::printf("  Mode + Position while playing: %.2f us per pair (target < %.0f us) %s\n", us,
              kCallTargetUs, Verdict(pass));
  return pass;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s FILE [PLAY_SECONDS]\n", argv[0]);
    return 2;
  }
  const int seconds = argc > 2 ? std::atoi(argv[2]) : 5;
  try {
    brelvik::TMediaPlayer player;
    player.SetFileName(argv[1]);
    bool pass = MeasureOpen(player);
    pass = MeasurePlaying(player, seconds) && pass;
    pass = MeasureCalls(player) && pass;
    return pass ? 0 : 1;
  } catch (const std::exception& error) {
    std::fprintf(stderr, "playback bench: %s\n", error.what());
    return 1;
  }
}
