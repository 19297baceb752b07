#include "ReferenceDecode.h"

#include <mpg123.h>

#include <cstring>
#include <memory>
#include <stdexcept>

#include "Lame.h"

namespace brelvik::testing {
namespace {

struct HandleDeleter {
  void operator()(mpg123_handle* handle) const { mpg123_delete(handle); }
};
using Handle = std::unique_ptr<mpg123_handle, HandleDeleter>;

// A handle opened on path with 16-bit output at the file's own format.
Handle OpenSixteenBit(const std::string& path, long& rate, int& channels, bool stereo = false) {
  Handle handle(mpg123_new(nullptr, nullptr));
  mpg123_param(handle.get(), MPG123_ADD_FLAGS, MPG123_QUIET | (stereo ? MPG123_FORCE_STEREO : 0),
               0.0);
  mpg123_format_none(handle.get());
  const long* rates = nullptr;
  size_t count = 0;
  mpg123_rates(&rates, &count);
  for (size_t i = 0; i < count; ++i) {
    mpg123_format(handle.get(), rates[i], MPG123_MONO | MPG123_STEREO, MPG123_ENC_SIGNED_16);
  }
  int encoding = 0;
  if (mpg123_open(handle.get(), path.c_str()) == MPG123_OK) {
    mpg123_getformat(handle.get(), &rate, &channels, &encoding);
  }
  return handle;
}

ReferenceDecode Decode(const std::string& path, bool scanFirst, bool stereo = false) {
  ReferenceDecode decode;
  const Handle handle = OpenSixteenBit(path, decode.Rate, decode.Channels, stereo);
  if (decode.Channels == 0) {
    throw std::runtime_error("reference decode cannot open " + path);
  }
  if (scanFirst && mpg123_scan(handle.get()) != MPG123_OK) {
    throw std::runtime_error("reference decode cannot scan " + path);
  }
  decode.ReportedLength = mpg123_length(handle.get());
  std::vector<std::int16_t> block(4096);
  int result = MPG123_OK;
  while (result == MPG123_OK || result == MPG123_NEW_FORMAT) {
    size_t done = 0;
    result = mpg123_read(handle.get(), block.data(), block.size() * 2, &done);
    decode.Samples.insert(decode.Samples.end(), block.begin(),
                          block.begin() + static_cast<std::ptrdiff_t>(done / 2));
  }
  return decode;
}

}  // namespace

ReferenceDecode DecodeStraight(const std::string& path) {
  return Decode(path, false);
}

ReferenceDecode DecodeAsPlayer(const std::string& path) {
  return Decode(path, true);
}

ReferenceDecode DecodeStraightAsStereo(const std::string& path) {
  return Decode(path, false, true);
}

namespace {

// The raw 16-bit stereo samples a decoding command writes on its output.
ReferenceDecode DecodeWith(const std::vector<std::string>& command, const std::string& path) {
  const CommandResult result = RunCommand(command);
  if (result.ExitCode != 0) {
    throw std::runtime_error(command[0] + " cannot decode " + path + ": " + result.Err);
  }
  ReferenceDecode decode;
  decode.Channels = 2;
  decode.Samples.resize(result.Out.size() / 2);
  std::memcpy(decode.Samples.data(), result.Out.data(), decode.Samples.size() * 2);
  return decode;
}

}  // namespace

ReferenceDecode DecodeWithFfmpeg(const std::string& path) {
  return DecodeWith({BRELVIK_FFMPEG, "-v", "error", "-i", path, "-f", "s16le", "-ac", "2", "-"},
                    path);
}

ReferenceDecode DecodeWithoutGapless(const std::string& path) {
  return DecodeWith({BRELVIK_MPG123, "-q", "--no-gapless", "--stereo", "-s", path}, path);
}

std::string DirectDecoderRefusal(const std::string& path) {
  long rate = 0;
  int channels = 0;
  const Handle handle = OpenSixteenBit(path, rate, channels);
  return channels == 0 ? mpg123_strerror(handle.get()) : "";
}

}  // namespace brelvik::testing
