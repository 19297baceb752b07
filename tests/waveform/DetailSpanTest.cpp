// Spans finer than the envelope's finest level: what is decoded for a view,
// when a detail decoded earlier still serves it, and the detail's buckets
// against the samples of a made-up source.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "GeneratedAudio.h"
#include "waveform/DetailSpan.h"
#include "waveform/Envelope.h"

namespace brelvik::waveform {
namespace {

using testing::Audio;
using testing::MakeAudio;
using testing::Part;

// Made-up samples that can be read from any frame, counting the seeks.
class AudioSource final : public SampleSource {
 public:
  explicit AudioSource(const Audio& audio) : audio_(audio) {}
  int Channels() const override { return audio_.Channels; }
  bool SeekTo(std::int64_t frame) override {
    ++seeks;
    if (frame < 0 || frame > audio_.Frames() || refuse) {
      return false;
    }
    at_ = frame;
    return true;
  }
  std::size_t Read(std::int16_t* out, std::size_t frames) override {
    const auto n = static_cast<std::size_t>(
        std::min<std::int64_t>(static_cast<std::int64_t>(frames), audio_.Frames() - at_));
    const auto channels = static_cast<std::size_t>(audio_.Channels);
    std::copy_n(audio_.Samples.begin() + static_cast<std::ptrdiff_t>(at_ * audio_.Channels),
                n * channels, out);
    at_ += static_cast<std::int64_t>(n);
    return n;
  }

  int seeks = 0;
  bool refuse = false;

 private:
  const Audio& audio_;
  std::int64_t at_ = 0;
};

TEST(DetailFor, OnlyBelowTheFinestLevelInBucketsOfAQuarterColumnAtMost) {
  EXPECT_FALSE(DetailFor(0, kFinestFrames, 1000, 10'000'000).has_value());
  struct Case {
    double PerColumn;
    std::int64_t Bucket;
  };
  const auto slack = [](const Case& c, double frames) {
    return static_cast<double>(c.Bucket) + frames;
  };
  for (const Case c : {Case{1000, 128}, Case{512, 128}, Case{8, 2}, Case{3.9, 1}, Case{0.46, 1}}) {
    const auto request = DetailFor(1'000'000, c.PerColumn, 1000, 10'000'000);
    ASSERT_TRUE(request.has_value()) << c.PerColumn;
    EXPECT_EQ(request->BucketFrames, c.Bucket) << c.PerColumn;
    EXPECT_EQ(request->First % request->BucketFrames, 0);
    // The columns' span and half of it on either side.
    const double span = 1000 * c.PerColumn;
    EXPECT_NEAR(static_cast<double>(request->First), 1'000'000 - span / 2, slack(c, 1));
    EXPECT_NEAR(static_cast<double>(request->Frames), 2 * span, slack(c, 2));
  }
}

TEST(DetailFor, StaysWithinTheStream) {
  const auto atStart = DetailFor(100, 100, 1000, 10'000'000);
  ASSERT_TRUE(atStart.has_value());
  EXPECT_EQ(atStart->First, 0);
  const auto atEnd = DetailFor(9'950'000, 100, 1000, 10'000'000);
  ASSERT_TRUE(atEnd.has_value());
  EXPECT_EQ(atEnd->First + atEnd->Frames, 10'000'000);
}

TEST(DetailFor, ADetailServesAScrollWithinItsMarginAndNoOtherZoom) {
  const DetailRequest decoded = *DetailFor(1'000'000, 100, 1000, 10'000'000);
  EXPECT_TRUE(Serves(decoded, *DetailFor(1'049'000, 100, 1000, 10'000'000)));
  EXPECT_TRUE(Serves(decoded, *DetailFor(951'000, 100, 1000, 10'000'000)));
  EXPECT_FALSE(Serves(decoded, *DetailFor(1'051'000, 100, 1000, 10'000'000)));
  EXPECT_FALSE(Serves(decoded, *DetailFor(1'000'000, 50, 1000, 10'000'000)));
}

TEST(DecodeDetail, BucketsHoldTheSamplesFromTheRequestedFrameOn) {
  const Audio audio = MakeAudio({{Part::Kind::Noise, 50'000, 20000}}, 2, 9);
  AudioSource source(audio);
  const DetailRequest request{12'288, 10'003, 4, 12'288, 22'291};
  const auto detail = DecodeDetail(source, request, [] { return true; });
  ASSERT_TRUE(detail.has_value());
  EXPECT_EQ(detail->Start(), 12'288);
  EXPECT_EQ(detail->End(), 22'291);
  ASSERT_EQ(detail->Buckets(), 2501);
  for (std::int64_t bucket = 0; bucket < detail->Buckets(); ++bucket) {
    const std::int64_t first = 12'288 + 4 * bucket;
    for (int c = 0; c < 2; ++c) {
      int low = audio.At(first, c);
      int high = low;
      for (std::int64_t f = first; f < std::min<std::int64_t>(first + 4, 22'291); ++f) {
        low = std::min<int>(low, audio.At(f, c));
        high = std::max<int>(high, audio.At(f, c));
      }
      const Peak& peak = detail->Bucket(bucket)[static_cast<std::size_t>(c)];
      ASSERT_EQ(peak.Min, low) << bucket;
      ASSERT_EQ(peak.Max, high) << bucket;
    }
  }
}

TEST(DecodeDetail, NothingWhenTheSeekIsRefusedOrTheRequestIsSuperseded) {
  const Audio audio = MakeAudio({{Part::Kind::Noise, 50'000, 20000}}, 1);
  AudioSource source(audio);
  source.refuse = true;
  EXPECT_FALSE(DecodeDetail(source, {0, 1000, 1, 0, 1000}, [] { return true; }).has_value());
  source.refuse = false;
  int asked = 0;
  EXPECT_FALSE(
      DecodeDetail(source, {0, 40'000, 1, 0, 40'000}, [&] { return ++asked < 3; }).has_value());
  EXPECT_EQ(asked, 3);
}

// At 20 ms across 1,920 pixels a column is less than a sample: a detail of
// single samples shows the tone's shape and the silence flat.
TEST(DecodeDetail, ColumnsFromADetailShowSingleSamples) {
  const Audio audio =
      MakeAudio({{Part::Kind::Tone, 10'000, 10000}, {Part::Kind::Silence, 10'000, 0}}, 1);
  const Envelope envelope = testing::BuildEnvelope(audio, 4096);
  AudioSource source(audio);
  const double first = 9'559;  // 441 samples of tone, 441 of silence
  const double perColumn = 882.0 / 1920;
  const auto request = DetailFor(first, perColumn, 1920, audio.Frames());
  ASSERT_TRUE(request.has_value());
  const auto detail = DecodeDetail(source, *request, [] { return true; });
  ASSERT_TRUE(detail.has_value());
  const ColumnSet set = envelope.Columns(first, perColumn, 1920, &*detail);
  for (int column = 0; column < 1920; ++column) {
    const auto frame = static_cast<std::int64_t>(std::floor(first + column * perColumn));
    const Column& c = set.At(0, column);
    ASSERT_TRUE(c.Known);
    EXPECT_EQ(c.Value.Min, audio.At(frame, 0)) << column;
    EXPECT_EQ(c.Value.Max, audio.At(frame, 0)) << column;
  }
  // Without it, the finest level's buckets: a column there holds a period or more.
  const ColumnSet coarse = envelope.Columns(first, perColumn, 1920);
  EXPECT_GT(coarse.At(0, 0).Value.Max, 9000);
}

}  // namespace
}  // namespace brelvik::waveform
