#include "PlaybackTestSupport.h"

#include <SDL.h>
#include <stdlib.h>

#include <memory>
#include <stdexcept>

namespace brelvik::testing {

const std::vector<ToneFile>& AllToneFiles() {
  static const std::vector<ToneFile> files = {
      {"Cbr44k", {3.0, 44100, 2, {"-b", "128"}}},
      {"Vbr44k", {3.0, 44100, 2, {"-V", "2"}}},
      {"Vbr22kMpeg2", {3.0, 22050, 2, {"-V", "4"}}},
      // At less than 48 kbit/s a 16 kHz mono frame has no room for the
      // encoder's gapless information.
      {"Cbr16kMono", {2.5, 16000, 1, {"-b", "48", "-m", "m"}}},
  };
  return files;
}

std::string DirectOutputRefusal(int rate, int channels) {
  if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
    return SDL_GetError();
  }
  SDL_AudioSpec wanted{};
  wanted.freq = rate;
  wanted.format = AUDIO_S16SYS;
  wanted.channels = static_cast<Uint8>(channels);
  wanted.samples = 1024;
  wanted.callback = [](void*, Uint8* stream, int bytes) {
    SDL_memset(stream, 0, static_cast<std::size_t>(bytes));
  };
  const SDL_AudioDeviceID device = SDL_OpenAudioDevice(nullptr, 0, &wanted, nullptr, 0);
  const std::string refusal = device == 0 ? SDL_GetError() : "";
  if (device != 0) {
    SDL_CloseAudioDevice(device);
  }
  SDL_QuitSubSystem(SDL_INIT_AUDIO);
  return refusal;
}

ScopedEnvironment::ScopedEnvironment(const char* name, const char* value) : name_(name) {
  if (const char* previous = ::getenv(name)) {
    previous_ = previous;
  }
  ::setenv(name, value, 1);
}

ScopedEnvironment::~ScopedEnvironment() {
  if (previous_) {
    ::setenv(name_.c_str(), previous_->c_str(), 1);
  } else {
    ::unsetenv(name_.c_str());
  }
}

}  // namespace brelvik::testing
