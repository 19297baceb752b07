// The one decode per file on real files (sox-made parts encoded by lame at
// test time): the envelope it builds stands for exactly what a player
// decodes, the silences it finds are the silence search's own, and once
// stopped it reports nothing more. Also the decoder's open without the
// length scan and its reads cut short by a stop.
#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "Lame.h"
#include "ReferenceDecode.h"
#include "SoxAudio.h"
#include "TempDir.h"
#include "playback/BufferedFile.h"
#include "playback/Mpg123Decoder.h"
#include "silence/SilenceScan.h"
#include "waveform/Envelope.h"
#include "waveform/PeakBuilder.h"
#include "waveform/decode/FileScan.h"

namespace brelvik::waveform {
namespace {

using brelvik::testing::SoundLayout;
using brelvik::testing::TempDir;

// A tone, a pause the silence search finds, noise, a quieter tone.
const SoundLayout kLayout = {44100,
                             2,
                             {{1500, "sine 440 vol 0.5"},
                              {1700, ""},
                              {1200, "whitenoise vol 0.3"},
                              {1300, "sine 660 vol 0.1"}}};

const std::string& LayoutFile() {
  static const TempDir folder;
  static const std::string path = EncodeSoundLayout(folder, "layout", kLayout, {"-b", "128"});
  return path;
}

// What a scan reported, gathered on the test's thread.
struct Reported {
  std::mutex Lock;
  std::condition_variable Changed;
  std::optional<FileScan::Format> Format;
  std::vector<Peak> Peaks;
  std::int64_t End = 0;
  std::vector<double> Fractions;
  std::optional<std::vector<silence::Silence>> Silences;
  std::optional<std::string> Error;

