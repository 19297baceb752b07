// The real frames of a source, found by walking them once between the tags
// at its start and those at its end: where the audio starts and ends, how
// many frames it has, its header frame and what the decoder makes of them.
// Where decoders differ, the layout follows libmpg123. The walk keeps
// nothing per frame, so its memory does not grow with the file.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "analysis/FrameHeader.h"
#include "exact/HeaderFrame.h"
#include "exact/SourceTags.h"

namespace brelvik::exact {

// Samples a Layer III decoder's output lags behind the encoder's input;
// gapless decoders add it to the LAME tag's delay and padding.
inline constexpr int kDecoderDelay = 529;

struct StreamLayout {
  std::int64_t FileSize = 0;
  std::vector<TagPlace> LeadingTags;   // ID3v2 tags, one after another from the first byte
  std::vector<TagPlace> TrailingTags;  // the tags that end the file
  std::int64_t Id3v2Bytes = 0;         // of the leading tags

  FrameHeader Format;  // the first audio frame's header
  int SampleRate = 0;
  int SamplesPerFrame = 0;

  HeaderFrameFacts Header;  // the header frame before the audio, if any
  std::int64_t HeaderFrameOffset = -1;
  int HeaderFrameBytes = 0;
  // The first piece opens with the source's own header frame, its counts
  // made the piece's, so that each decoder plays that piece's start as it
  // plays the source's: decoders treat such a frame each in their own way
  // (a "VBRI" frame, which libmpg123 plays as a silent frame of audio and
  // ffmpeg skips; a header without a LAME tag that libmpg123 honours).
  bool KeepsHeaderFrame = false;

  std::int64_t AudioStart = 0;  // the first audio frame's first byte (a "VBRI" frame's)
  std::int64_t AudioEnd = 0;    // the byte after the last frame
  std::int64_t AudioFrames = 0;
  bool VariableRate = false;   // a "Xing" header, or frames of more than one bit rate
  int FirstMainDataBegin = 0;  // of the first audio frame
  // Stereo frames follow mono ones: decoders take up the second channel there
  // with what they kept of it from before the mono frames.
  bool StereoAfterMono = false;

  // The decoded stream as libmpg123 plays it with gapless decoding: the
  // decoder's output samples (counted from the first audio frame, 0
  // included) from FirstSample up to EndSample. Without LAME figures that it
  // honours that is every sample (less the decoder's own delay behind a
  // header frame that counts the frames).
  std::int64_t FirstSample = 0;
  std::int64_t EndSample = 0;
  int EncoderDelay = 0;    // that libmpg123 applies; 0 without one
  int EncoderPadding = 0;  // that libmpg123 applies; 0 without one

  std::int64_t Samples() const { return EndSample - FirstSample; }
  double DurationSecs() const { return static_cast<double>(Samples()) / SampleRate; }
  // The decoder output that a playback position in milliseconds stands for.
  double SampleAtMs(double milliseconds) const;
  bool HasTrailing(TagKind kind) const;
};

// The layout, or why exact cuts cannot be made in the file.
struct IndexOutcome {
  std::optional<StreamLayout> Layout;
  std::string Refusal;
};

// Reads the whole file once. File errors raise EStreamError ("Cannot open
// file %s", "Stream read error").
IndexOutcome IndexStream(const std::string& path);

}  // namespace brelvik::exact
