#include "PlaybackTestSupport.h"

#include <SDL.h>
#include <mpg123.h>
#include <stdlib.h>

#include <memory>
#include <stdexcept>

namespace brelvik::testing {
namespace {

struct HandleDeleter {
  void operator()(mpg123_handle* handle) const { mpg123_delete(handle); }
};
using Handle = std::unique_ptr<mpg123_handle, HandleDeleter>;

// A handle opened on path with 16-bit output at the file's own format.
Handle OpenSixteenBit(const std::string& path, long& rate, int& channels) {
  Handle handle(mpg123_new(nullptr, nullptr));
  mpg123_param(handle.get(), MPG123_ADD_FLAGS, MPG123_QUIET, 0.0);
  mpg123_format_none(handle.get());
  const long* rates = nullptr;
  size_t count = 0;
  mpg123_rates(&rates, &count);
  for (size_t i = 0; i < count; ++i) {
    mpg123_format(handle.get(), rates[i], MPG123_MONO | MPG123_STEREO, MPG123_ENC_SIGNED_16);
  }
  int encoding = 0;
  if (mpg123_open(handle.get(), path.c_str()) == MPG123_OK) {
    mpg123_getformat(handle.get(), &rate, &channels, &encoding);
  }
  return handle;
}

}  // namespace

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

ReferenceDecode DecodeStraight(const std::string& path) {
  ReferenceDecode decode;
  const Handle handle = OpenSixteenBit(path, decode.Rate, decode.Channels);
  if (decode.Channels == 0) {
    throw std::runtime_error("reference decode cannot open " + path);
  }
  std::vector<std::int16_t> block(4096);
  int result = MPG123_OK;
  while (result == MPG123_OK) {
    size_t done = 0;
    result = mpg123_read(handle.get(), block.data(), block.size() * 2, &done);
    decode.Samples.insert(decode.Samples.end(), block.begin(),
                          block.begin() + static_cast<std::ptrdiff_t>(done / 2));
  }
  return decode;
}

std::string DirectDecoderRefusal(const std::string& path) {
  long rate = 0;
  int channels = 0;
  const Handle handle = OpenSixteenBit(path, rate, channels);
  return channels == 0 ? mpg123_strerror(handle.get()) : "";
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
