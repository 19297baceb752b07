#include "playback/MediaPlayer.h"

#include <algorithm>
#include <cstdint>
#include <limits>
#include <memory>
#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <utility>

#include "playback/Mpg123Decoder.h"
#include "playback/PlaybackEngine.h"
#include "playback/PlaybackTime.h"
#include "playback/SdlAudio.h"

namespace brelvik {
namespace {

using playback::PlaybackEngine;
using Clock = PlaybackEngine::Clock;

const char* const kNoDevice = "No MCI device open";

std::int32_t ToMs(std::int64_t samples, std::int64_t rate) {
  return static_cast<std::int32_t>(std::min<std::int64_t>(
      playback::SamplesToMs(samples, rate), std::numeric_limits<std::int32_t>::max()));
}

EMCIDeviceError RefusedOpen(const std::string& text) {
  return EMCIDeviceError(text.empty() ? "Unknown error code" : text);
}

}  // namespace

struct TMediaPlayer::Impl {
  // One operation at a time; taken before the output's lock, never after.
  mutable std::mutex operations;
  std::string fileName;
  // Destroyed in reverse order: the output (and with it the audio thread)
  // goes first, then the engine it renders from, then the subsystem.
  std::optional<playback::SdlAudioSystem> audio;
  // Observers settle the end of play, hence mutable.
  mutable PlaybackEngine engine;
  // Opened at the first Play, so that a machine without sound can still open
  // files and ask for their length and positions; kept across files of the
  // same format (closing one takes the better part of 100 ms).
  std::unique_ptr<playback::SdlOutput> output;

  bool FileOpen() const { return engine.Loaded(); }

  void RequireFile() const {
    if (!FileOpen()) {
      throw EMCIDeviceError(kNoDevice);
    }
  }

  // Runs action on the engine with the audio thread, if there is one, locked out.
  template <typename Action>
  auto Locked(Action action) const {
    std::optional<playback::SdlOutput::Lock> lock;
    if (output) {
      lock.emplace(*output);
    }
    return action(engine);
  }

  void CloseFile() {
    // Freed after the lock is given back, so the audio thread never waits
    // for the file to close.
    std::unique_ptr<playback::Mpg123Decoder> decoder =
        Locked([](PlaybackEngine& e) { return e.Unload(); });
  }

  // An output playing the open file's format: the one there when it fits.
  void PrepareOutput() {
    const int rate = engine.Rate();
    const int channels = engine.Channels();
    if (output && output->Plays(rate, channels)) {
      return;
    }
    try {
      output.reset();
      if (!audio) {
        audio.emplace();
      }
      output = std::make_unique<playback::SdlOutput>(
          rate, channels,
          [this](std::span<std::int16_t> out) { engine.Render(out, Clock::now()); });
    } catch (const playback::OutputError& error) {
      throw RefusedOpen(error.what());
    }
    Locked([this](PlaybackEngine& e) { e.SetOutputLatency(output->LatencyFrames()); });
  }

  void Open() {
    CloseFile();
    std::unique_ptr<playback::Mpg123Decoder> decoder;
    try {
      decoder = std::make_unique<playback::Mpg123Decoder>(fileName);
    } catch (const playback::DecoderError& error) {
      throw RefusedOpen(error.what());
    }
    const std::int64_t latency = output ? output->LatencyFrames() : 0;
    Locked([&](PlaybackEngine& e) { e.Load(std::move(decoder), latency); });
  }

  void Play() {
    RequireFile();
    PrepareOutput();
    Locked([](PlaybackEngine& e) { e.Play(Clock::now()); });
  }

  // Runs action on the engine with a file open and the audio thread locked out.
  template <typename Action>
  auto WithFile(Action action) const {
    RequireFile();
    return Locked(action);
  }
};

TMediaPlayer::TMediaPlayer() : impl_(std::make_unique<Impl>()) {}

TMediaPlayer::~TMediaPlayer() = default;

std::string TMediaPlayer::FileName() const {
  std::lock_guard guard(impl_->operations);
  return impl_->fileName;
}

void TMediaPlayer::SetFileName(const std::string& path) {
  std::lock_guard guard(impl_->operations);
  impl_->fileName = path;
}

void TMediaPlayer::Open() {
  std::lock_guard guard(impl_->operations);
  impl_->Open();
}

void TMediaPlayer::Play() {
  std::lock_guard guard(impl_->operations);
  impl_->Play();
}

void TMediaPlayer::Pause() {
  std::lock_guard guard(impl_->operations);
  impl_->WithFile([](PlaybackEngine& engine) { engine.Pause(Clock::now()); });
}

void TMediaPlayer::Stop() {
  std::lock_guard guard(impl_->operations);
  impl_->WithFile([](PlaybackEngine& engine) { engine.Stop(Clock::now()); });
}

void TMediaPlayer::Seek(std::int32_t ms) {
  std::lock_guard guard(impl_->operations);
  impl_->WithFile([ms](PlaybackEngine& engine) {
    const std::int64_t rate = engine.Rate();
    const std::int64_t length = engine.LengthSamples();
    const std::int64_t target =
        std::clamp<std::int64_t>(ms, 0, playback::SamplesToMs(length, rate));
    engine.Seek(std::min(playback::MsToSamples(target, rate), length));
  });
}

std::int32_t TMediaPlayer::Position() const {
  std::lock_guard guard(impl_->operations);
  if (!impl_->FileOpen()) {
    return 0;
  }
  return impl_->WithFile([](PlaybackEngine& engine) {
    return ToMs(engine.PositionSamples(Clock::now()), engine.Rate());
  });
}

std::int32_t TMediaPlayer::Length() const {
  std::lock_guard guard(impl_->operations);
  return impl_->WithFile(
      [](PlaybackEngine& engine) { return ToMs(engine.LengthSamples(), engine.Rate()); });
}

PlaybackMode TMediaPlayer::Mode() const {
  std::lock_guard guard(impl_->operations);
  if (!impl_->FileOpen()) {
    return PlaybackMode::NotReady;
  }
  return impl_->WithFile([](PlaybackEngine& engine) { return engine.Mode(Clock::now()); });
}

}  // namespace brelvik
