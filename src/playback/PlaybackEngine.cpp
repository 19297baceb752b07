#include "playback/PlaybackEngine.h"

#include <algorithm>
#include <utility>

#include "playback/PlaybackTime.h"

namespace brelvik::playback {

void PlaybackEngine::Load(std::unique_ptr<Mpg123Decoder> decoder, std::int64_t outputLatency) {
  decoder_ = std::move(decoder);
  outputLatency_ = outputLatency;
  StandAt(0, PlaybackMode::Stopped);
}

std::unique_ptr<Mpg123Decoder> PlaybackEngine::Unload() {
  mode_ = PlaybackMode::NotReady;
  anchor_ = 0;
  return std::move(decoder_);
}

PlaybackMode PlaybackEngine::Mode(Clock::time_point now) {
  Settle(now);
  return mode_;
}

std::int64_t PlaybackEngine::PositionSamples(Clock::time_point now) {
  Settle(now);
  return mode_ == PlaybackMode::Playing ? Audible(now) : anchor_;
}

void PlaybackEngine::Play(Clock::time_point now) {
  Settle(now);
  if (mode_ == PlaybackMode::Playing) {
    return;
  }
  if (mode_ == PlaybackMode::Stopped &&
      SamplesToMs(anchor_, Rate()) == SamplesToMs(LengthSamples(), Rate())) {
    StandAt(0, PlaybackMode::Stopped);
  }
  StartRun();
}

void PlaybackEngine::Pause(Clock::time_point now) {
  Settle(now);
  if (mode_ == PlaybackMode::Playing) {
    Freeze(now, PlaybackMode::Paused);
  } else if (mode_ == PlaybackMode::Paused) {
    StartRun();
  }
}

void PlaybackEngine::Stop(Clock::time_point now) {
  Settle(now);
  if (mode_ == PlaybackMode::Playing) {
    Freeze(now, PlaybackMode::Stopped);
  } else if (mode_ == PlaybackMode::Paused) {
    mode_ = PlaybackMode::Stopped;
  }
}

void PlaybackEngine::Seek(std::int64_t sample) {
  StandAt(std::clamp<std::int64_t>(sample, 0, LengthSamples()), PlaybackMode::Stopped);
}

void PlaybackEngine::Render(std::span<std::int16_t> out, Clock::time_point now) {
  std::size_t values = 0;
  if (decoder_) {
    Settle(now);
  }
  if (mode_ == PlaybackMode::Playing && !drained_) {
    const auto channels = static_cast<std::size_t>(decoder_->Channels());
    const std::size_t frames = out.size() / channels;
    const std::size_t decoded = decoder_->Read(out.data(), frames);
    if (decoded > 0) {
      handed_ += static_cast<std::int64_t>(decoded);
      lastChunk_ = static_cast<std::int64_t>(decoded);
      lastRender_ = now;
    }
    drained_ = decoded < frames;
    values = decoded * channels;
  }
  std::fill(out.begin() + static_cast<std::ptrdiff_t>(values), out.end(), std::int16_t{0});
}

void PlaybackEngine::Settle(Clock::time_point now) {
  if (mode_ == PlaybackMode::Playing && drained_ && Audible(now) >= anchor_ + handed_) {
    StandAt(LengthSamples(), PlaybackMode::Stopped);
  }
}

std::int64_t PlaybackEngine::Audible(Clock::time_point now) const {
  // Beyond a chunk and the latency the figure is capped anyway; the limit
  // keeps the product below from overflowing after a stalled output.
  constexpr std::int64_t kMaxElapsedNs = 10'000'000'000;
  const std::int64_t elapsedNs = std::clamp<std::int64_t>(
      std::chrono::duration_cast<std::chrono::nanoseconds>(now - lastRender_).count(), 0,
      kMaxElapsedNs);
  const std::int64_t elapsed = lastChunk_ > 0 ? elapsedNs * Rate() / 1'000'000'000 : 0;
  const std::int64_t heard = handed_ - lastChunk_ - outputLatency_ + elapsed;
  return anchor_ + std::clamp<std::int64_t>(heard, 0, handed_);
}

void PlaybackEngine::Freeze(Clock::time_point now, PlaybackMode mode) {
  StandAt(Audible(now), mode);
}

void PlaybackEngine::StandAt(std::int64_t sample, PlaybackMode mode) {
  decoder_->SeekTo(sample);
  anchor_ = sample;
  mode_ = mode;
  handed_ = 0;
  lastChunk_ = 0;
  drained_ = false;
}

void PlaybackEngine::StartRun() {
  handed_ = 0;
  lastChunk_ = 0;
  drained_ = false;
  mode_ = PlaybackMode::Playing;
}

}  // namespace brelvik::playback
