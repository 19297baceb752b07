#include "exact/StreamLayout.h"

#include <algorithm>
#include <array>

#include "exact/FrameWalker.h"
#include "exact/SourceWindow.h"
#include "io/InputFile.h"

namespace brelvik::exact {
namespace {

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

// Whether libmpg123 decodes the stream gaplessly: behind an "Info" or "Xing"
// frame that counts the frames, with the LAME tag's figures where it honours
// them and none otherwise.
bool Gapless(const HeaderFrameFacts& header) {
  return (header.Kind == HeaderFrameKind::Info || header.Kind == HeaderFrameKind::Xing) &&
         header.FrameCount.value_or(0) > 0;
}

// What libmpg123 plays of the frames, decoding from the start. Where the
// header counts more frames than there are (a file cut short) it skips the
// delay but finds the end before the padding; ffmpeg does the same.
void SetDecodedSpan(StreamLayout& layout) {
  const std::int64_t all = layout.AudioFrames * layout.SamplesPerFrame;
  layout.FirstSample = 0;
  layout.EndSample = all;
  const HeaderFrameFacts& header = layout.Header;
  if (!Gapless(header)) {
    return;
  }
  const bool honoured = header.Lame && Mpg123Honours(*header.Lame);
  layout.EncoderDelay = honoured ? header.Lame->EncoderDelay : 0;
  const bool cutShort = *header.FrameCount > layout.AudioFrames;
  layout.EncoderPadding = honoured && !cutShort ? header.Lame->EncoderPadding : 0;
  layout.FirstSample = layout.EncoderDelay + kDecoderDelay;
  if (layout.EncoderPadding > 0) {
    layout.EndSample = std::min(all, all - layout.EncoderPadding + kDecoderDelay);
  }
}

class Indexer {
 public:
  explicit Indexer(const std::string& path) : path_(path), file_(path), size_(file_.Size()) {}

