// The frames that go before a piece's first frame (see PieceRecipe): made
// frames of silence, a made frame holding the bit reservoir's bytes, and the
// state frames read back from the source, where the walk saw them last.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "analysis/FrameHeader.h"
#include "exact/FrameWalker.h"
#include "exact/PieceRecipe.h"
#include "exact/TagBytes.h"
#include "io/InputFile.h"

namespace brelvik::exact {

// Where one of the last frames of the walk lies.
struct FramePlace {
  std::int64_t Offset = 0;
  FrameHeader Header;
};

// Enough frames to hold the largest bit reservoir at the lowest bit rates.
inline constexpr std::size_t kRecentFrames = 256;

class RecentFrames {
 public:
  void Push(const Frame& frame, std::int64_t index) {
    ring_[static_cast<std::size_t>(index) % kRecentFrames] = {frame.Offset, frame.Header};
    newest_ = index;
  }
  // The oldest frame still held; the frame indexes from there to the newest are.
  std::int64_t Oldest() const {
    return std::max<std::int64_t>(0, newest_ - static_cast<std::int64_t>(kRecentFrames) + 1);
  }
  const FramePlace& At(std::int64_t index) const {
    return ring_[static_cast<std::size_t>(index) % kRecentFrames];
  }

 private:
  std::array<FramePlace, kRecentFrames> ring_{};
  std::int64_t newest_ = -1;
};

// A frame of silence in the format of `like` whose main data area ends with
// `reservoir`, the bytes that the next frames' main_data_begin reaches back
// to. Its side information is all zeros: no granule reads a bit of main data,
// so it decodes to silence wherever it stands.
Bytes MadeFrame(const FrameHeader& like, std::span<const std::uint8_t> reservoir);

class Priming {
 public:
  Priming(InputFile& file, const RecentFrames& recent) : file_(file), recent_(recent) {}

  // The header of the first frame that goes into the piece: a header frame
  // takes its channel mode, or decoders refuse it.
  const FrameHeader& FirstHeader(const PieceRecipe& recipe, const Frame& first) const;
  // The frames before `first`, the piece's first frame, in their order.
  std::vector<Bytes> Frames(const PieceRecipe& recipe, const Frame& first) const;

 private:
  Bytes ReadFrame(std::int64_t index) const;
  Bytes ReservoirBefore(std::int64_t stateStart) const;

  InputFile& file_;
  const RecentFrames& recent_;
};

}  // namespace brelvik::exact
