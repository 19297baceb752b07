// A playback device whose mode, position and length the test sets, and which
// records the operations the window calls.
#pragma once

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "playback/PlaybackDevice.h"

namespace brelvik::testing {

class ScriptedDevice final : public PlaybackDevice {
 public:
  struct State {
    std::vector<std::string> Calls;  // "Open /x.mp3", "Seek 120", "Stop", ...
    std::string FileName;
    bool IsOpen = false;
    PlaybackMode Mode = PlaybackMode::NotReady;
    std::int32_t Position = 0;
    std::int32_t Length = 60000;
    std::optional<std::string> RefuseOpenWith;  // Open raises this text
  };

  explicit ScriptedDevice(State& state) : state_(state) {}

  std::string FileName() const override { return state_.FileName; }
  void SetFileName(const std::string& path) override { state_.FileName = path; }

  void Open() override {
    state_.Calls.push_back("Open " + state_.FileName);
    state_.IsOpen = false;
    if (state_.RefuseOpenWith) {
      state_.Mode = PlaybackMode::NotReady;
      throw EMCIDeviceError(*state_.RefuseOpenWith);
    }
    state_.IsOpen = true;
    state_.Mode = PlaybackMode::Stopped;
    state_.Position = 0;
  }
  void Play() override { Record("Play", PlaybackMode::Playing); }
  void Pause() override { Record("Pause", state_.Mode); }
  void Stop() override { Record("Stop", PlaybackMode::Stopped); }
  void Seek(std::int32_t ms) override {
    Record("Seek " + std::to_string(ms), PlaybackMode::Stopped);
    state_.Position = std::clamp(ms, 0, state_.Length);
  }
  std::int32_t Position() const override { return state_.Position; }
  std::int32_t Length() const override {
    RequireOpen();
    return state_.Length;
  }
  PlaybackMode Mode() const override { return state_.Mode; }

 private:
  void RequireOpen() const {
    if (!state_.IsOpen) {
      throw EMCIDeviceError("No MCI device open");
    }
  }
  void Record(const std::string& call, PlaybackMode next) {
    RequireOpen();
    state_.Calls.push_back(call);
    state_.Mode = next;
  }

  State& state_;
};

}  // namespace brelvik::testing
