// Samples made up for the envelope's tests: tones, digital silence and
// noise of known levels, joined in order, and the envelope built from them.
#pragma once

#include <cstdint>
#include <vector>

#include "waveform/Envelope.h"

namespace brelvik::waveform::testing {

struct Part {
  enum class Kind { Tone, Silence, Noise };
  Kind Sound = Kind::Silence;
  std::int64_t Frames = 0;
  double Amplitude = 0;  // of the tone, or the bound of the uniform noise
};

struct Audio {
  int Channels = 2;
  std::vector<std::int16_t> Samples;  // interleaved

  std::int64_t Frames() const { return static_cast<std::int64_t>(Samples.size()) / Channels; }
  std::int16_t At(std::int64_t frame, int channel) const {
    return Samples[static_cast<std::size_t>(frame * Channels + channel)];
  }
};

// The parts one after the other; a tone of 441 Hz at 44.1 kHz (100 samples
// a period), the same on every channel but for its sign on the second.
Audio MakeAudio(const std::vector<Part>& parts, int channels, unsigned seed = 1);

// The audio fed in blocks of blockFrames (and, when varied, of sizes that
// change from block to block), appended in batches as a decode would.
Envelope BuildEnvelope(const Audio& audio, std::int64_t blockFrames, bool varied = false,
                       bool finish = true);

}  // namespace brelvik::waveform::testing
