// SDL2 audio output: the audio subsystem for as long as a device needs it,
// and one output device that pulls interleaved 16-bit samples from a render
// function on SDL's audio thread.
#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <stdexcept>

namespace brelvik::playback {

// A refused SDL call, with SDL's own text (empty when it gives none).
class OutputError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The audio subsystem, initialised for the object's life. SDL counts these,
// so several may live at once.
class SdlAudioSystem {
 public:
  SdlAudioSystem();  // throws OutputError
  ~SdlAudioSystem();
  SdlAudioSystem(const SdlAudioSystem&) = delete;
  SdlAudioSystem& operator=(const SdlAudioSystem&) = delete;
};

class SdlOutput {
 public:
  // Called on SDL's audio thread with the output's lock held.
  using RenderFunction = std::function<void(std::span<std::int16_t>)>;

  // Opens the default output at this rate and channel count and starts
  // pulling from render at once; throws OutputError.
  SdlOutput(int rate, int channels, RenderFunction render);
  ~SdlOutput();
  SdlOutput(const SdlOutput&) = delete;
  SdlOutput& operator=(const SdlOutput&) = delete;

  bool Plays(int rate, int channels) const { return rate == rate_ && channels == channels_; }
  // Sample frames the output holds beyond the chunk it is being given: none
  // for drivers that consume a chunk as it is handed over (the dummy and the
  // file writer), one buffer for those that queue it behind the one playing.
  std::int64_t LatencyFrames() const { return latencyFrames_; }

  // While one is held, the render function is not running.
  class Lock {
   public:
    explicit Lock(const SdlOutput& output);
    ~Lock();
    Lock(const Lock&) = delete;
    Lock& operator=(const Lock&) = delete;

   private:
    std::uint32_t device_;
  };

 private:
  static void Callback(void* self, std::uint8_t* stream, int bytes);

  RenderFunction render_;
  int rate_;
  int channels_;
  std::int64_t latencyFrames_ = 0;
  std::uint32_t device_ = 0;
};

// Sample frames per output buffer: a power of two of about 23 ms at most,
// 1,024 at 44.1 and 48 kHz, so that a chunk in flight stays within the
// position's accuracy.
int BufferFramesFor(int rate);

}  // namespace brelvik::playback