  IndexOutcome Run() {
    layout_.FileSize = size_;
    FindTags();
    SourceWindow window(
        file_, layout_.TrailingTags.empty() ? size_ : layout_.TrailingTags.front().Offset, 0);
    const FirstFrameSearch search = FindFirstFrame(window, layout_.Id3v2Bytes);
    if (!search.First) {
      return Refuse(search.FreeFormat
                        ? "its audio is in free format, whose frames exact cuts cannot find"
                        : "no MPEG audio frames follow its tag");
    }
    TakeHeaderFrame(*search.First);
    if (const std::string problem = Walk(window); !problem.empty()) {
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

  void FindTags() {
    const ByteSource source = [this](std::int64_t offset, std::span<std::uint8_t> buffer) {
      file_.ReadAt(offset, buffer);
    };
    layout_.LeadingTags = LeadingTags(source, size_);
    layout_.Id3v2Bytes = layout_.LeadingTags.empty() ? 0 : layout_.LeadingTags.back().End();
    layout_.TrailingTags = TrailingTags(source, layout_.Id3v2Bytes, size_);
  }

  void TakeHeaderFrame(const Frame& first) {
    layout_.Format = first.Header;
    layout_.AudioStart = first.Offset;
    const HeaderFrameFacts facts = ReadHeaderFrame(first.Bytes, first.Header);
    if (facts.Kind == HeaderFrameKind::None) {
      return;
    }
    layout_.Header = facts;
    layout_.VariableRate = facts.Kind == HeaderFrameKind::Xing;
    layout_.HeaderFrameOffset = first.Offset;
    layout_.HeaderFrameBytes = first.Header.FrameLength;
    // libmpg123 plays a "VBRI" frame as audio, and the position display
    // comes from it.
    if (facts.Kind != HeaderFrameKind::Vbri) {
      layout_.AudioStart = first.Offset + first.Header.FrameLength;
    }
    layout_.KeepsHeaderFrame = !Gapless(facts) || !facts.Lame || !Mpg123Honours(*facts.Lame);
  }

  // Counts the frames; returns why the walk cannot be trusted, if it cannot.
  std::string Walk(SourceWindow& window) {
    const StreamFormat format = FormatOf(layout_.Format);
    FrameWalker walker(window, layout_.AudioStart, format);
    while (const auto frame = walker.Next()) {
      Note(*frame);
    }
    layout_.AudioEnd = walker.Position();
    TakeBackAudioEndingAsATag();
    layout_.SampleRate = SampleRateOf(layout_.Format);
    layout_.SamplesPerFrame = SamplesPerFrame(layout_.Format);
    if (layout_.AudioFrames == 0) {
      return "no audio frames follow its header frame";
    }
    if (const auto other = FormatChangeAt(window, layout_.AudioEnd, layout_.Format)) {
      return "its audio changes from " + Describe(layout_.Format) + " to " + Describe(*other) +
             " at byte " + std::to_string(layout_.AudioEnd);
    }
    if (const auto resumes = ResumesAfter(window, layout_.AudioEnd, format)) {
      return "its audio is broken by " + std::to_string(*resumes - layout_.AudioEnd) +
             " bytes that are not frames at byte " + std::to_string(layout_.AudioEnd);
    }
    if (laterHeaderFrame_ >= 0) {
      return "a second header frame at byte " + std::to_string(laterHeaderFrame_) +
             " shows files joined end to end, whose joins decoders play each in their own way";
    }
    return {};
  }

  void Note(const Frame& frame) {
    if (layout_.AudioFrames == 0) {
      layout_.Format = frame.Header;
      layout_.FirstMainDataBegin = MainDataBegin(frame.Bytes, frame.Header);
    }
    layout_.VariableRate =
        layout_.VariableRate || frame.Header.BitRateIndex != layout_.Format.BitRateIndex;
    const bool mono = frame.Header.ChannelMode == kChannelModeMono;
    layout_.StereoAfterMono = layout_.StereoAfterMono || (sawMono_ && !mono);
    sawMono_ = sawMono_ || mono;
    // An "Info" or "Xing" frame among the audio: where a second file begins.
    if (laterHeaderFrame_ < 0) {
      const HeaderFrameKind kind = ReadHeaderFrame(frame.Bytes, frame.Header).Kind;
      if (kind == HeaderFrameKind::Info || kind == HeaderFrameKind::Xing) {
        laterHeaderFrame_ = frame.Offset;
      }
    }
    ++layout_.AudioFrames;
  }

  // "TAG" in the last 128 bytes of the file can be the end of the last
  // frame: where a frame runs from the walk's end exactly to the file's end,
  // those bytes are audio.
  void TakeBackAudioEndingAsATag() {
    auto& tags = layout_.TrailingTags;
    if (tags.size() != 1 || tags.front().Kind != TagKind::Id3v1 || layout_.AudioEnd + 4 > size_) {
      return;
    }
    std::array<std::uint8_t, 4> four{};
    file_.ReadAt(layout_.AudioEnd, four);
    FrameHeader last;
    if (ReadHeader(four, last) && FormatOf(last) == FormatOf(layout_.Format) &&
        layout_.AudioEnd + last.FrameLength == size_) {
      layout_.AudioEnd = size_;
      ++layout_.AudioFrames;
      layout_.VariableRate =
          layout_.VariableRate || last.BitRateIndex != layout_.Format.BitRateIndex;
      tags.clear();
    }
  }

  std::string path_;
  InputFile file_;
  std::int64_t size_;
  StreamLayout layout_;
  std::int64_t laterHeaderFrame_ = -1;
  bool sawMono_ = false;
};

}  // namespace

double StreamLayout::SampleAtMs(double milliseconds) const {
  return milliseconds * SampleRate / 1000.0;
}

bool StreamLayout::HasTrailing(TagKind kind) const {
  return std::any_of(TrailingTags.begin(), TrailingTags.end(),
                     [kind](const TagPlace& tag) { return tag.Kind == kind; });
}

IndexOutcome IndexStream(const std::string& path) {
  return Indexer(path).Run();
}

}  // namespace brelvik::exact
