#include "exact/ExactSplit.h"

#include <algorithm>
#include <array>
#include <memory>

#include "exact/Crc16.h"
#include "exact/FrameFacts.h"
#include "exact/FrameWalker.h"
#include "exact/HeaderFrame.h"
#include "exact/Priming.h"
#include "exact/SourceWindow.h"
#include "split/OutputNaming.h"

namespace brelvik::exact {
namespace {

constexpr std::int64_t kWriteChunkBytes = 256 * 1024;
constexpr int kTocEntries = 100;

// What one piece is, beside its frames.
struct PieceSetting {
  PieceRecipe Recipe;
  PieceTrack Track;
  FrameHeader FirstHeader;  // of the first frame after the header frame
  bool First = false;       // the piece that starts the stream
};

// One piece being written.
class ExactPiece {
 public:
  ExactPiece(const std::string& name, const WritePolicy& policy, SourceWindow& window,
             const StreamLayout& layout, const PieceTags& tags, const Bytes& sourceHeader,
             const PieceSetting& setting)
      : writer_(name, policy),
        window_(window),
        layout_(layout),
        tags_(tags),
        sourceHeader_(sourceHeader),
        setting_(setting),
        recipe_(setting_.Recipe) {
    tags_.WriteLeading(setting_.Track, [this](std::span<const std::uint8_t> bytes) {
      writer_.Write(bytes);
      headerAt_ += static_cast<std::int64_t>(bytes.size());
    });
    // Decoders refuse a header frame whose channel mode is not that of the
    // frame after it.
    like_ = layout_.Format;
    like_.ChannelMode = setting_.FirstHeader.ChannelMode;
    if (recipe_.HeaderFrame) {
      HeaderFrameContent sized;
      sized.VariableRate = layout_.VariableRate;
      const Bytes placeholder = BuildHeaderFrame(like_, sized);
      writer_.Write(Bytes(placeholder.size(), 0));
      streamBytes_ = static_cast<std::int64_t>(placeholder.size());
    } else if (recipe_.SourceHeaderFrame && layout_.Header.Kind != HeaderFrameKind::Vbri) {
      writer_.Write(sourceHeader_);  // a "VBRI" frame is the first frame of the walk
      streamBytes_ = static_cast<std::int64_t>(sourceHeader_.size());
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

  void Finish() {
    Flush();
    if (recipe_.HeaderFrame) {
      writer_.WriteAt(headerAt_, BuildHeaderFrame(like_, HeaderContent()));
    } else if (recipe_.SourceHeaderFrame) {
      FrameHeader header;
      ReadHeader(sourceHeader_, header);
      HeaderFrameContent content = HeaderContent();
      if (layout_.Header.Kind == HeaderFrameKind::Vbri) {
        --content.AudioFrames;  // the "VBRI" frame itself
      }
      writer_.WriteAt(headerAt_, PatchedHeaderFrame(sourceHeader_, header, content));
    }
    tags_.WriteTrailing(setting_.Track,
                        [this](std::span<const std::uint8_t> bytes) { writer_.Write(bytes); });
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

  // The source's LAME tag goes into the first piece where libmpg123 takes it
  // (so that every decoder starts that piece as it starts the source), and
  // into later pieces only where every decoder does.
  std::optional<LameTag> LameTagToCopy() const {
    const auto& lame = layout_.Header.Lame;
    if (!lame || !(setting_.First ? Mpg123Honours(*lame) : EveryDecoderHonours(*lame))) {
      return std::nullopt;
    }
    return lame;
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
    content.SourceTag = LameTagToCopy();
    content.EncoderDelay = recipe_.EncoderDelay;
    content.EncoderPadding = recipe_.EncoderPadding;
    content.MusicCrc = crc_.Value();
    return content;
  }

  PieceWriter writer_;
  SourceWindow& window_;
  const StreamLayout& layout_;
  const PieceTags& tags_;
  const Bytes& sourceHeader_;
  PieceSetting setting_;
  const PieceRecipe& recipe_;
  FrameHeader like_;
  std::int64_t headerAt_ = 0;
  std::int64_t streamBytes_ = 0;  // from the header frame's first byte
  std::int64_t framesSoFar_ = 0;
  std::int64_t nextToc_ = 0;
  std::array<std::int64_t, kTocEntries> tocBytes_{};
  Crc16 crc_;
  std::int64_t pendingStart_ = 0;
  std::int64_t pendingBytes_ = 0;
};

// The piece's length to the nearest millisecond.
std::int64_t LengthMs(const StreamLayout& layout, const CutPlan& plan, int piece) {
  const auto index = static_cast<std::size_t>(piece);
  const std::int64_t samples = plan.Bounds[index + 1] - plan.Bounds[index];
  return (samples * 1000 + layout.SampleRate / 2) / layout.SampleRate;
}

}  // namespace

void SplitExact(InputFile& file, const StreamLayout& layout, const CutPlan& plan,
                const std::string& splitTemplate, const SplitProgress& progress,
                const std::vector<PieceNames>& names, WritePolicy alsoRead) {
  const int pieces = plan.Pieces();
  if (pieces < 1) {
    return;
  }
  const WritePolicy policy = PolicyForPieces(file, std::move(alsoRead), splitTemplate, pieces);
  const PieceTags tags(
      [&file](std::int64_t offset, std::span<std::uint8_t> buffer) { file.ReadAt(offset, buffer); },
      layout);
  Bytes sourceHeader;
  if (layout.KeepsHeaderFrame) {
    sourceHeader.resize(static_cast<std::size_t>(layout.HeaderFrameBytes));
    file.ReadAt(layout.HeaderFrameOffset, sourceHeader);
  }
  file.Seek(layout.AudioStart);
  SourceWindow window(file, layout.AudioEnd, layout.AudioStart);
  FrameWalker walker(window, layout.AudioStart, FormatOf(layout.Format));
  RecentFrames recent;
  const Priming priming(file, recent);

  int piece = 0;
  PieceSetting setting;
  const auto settle = [&](int k) {
    const auto index = static_cast<std::size_t>(k);
    setting.Recipe = RecipeFor(layout, plan.Bounds[index], plan.Bounds[index + 1]);
    setting.Track = {k + 1, pieces, index < names.size() ? names[index] : PieceNames{},
                     LengthMs(layout, plan, k)};
    setting.First = plan.Bounds[index] == layout.FirstSample;
  };
  settle(0);
  std::unique_ptr<ExactPiece> current;
  for (std::int64_t index = 0; piece < pieces; ++index) {
    const auto frame = walker.Next();
    if (!frame) {
      throw EStreamError("Stream read error", file.Path(),
                         "the file has changed while it was split");
    }
    if (index == setting.Recipe.FirstFrame) {
      setting.FirstHeader = priming.FirstHeader(setting.Recipe, *frame);
      current = std::make_unique<ExactPiece>(PieceName(splitTemplate, piece + 1), policy, window,
                                             layout, tags, sourceHeader, setting);
      for (const Bytes& before : priming.Frames(setting.Recipe, *frame)) {
        current->AddFrame(before);
      }
    }
    recent.Push(*frame, index);
    if (current) {
      current->AddWalked(*frame);
    }
    if (index == setting.Recipe.LastFrame) {
      current->Finish();
      current.reset();
      ++piece;
      if (progress) {
        progress(piece);
      }
      if (piece < pieces) {
        settle(piece);
      }
    }
  }
}

std::string JoinWarning(const FrameHeader& format) {
  if (format.LayerIndex == kLayerIII) {
    if (format.VersionIndex == kVersionMpeg1 || format.ChannelMode != kChannelModeMono) {
      return {};
    }
    return "Exact pieces of this file may not join sample for sample: in MPEG 2 and 2.5 mono "
           "streams libmpg123 rounds a few samples after some joins one step differently "
           "(too little to hear)";
  }
  const std::string layer = format.LayerIndex == kLayerI ? "Layer I" : "Layer II";
  return "Exact pieces of this file will not join sample for sample: " + layer +
         " has no header frame that decoders honour, so each piece after the first starts "
         "from a fresh synthesis filter, and its first 480 samples differ from the source's "
         "(a click can be heard at each join)";
}

std::string JoinWarning(const StreamLayout& layout) {
  if (std::string warning = JoinWarning(layout.Format); !warning.empty()) {
    return warning;
  }
  if (layout.StereoAfterMono) {
    return "Exact pieces of this file may not join sample for sample: its audio goes from mono "
           "back to stereo, where decoders take up the second channel with what they kept of it "
           "from before, which a piece that starts in the mono stretch does not hold (a few "
           "hundred samples of one channel can differ)";
  }
  return {};
}

}  // namespace brelvik::exact
