// The real frames of a source, found by walking them once from the first
// byte after the ID3v2 tag: where the audio starts and ends, how many frames
// it has, its header frame and what the decoder makes of them. The walk keeps
// nothing per frame, so its memory does not grow with the file.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "analysis/FrameHeader.h"
#include "exact/HeaderFrame.h"

namespace brelvik::exact {

// Samples a Layer III decoder's output lags behind the encoder's input;
// gapless decoders add it to the LAME tag's delay and padding.
inline constexpr int kDecoderDelay = 529;

struct StreamLayout {
  std::int64_t FileSize = 0;
  std::int64_t Id3v2Bytes = 0;  // the tag at the start, header and footer included
  bool Id3v1 = false;           // the file ends in a 128-byte ID3v1 tag

  FrameHeader Format;  // the first audio frame's header
  int SampleRate = 0;
  int SamplesPerFrame = 0;

  HeaderFrameFacts Header;  // the header frame before the audio, if any
  std::int64_t HeaderFrameOffset = -1;
  int HeaderFrameBytes = 0;

  std::int64_t AudioStart = 0;  // the first audio frame's first byte
  std::int64_t AudioEnd = 0;    // the byte after the last frame
  std::int64_t AudioFrames = 0;
  bool VariableRate = false;   // a "Xing" header, or frames of more than one bit rate
  int FirstMainDataBegin = 0;  // of the first audio frame

  // The decoded stream as a gapless decoder plays it: the decoder's output
  // samples (counted from the first audio frame, 0 included) from FirstSample
  // up to EndSample. Without usable LAME figures that is every sample.
  std::int64_t FirstSample = 0;
  std::int64_t EndSample = 0;
  int EncoderDelay = 0;    // of the LAME tag; 0 without one
  int EncoderPadding = 0;  // of the LAME tag; 0 without one

  std::int64_t Samples() const { return EndSample - FirstSample; }
  double DurationSecs() const { return static_cast<double>(Samples()) / SampleRate; }
  // The decoder output that a playback position in milliseconds stands for.
  double SampleAtMs(double milliseconds) const;
};

// The layout, or why exact cuts cannot be made in the file.
struct IndexOutcome {
  std::optional<StreamLayout> Layout;
  std::string Refusal;
};

// Reads the whole file once. File errors raise EStreamError ("Cannot open
// file %s", "Stream read error").
IndexOutcome IndexStream(const std::string& path);

// Bytes of the ID3v2 tag that the first ten bytes of a file open, by the
// standard's rules (a synchsafe size, plus ten when a footer follows); 0 when
// they open none or it would run past the file's end.
std::int64_t Id3v2TagBytes(std::span<const std::uint8_t> firstBytes, std::int64_t fileSize);

}  // namespace brelvik::exact
