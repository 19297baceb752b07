#include "exact/ExactSplit.h"

#include <algorithm>
#include <array>
#include <memory>

#include "exact/Crc16.h"
#include "exact/FrameFacts.h"
#include "exact/FrameWalker.h"
#include "exact/HeaderFrame.h"
#include "exact/PieceTags.h"
#include "exact/SourceWindow.h"
#include "split/OutputNaming.h"

namespace brelvik::exact {
namespace {

// Enough frames to hold the largest bit reservoir at the lowest bit rates.
constexpr std::size_t kRecentFrames = 256;
constexpr std::int64_t kWriteChunkBytes = 256 * 1024;
constexpr int kTocEntries = 100;

bool IsLayerIII(const StreamLayout& layout) {
  return layout.Format.LayerIndex == kLayerIII;
}

// The frames before a cut that the decoder must have decoded to give the
// frame after it as in the whole stream: the overlap of the transform and the
// synthesis filter's 512 samples of history come from one frame in MPEG 1
// and from two frames of 576 samples in MPEG 2 and 2.5.
int StateFramesFor(const FrameHeader& format) {
  return format.VersionIndex == kVersionMpeg1 ? 1 : 2;
}

// Gapless decoders decode at most this many frames of a piece's delay (the
// rest they skip unread by the synthesis filter), so every frame before the
// piece's first must be among them.
constexpr int kDecodedDelayFrames = 4;

// The synthesis filter keeps its history in a ring of 16 slots, one slot per
// 32 samples, and libmpg123's rounding depends on where in that ring a frame
// starts: the frames decoded before a piece's first frame must turn the ring
// as far as the whole stream's decode has turned it by then, to within this
// many frames (found by decoding the pieces of every format).
int RingPeriodFrames(const FrameHeader& format) {
  if (format.VersionIndex == kVersionMpeg1) {
    return 2;
  }
  return format.ChannelMode == kChannelModeMono ? 4 : 2;
}

// How many frames go before frame k of a piece: a made reservoir frame and
// the state frames, as many as keep the synthesis ring in step; all of frames
// 0 to k - 1 when that is as few.
int PrimingFrames(const StreamLayout& layout, std::int64_t k) {
  const int fewest = 1 + StateFramesFor(layout.Format);
  if (k <= fewest) {
    return static_cast<int>(k);
  }
  // Frames the whole stream's decode has run through the filter before frame
  // k: it skips the frames of a long delay beyond the last few.
  const std::int64_t skipped =
      std::max<std::int64_t>(0, layout.FirstSample / layout.SamplesPerFrame - kDecodedDelayFrames);
  const std::int64_t decoded = k - skipped;
  const int period = RingPeriodFrames(layout.Format);
  for (const int step : {period, 2}) {
    for (int priming = fewest; priming <= kDecodedDelayFrames; ++priming) {
      if ((decoded - priming) % step == 0) {
        return priming;
      }
    }
  }
  return fewest;
}

// Where one of the last frames of the walk lies.
struct FramePlace {
  std::int64_t Offset = 0;
  FrameHeader Header;
};

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
// `reservoir`, the bytes that the next frames' main_data_begin reaches back to.
Bytes MadeFrame(const FrameHeader& like, std::span<const std::uint8_t> reservoir) {
  FrameHeader header = like;
  header.CrcProtected = false;
  header.Padded = false;
  header.PrivateBit = false;
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
  frame[3] = static_cast<std::uint8_t>((header.ChannelMode << 6) | (header.ModeExtension << 4) |
                                       (header.Copyright ? 8 : 0) | (header.Original ? 4 : 0) |
                                       header.Emphasis);
  const std::size_t room = frame.size() - static_cast<std::size_t>(MainDataOffset(header));
  const std::size_t kept = std::min(room, reservoir.size());
  std::copy(reservoir.end() - static_cast<std::ptrdiff_t>(kept), reservoir.end(),
            frame.end() - static_cast<std::ptrdiff_t>(kept));
  return frame;
}

// One piece being written.
class ExactPiece {
 public:
  ExactPiece(const std::string& name, const WritePolicy& policy, SourceWindow& window,
             const StreamLayout& layout, const PieceRecipe& recipe, const Bytes& id3v2)
      : writer_(name, policy), window_(window), layout_(layout), recipe_(recipe) {
    writer_.Write(id3v2);
    headerAt_ = static_cast<std::int64_t>(id3v2.size());
    if (recipe_.HeaderFrame) {
      HeaderFrameContent sized;
      sized.VariableRate = layout_.VariableRate;
      const Bytes placeholder = BuildHeaderFrame(layout_.Format, sized);
      writer_.Write(Bytes(placeholder.size(), 0));
      streamBytes_ = static_cast<std::int64_t>(placeholder.size());
    }
  }

