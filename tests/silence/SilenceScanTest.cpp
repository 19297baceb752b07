// The scan on real files: parts of known place and length made with sox and
// encoded by lame at test time, at 44.1 kHz stereo CBR and VBR and at
// 22.05 kHz mono; the progress it reports, stopping it, and files it refuses.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <map>
#include <optional>
#include <stdexcept>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include "SoxAudio.h"
#include "TempDir.h"
#include "playback/Mpg123Decoder.h"
#include "silence/SilenceScan.h"

namespace brelvik::silence {
namespace {

using brelvik::testing::SoundLayout;
using brelvik::testing::SoundPart;
using brelvik::testing::TempDir;

constexpr double kEdgeToleranceMs = 20.0;
constexpr double kMiddleToleranceMs = 10.0;

// Music-like parts around pauses; the comments name what a scan with the
// default settings makes of each.
const std::vector<SoundPart> kParts = {
    {700, ""},                         // 0: from the start, not reported
    {1513, "sine 440 vol 0.5"},        // 1
    {1207, ""},                        // 2: found
    {1800, "pinknoise vol 0.5"},       // 3
    {500, ""},                         // 4: too short
    {1311, "sine 200-2000 vol 0.5"},   // 5
    {1500, "whitenoise vol 0.01732"},  // 6: -40 dBFS, too loud
    {1000, "sine 660 vol 0.5"},        // 7
    {2333, ""},                        // 8: found
    {1109, "pinknoise vol 0.5"},       // 9
    {900, ""},                         // 10: to the end, not reported
};
constexpr std::size_t kNoisePart = 6;

struct Encoding {
  const char* Name;
  int Rate;
  int Channels;
  std::vector<std::string> LameArgs;

