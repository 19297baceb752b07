// The stream analyser: finds a file's tags, its first MPEG audio frame and any
// "Xing" or "VBRI" header in that frame, and derives bit rate, frame count,
// duration and validity. It reads at most three windows of 3,458 bytes plus
// the two tag headers, whatever the file's size, and never changes the file.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "analysis/FrameHeader.h"
#include "analysis/ID3v1.h"
#include "analysis/ID3v2.h"
#include "analysis/ReadOnlyFile.h"

namespace brelvik {

// What the variable-bit-rate header of the first frame states.
struct VBRData {
  bool Found = false;
  std::int32_t FrameCount = 0;
  std::int32_t ByteCount = 0;

  friend bool operator==(const VBRData&, const VBRData&) = default;
};

inline constexpr std::size_t kAnalysisWindowBytes = 2 * kLongestMpeg1Frame;  // 3,458

// The bytes of one read. Bytes past what the read returned are zeros.
using AnalysisWindow = std::array<std::uint8_t, kAnalysisWindowBytes>;

// Searches the window for the first header whose successor, one frame length
// later, is a header too. On success fills frame (Found, Offset, FrameLength)
// and replaces vbr with what the frame's VBR header position holds; otherwise
// frame comes back not found and vbr is left as it was.
void FindFrame(const AnalysisWindow& window, VBRData& vbr, FrameHeader& frame);

// Reads a "Xing" or "VBRI" header starting at offset x of the window.
VBRData FindVbrHeader(const AnalysisWindow& window, std::size_t x);

class TMPEGaudio {
 public:
  explicit TMPEGaudio(FileOpener opener = OpenFileOnDisk);
  virtual ~TMPEGaudio() = default;
  TMPEGaudio(const TMPEGaudio&) = delete;
  TMPEGaudio& operator=(const TMPEGaudio&) = delete;

  void Clear();
  // True when every file operation succeeded, whether or not a frame was found.
  bool Analyse(const std::string& path);

  bool IsValid() const;
  std::uint16_t BitRateKbps() const;  // the average for a variable-rate stream
  std::int32_t FrameTotal() const;
  double DurationSecs() const;

  const FrameHeader& FirstFrame() const { return firstFrame_; }
  const VBRData& Vbr() const { return vbr_; }
  std::int64_t FileLength() const { return fileLength_; }
  const TID3v1& TagV1() const { return tagV1_; }
  const TID3v2& TagV2() const { return tagV2_; }

 private:
  bool ReadStream(const std::string& path);
  // Bytes from the first byte after an ID3v2 tag to the end of the file, less
  // the first frame's offset in the window that found it.
  std::int64_t AudioBytes() const;

  FileOpener opener_;
  std::int64_t fileLength_ = 0;
  VBRData vbr_;
  FrameHeader firstFrame_;
  TID3v1 tagV1_;
  TID3v2 tagV2_;
};

}  // namespace brelvik