  // A whole frame that does not come from the walk.
  void AddFrame(std::span<const std::uint8_t> frame) {
    Flush();
    NoteFrame();
    crc_.Add(frame);
    writer_.Write(frame);
    streamBytes_ += static_cast<std::int64_t>(frame.size());
  }

  // A frame of the walk, written from the source's buffer with its neighbours.
  void AddWalked(const Frame& frame) {
    NoteFrame();
    if (pendingBytes_ == 0) {
      pendingStart_ = frame.Offset;
      window_.Keep(pendingStart_);
    }
    pendingBytes_ += frame.Header.FrameLength;
    streamBytes_ += frame.Header.FrameLength;
    if (pendingBytes_ >= kWriteChunkBytes) {
      Flush();
    }
  }

  void Finish(const Bytes& id3v1) {
    Flush();
    if (recipe_.HeaderFrame) {
      writer_.WriteAt(headerAt_, BuildHeaderFrame(layout_.Format, HeaderContent()));
    }
    writer_.Write(id3v1);
    writer_.Commit();
  }

 private:
  void NoteFrame() {
    const std::int64_t frames = recipe_.AudioFrames();
    while (nextToc_ < kTocEntries && nextToc_ * frames / kTocEntries <= framesSoFar_) {
      tocBytes_[static_cast<std::size_t>(nextToc_++)] = streamBytes_;
    }
    ++framesSoFar_;
  }

  void Flush() {
    if (pendingBytes_ == 0) {
      return;
    }
    const auto bytes = window_.At(pendingStart_, static_cast<std::size_t>(pendingBytes_));
    if (static_cast<std::int64_t>(bytes.size()) != pendingBytes_) {
      throw EStreamError("Stream read error", "", "the file has changed while it was split");
    }
    crc_.Add(bytes);
    writer_.Write(bytes);
    pendingBytes_ = 0;
    window_.Keep(-1);
  }

  HeaderFrameContent HeaderContent() const {
    HeaderFrameContent content;
    content.VariableRate = layout_.VariableRate;
    content.AudioFrames = static_cast<std::uint32_t>(recipe_.AudioFrames());
    content.StreamBytes = static_cast<std::uint32_t>(streamBytes_);
    for (std::size_t i = 0; i < content.Toc.size(); ++i) {
      content.Toc[i] = static_cast<std::uint8_t>(std::min<std::int64_t>(
          255, tocBytes_[i] * 256 / std::max<std::int64_t>(1, streamBytes_)));
    }
    content.Quality = layout_.Header.Quality.value_or(0);
    content.SourceTag = layout_.Header.Lame;
    content.EncoderDelay = recipe_.EncoderDelay;
    content.EncoderPadding = recipe_.EncoderPadding;
    content.MusicCrc = crc_.Value();
    return content;
  }

  PieceWriter writer_;
  SourceWindow& window_;
  const StreamLayout& layout_;
  PieceRecipe recipe_;
  std::int64_t headerAt_ = 0;
  std::int64_t streamBytes_ = 0;  // from the header frame's first byte
  std::int64_t framesSoFar_ = 0;
  std::int64_t nextToc_ = 0;
  std::array<std::int64_t, kTocEntries> tocBytes_{};
  Crc16 crc_;
  std::int64_t pendingStart_ = 0;
  std::int64_t pendingBytes_ = 0;
};

// The frames that go before a piece's first frame, read back from the source.
class Priming {
 public:
  Priming(InputFile& file, const RecentFrames& recent) : file_(file), recent_(recent) {}

  void Write(ExactPiece& piece, const PieceRecipe& recipe, const Frame& first) {
    const std::int64_t stateStart = recipe.FirstFrame - recipe.StateFrames;
    for (int silent = 0; silent < recipe.SilentFrames; ++silent) {
      piece.AddFrame(MadeFrame(first.Header, {}));
    }
    if (recipe.ReservoirFrame) {
      piece.AddFrame(MadeFrame(recent_.At(stateStart).Header, ReservoirBefore(stateStart)));
    }
    for (std::int64_t index = stateStart; index < recipe.FirstFrame; ++index) {
      piece.AddFrame(ReadFrame(index));
    }
  }

 private:
  Bytes ReadFrame(std::int64_t index) const {
    const FramePlace& place = recent_.At(index);
    Bytes bytes(place.Header.FrameLength);
    file_.ReadAt(place.Offset, bytes);
    return bytes;
  }

