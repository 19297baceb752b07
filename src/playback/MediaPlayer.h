// The program's playback device: libmpg123 decodes the file and SDL2 plays
// it, both on SDL's audio thread; the operations lock that thread out only
// for the moment they touch the shared state. The sound output is opened at
// the first Play, not at Open: without one, files open, seek and report their
// length and positions, and Play raises the output's own error text.
#pragma once

#include <memory>
#include <string>

#include "playback/PlaybackDevice.h"

namespace brelvik {

class TMediaPlayer final : public PlaybackDevice {
 public:
  TMediaPlayer();
  // Stops the sound and closes the file and the output.
  ~TMediaPlayer() override;
  TMediaPlayer(const TMediaPlayer&) = delete;
  TMediaPlayer& operator=(const TMediaPlayer&) = delete;

  std::string FileName() const override;
  void SetFileName(const std::string& path) override;
  void Open() override;
  void Play() override;
  void Pause() override;
  void Stop() override;
  void Seek(std::int32_t ms) override;
  std::int32_t Position() const override;
  std::int32_t Length() const override;
  PlaybackMode Mode() const override;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace brelvik
