// The playback device as the window sees it: open a file by path, play,
// pause, stop and seek it, and poll its mode, position and length in whole
// milliseconds. TMediaPlayer is the real device; window tests put a scripted
// one in its place.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

namespace brelvik {

// The device's mode. The window acts on Stopped, Playing, Paused and Open;
// TMediaPlayer never reports Recording, Seeking or Open.
enum class PlaybackMode : int {
  NotReady = 0,
  Stopped = 1,
  Playing = 2,
  Recording = 3,
  Seeking = 4,
  Paused = 5,
  Open = 6,
};

// Raised by the device: "No MCI device open" for an operation that needs an
// open file, or the decoder's or the audio output's own text when Open is
// refused ("Unknown error code" when they give none).
class EMCIDeviceError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Every operation waits until it is done, except Play, which returns at once
// while the sound plays on the device's own threads. The owner calls the
// operations from one thread and learns of progress and of the end of the
// file only by polling Mode and Position.
//
// With no file open (before the first Open, and after a refused one) Mode is
// NotReady and Position is 0; every other operation except Open and the file
// name raises EMCIDeviceError "No MCI device open".
class PlaybackDevice {
 public:
  virtual ~PlaybackDevice() = default;

  // The path that the next Open opens.
  virtual std::string FileName() const = 0;
  virtual void SetFileName(const std::string& path) = 0;

  // Closes a file still open, then opens FileName. Afterwards the device is
  // stopped at 0 and Length is valid. A refused open raises EMCIDeviceError
  // and leaves no file open.
  virtual void Open() = 0;

  // Plays from the current position and returns at once; when Position equals
  // Length, first goes back to 0. From paused it continues where it paused;
  // while playing it does nothing. At the end of the file the device stops by
  // itself, with Position equal to Length.
  virtual void Play() = 0;

  // Playing: pauses. Paused: resumes. Other modes: nothing.
  virtual void Pause() = 0;

  // Stops playing or pausing and keeps the position; Mode is Stopped after.
  virtual void Stop() = 0;

  // Leaves the device stopped at ms, clamped to 0..Length.
  virtual void Seek(std::int32_t ms) = 0;

  // What the listener hears now, in ms from the start of the file.
  virtual std::int32_t Position() const = 0;

  // The decoded duration of the open file in ms.
  virtual std::int32_t Length() const = 0;

  virtual PlaybackMode Mode() const = 0;

 protected:
  PlaybackDevice() = default;
  PlaybackDevice(const PlaybackDevice&) = default;
  PlaybackDevice& operator=(const PlaybackDevice&) = default;
};

}  // namespace brelvik
