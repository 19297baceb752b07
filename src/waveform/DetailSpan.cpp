#include "waveform/DetailSpan.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <vector>

#include "waveform/Envelope.h"
#include "waveform/PeakBuilder.h"

namespace brelvik::waveform {
namespace {

constexpr std::size_t kBlockFrames = 4096;

// How much more than the columns' span a detail is decoded, on either side.
constexpr double kMarginSpans = 0.5;

struct FrameRange {
  std::int64_t First = 0;
  std::int64_t End = 0;
};

FrameRange ColumnsRange(double firstFrame, double framesPerColumn, int count) {
  const auto first = static_cast<std::int64_t>(std::floor(firstFrame));
  const auto end = static_cast<std::int64_t>(std::ceil(firstFrame + count * framesPerColumn));
  return {std::max<std::int64_t>(first, 0), std::max(end, first + 1)};
}

}  // namespace

std::optional<DetailRequest> DetailFor(double firstFrame, double framesPerColumn, int count,
                                       std::int64_t streamFrames) {
  if (framesPerColumn >= static_cast<double>(kFinestFrames) || count <= 0 || streamFrames <= 0) {
    return std::nullopt;
  }
  const auto quarter = static_cast<std::uint64_t>(std::max(1.0, framesPerColumn / 4));
  const auto bucket = static_cast<std::int64_t>(std::bit_floor(quarter));
  const FrameRange shown = ColumnsRange(firstFrame, framesPerColumn, count);
  const auto margin =
      static_cast<std::int64_t>(kMarginSpans * static_cast<double>(shown.End - shown.First));
  const std::int64_t first = std::max<std::int64_t>(shown.First - margin, 0) / bucket * bucket;
  const std::int64_t end = std::min(shown.End + margin, streamFrames);
  if (first >= end) {
    return std::nullopt;
  }
  return DetailRequest{first, end - first, bucket, shown.First, shown.End};
}

bool Serves(const DetailRequest& decoded, const DetailRequest& wanted) {
  return decoded.BucketFrames == wanted.BucketFrames && decoded.First <= wanted.ShownFirst &&
         decoded.First + decoded.Frames >= std::min(wanted.ShownEnd, wanted.First + wanted.Frames);
}

std::optional<PeakLevel> DecodeDetail(SampleSource& source, const DetailRequest& request,
                                      const std::function<bool()>& keepGoing) {
  if (!source.SeekTo(request.First)) {
    return std::nullopt;
  }
  const int channels = source.Channels();
  PeakBuilder builder(channels, request.BucketFrames);
  std::vector<std::int16_t> block(kBlockFrames * static_cast<std::size_t>(channels));
  while (builder.Frames() < request.Frames) {
    if (!keepGoing()) {
      return std::nullopt;
    }
    const auto wanted = std::min<std::int64_t>(static_cast<std::int64_t>(kBlockFrames),
                                               request.Frames - builder.Frames());
    const std::size_t got = source.Read(block.data(), static_cast<std::size_t>(wanted));
    if (got == 0) {
      break;
    }
    builder.Feed(block.data(), got);
  }
  builder.Finish();
  PeakLevel level(channels, request.First, request.BucketFrames);
  const std::vector<Peak> peaks = builder.Take();
  const auto perBucket = static_cast<std::size_t>(channels);
  level.Reserve(static_cast<std::int64_t>(peaks.size() / perBucket));
  std::int64_t left = builder.Frames();
  for (std::size_t i = 0; i < peaks.size(); i += perBucket) {
    const std::int64_t frames = std::min(left, request.BucketFrames);
    level.Append(std::span(peaks).subspan(i, perBucket), frames);
    left -= frames;
  }
  return level;
}

}  // namespace brelvik::waveform
