#include "exact/StreamLayout.h"

#include <algorithm>
#include <cstring>

#include "exact/FrameWalker.h"
#include "exact/SourceWindow.h"
#include "io/InputFile.h"

namespace brelvik::exact {
namespace {

constexpr std::size_t kId3v2HeaderBytes = 10;
constexpr std::int64_t kId3v1Bytes = 128;
// Frames that must follow each other for audio after a gap to count as a
// stream that goes on.
constexpr int kResumingFrames = 3;

std::string Describe(const FrameHeader& h) {
  static const char* const kVersions[] = {"MPEG 2.5", "reserved", "MPEG 2", "MPEG 1"};
  static const char* const kLayers[] = {"reserved", "Layer III", "Layer II", "Layer I"};
  return std::string(kVersions[h.VersionIndex & 3u]) + " " + kLayers[h.LayerIndex & 3u] + " at " +
         std::to_string(SampleRateOf(h)) + " Hz";
}

// Whether the stream goes on somewhere after `from`: several frames of its
// format in a row, as after a damaged stretch or a tag in the middle.
std::optional<std::int64_t> ResumesAfter(SourceWindow& window, std::int64_t from,
                                         StreamFormat format) {
  for (std::int64_t position = from; position + 4 <= window.FileSize(); ++position) {
    std::int64_t at = position;
    int run = 0;
    while (run < kResumingFrames) {
      const auto frame = FrameAt(window, at, format);
      if (!frame) {
        break;
      }
      at += frame->Header.FrameLength;
      ++run;
    }
    if (run == kResumingFrames) {
      return position;
    }
  }
  return std::nullopt;
}

// A confirmed frame of another format where the walk stopped: the stream
// changes its format there.
std::optional<FrameHeader> FormatChangeAt(SourceWindow& window, std::int64_t position,
                                          const FrameHeader& format) {
  FrameHeader other;
  if (!ReadHeader(window.At(position, 4), other) || FormatOf(other) == FormatOf(format)) {
    return std::nullopt;
  }
  if (FrameAt(window, position, FormatOf(other)) &&
      FrameAt(window, position + other.FrameLength, FormatOf(other))) {
    return other;
  }
  return std::nullopt;
}

// What a gapless decoder (libmpg123's rules) plays of the frames.
void SetDecodedSpan(StreamLayout& layout) {
  const std::int64_t all = layout.AudioFrames * layout.SamplesPerFrame;
  layout.FirstSample = 0;
  layout.EndSample = all;
  const HeaderFrameFacts& header = layout.Header;
  const bool xing = header.Kind == HeaderFrameKind::Info || header.Kind == HeaderFrameKind::Xing;
  // A header that promises more frames than there are makes the decoder give
  // up its gapless figures once it has seen the whole stream.
  if (!xing || !header.FrameCount || *header.FrameCount > layout.AudioFrames) {
    return;
  }
  if (header.Lame) {
    layout.EncoderDelay = header.Lame->EncoderDelay;
    layout.EncoderPadding = header.Lame->EncoderPadding;
  }
  layout.FirstSample = layout.EncoderDelay + kDecoderDelay;
  layout.EndSample = std::min(all, all - layout.EncoderPadding + kDecoderDelay);
}

class Indexer {
 public:
  explicit Indexer(const std::string& path)
      : path_(path), file_(path), size_(file_.Size()), window_(file_, size_, 0) {}

  IndexOutcome Run() {
    layout_.FileSize = size_;
    ReadTags();
    const FirstFrameSearch search = FindFirstFrame(window_, layout_.Id3v2Bytes);
    if (!search.First) {
      return Refuse(search.FreeFormat
                        ? "its audio is in free format, whose frames exact cuts cannot find"
                        : "no MPEG audio frames follow its tag");
    }
    TakeHeaderFrame(*search.First);
    if (const std::string problem = Walk(); !problem.empty()) {
      return Refuse(problem);
    }
    SetDecodedSpan(layout_);
    if (layout_.Samples() <= 0) {
      return Refuse("its frames decode to no audio");
    }
    return {layout_, {}};
  }

 private:
  IndexOutcome Refuse(const std::string& why) const {
    return {std::nullopt, "Exact cuts cannot be made in " + path_ + ": " + why};
  }

  void ReadTags() {
    layout_.Id3v2Bytes = Id3v2TagBytes(window_.At(0, kId3v2HeaderBytes), size_);
    if (size_ - layout_.Id3v2Bytes >= kId3v1Bytes) {
      const auto tail = window_.At(size_ - kId3v1Bytes, 3);
      layout_.Id3v1 = tail.size() == 3 && std::memcmp(tail.data(), "TAG", 3) == 0;
    }
  }