  FileScan::Reports Reports() {
    return {[this](const FileScan::Format& format) { Store([&] { Format = format; }); },
            [this](std::vector<Peak> peaks, std::int64_t end, double fraction) {
              Store([&] {
                Peaks.insert(Peaks.end(), peaks.begin(), peaks.end());
                End = end;
                Fractions.push_back(fraction);
              });
            },
            [this](std::vector<silence::Silence> found) { Store([&] { Silences = found; }); },
            [this](const std::string& error) { Store([&] { Error = error; }); }};
  }
  template <typename Change>
  void Store(Change change) {
    {
      const std::lock_guard lock(Lock);
      change();
    }
    Changed.notify_all();
  }
  void WaitForTheEnd() {
    std::unique_lock lock(Lock);
    Changed.wait(lock, [this] { return Silences.has_value() || Error.has_value(); });
  }
};

TEST(FileScan, BuildsTheEnvelopeOfWhatAPlayerDecodesAndFindsTheSearchsSilences) {
  Reported reported;
  {
    const FileScan scan(LayoutFile(), {}, reported.Reports());
    reported.WaitForTheEnd();
  }
  ASSERT_FALSE(reported.Error.has_value()) << *reported.Error;
  ASSERT_TRUE(reported.Format.has_value());
  EXPECT_EQ(reported.Format->Rate, 44100);
  EXPECT_EQ(reported.Format->Channels, 2);

  // The same buckets as of the samples that libmpg123 itself gives a player.
  const testing::ReferenceDecode reference = testing::DecodeAsPlayer(LayoutFile());
  EXPECT_EQ(reported.End, reference.Frames());
  PeakBuilder builder(2, kFinestFrames);
  builder.Feed(reference.Samples.data(), static_cast<std::size_t>(reference.Frames()));
  builder.Finish();
  EXPECT_TRUE(builder.Take() == reported.Peaks);

  ASSERT_FALSE(reported.Fractions.empty());
  EXPECT_EQ(reported.Fractions.back(), 1.0);
  EXPECT_TRUE(std::is_sorted(reported.Fractions.begin(), reported.Fractions.end()));

  const auto searched = silence::FindSilences(LayoutFile(), {});
  ASSERT_TRUE(searched.has_value());
  ASSERT_EQ(searched->size(), 1u);
  ASSERT_EQ(reported.Silences->size(), 1u);
  EXPECT_EQ(reported.Silences->front().StartMs, searched->front().StartMs);
  EXPECT_EQ(reported.Silences->front().LengthMs, searched->front().LengthMs);
  EXPECT_NEAR(searched->front().StartMs, kLayout.StartMs(1), 20);
}

TEST(FileScan, ReportsNothingOnceStopped) {
  std::atomic<int> grown = 0;
  std::atomic<bool> stopped = false;
  std::atomic<bool> reportedAfterStop = false;
  std::mutex lock;
  std::condition_variable resumed;
  FileScan::Reports reports;
  reports.Opened = [&](const FileScan::Format&) {
    reportedAfterStop = reportedAfterStop || stopped;
  };
  reports.Grew = [&](std::vector<Peak>, std::int64_t, double) {
    reportedAfterStop = reportedAfterStop || stopped;
    if (++grown == 1) {
      // Holds the scan here until the test has stopped it.
      std::unique_lock hold(lock);
      resumed.wait(hold, [&] { return stopped.load(); });
    }
  };
  reports.Finished = [&](std::vector<silence::Silence>) { reportedAfterStop = true; };
  reports.Failed = [&](const std::string&) { reportedAfterStop = true; };
  {
    FileScan scan(LayoutFile(), {}, reports);
    while (grown == 0) {
      std::this_thread::yield();
    }
    scan.Stop();
    {
      const std::lock_guard hold(lock);
      stopped = true;
    }
    resumed.notify_all();
  }
  EXPECT_EQ(grown, 1);
  EXPECT_FALSE(reportedAfterStop);
}

TEST(FileScan, AFileThatIsNoMp3Fails) {
  const TempDir dir;
  testing::WriteBytes(dir.File("text.mp3"), testing::Bytes(20000, 'x'));
  Reported reported;
  {
    const FileScan scan(dir.File("text.mp3"), {}, reported.Reports());
    reported.WaitForTheEnd();
  }
  EXPECT_TRUE(reported.Error.has_value());
  EXPECT_FALSE(reported.Silences.has_value());
}

TEST(DecoderOptions, WithoutTheLengthScanTheSamplesAreTheSame) {
  // No VBR header: the length is only estimated from the file's size.
  const TempDir dir;
  const std::string path =
      testing::EncodeWithLame(dir, "plain", {.Seconds = 4, .LameArgs = {"-t", "-V", "4"}});
  playback::Mpg123Decoder scanned(path);
  playback::Mpg123Decoder quick(path, {.ScanLength = false});
  EXPECT_NE(quick.LengthSamples(), scanned.LengthSamples());
  std::vector<std::int16_t> a(5000 * 2);
  std::vector<std::int16_t> b(5000 * 2);
  std::int64_t total = 0;
  while (const std::size_t got = scanned.Read(a.data(), 5000)) {
    ASSERT_EQ(quick.Read(b.data(), 5000), got);
    ASSERT_TRUE(std::equal(a.begin(), a.begin() + static_cast<std::ptrdiff_t>(got * 2), b.begin()));
    total += static_cast<std::int64_t>(got);
  }
  EXPECT_EQ(total, scanned.LengthSamples());
}

TEST(DecoderOptions, AStopCutsTheOpenAndTheReadsShort) {
  std::atomic<bool> stop = true;
  EXPECT_THROW(playback::Mpg123Decoder(LayoutFile(), {.Stop = &stop}), playback::DecoderError);

  stop = false;
  playback::Mpg123Decoder decoder(LayoutFile(), {.ScanLength = false, .Stop = &stop});
  std::vector<std::int16_t> block(1152 * 2);
  EXPECT_EQ(decoder.Read(block.data(), 1152), 1152u);
  stop = true;
  std::size_t after = 0;
  while (const std::size_t got = decoder.Read(block.data(), 1152)) {
    after += got;  // what libmpg123 had already read ahead, at most
  }
  EXPECT_LE(after, 4u * 1152);
}

}  // namespace
}  // namespace brelvik::waveform
