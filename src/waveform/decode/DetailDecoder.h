// Spans of a file decoded on demand for the waveform's detail, on a thread
// of its own with a decoder of its own: the latest request replaces one not
// started yet and stops one being decoded, so that a quick run of zooms and
// scrolls decodes only what is shown in the end.
#pragma once

#include <atomic>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

#include "playback/Mpg123Decoder.h"
#include "waveform/DetailSpan.h"

namespace brelvik::waveform {

// The decoder side of a detail: libmpg123 seeking to the frame that holds a
// sample and decoding from there, as exact to the sample as playback.
class DecoderSamples final : public SampleSource {
 public:
  explicit DecoderSamples(std::unique_ptr<playback::Mpg123Decoder> decoder)
      : decoder_(std::move(decoder)) {}

  int Channels() const override { return decoder_->Channels(); }
  bool SeekTo(std::int64_t frame) override { return decoder_->SeekTo(frame); }
  std::size_t Read(std::int16_t* out, std::size_t frames) override {
    return decoder_->Read(out, frames);
  }

 private:
  std::unique_ptr<playback::Mpg123Decoder> decoder_;
};

class DetailDecoder {
 public:
  // Called on the decoder's thread with each detail decoded and the request
  // it answers.
  using Decoded = std::function<void(const DetailRequest& request, PeakLevel detail)>;

  // The file is opened at the first request; one that cannot be opened
  // gives no details, the envelope's own levels stay what is shown.
  DetailDecoder(std::string path, Decoded decoded);
  // Stops the decoding (within milliseconds, the file's open included) and
  // waits for the thread.
  ~DetailDecoder();
  DetailDecoder(const DetailDecoder&) = delete;
  DetailDecoder& operator=(const DetailDecoder&) = delete;

  void Request(const DetailRequest& request);

 private:
  struct Numbered {
    DetailRequest Request;
    unsigned Number = 0;  // how many requests had been made by then
  };

  void Run();
  std::optional<Numbered> NextRequest();
  bool OpenSource();

  std::string path_;
  Decoded decoded_;
  std::unique_ptr<DecoderSamples> source_;
  bool refused_ = false;  // the file could not be opened
  std::mutex mutex_;
  std::condition_variable wake_;
  std::optional<DetailRequest> pending_;
  std::atomic<unsigned> requests_ = 0;  // how many were made: a later one supersedes
  std::atomic<bool> stop_ = false;
  std::thread thread_;  // last: it starts once everything else is in place
};

}  // namespace brelvik::waveform
