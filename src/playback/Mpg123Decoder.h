// One MPEG audio file decoded by libmpg123 to interleaved signed 16-bit
// samples at the file's own rate and channel count, with its exact decoded
// length from a full scan and sample-accurate seeking.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>

struct mpg123_handle_struct;

namespace brelvik::playback {

class BufferedFile;

// A refused open, with libmpg123's own text (empty when it gives none).
class DecoderError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

struct DecoderOptions {
  // Without the scan of the whole stream the file opens at once, and
  // LengthSamples is libmpg123's estimate (from a VBR header, or from the
  // file's size) until the stream has been read to its end; the samples
  // decoded are the same.
  bool ScanLength = true;
  // Once this is true, reading the file fails: whatever the decoder is doing,
  // the open and its scan included, ends soon with a DecoderError or a short
  // Read.
  const std::atomic<bool>* Stop = nullptr;
};

class Mpg123Decoder {
 public:
  // Opens and scans the file; throws DecoderError when it holds no stream
  // libmpg123 can decode.
  explicit Mpg123Decoder(const std::string& path) : Mpg123Decoder(path, DecoderOptions{}) {}
  Mpg123Decoder(const std::string& path, const DecoderOptions& options);
  ~Mpg123Decoder();
  Mpg123Decoder(const Mpg123Decoder&) = delete;
  Mpg123Decoder& operator=(const Mpg123Decoder&) = delete;

  int Rate() const { return rate_; }
  int Channels() const { return channels_; }
  // Exact after the scan; see DecoderOptions::ScanLength otherwise.
  std::int64_t LengthSamples() const { return length_; }

  // Decodes up to `frames` sample frames into out (frames x Channels values);
  // returns how many it decoded, fewer than asked only at the end of the
  // stream or on a broken one.
  std::size_t Read(std::int16_t* out, std::size_t frames);

  // Positions the next Read at this sample frame; false when refused.
  bool SeekTo(std::int64_t sample);

 private:
  struct HandleDeleter {
    void operator()(mpg123_handle_struct* handle) const;
  };

  // Declared before the handle, which reads through it until it is deleted.
  std::unique_ptr<BufferedFile> file_;
  std::unique_ptr<mpg123_handle_struct, HandleDeleter> handle_;
  int rate_ = 0;
  int channels_ = 0;
  std::int64_t length_ = 0;
};

}  // namespace brelvik::playback
