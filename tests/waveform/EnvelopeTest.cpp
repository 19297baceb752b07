// The envelope on made-up audio: a tone, then silence, then noise, seen at
// many zooms, each part's columns of the height that its samples have and
// the silence flat; the pyramid's levels against the samples they stand for
// and against each other; and an envelope still growing.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include "GeneratedAudio.h"
#include "waveform/Envelope.h"

namespace brelvik::waveform {
namespace {

using testing::Audio;
using testing::BuildEnvelope;
using testing::MakeAudio;
using testing::Part;

constexpr std::int64_t kPartFrames = 10 * 44100;
constexpr double kToneAmplitude = 16000;
constexpr double kNoiseAmplitude = 6000;

const Audio& ToneSilenceNoise() {
  static const Audio audio = MakeAudio({{Part::Kind::Tone, kPartFrames, kToneAmplitude},
                                        {Part::Kind::Silence, kPartFrames, 0},
                                        {Part::Kind::Noise, kPartFrames, kNoiseAmplitude}},
                                       2);
  return audio;
}

struct Expected {
  double Peak;  // highest sample; the lowest is its negative
  double Rms;
  double RmsTolerance;  // noise's RMS over a bucket of 1024 varies by 1.4 % (one sigma)
};

// A sine's RMS is its amplitude over root 2, uniform noise's its bound over root 3.
const Expected kParts[] = {{kToneAmplitude, kToneAmplitude / std::sqrt(2.0), 0.01},
                           {0, 0, 0},
                           {kNoiseAmplitude, kNoiseAmplitude / std::sqrt(3.0), 0.08}};

// The frames of the coarsest level's buckets that columns of this many
// frames are drawn from: a column may reach this far beyond its own frames.
double ReachOf(double framesPerColumn) {
  double bucket = kFinestFrames;
  while (bucket * kLevelFactor <= framesPerColumn) {
    bucket *= kLevelFactor;
  }
  return bucket;
}

class PartHeights : public ::testing::TestWithParam<double> {};

TEST_P(PartHeights, EachPartsColumnsHaveItsHeightAndSilenceIsFlat) {
  const double framesPerColumn = GetParam();
  const Envelope envelope = BuildEnvelope(ToneSilenceNoise(), 4096, true);
  const int count = static_cast<int>(std::ceil(3 * kPartFrames / framesPerColumn));
  const ColumnSet set = envelope.Columns(0, framesPerColumn, count);
  const double reach = ReachOf(framesPerColumn);
  int checked[3] = {};
  for (int column = 0; column < count; ++column) {
    // Columns wholly inside one part, with what they may reach beyond them.
    const double first = column * framesPerColumn - reach;
    const double end = (column + 1) * framesPerColumn + reach;
    const auto part = static_cast<std::size_t>(std::max(first, 0.0) / kPartFrames);
    if (first < 0 || part > 2 || end > static_cast<double>((part + 1) * kPartFrames)) {
      continue;
    }
    ++checked[part];
    for (int channel = 0; channel < 2; ++channel) {
      const Column& c = set.At(channel, column);
      SCOPED_TRACE("column " + std::to_string(column) + ", part " + std::to_string(part));
      ASSERT_TRUE(c.Known);
      const Expected& want = kParts[part];
      if (want.Peak == 0) {
        EXPECT_EQ(c.Value, Peak{});
        continue;
      }
      EXPECT_NEAR(c.Value.Max, want.Peak, want.Peak * 0.03);
      EXPECT_NEAR(c.Value.Min, -want.Peak, want.Peak * 0.03);
      EXPECT_NEAR(c.Value.Rms, want.Rms, want.Rms * want.RmsTolerance);
    }
  }
  for (const int part : checked) {
    EXPECT_GT(part, 0);
  }
}

// From finer than the finest level to a few columns for each part.
INSTANTIATE_TEST_SUITE_P(Zooms, PartHeights,
                         ::testing::Values(333.3, 1024, 1500, 4096, 7777.7, 44100, 123456));

// What a bucket of any level must be: the lowest and highest of its
// samples, and their RMS within the rounding of the levels below.
void ExpectBucketOfSamples(const Audio& audio, const PeakLevel& level, std::int64_t bucket,
                           int depth) {
  const std::int64_t first = bucket * level.BucketFrames();
  const std::int64_t end = std::min(first + level.BucketFrames(), audio.Frames());
  ASSERT_EQ(level.FramesIn(bucket), end - first);
  for (int channel = 0; channel < audio.Channels; ++channel) {
    int low = audio.At(first, channel);
    int high = low;
    double squares = 0;
    for (std::int64_t frame = first; frame < end; ++frame) {
      const int v = audio.At(frame, channel);
      low = std::min(low, v);
      high = std::max(high, v);
      squares += static_cast<double>(v) * v;
    }
    const Peak& peak = level.Bucket(bucket)[static_cast<std::size_t>(channel)];
    EXPECT_EQ(peak.Min, low);
    EXPECT_EQ(peak.Max, high);
    EXPECT_NEAR(peak.Rms, std::sqrt(squares / static_cast<double>(end - first)), 0.5 + depth);
  }
}

TEST(EnvelopePyramid, EveryLevelsBucketsStandForTheirSamplesAndForTheBucketsBelow) {
  // Odd lengths: the last buckets of the levels are partial.
  const Audio audio = MakeAudio({{Part::Kind::Noise, 100'003, 30000},
                                 {Part::Kind::Tone, 77'777, 20000},
                                 {Part::Kind::Silence, 5'000, 0},
                                 {Part::Kind::Noise, 150'001, 300}},
                                2, 7);
  const Envelope envelope = BuildEnvelope(audio, 1000, true);
  ASSERT_GE(envelope.Levels(), 5);
  EXPECT_EQ(envelope.Level(envelope.Levels() - 1).Buckets(), 1);
  for (int depth = 0; depth < envelope.Levels(); ++depth) {
    const PeakLevel& level = envelope.Level(depth);
    SCOPED_TRACE("level " + std::to_string(depth));
    ASSERT_EQ(level.End(), audio.Frames());
    ASSERT_EQ(level.BucketFrames(), kFinestFrames << (2 * depth));
    for (std::int64_t bucket = 0; bucket < level.Buckets(); ++bucket) {
      ExpectBucketOfSamples(audio, level, bucket, depth);
      if (depth == 0) {
        continue;
      }
      // A coarse bucket equals the fine ones it holds, joined.
      const PeakLevel& below = envelope.Level(depth - 1);
      std::vector<PeakSum> sums(2);
      below.Summarise(bucket * level.BucketFrames(), (bucket + 1) * level.BucketFrames(), sums);
      for (std::size_t c = 0; c < 2; ++c) {
        EXPECT_EQ(level.Bucket(bucket)[c], sums[c].Result()) << "bucket " << bucket;
      }
    }
  }
}

TEST(EnvelopePyramid, BlockSizesDoNotMatter) {
  const Audio audio = MakeAudio({{Part::Kind::Noise, 20'000, 9000}}, 1, 3);
  const Envelope oneByOne = BuildEnvelope(audio, 1);
  for (const std::int64_t block : {std::int64_t{1023}, std::int64_t{1025}, std::int64_t{65536}}) {
    const Envelope other = BuildEnvelope(audio, block, true);
    ASSERT_EQ(other.Levels(), oneByOne.Levels());
    for (int depth = 0; depth < other.Levels(); ++depth) {
      for (std::int64_t b = 0; b < other.Level(depth).Buckets(); ++b) {
        EXPECT_EQ(other.Level(depth).Bucket(b)[0], oneByOne.Level(depth).Bucket(b)[0]);
      }
    }
  }
}

// While the stream is decoded, the coarse levels lag behind level 0: the
// columns over what has been decoded still show every spike in them, and no
// spike further away than a bucket; the columns past it are not known.
TEST(EnvelopeGrowth, ColumnsOfAGrowingEnvelopeShowWhatIsDecodedSoFar) {
  constexpr std::int64_t kFrames = 300'000;
  constexpr std::int64_t kSpikeGap = 37'001;
  Audio audio = MakeAudio({{Part::Kind::Silence, kFrames, 0}}, 1);
  std::vector<std::int64_t> spikes;
  for (std::int64_t at = 20'000; at < kFrames; at += kSpikeGap) {
    spikes.push_back(at);
    audio.Samples[static_cast<std::size_t>(at)] = 30000;
  }
  const auto spikeIn = [&](double first, double end) {
    return std::any_of(spikes.begin(), spikes.end(), [&](std::int64_t at) {
      return static_cast<double>(at) >= first && static_cast<double>(at) < end;
    });
  };
  for (const std::int64_t decoded : {std::int64_t{1023}, std::int64_t{50'000}, std::int64_t{70'001},
                                     std::int64_t{262'145}, std::int64_t{299'999}}) {
    Audio part = audio;
    part.Samples.resize(static_cast<std::size_t>(decoded));
    const Envelope growing = BuildEnvelope(part, 1000, false, false);
    const auto full = static_cast<double>(growing.DecodedFrames());
    EXPECT_EQ(growing.DecodedFrames(), decoded / kFinestFrames * kFinestFrames);
    for (const double perColumn : {1024.0, 5000.0, 16384.0, 70000.0}) {
      const int count = static_cast<int>(std::ceil(kFrames / perColumn));
      const ColumnSet set = growing.Columns(0, perColumn, count);
      const double reach = ReachOf(perColumn);
      for (int column = 0; column < count; ++column) {
        SCOPED_TRACE(std::to_string(decoded) + " decoded, column " + std::to_string(column) +
                     " of " + std::to_string(perColumn));
        const double first = column * perColumn;
        const double end = std::floor(first + perColumn);
        const Column& c = set.At(0, column);
        if (first >= full) {
          EXPECT_FALSE(c.Known);
          continue;
        }
        ASSERT_TRUE(c.Known);
        if (spikeIn(first, std::min(end, full))) {
          EXPECT_EQ(c.Value.Max, 30000);
        } else if (!spikeIn(first - reach, end + reach)) {
          EXPECT_EQ(c.Value.Max, 0);
        }
      }
    }
  }
}

TEST(EnvelopeColumns, StereoJoinedIsTheOuterOfBothChannels) {
  const Audio audio = MakeAudio({{Part::Kind::Noise, 10'000, 20000}}, 2, 11);
  const Envelope envelope = BuildEnvelope(audio, 512);
  const ColumnSet set = envelope.Columns(0, 2000, 5);
  const ColumnSet joined = JoinChannels(set);
  ASSERT_EQ(joined.Channels, 1);
  for (int column = 0; column < 5; ++column) {
    const Peak& left = set.At(0, column).Value;
    const Peak& right = set.At(1, column).Value;
    const Peak& both = joined.At(0, column).Value;
    EXPECT_EQ(both.Min, std::min(left.Min, right.Min));
    EXPECT_EQ(both.Max, std::max(left.Max, right.Max));
    EXPECT_NEAR(both.Rms, std::sqrt((left.Rms * left.Rms + right.Rms * right.Rms) / 2.0), 0.5);
  }
}

TEST(EnvelopeColumns, PastTheEndAndBeforeTheStartNothingIsKnown) {
  const Audio audio = MakeAudio({{Part::Kind::Tone, 5000, 1000}}, 1);
  const Envelope envelope = BuildEnvelope(audio, 5000);
  const ColumnSet set = envelope.Columns(-3000, 1000, 10);
  for (int column = 0; column < 10; ++column) {
    const bool inside = column >= 3 && column < 8;
    EXPECT_EQ(set.At(0, column).Known, inside) << column;
  }
}

}  // namespace
}  // namespace brelvik::waveform
