#include "exact/Priming.h"

#include <algorithm>

#include "exact/FrameFacts.h"

namespace brelvik::exact {

Bytes MadeFrame(const FrameHeader& like, std::span<const std::uint8_t> reservoir) {
  FrameHeader header = like;
  header.CrcProtected = false;
  header.Padded = false;
  header.PrivateBit = false;
  header.ModeExtension = 0;
  for (std::uint16_t index = 1; index < 15; ++index) {
    header.BitRateIndex = index;
    if (FrameLengthOf(header) >=
        static_cast<std::size_t>(MainDataOffset(header)) + reservoir.size()) {
      break;
    }
  }
  header.FrameLength = FrameLengthOf(header);
  Bytes frame(header.FrameLength, 0);
  frame[0] = 0xFF;
  frame[1] =
      static_cast<std::uint8_t>(0xE0 | (header.VersionIndex << 3) | (header.LayerIndex << 1) | 1);
  frame[2] = static_cast<std::uint8_t>((header.BitRateIndex << 4) | (header.SampleRateIndex << 2));
  frame[3] = static_cast<std::uint8_t>((header.ChannelMode << 6) | (header.Copyright ? 8 : 0) |
                                       (header.Original ? 4 : 0) | header.Emphasis);
  const std::size_t room = frame.size() - static_cast<std::size_t>(MainDataOffset(header));
  const std::size_t kept = std::min(room, reservoir.size());
  std::copy(reservoir.end() - static_cast<std::ptrdiff_t>(kept), reservoir.end(),
            frame.end() - static_cast<std::ptrdiff_t>(kept));
  return frame;
}

const FrameHeader& Priming::FirstHeader(const PieceRecipe& recipe, const Frame& first) const {
  if (recipe.StateFrames > 0 || recipe.ReservoirFrame) {
    return recent_.At(recipe.FirstFrame - recipe.StateFrames).Header;
  }
  return first.Header;
}

std::vector<Bytes> Priming::Frames(const PieceRecipe& recipe, const Frame& first) const {
  std::vector<Bytes> frames;
  const FrameHeader& like = FirstHeader(recipe, first);
  for (int silent = 0; silent < recipe.SilentFrames; ++silent) {
    frames.push_back(MadeFrame(like, {}));
  }
  const std::int64_t stateStart = recipe.FirstFrame - recipe.StateFrames;
  if (recipe.ReservoirFrame) {
    frames.push_back(MadeFrame(like, ReservoirBefore(stateStart)));
  }
  for (std::int64_t index = stateStart; index < recipe.FirstFrame; ++index) {
    frames.push_back(ReadFrame(index));
  }
  return frames;
}

Bytes Priming::ReadFrame(std::int64_t index) const {
  const FramePlace& place = recent_.At(index);
  Bytes bytes(place.Header.FrameLength);
  file_.ReadAt(place.Offset, bytes);
  return bytes;
}

// The last bytes of main data before frame `stateStart`, as many as a
// main_data_begin can reach back.
Bytes Priming::ReservoirBefore(std::int64_t stateStart) const {
  const auto reach = static_cast<std::size_t>(LargestMainDataBegin(recent_.At(stateStart).Header));
  std::size_t held = 0;
  std::int64_t first = stateStart;
  while (held < reach && first > recent_.Oldest()) {
    --first;
    const FramePlace& place = recent_.At(first);
    held += place.Header.FrameLength - static_cast<std::size_t>(MainDataOffset(place.Header));
  }
  const std::int64_t start = recent_.At(first).Offset;
  Bytes frames(static_cast<std::size_t>(recent_.At(stateStart).Offset - start));
  file_.ReadAt(start, frames);
  Bytes mainData;
  for (std::int64_t index = first; index < stateStart; ++index) {
    const FramePlace& place = recent_.At(index);
    const auto begin = frames.begin() + (place.Offset - start) + MainDataOffset(place.Header);
    mainData.insert(mainData.end(), begin,
                    frames.begin() + (place.Offset - start) + place.Header.FrameLength);
  }
  const std::size_t kept = std::min(reach, mainData.size());
  return Bytes(mainData.end() - static_cast<std::ptrdiff_t>(kept), mainData.end());
}

}  // namespace brelvik::exact
