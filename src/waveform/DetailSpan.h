// Spans finer than the envelope's finest level: decoded again, on demand,
// from the frame of the stream that holds their first sample, into buckets
// fine enough for the columns shown (down to single samples).
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>

#include "waveform/Peaks.h"

namespace brelvik::waveform {

// What the decoder side gives a detail: samples from any position on.
class SampleSource {
 public:
  virtual ~SampleSource() = default;
  virtual int Channels() const = 0;
  // Positions the next Read at this sample frame; false when refused.
  virtual bool SeekTo(std::int64_t frame) = 0;
  // Decodes up to frames sample frames, interleaved, into out; returns how
  // many, fewer than asked only at the end of the stream.
  virtual std::size_t Read(std::int16_t* out, std::size_t frames) = 0;
};

struct DetailRequest {
  std::int64_t First = 0;  // a whole number of buckets from the stream's start
  std::int64_t Frames = 0;
  std::int64_t BucketFrames = 1;
  // The frames of the columns it is for, within [First, First + Frames).
  std::int64_t ShownFirst = 0;
  std::int64_t ShownEnd = 0;

  friend bool operator==(const DetailRequest&, const DetailRequest&) = default;
};

// The detail that columns of framesPerColumn frames from firstFrame on are
// drawn from: buckets of a power of two frames, at most a quarter of a
// column, over the columns' span and half of it again on either side (so
// that a scroll finds it decoded), within the stream's streamFrames.
// Nothing when the envelope's finest level is fine enough.
std::optional<DetailRequest> DetailFor(double firstFrame, double framesPerColumn, int count,
                                       std::int64_t streamFrames);

// Whether a detail decoded for `decoded` serves the columns that `wanted`
// is for: buckets of the same size, over all of those columns.
bool Serves(const DetailRequest& decoded, const DetailRequest& wanted);

// Decodes the request's frames from the source into one level. Nothing
// when the source refuses the seek or keepGoing, asked after every block,
// says stop.
std::optional<PeakLevel> DecodeDetail(SampleSource& source, const DetailRequest& request,
                                      const std::function<bool()>& keepGoing);

}  // namespace brelvik::waveform
