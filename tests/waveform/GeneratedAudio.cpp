#include "GeneratedAudio.h"

#include <cmath>
#include <numbers>
#include <random>

#include "waveform/PeakBuilder.h"

namespace brelvik::waveform::testing {

Audio MakeAudio(const std::vector<Part>& parts, int channels, unsigned seed) {
  Audio audio{channels, {}};
  std::mt19937 generator(seed);
  for (const Part& part : parts) {
    std::uniform_real_distribution<double> noise(-part.Amplitude, part.Amplitude);
    for (std::int64_t i = 0; i < part.Frames; ++i) {
      double value = 0;
      if (part.Sound == Part::Kind::Tone) {
        value = part.Amplitude * std::sin(2 * std::numbers::pi * static_cast<double>(i) / 100);
      }
      for (int c = 0; c < channels; ++c) {
        if (part.Sound == Part::Kind::Noise) {
          value = noise(generator);
        }
        const double signed_ = c == 1 && part.Sound == Part::Kind::Tone ? -value : value;
        audio.Samples.push_back(static_cast<std::int16_t>(std::lround(signed_)));
      }
    }
  }
  return audio;
}

Envelope BuildEnvelope(const Audio& audio, std::int64_t blockFrames, bool varied, bool finish) {
  Envelope envelope(44100, audio.Channels, audio.Frames());
  PeakBuilder builder(audio.Channels, kFinestFrames);
  std::int64_t done = 0;
  std::int64_t block = blockFrames;
  while (done < audio.Frames()) {
    const std::int64_t frames = std::min(block, audio.Frames() - done);
    builder.Feed(audio.Samples.data() + done * audio.Channels, static_cast<std::size_t>(frames));
    done += frames;
    envelope.Append(builder.Take(), builder.Frames());
    if (varied) {
      block = block * 7 % 9973 + 1;
    }
  }
  if (finish) {
    builder.Finish();
    envelope.Append(builder.Take(), builder.Frames());
    envelope.Finish();
  }
  return envelope;
}

}  // namespace brelvik::waveform::testing
