#include "analysis/MPEGaudio.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <utility>

namespace brelvik {
namespace {

// Every offset at which a frame may start: a frame of the longest MPEG 1
// length starting at the last of them still ends inside the window. MPEG 2
// and 2.5 Layer II frames can be longer (up to 2,881 bytes); such a frame is
// confirmed only where its successor's header still lies inside the window.
constexpr std::size_t kLastSearchOffset = kAnalysisWindowBytes - kLongestMpeg1Frame;
constexpr std::int64_t kID3v1Bytes = 128;

bool IsHeaderAt(const AnalysisWindow& window, std::size_t offset) {
  // A header that would reach past the window's last byte counts as none.
  if (offset + 4 > window.size()) {
    return false;
  }
  return IsFrameHeader(HeaderBytes(window.data() + offset, 4));
}

bool HasIdAt(const AnalysisWindow& window, std::size_t x, const char (&id)[5]) {
  return x + 4 <= window.size() && window[x] == id[0] && window[x + 1] == id[1] &&
         window[x + 2] == id[2] && window[x + 3] == id[3];
}

std::int32_t BigEndian32At(const AnalysisWindow& window, std::size_t x) {
  if (x + 4 > window.size()) {
    return 0;
  }
  const std::uint32_t value = (std::uint32_t{window[x]} << 24) |
                              (std::uint32_t{window[x + 1]} << 16) |
                              (std::uint32_t{window[x + 2]} << 8) | window[x + 3];
  return static_cast<std::int32_t>(value);
}

// Clears the window, then reads up to its size at position; bytes the read
// did not return stay zero and so form no header.
std::optional<std::size_t> ReadWindow(ReadOnlyFile& file, std::int64_t position,
                                      AnalysisWindow& window) {
  window.fill(0);
  if (!file.Seek(position)) {
    return std::nullopt;
  }
  return file.Read(window);
}

}  // namespace

VBRData FindVbrHeader(const AnalysisWindow& window, std::size_t x) {
  VBRData vbr;
  if (HasIdAt(window, x, "Xing")) {
    vbr.Found = true;
    vbr.FrameCount = BigEndian32At(window, x + 8);
    vbr.ByteCount = BigEndian32At(window, x + 12);
  }
  if (HasIdAt(window, x, "VBRI")) {
    vbr.Found = true;
    vbr.ByteCount = BigEndian32At(window, x + 10);
    vbr.FrameCount = BigEndian32At(window, x + 14);
  }
  return vbr;
}

void FindFrame(const AnalysisWindow& window, VBRData& vbr, FrameHeader& frame) {
  frame = FrameHeader{};
  for (std::size_t p = 0; p <= kLastSearchOffset; ++p) {
    if (!IsHeaderAt(window, p)) {
      continue;
    }
    DecodeHeader(HeaderBytes(window.data() + p, 4), frame);
    const std::uint16_t length = FrameLengthOf(frame);
    if (!IsHeaderAt(window, p + length)) {
      continue;
    }
    frame.Found = true;
    frame.Offset = static_cast<std::int32_t>(p);
    frame.FrameLength = length;
    vbr = FindVbrHeader(window, p + VbrHeaderOffset(frame));
    return;
  }
  frame = FrameHeader{};
}

TMPEGaudio::TMPEGaudio(FileOpener opener)
    : opener_(std::move(opener)), tagV1_(opener_), tagV2_(opener_) {
  Clear();
}

void TMPEGaudio::Clear() {
  fileLength_ = 0;
  vbr_ = VBRData{};
  firstFrame_ = FrameHeader{};
  tagV1_.Clear();
  tagV2_.Clear();
}

bool TMPEGaudio::Analyse(const std::string& path) {
  Clear();
  const bool result = tagV1_.ReadTag(path) && tagV2_.ReadTag(path) && ReadStream(path);
  if (!firstFrame_.Found) {
    Clear();
  }
  return result;
}

// Searches the window after an ID3v2 tag and, when a full window held no frame,
// a second window from the middle of the file. For a constant-rate stream it
// then reads the last window before any ID3v1 tag, which must lie inside the
// file: a constant-rate file shorter than one window is refused.
bool TMPEGaudio::ReadStream(const std::string& path) {
  const auto file = opener_(path);
  if (!file) {
    return false;
  }
  const auto size = file->Size();
  if (!size) {
    return false;
  }
  fileLength_ = *size;

  AnalysisWindow window{};
  const auto firstRead = ReadWindow(*file, tagV2_.TagSize, window);
  if (!firstRead) {
    return false;
  }
  FindFrame(window, vbr_, firstFrame_);

  if (!firstFrame_.Found && *firstRead == window.size()) {
    if (!ReadWindow(*file, (fileLength_ - tagV2_.TagSize) / 2, window)) {
      return false;
    }
    FindFrame(window, vbr_, firstFrame_);
  }

  if (firstFrame_.Found && !vbr_.Found) {
    const auto trailerBytes =
        static_cast<std::int64_t>(window.size()) + (tagV1_.Present ? kID3v1Bytes : 0);
    if (!ReadWindow(*file, fileLength_ - trailerBytes, window)) {
      return false;
    }
  }
  return true;
}

std::int64_t TMPEGaudio::AudioBytes() const {
  return fileLength_ - tagV2_.TagSize - firstFrame_.Offset;
}

std::uint16_t TMPEGaudio::BitRateKbps() const {
  if (vbr_.Found && vbr_.FrameCount > 0) {
    const double bytesPerFrame = static_cast<double>(vbr_.ByteCount) / vbr_.FrameCount;
    const double kbps = (bytesPerFrame - PaddingOf(firstFrame_)) * SampleRateOf(firstFrame_) /
                        CoefficientOf(firstFrame_) / 1000.0;
    // Rounded half to even (the default rounding mode); out-of-range values keep
    // their low 16 bits.
    return static_cast<std::uint16_t>(static_cast<std::int64_t>(std::nearbyint(kbps)));
  }
  return BitRateOf(firstFrame_);
}

std::int32_t TMPEGaudio::FrameTotal() const {
  if (vbr_.Found) {
    return vbr_.FrameCount;
  }
  const std::uint16_t frameLength = FrameLengthOf(firstFrame_);
  if (frameLength == 0) {
    return 0;
  }
  const std::int64_t frames = AudioBytes() / frameLength;
  return static_cast<std::int32_t>(
      std::min<std::int64_t>(frames, std::numeric_limits<std::int32_t>::max()));
}

double TMPEGaudio::DurationSecs() const {
  if (!firstFrame_.Found) {
    return 0;
  }
  if (vbr_.Found && vbr_.FrameCount > 0) {
    const std::int64_t bits = std::int64_t{CoefficientOf(firstFrame_)} * vbr_.FrameCount * 8;
    return static_cast<double>(bits) / SampleRateOf(firstFrame_);
  }
  const std::int64_t bits = AudioBytes() * 8;
  return static_cast<double>(bits) / BitRateOf(firstFrame_) / 1000.0;
}

bool TMPEGaudio::IsValid() const {
  return firstFrame_.Found && BitRateKbps() >= 8 && BitRateKbps() <= 448 && DurationSecs() >= 0.1;
}

}  // namespace brelvik
