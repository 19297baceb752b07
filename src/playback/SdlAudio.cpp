#include "playback/SdlAudio.h"

#include <SDL.h>

#include <string_view>
#include <utility>

namespace brelvik::playback {
namespace {

[[noreturn]] void Refuse() {
  const char* text = SDL_GetError();
  throw OutputError(text != nullptr ? text : "");
}

bool ConsumesAtOnce(const char* driver) {
  const std::string_view name = driver != nullptr ? driver : "";
  return name == "dummy" || name == "disk";
}

}  // namespace

SdlAudioSystem::SdlAudioSystem() {
  // SDL would otherwise turn SIGINT and SIGTERM into quit events that nobody
  // reads, and the program would no longer end on Ctrl+C or kill.
  SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
  if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
    Refuse();
  }
}

SdlAudioSystem::~SdlAudioSystem() {
  SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

int BufferFramesFor(int rate) {
  constexpr int kMinimum = 256;
  constexpr int kMaximum = 2048;
  int frames = kMinimum;
  while (frames * 2 <= kMaximum && frames * 2 * 1000 <= rate * 24) {
    frames *= 2;
  }
  return frames;
}

SdlOutput::SdlOutput(int rate, int channels, RenderFunction render)
    : render_(std::move(render)), rate_(rate), channels_(channels) {
  SDL_AudioSpec wanted{};
  wanted.freq = rate;
  wanted.format = AUDIO_S16SYS;
  wanted.channels = static_cast<Uint8>(channels);
  wanted.samples = static_cast<Uint16>(BufferFramesFor(rate));
  wanted.callback = &SdlOutput::Callback;
  wanted.userdata = this;
  SDL_AudioSpec obtained{};
  device_ = SDL_OpenAudioDevice(nullptr, 0, &wanted, &obtained, 0);
  if (device_ == 0) {
    Refuse();
  }
  latencyFrames_ = ConsumesAtOnce(SDL_GetCurrentAudioDriver()) ? 0 : obtained.samples;
  SDL_PauseAudioDevice(device_, 0);
}

SdlOutput::~SdlOutput() {
  SDL_CloseAudioDevice(device_);
}

void SdlOutput::Callback(void* self, std::uint8_t* stream, int bytes) {
  auto* output = static_cast<SdlOutput*>(self);
  const auto values = static_cast<std::size_t>(bytes) / sizeof(std::int16_t);
  output->render_(std::span<std::int16_t>(reinterpret_cast<std::int16_t*>(stream), values));
}

SdlOutput::Lock::Lock(const SdlOutput& output) : device_(output.device_) {
  SDL_LockAudioDevice(device_);
}

SdlOutput::Lock::~Lock() {
  SDL_UnlockAudioDevice(device_);
}

}  // namespace brelvik::playback