  // The last bytes of main data before frame `stateStart`, as many as a
  // main_data_begin can reach back.
  Bytes ReservoirBefore(std::int64_t stateStart) const {
    const auto reach =
        static_cast<std::size_t>(LargestMainDataBegin(recent_.At(stateStart).Header));
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

  InputFile& file_;
  const RecentFrames& recent_;
};

// The piece's length to the nearest millisecond.
std::int64_t LengthMs(const StreamLayout& layout, const CutPlan& plan, int piece) {
  const auto index = static_cast<std::size_t>(piece);
  const std::int64_t samples = plan.Bounds[index + 1] - plan.Bounds[index];
  return (samples * 1000 + layout.SampleRate / 2) / layout.SampleRate;
}

}  // namespace

PieceRecipe RecipeFor(const StreamLayout& layout, std::int64_t from, std::int64_t to) {
  const int spf = layout.SamplesPerFrame;
  const bool startsStream = from == layout.FirstSample;
  const bool endsStream = to == layout.EndSample;
  PieceRecipe recipe;
  recipe.FirstFrame = startsStream ? 0 : from / spf;
  recipe.LastFrame = endsStream ? layout.AudioFrames - 1 : to / spf - 1;
  if (!IsLayerIII(layout)) {
    return recipe;
  }
  recipe.EncoderPadding = static_cast<int>((recipe.LastFrame + 1) * spf - to) + kDecoderDelay;
  if (startsStream) {
    if (layout.FirstSample >= kDecoderDelay) {
      recipe.HeaderFrame = true;
      recipe.EncoderDelay = static_cast<int>(layout.FirstSample) - kDecoderDelay;
    } else if (layout.FirstMainDataBegin == 0) {
      // A decoder honours no delay below its own, so the stream's first
      // samples would be lost behind a header frame; silent frames before
      // them keep them, as they leave the decoder as fresh as it was.
      recipe.HeaderFrame = true;
      recipe.SilentFrames = RingPeriodFrames(layout.Format);
      recipe.EncoderDelay =
          recipe.SilentFrames * spf + static_cast<int>(layout.FirstSample) - kDecoderDelay;
    }
    return recipe;
  }
  recipe.HeaderFrame = true;
  const int priming = PrimingFrames(layout, recipe.FirstFrame);
  recipe.ReservoirFrame = priming < recipe.FirstFrame;
  recipe.StateFrames = priming - (recipe.ReservoirFrame ? 1 : 0);
  recipe.EncoderDelay =
      priming * spf + static_cast<int>(from - recipe.FirstFrame * spf) - kDecoderDelay;
  return recipe;
}

void SplitExact(InputFile& file, const StreamLayout& layout, const CutPlan& plan,
                const std::string& splitTemplate, const SplitProgress& progress,
                const std::vector<PieceNames>& names, WritePolicy alsoRead) {
  const int pieces = plan.Pieces();
  if (pieces < 1) {
    return;
  }
  const WritePolicy policy = PolicyForPieces(file, std::move(alsoRead), splitTemplate, pieces);
  const std::int64_t size = file.Size();
  const PieceTags tags(file, layout);
  file.Seek(layout.AudioStart);
  SourceWindow window(file, size, layout.AudioStart);
  FrameWalker walker(window, layout.AudioStart, FormatOf(layout.Format));
  RecentFrames recent;
  Priming priming(file, recent);
  const auto namesOf = [&names](int index) {
    return static_cast<std::size_t>(index) < names.size() ? names[static_cast<std::size_t>(index)]
                                                          : PieceNames{};
  };

  int piece = 0;
  PieceRecipe recipe = RecipeFor(layout, plan.Bounds[0], plan.Bounds[1]);
  std::unique_ptr<ExactPiece> current;
  for (std::int64_t index = 0; piece < pieces; ++index) {
    const auto frame = walker.Next();
    if (!frame) {
      throw EStreamError("Stream read error", file.Path(),
                         "the file has changed while it was split");
    }
    if (index == recipe.FirstFrame) {
      current = std::make_unique<ExactPiece>(
          PieceName(splitTemplate, piece + 1), policy, window, layout, recipe,
          tags.Id3v2For(piece + 1, pieces, namesOf(piece), LengthMs(layout, plan, piece)));
      priming.Write(*current, recipe, *frame);
    }
    recent.Push(*frame, index);
    if (current) {
      current->AddWalked(*frame);
    }
    if (index == recipe.LastFrame) {
      current->Finish(tags.Id3v1For(piece + 1));
      current.reset();
      ++piece;
      if (progress) {
        progress(piece);
      }
      if (piece < pieces) {
        recipe = RecipeFor(layout, plan.Bounds[static_cast<std::size_t>(piece)],
                           plan.Bounds[static_cast<std::size_t>(piece) + 1]);
      }
    }
  }
}

}  // namespace brelvik::exact
