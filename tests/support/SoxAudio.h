// Real audio with pauses of known place: parts made with sox (tones,
// noise, digital silence), joined into one WAV file and encoded by lame.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "TempDir.h"

namespace brelvik::testing {

struct SoundPart {
  double Ms = 0;
  // sox synth arguments after the length, for example "sine 440 vol 0.5";
  // empty for digital silence.
  std::string Synth;
};

struct SoundLayout {
  int Rate = 44100;
  int Channels = 2;
  std::vector<SoundPart> Parts;

  std::int64_t Frames(const SoundPart& part) const;
  // Where part `index` starts and ends in the joined audio, to the sample.
  double StartMs(std::size_t index) const;
  double EndMs(std::size_t index) const;
};

// Writes name.wav from the parts with sox and encodes it to name.mp3 with lame
// and lameArgs; returns the MP3's path. Throws std::runtime_error when sox or
// lame fails.
std::string EncodeSoundLayout(const TempDir& dir, const std::string& name,
                              const SoundLayout& layout, const std::vector<std::string>& lameArgs);

}  // namespace brelvik::testing
