// Spans decoded on demand from a lame-encoded file: sample for sample what
// a player decodes there, and the latest of a quick run of requests is the
// one answered.
#include <gtest/gtest.h>

#include <condition_variable>
#include <mutex>
#include <string>
#include <vector>

#include "Lame.h"
#include "ReferenceDecode.h"
#include "TempDir.h"
#include "waveform/PeakBuilder.h"
#include "waveform/decode/DetailDecoder.h"

namespace brelvik::waveform {
namespace {

using brelvik::testing::TempDir;

const std::string& ToneFile() {
  static const TempDir folder;
  static const std::string path =
      testing::EncodeWithLame(folder, "tone", {.Seconds = 6, .LameArgs = {"-V", "2"}});
  return path;
}

struct Answers {
  std::mutex Lock;
  std::condition_variable Came;
  std::vector<std::pair<DetailRequest, PeakLevel>> Details;

  DetailDecoder::Decoded Callback() {
    return [this](const DetailRequest& request, PeakLevel detail) {
      {
        const std::lock_guard lock(Lock);
        Details.emplace_back(request, std::move(detail));
      }
      Came.notify_all();
    };
  }
  void WaitFor(const DetailRequest& request) {
    std::unique_lock lock(Lock);
    Came.wait(lock, [&] { return !Details.empty() && Details.back().first == request; });
  }
};

// The buckets of the reference decode's frames [first, first + frames).
std::vector<Peak> ReferenceBuckets(const testing::ReferenceDecode& reference, std::int64_t first,
                                   std::int64_t frames, std::int64_t bucketFrames) {
  PeakBuilder builder(reference.Channels, bucketFrames);
  builder.Feed(reference.Samples.data() + first * reference.Channels,
               static_cast<std::size_t>(frames));
  builder.Finish();
  return builder.Take();
}

std::vector<Peak> Buckets(const PeakLevel& level) {
  std::vector<Peak> peaks;
  for (std::int64_t b = 0; b < level.Buckets(); ++b) {
    const auto bucket = level.Bucket(b);
    peaks.insert(peaks.end(), bucket.begin(), bucket.end());
  }
  return peaks;
}

TEST(DetailDecoder, ASpanDecodedOnDemandIsWhatAPlayerDecodesThere) {
  const testing::ReferenceDecode reference = testing::DecodeAsPlayer(ToneFile());
  Answers answers;
  DetailDecoder decoder(ToneFile(), answers.Callback());
  for (const DetailRequest request : {DetailRequest{123'456, 3000, 1, 123'456, 126'456},
                                      DetailRequest{4096, 20'000, 8, 4096, 24'096},
                                      DetailRequest{250'000, 14'600, 2, 250'000, 264'600}}) {
    decoder.Request(request);
    answers.WaitFor(request);
    const PeakLevel& detail = answers.Details.back().second;
    EXPECT_EQ(detail.Start(), request.First);
    const std::int64_t frames = std::min(request.Frames, reference.Frames() - request.First);
    EXPECT_EQ(detail.End(), request.First + frames);
    EXPECT_TRUE(Buckets(detail) ==
                ReferenceBuckets(reference, request.First, frames, request.BucketFrames))
        << request.First;
  }
}

TEST(DetailDecoder, TheLatestRequestIsTheOneAnswered) {
  Answers answers;
  DetailDecoder decoder(ToneFile(), answers.Callback());
  std::vector<DetailRequest> requests;
  for (std::int64_t i = 0; i < 20; ++i) {
    requests.push_back({i * 10'000, 100'000, 1, i * 10'000, i * 10'000 + 100'000});
    decoder.Request(requests.back());
  }
  answers.WaitFor(requests.back());
  const std::lock_guard lock(answers.Lock);
  // Those answered before were requests of their own, in order.
  std::size_t next = 0;
  for (const auto& [request, detail] : answers.Details) {
    while (next < requests.size() && !(requests[next] == request)) {
      ++next;
    }
    ASSERT_LT(next, requests.size());
    EXPECT_EQ(detail.Start(), request.First);
  }
  EXPECT_LT(answers.Details.size(), requests.size());
}

TEST(DetailDecoder, AFileThatCannotBeOpenedGivesNoDetailsAndStopsAtOnce) {
  const TempDir dir;
  testing::WriteBytes(dir.File("text.mp3"), testing::Bytes(20000, 'x'));
  Answers answers;
  {
    DetailDecoder decoder(dir.File("text.mp3"), answers.Callback());
    decoder.Request({0, 1000, 1, 0, 1000});
  }
  EXPECT_TRUE(answers.Details.empty());
}

}  // namespace
}  // namespace brelvik::waveform