  SoundLayout Layout() const { return {Rate, Channels, kParts}; }
};

const Encoding kEncodings[] = {
    {"Cbr128Stereo44100", 44100, 2, {"-b", "128"}},
    {"VbrStereo44100", 44100, 2, {"-V", "2"}},
    {"Cbr64Mono22050", 22050, 1, {"-b", "64"}},
};

void PrintTo(const Encoding& e, std::ostream* os) {
  *os << e.Name;
}

// Each file is encoded once per run of the test program.
const std::string& FileOf(const Encoding& encoding) {
  static const TempDir folder;
  static std::map<std::string, std::string> done;
  auto [at, added] = done.try_emplace(encoding.Name);
  if (added) {
    at->second = EncodeSoundLayout(folder, encoding.Name, encoding.Layout(), encoding.LameArgs);
  }
  return at->second;
}

struct SettingsCase {
  const char* Name;
  SilenceSettings Settings;
  std::vector<std::size_t> SilentParts;  // the parts found, in order
};

void PrintTo(const SettingsCase& c, std::ostream* os) {
  *os << c.Name;
}

const SettingsCase kSettings[] = {
    {"Default", {}, {2, 8}},
    {"ShorterMinimum", {.MinLengthSecs = 0.4}, {2, 4, 8}},
    {"RaisedThreshold", {.ThresholdDb = -30}, {2, kNoisePart, 8}},
};

class SilenceScanFiles : public ::testing::TestWithParam<std::tuple<Encoding, SettingsCase>> {};

TEST_P(SilenceScanFiles, PlacesEveryPause) {
  const auto& [encoding, settings] = GetParam();
  const SoundLayout layout = encoding.Layout();
  const auto found = FindSilences(FileOf(encoding), settings.Settings);
  ASSERT_TRUE(found.has_value());
  ASSERT_EQ(found->size(), settings.SilentParts.size());
  for (std::size_t i = 0; i < found->size(); ++i) {
    const Silence& silence = (*found)[i];
    const std::size_t part = settings.SilentParts[i];
    SCOPED_TRACE("part " + std::to_string(part));
    const double start = layout.StartMs(part);
    const double end = layout.EndMs(part);
    EXPECT_NEAR(silence.StartMs, start, kEdgeToleranceMs);
    EXPECT_NEAR(silence.StartMs + silence.LengthMs, end, kEdgeToleranceMs);
    EXPECT_NEAR(silence.MiddleMs(), (start + end) / 2, kMiddleToleranceMs);
    if (part == kNoisePart) {
      EXPECT_NEAR(silence.LevelDb, -40.5, 1.5);
    } else {
      EXPECT_LT(silence.LevelDb, -60);
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Encodings, SilenceScanFiles,
                         ::testing::Combine(::testing::ValuesIn(kEncodings),
                                            ::testing::ValuesIn(kSettings)),
                         [](const auto& p) {
                           return std::string(std::get<0>(p.param).Name) + "_" +
                                  std::get<1>(p.param).Name;
                         });

bool Same(const std::vector<Silence>& a, const std::vector<Silence>& b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](const auto& x, const auto& y) {
    return x.StartMs == y.StartMs && x.LengthMs == y.LengthMs && x.LevelDb == y.LevelDb;
  });
}

const std::string& CbrFile() {
  return FileOf(kEncodings[0]);
}

TEST(SilenceScan, StopsWhenProgressSaysSo) {
  std::vector<double> told;
  bool refused = false;
  bool calledAfterRefusal = false;
  // A slow listener: never held back by the rate limit, so told every 1% or so.
  const auto found = FindSilences(CbrFile(), {}, [&](double fraction) {
    calledAfterRefusal = calledAfterRefusal || refused;
    told.push_back(fraction);
    std::this_thread::sleep_for(std::chrono::milliseconds(3));
    refused = fraction >= 0.3;
    return !refused;
  });
  EXPECT_FALSE(found.has_value());
  EXPECT_FALSE(calledAfterRefusal);
  ASSERT_FALSE(told.empty());
  EXPECT_GE(told.back(), 0.3);
  EXPECT_LT(told.back(), 0.35);
}

TEST(SilenceScan, StopsAtTheFirstReport) {
  int calls = 0;
  const auto found = FindSilences(CbrFile(), {}, [&](double fraction) {
    ++calls;
    EXPECT_EQ(fraction, 0.0);
    return false;
  });
  EXPECT_FALSE(found.has_value());
  EXPECT_EQ(calls, 1);
}

TEST(SilenceScan, ProgressAscendsInSmallStepsToOne) {
  std::vector<double> told;
  // A slow listener, so that the reports are never held back to keep their rate down.
  const auto found = FindSilences(CbrFile(), {}, [&](double fraction) {
    told.push_back(fraction);
    std::this_thread::sleep_for(std::chrono::milliseconds(3));
    return true;
  });
  ASSERT_TRUE(found.has_value());
  EXPECT_TRUE(Same(*found, *FindSilences(CbrFile(), {})));
  ASSERT_GE(told.size(), 50u);
  EXPECT_EQ(told.front(), 0.0);
  EXPECT_EQ(told.back(), 1.0);
  for (std::size_t i = 1; i < told.size(); ++i) {
    EXPECT_GT(told[i], told[i - 1]) << "report " << i;
    EXPECT_LE(told[i] - told[i - 1], 0.02) << "report " << i;
  }
}

TEST(SilenceScan, ReportsAFewHundredTimesASecondAtMost) {
  const std::string& path = CbrFile();
  int calls = 0;
  const auto start = std::chrono::steady_clock::now();
  const auto found = FindSilences(path, {}, [&](double) {
    ++calls;
    return true;
  });
  const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
  ASSERT_TRUE(found.has_value());
  EXPECT_GE(calls, 2);
  EXPECT_LE(calls, 2 + static_cast<int>(elapsed.count() * 500));
}

TEST(SilenceScan, ScansOnSeveralThreadsAtOnce) {
  const std::vector<Silence> alone = *FindSilences(CbrFile(), {});
  std::vector<std::optional<std::vector<Silence>>> results(3);
  {
    std::vector<std::jthread> threads;
    for (auto& result : results) {
      threads.emplace_back([&result] { result = FindSilences(CbrFile(), {}); });
    }
  }
  for (const auto& result : results) {
    ASSERT_TRUE(result.has_value());
    EXPECT_TRUE(Same(*result, alone));
  }
}

TEST(SilenceScan, RefusesWhatIsNotAnMp3FileWithDecoderError) {
  const TempDir dir;
  std::filesystem::create_directory(dir.File("folder"));
  testing::WriteBytes(dir.File("empty.mp3"), {});
  testing::WriteBytes(dir.File("text.mp3"), testing::Bytes(20000, 'x'));
  for (const char* name : {"missing.mp3", "folder", "empty.mp3", "text.mp3"}) {
    bool told = false;
    EXPECT_THROW(FindSilences(dir.File(name), {}, [&](double) { return told = true; }),
                 playback::DecoderError)
        << name;
    EXPECT_TRUE(told) << name;  // the first report comes before the file is opened
  }
}

TEST(SilenceScan, ChecksTheSettingsBeforeTheFile) {
  EXPECT_THROW(FindSilences("/nonexistent/source.mp3", {.MinLengthSecs = 0}),
               std::invalid_argument);
}

}  // namespace
}  // namespace brelvik::silence
