// Helpers of the playback tests: real MP3 files encoded by lame at test time,
// a reference decode made with libmpg123 directly (not through the device's
// decoder), and direct looks at what libmpg123 and SDL say about a file or
// an output.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "Lame.h"
#include "ReferenceDecode.h"
#include "playback/PlaybackDevice.h"

namespace brelvik {

inline void PrintTo(PlaybackMode mode, std::ostream* out) {
  *out << static_cast<int>(mode);
}

}  // namespace brelvik

namespace brelvik::testing {

struct ToneFile {
  const char* Name;
  EncodeOptions Encoding;

  // The tone's sample frames: lame's gapless information lets the decoder
  // give back exactly what went in.
  std::int64_t Samples() const {
    return static_cast<std::int64_t>(Encoding.Seconds * Encoding.SampleRate);
  }
  std::int32_t Ms() const {
    return static_cast<std::int32_t>(Samples() * 1000 / Encoding.SampleRate);
  }
};

inline void PrintTo(const ToneFile& file, std::ostream* out) {
  *out << file.Name;
}
inline std::string ToneFileTestName(const ::testing::TestParamInfo<ToneFile>& info) {
  return info.param.Name;
}

// CBR and VBR at 44.1 kHz stereo, VBR MPEG 2 at 22.05 kHz, CBR mono at 16 kHz.
const std::vector<ToneFile>& AllToneFiles();

// SDL's text when its default output (under the SDL_AUDIODRIVER now set)
// refuses this format; empty when it opens.
std::string DirectOutputRefusal(int rate, int channels);

// Sets an environment variable for the object's life.
class ScopedEnvironment {
 public:
  ScopedEnvironment(const char* name, const char* value);
  ~ScopedEnvironment();
  ScopedEnvironment(const ScopedEnvironment&) = delete;
  ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

 private:
  std::string name_;
  std::optional<std::string> previous_;
};

}  // namespace brelvik::testing
