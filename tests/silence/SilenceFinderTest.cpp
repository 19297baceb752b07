// The finder on samples made here: square and sine tones, zero runs and
// uniform noise of known RMS level, fed in blocks of every size from one frame
// (which splits every window) to the whole stream at once.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <numbers>
#include <random>
#include <stdexcept>
#include <string>
#include <tuple>
#include <vector>

#include "silence/SilenceFinder.h"

namespace brelvik::silence {
namespace {

enum class Wave { Zero, Square, Sine, Noise };

struct Piece {
  Wave Kind = Wave::Zero;
  double Ms = 0;
  double Db = -6;        // RMS level of the wave
  int OnlyChannel = -1;  // the others get zeros; -1: every channel
};

Piece Zero(double ms) {
  return {Wave::Zero, ms};
}
Piece Square(double ms, double db = -6) {
  return {Wave::Square, ms, db};
}
Piece Sine(double ms, double db = -6) {
  return {Wave::Sine, ms, db};
}
Piece Noise(double ms, double db) {
  return {Wave::Noise, ms, db};
}

struct Expected {
  double StartMs;
  double LengthMs;
  double LevelDb = kFloorDb;
  double LevelTolerance = 0.01;
};

struct FinderCase {
  const char* Name;
  std::vector<Piece> Pieces;
  std::vector<Expected> Silences;
  SilenceSettings Settings{};
  int Rate = 44100;
  int Channels = 2;
};

void PrintTo(const FinderCase& c, std::ostream* os) {
  *os << c.Name;
}

std::int16_t Clamp16(double value) {
  return static_cast<std::int16_t>(std::clamp(std::lround(value), -32768L, 32767L));
}

double Amplitude(double db) {
  return 32768.0 * std::pow(10.0, db / 20.0);
}

std::vector<std::int16_t> Synthesise(const FinderCase& c) {
  std::vector<std::int16_t> out;
  std::mt19937 random(7);
  std::int64_t at = 0;
  for (const Piece& piece : c.Pieces) {
    const std::int64_t end = at + std::llround(piece.Ms * c.Rate / 1000.0);
    std::uniform_real_distribution<double> noise(-1.0, 1.0);
    for (std::int64_t i = at; i < end; ++i) {
      const double phase = 2 * std::numbers::pi * 440.0 * static_cast<double>(i - at) / c.Rate;
      double value = 0;
      switch (piece.Kind) {
        case Wave::Zero:
          break;
        case Wave::Square:
          value = Amplitude(piece.Db) * (std::sin(phase) >= 0 ? 1 : -1);
          break;
        case Wave::Sine:
          value = Amplitude(piece.Db) * std::numbers::sqrt2 * std::sin(phase);
          break;
        case Wave::Noise:
          value = Amplitude(piece.Db) * std::numbers::sqrt3 * noise(random);
          break;
      }
      for (int channel = 0; channel < c.Channels; ++channel) {
        const bool sounds = piece.OnlyChannel < 0 || piece.OnlyChannel == channel;
        out.push_back(sounds ? Clamp16(value) : std::int16_t{0});
      }
    }
    at = end;
  }
  return out;
}

// Edges are placed to the 1 ms slice: within a slice and a sample of the truth.
constexpr double kEdgeToleranceMs = 1.1;

const FinderCase kCases[] = {
    {"ZeroRunBetweenTones", {Square(1000), Zero(1500), Square(1000)}, {{1000, 1500}}},
    {"EdgesOffTheWindowGrid",
     {Sine(1013.7), Zero(1234.5), Sine(777)},
     {{1013.7, 1234.5, -120, 30}}},
    {"RunsAscending",
     {Square(1500), Zero(1100), Sine(900), Noise(2000, -70), Square(1000)},
     {{1500, 1100}, {3500, 2000, -70, 0.3}}},
    {"NoiseAboveTheThresholdIsNot", {Square(1200), Noise(1600, -47), Square(800)}, {}},
    {"RaisedThresholdFindsLouderNoise",
     {Square(1200), Noise(1600, -45), Square(800)},
     {{1200, 1600, -45, 0.3}},
     {.ThresholdDb = -40}},
    {"TooShort", {Square(1000), Zero(980), Square(1000)}, {}},
    {"ExactlyTheShortest", {Square(1000), Zero(1000), Square(1000)}, {{1000, 1000}}},
    {"ShorterMinimum",
     {Square(1000), Zero(600), Square(1000), Zero(300), Square(500)},
     {{1000, 600}},
     {.MinLengthSecs = 0.5}},
    // Windows wholly inside the run last 980 ms; its edge slices make it 1005 ms.
    {"EdgeSlicesCountTowardTheMinimum", {Square(1010), Zero(1005), Square(990)}, {{1010, 1005}}},
    {"RunFromTheStartNotReported",
     {Zero(2000), Square(1000), Zero(1200), Square(1000)},
     {{3000, 1200}}},
    {"RunToTheEndNotReported",
     {Square(1000), Zero(1200), Square(1000), Zero(2000)},
     {{1000, 1200}}},
    {"RunToTheEndInAPartialWindowNotReported",
     {Square(1000), Zero(1200), Square(1000), Zero(1507)},
     {{1000, 1200}}},
    {"LoudPartialLastWindowEndsARun", {Square(1000), Zero(1500), Square(7)}, {{1000, 1500}}},
    {"AllZeros", {Zero(5000)}, {}},
    {"OneChannelSoundingIsNotSilence",
     {Square(1000), {Wave::Square, 1500, -6, 1}, Square(1000)},
     {}},
    // A tone at -45 dBFS on one of two channels measures -48 dBFS over both.
    {"LevelOverAllChannels",
     {Square(1000), {Wave::Square, 1500, -45, 0}, Square(1000)},
     {{1000, 1500, -48.01, 0.05}},
     {.ThresholdDb = -47}},
    {"Mono11025WindowsOfHalfSamples",
     {Square(1234), Zero(2345.6), Square(1000)},
     {{1234, 2345.6}},
     {},
     11025,
     1},
};

// How many frames each Feed gets; 0: all at once.
const std::size_t kBlockFrames[] = {0, 1, 100, 881, 4096};

class SilenceFinderTable : public ::testing::TestWithParam<std::tuple<FinderCase, std::size_t>> {};

TEST_P(SilenceFinderTable, FindsTheQuietRuns) {
  const auto& [c, block] = GetParam();
  const std::vector<std::int16_t> samples = Synthesise(c);
  const auto channels = static_cast<std::size_t>(c.Channels);
  const std::size_t frames = samples.size() / channels;
  SilenceFinder finder(c.Rate, c.Channels, c.Settings);
  const std::size_t step = block == 0 ? frames : block;
  for (std::size_t at = 0; at < frames; at += step) {
    finder.Feed(samples.data() + at * channels, std::min(step, frames - at));
  }
  const std::vector<Silence> found = finder.Finish();

  ASSERT_EQ(found.size(), c.Silences.size());
  for (std::size_t i = 0; i < found.size(); ++i) {
    SCOPED_TRACE("silence " + std::to_string(i));
    const Expected& want = c.Silences[i];
    EXPECT_NEAR(found[i].StartMs, want.StartMs, kEdgeToleranceMs);
    EXPECT_NEAR(found[i].StartMs + found[i].LengthMs, want.StartMs + want.LengthMs,
                kEdgeToleranceMs);
    EXPECT_NEAR(found[i].LevelDb, want.LevelDb, want.LevelTolerance);
    EXPECT_GE(found[i].LengthMs, c.Settings.MinLengthSecs * 1000 - 0.1);
  }
}

std::string TableCaseName(
    const ::testing::TestParamInfo<std::tuple<FinderCase, std::size_t>>& info) {
  const std::size_t block = std::get<1>(info.param);
  return std::string(std::get<0>(info.param).Name) + "_" +
         (block == 0 ? std::string("Whole") : "Blocks" + std::to_string(block));
}

INSTANTIATE_TEST_SUITE_P(Signals, SilenceFinderTable,
                         ::testing::Combine(::testing::ValuesIn(kCases),
                                            ::testing::ValuesIn(kBlockFrames)),
                         TableCaseName);

struct RefusedSetup {
  const char* Name;
  int Rate;
  int Channels;
  SilenceSettings Settings;
};

void PrintTo(const RefusedSetup& c, std::ostream* os) {
  *os << c.Name;
}

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInfinity = std::numeric_limits<double>::infinity();

class SilenceFinderRefuses : public ::testing::TestWithParam<RefusedSetup> {};

TEST_P(SilenceFinderRefuses, WithInvalidArgument) {
  const RefusedSetup& c = GetParam();
  EXPECT_THROW(SilenceFinder(c.Rate, c.Channels, c.Settings), std::invalid_argument);
}

INSTANTIATE_TEST_SUITE_P(
    Setups, SilenceFinderRefuses,
    ::testing::Values(RefusedSetup{"NoRate", 0, 2, {}}, RefusedSetup{"RateBelow1000", 999, 2, {}},
                      RefusedSetup{"NoChannels", 44100, 0, {}},
                      RefusedSetup{"ZeroMinLength", 44100, 2, {.MinLengthSecs = 0}},
                      RefusedSetup{"NegativeMinLength", 44100, 2, {.MinLengthSecs = -1}},
                      RefusedSetup{"NaNMinLength", 44100, 2, {.MinLengthSecs = kNaN}},
                      RefusedSetup{"InfiniteMinLength", 44100, 2, {.MinLengthSecs = kInfinity}},
                      RefusedSetup{"NaNThreshold", 44100, 2, {.ThresholdDb = kNaN}},
                      RefusedSetup{"InfiniteThreshold", 44100, 2, {.ThresholdDb = -kInfinity}}),
    [](const auto& p) { return std::string(p.param.Name); });

}  // namespace
}  // namespace brelvik::silence
