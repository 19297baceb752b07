#include "waveform/decode/DetailDecoder.h"

#include <exception>
#include <utility>

namespace brelvik::waveform {

DetailDecoder::DetailDecoder(std::string path, Decoded decoded)
    : path_(std::move(path)), decoded_(std::move(decoded)), thread_([this] { Run(); }) {}

DetailDecoder::~DetailDecoder() {
  {
    const std::lock_guard lock(mutex_);
    stop_ = true;
  }
  wake_.notify_one();
  thread_.join();
}

void DetailDecoder::Request(const DetailRequest& request) {
  {
    const std::lock_guard lock(mutex_);
    pending_ = request;
    ++requests_;
  }
  wake_.notify_one();
}

std::optional<DetailDecoder::Numbered> DetailDecoder::NextRequest() {
  std::unique_lock lock(mutex_);
  wake_.wait(lock, [this] { return stop_ || pending_.has_value(); });
  if (stop_) {
    return std::nullopt;
  }
  const DetailRequest request = *std::exchange(pending_, std::nullopt);
  return Numbered{request, requests_};
}

bool DetailDecoder::OpenSource() {
  if (source_ || refused_) {
    return source_ != nullptr;
  }
  try {
    // The scan gives libmpg123 its frame index, so that every later seek
    // goes straight to its frame.
    source_ = std::make_unique<DecoderSamples>(std::make_unique<playback::Mpg123Decoder>(
        path_, playback::DecoderOptions{.ScanLength = true, .Stop = &stop_}));
  } catch (const std::exception&) {
    refused_ = !stop_;
  }
  return source_ != nullptr;
}

void DetailDecoder::Run() {
  while (const std::optional<Numbered> next = NextRequest()) {
    if (!OpenSource()) {
      continue;
    }
    const unsigned number = next->Number;
    const auto current = [this, number] { return !stop_ && requests_ == number; };
    try {
      std::optional<PeakLevel> detail = DecodeDetail(*source_, next->Request, current);
      if (detail && current()) {
        decoded_(next->Request, std::move(*detail));
      }
    } catch (const std::exception&) {
      // No detail for this span; the envelope's own levels stay shown.
    }
  }
}

}  // namespace brelvik::waveform
