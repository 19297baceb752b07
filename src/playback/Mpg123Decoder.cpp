#include "playback/Mpg123Decoder.h"

#include <mpg123.h>

#include <algorithm>
#include <cerrno>

#include "playback/BufferedFile.h"

namespace brelvik::playback {
namespace {

mpg123_ssize_t ReadCallback(void* file, void* out, size_t count) {
  return static_cast<BufferedFile*>(file)->Read(out, count);
}

off_t SeekCallback(void* file, off_t offset, int whence) {
  return static_cast<BufferedFile*>(file)->Seek(offset, whence);
}

std::string TextOf(const char* text) {
  return text != nullptr ? std::string(text) : std::string();
}

[[noreturn]] void Refuse(mpg123_handle* handle) {
  throw DecoderError(TextOf(mpg123_strerror(handle)));
}

// Allows 16-bit output at every rate libmpg123 decodes, so that the file's
// own rate and channel count come out unconverted.
void AllowNativeFormats(mpg123_handle* handle) {
  mpg123_format_none(handle);
  const long* rates = nullptr;
  size_t count = 0;
  mpg123_rates(&rates, &count);
  for (size_t i = 0; i < count; ++i) {
    mpg123_format(handle, rates[i], MPG123_MONO | MPG123_STEREO, MPG123_ENC_SIGNED_16);
  }
}

}  // namespace

void Mpg123Decoder::HandleDeleter::operator()(mpg123_handle_struct* handle) const {
  mpg123_delete(handle);
}

Mpg123Decoder::Mpg123Decoder(const std::string& path, const DecoderOptions& options) {
  int error = MPG123_OK;
  handle_.reset(mpg123_new(nullptr, &error));
  if (!handle_) {
    throw DecoderError(TextOf(mpg123_plain_strerror(error)));
  }
  mpg123_handle* handle = handle_.get();
  mpg123_param(handle, MPG123_ADD_FLAGS, MPG123_QUIET, 0.0);
  AllowNativeFormats(handle);

  file_ = std::make_unique<BufferedFile>(path);
  if (!file_->Valid()) {
    throw DecoderError(file_->OpenError() == EINVAL
                           ? path + " is not a regular file"
                           : TextOf(mpg123_plain_strerror(MPG123_BAD_FILE)));
  }
  file_->FailReadsWhen(options.Stop);
  if (mpg123_replace_reader_handle(handle, ReadCallback, SeekCallback, nullptr) != MPG123_OK ||
      mpg123_open_handle(handle, file_.get()) != MPG123_OK) {
    Refuse(handle);
  }

  long rate = 0;
  int channels = 0;
  int encoding = 0;
  if (mpg123_getformat(handle, &rate, &channels, &encoding) != MPG123_OK) {
    Refuse(handle);
  }
  // From here on the output keeps this format: a later frame at another rate
  // or channel count is converted rather than changing the stream's format.
  mpg123_format_none(handle);
  mpg123_format(handle, rate, channels, MPG123_ENC_SIGNED_16);

  if (options.ScanLength && mpg123_scan(handle) != MPG123_OK) {
    Refuse(handle);
  }
  const off_t length = mpg123_length(handle);
  if (length < 0 && options.ScanLength) {
    Refuse(handle);
  }
  rate_ = static_cast<int>(rate);
  channels_ = channels;
  length_ = std::max<off_t>(length, 0);  // an estimate libmpg123 cannot make is 0
}

Mpg123Decoder::~Mpg123Decoder() = default;

std::size_t Mpg123Decoder::Read(std::int16_t* out, std::size_t frames) {
  const std::size_t frameBytes = sizeof(std::int16_t) * static_cast<std::size_t>(channels_);
  auto* target = reinterpret_cast<unsigned char*>(out);
  const std::size_t wanted = frames * frameBytes;
  std::size_t filled = 0;
  while (filled < wanted) {
    size_t done = 0;
    const int result = mpg123_read(handle_.get(), target + filled, wanted - filled, &done);
    filled += done;
    const bool progressed = done > 0 || result == MPG123_NEW_FORMAT;
    if ((result != MPG123_OK && result != MPG123_NEW_FORMAT) || !progressed) {
      break;
    }
  }
  return filled / frameBytes;
}

bool Mpg123Decoder::SeekTo(std::int64_t sample) {
  return mpg123_seek(handle_.get(), static_cast<off_t>(sample), SEEK_SET) >= 0;
}

}  // namespace brelvik::playback
