// The device's modes and position tracking over one decoder, without locks
// or audio output. The owner serialises every call, the audio thread's Render
// included, and passes the current time; tests drive it with made-up times.
//
// Position is what the listener hears: the samples handed to the output,
// less the output's own latency and the part of the last chunk that the
// clock says has not been played yet. Pause and Stop freeze that figure and
// move the decoder back to it, so that play continues from the exact sample.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>

#include "playback/Mpg123Decoder.h"
#include "playback/PlaybackDevice.h"

namespace brelvik::playback {

class PlaybackEngine {
 public:
  using Clock = std::chrono::steady_clock;

  // Takes over a decoder and stands stopped at 0. outputLatency: sample
  // frames that the output holds beyond the chunk it is being given.
  void Load(std::unique_ptr<Mpg123Decoder> decoder, std::int64_t outputLatency);
  // Gives the decoder back (to be freed outside the owner's locks).
  std::unique_ptr<Mpg123Decoder> Unload();

  bool Loaded() const { return decoder_ != nullptr; }
  // For an output opened after the decoder was loaded.
  void SetOutputLatency(std::int64_t outputLatency) { outputLatency_ = outputLatency; }
  // Of the loaded decoder.
  int Rate() const { return decoder_->Rate(); }
  int Channels() const { return decoder_->Channels(); }
  std::int64_t LengthSamples() const { return decoder_->LengthSamples(); }

  // NotReady when nothing is loaded.
  PlaybackMode Mode(Clock::time_point now);
  // 0 when nothing is loaded.
  std::int64_t PositionSamples(Clock::time_point now);

  // The operations below need a loaded decoder.
  void Play(Clock::time_point now);
  void Pause(Clock::time_point now);
  void Stop(Clock::time_point now);
  // Stops at sample, clamped to 0..LengthSamples.
  void Seek(std::int64_t sample);

  // Fills out (interleaved, in the decoder's channel count) for the output:
  // decoded audio while playing, silence otherwise and after the end.
  void Render(std::span<std::int16_t> out, Clock::time_point now);

 private:
  // Ends the play run once everything decoded has been heard.
  void Settle(Clock::time_point now);
  std::int64_t Audible(Clock::time_point now) const;
  void Freeze(Clock::time_point now, PlaybackMode mode);
  void StandAt(std::int64_t sample, PlaybackMode mode);
  void StartRun();

  std::unique_ptr<Mpg123Decoder> decoder_;
  std::int64_t outputLatency_ = 0;
  PlaybackMode mode_ = PlaybackMode::NotReady;
  // Stopped or paused: the position. Playing: where this run began.
  std::int64_t anchor_ = 0;
  // Sample frames of this run handed to the output, and of those the last
  // chunk, handed at lastRender_.
  std::int64_t handed_ = 0;
  std::int64_t lastChunk_ = 0;
  Clock::time_point lastRender_{};
  // The decoder ran dry during this run.
  bool drained_ = false;
};

}  // namespace brelvik::playback