  void TakeHeaderFrame(const Frame& first) {
    layout_.Format = first.Header;
    layout_.AudioStart = first.Offset;
    HeaderFrameFacts facts = ReadHeaderFrame(first.Bytes, first.Header);
    // A "VBRI" frame is played as audio by the decoders that ignore it, and
    // the position display comes from such a decoder.
    if (facts.Kind == HeaderFrameKind::Info || facts.Kind == HeaderFrameKind::Xing) {
      layout_.Header = facts;
      layout_.VariableRate = facts.Kind == HeaderFrameKind::Xing;
      layout_.HeaderFrameOffset = first.Offset;
      layout_.HeaderFrameBytes = first.Header.FrameLength;
      layout_.AudioStart = first.Offset + first.Header.FrameLength;
    } else {
      layout_.Header.Kind = facts.Kind;
    }
  }

  // Counts the frames; returns why the walk cannot be trusted, if it cannot.
  std::string Walk() {
    const StreamFormat format = FormatOf(layout_.Format);
    FrameWalker walker(window_, layout_.AudioStart, format);
    while (const auto frame = walker.Next()) {
      if (layout_.AudioFrames == 0) {
        layout_.Format = frame->Header;
        layout_.FirstMainDataBegin = MainDataBegin(frame->Bytes, frame->Header);
      }
      layout_.VariableRate =
          layout_.VariableRate || frame->Header.BitRateIndex != layout_.Format.BitRateIndex;
      NoteHeaderFrame(*frame);
      ++layout_.AudioFrames;
    }
    layout_.AudioEnd = walker.Position();
    // "TAG" inside the last frame's bytes is audio, not a tag.
    layout_.Id3v1 = layout_.Id3v1 && layout_.AudioEnd <= size_ - kId3v1Bytes;
    layout_.SampleRate = SampleRateOf(layout_.Format);
    layout_.SamplesPerFrame = SamplesPerFrame(layout_.Format);
    if (layout_.AudioFrames == 0) {
      return "no audio frames follow its header frame";
    }
    if (const auto other = FormatChangeAt(window_, layout_.AudioEnd, layout_.Format)) {
      return "its audio changes from " + Describe(layout_.Format) + " to " + Describe(*other) +
             " at byte " + std::to_string(layout_.AudioEnd);
    }
    if (const auto resumes = ResumesAfter(window_, layout_.AudioEnd, format)) {
      return "its audio is broken by " + std::to_string(*resumes - layout_.AudioEnd) +
             " bytes that are not frames at byte " + std::to_string(layout_.AudioEnd);
    }
    if (laterHeaderFrame_ >= 0) {
      return "a second header frame at byte " + std::to_string(laterHeaderFrame_) +
             " shows files joined end to end, whose joins decoders play each in their own way";
    }
    return {};
  }

  // An "Info" or "Xing" frame among the audio: where a second file begins.
  void NoteHeaderFrame(const Frame& frame) {
    if (laterHeaderFrame_ < 0) {
      const HeaderFrameKind kind = ReadHeaderFrame(frame.Bytes, frame.Header).Kind;
      if (kind == HeaderFrameKind::Info || kind == HeaderFrameKind::Xing) {
        laterHeaderFrame_ = frame.Offset;
      }
    }
  }

  std::string path_;
  InputFile file_;
  std::int64_t size_;
  SourceWindow window_;
  StreamLayout layout_;
  std::int64_t laterHeaderFrame_ = -1;
};

}  // namespace

double StreamLayout::SampleAtMs(double milliseconds) const {
  return milliseconds * SampleRate / 1000.0;
}

std::int64_t Id3v2TagBytes(std::span<const std::uint8_t> b, std::int64_t fileSize) {
  if (b.size() < kId3v2HeaderBytes || std::memcmp(b.data(), "ID3", 3) != 0) {
    return 0;
  }
  const std::int64_t body = (std::int64_t{b[6] & 0x7F} << 21) | (std::int64_t{b[7] & 0x7F} << 14) |
                            (std::int64_t{b[8] & 0x7F} << 7) | (b[9] & 0x7F);
  const bool footer = (b[5] & 0x10) != 0 && b[3] >= 4;
  const std::int64_t bytes = static_cast<std::int64_t>(kId3v2HeaderBytes) * (footer ? 2 : 1) + body;
  return bytes <= fileSize ? bytes : 0;
}

IndexOutcome IndexStream(const std::string& path) {
  return Indexer(path).Run();
}

}  // namespace brelvik::exact
