// One decode of an MP3 file for everything that measures its samples: the
// waveform's envelope and the silence search are fed from the same blocks,
// on a thread of its own. The file is opened without a scan of its length,
// so that the first buckets come at once, and every read is cut short once
// the scan is stopped, so that stopping takes milliseconds at any point.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "silence/SilenceFinder.h"
#include "waveform/Peaks.h"

namespace brelvik::waveform {

class FileScan {
 public:
  struct Format {
    int Rate = 0;
    int Channels = 0;
    // As the caller knows it, or libmpg123's estimate; 0 when neither has one.
    std::int64_t ExpectedFrames = 0;
  };
  // Called on the scan's thread: Opened once, then Grew now and then, then
  // Finished; or Failed instead, at any point. Nothing after a stop.
  struct Reports {
    std::function<void(const Format& format)> Opened;
    // Envelope buckets of kFinestFrames frames (Channels() peaks each) that
    // take the stream up to frame end, and the fraction of it decoded (an
    // estimate until the end); the last report ends the stream.
    std::function<void(std::vector<Peak> peaks, std::int64_t end, double fraction)> Grew;
    std::function<void(std::vector<silence::Silence> silences)> Finished;
    // libmpg123's text, empty when it gives none.
    std::function<void(const std::string& error)> Failed;
  };

  // Starts decoding the file at path; silences are looked for with these
  // settings (checked by the caller: silence::CheckSettings). knownMs:
  // the stream's length in milliseconds when the caller has it from a scan
  // (the playback device's), better than libmpg123's estimate for a file
  // without a VBR header; 0 otherwise.
  FileScan(std::string path, silence::SilenceSettings settings, Reports reports,
           double knownMs = 0);
  // Stops the scan and waits for its thread.
  ~FileScan();
  FileScan(const FileScan&) = delete;
  FileScan& operator=(const FileScan&) = delete;

  // Asks the scan to stop and returns at once: it reports nothing more.
  void Stop() { stop_ = true; }

 private:
  Reports reports_;
  std::atomic<bool> stop_ = false;
  std::thread thread_;  // last: it starts once everything else is in place
};

// What the scan's thread runs, on the caller's thread: reports as above,
// until the end or until stop is set.
void ScanFile(const std::string& path, silence::SilenceSettings settings,
              const FileScan::Reports& reports, double knownMs, const std::atomic<bool>& stop);

}  // namespace brelvik::waveform
