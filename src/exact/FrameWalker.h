// A walk over the frames of one stream, from its first frame to the first
// position that does not hold a complete frame of the same version, layer and
// sample rate.
#pragma once

#include <cstdint>
#include <optional>
#include <span>

#include "analysis/FrameHeader.h"
#include "exact/FrameFacts.h"
#include "exact/SourceWindow.h"

namespace brelvik::exact {

struct Frame {
  std::int64_t Offset = 0;
  FrameHeader Header;
  std::span<const std::uint8_t> Bytes;  // valid until the walk moves on
};

class FrameWalker {
 public:
  // The walk starts at `first`, a frame of the given format.
  FrameWalker(SourceWindow& window, std::int64_t first, StreamFormat format);

  // The frame at the walk's position, and the walk moves past it; nothing at
  // the stream's end.
  std::optional<Frame> Next();
  // The position after the last frame handed out.
  std::int64_t Position() const { return position_; }

 private:
  SourceWindow& window_;
  std::int64_t position_;
  StreamFormat format_;
  FrameHeader last_;  // of the frame before
  bool known_ = false;
};

// The complete frame of the given format at position, if there is one.
std::optional<Frame> FrameAt(SourceWindow& window, std::int64_t position, StreamFormat format);

struct FirstFrameSearch {
  // The first frame at or after the search's start that two more frames of its
  // format follow (fewer only where the file ends first).
  std::optional<Frame> First;
  // A header in free format was met on the way.
  bool FreeFormat = false;
};

FirstFrameSearch FindFirstFrame(SourceWindow& window, std::int64_t from);

}  // namespace brelvik::exact
