// The four numbers the program works with once a file has been analysed, and
// the conversions between playback positions in milliseconds and frame
// numbers. The stream is treated as constant-rate throughout: a variable-rate
// file is described by its average bit rate and its first frame's size.
#pragma once

#include <cstdint>
#include <string>

namespace brelvik {

struct StreamFigures {
  std::uint16_t Kbps = 0;
  std::uint16_t FrameBytes = 0;
  std::int32_t FrameTotal = 0;
  std::int32_t FrameMs = 0;  // duration of one frame, truncated

  friend bool operator==(const StreamFigures&, const StreamFigures&) = default;
};

// The figures of a file that the analyser (TMPEGaudio) found valid. A
// template, so that the splitting code does not depend on the analysis: the
// caller that has an analyser brings it.
template <typename Analyser>
StreamFigures SetDataMpeg(const Analyser& analyser) {
  StreamFigures figures;
  figures.Kbps = analyser.BitRateKbps();
  figures.FrameTotal = analyser.FrameTotal();
  figures.FrameBytes = analyser.FirstFrame().FrameLength;
  figures.FrameMs =
      figures.Kbps == 0 ? 0 : static_cast<std::int32_t>((figures.FrameBytes * 8u) / figures.Kbps);
  return figures;
}

// ((milliseconds × kbit/s) div 8) div frame bytes, truncating; 0 without figures.
std::int32_t MSecToFrames(std::int32_t milliseconds, std::uint16_t frameBytes, std::uint16_t kbps);
// (frames × frame bytes × 8) div kbit/s, truncating; 0 without figures.
std::int32_t FramesToMSec(std::int32_t frames, std::uint16_t frameBytes, std::uint16_t kbps);

// A time as a frame number of the list: MSecToFrames of the nearest whole
// millisecond, a negative time as 0 and one past the largest position as
// the largest.
std::int32_t FrameOfTime(double milliseconds, const StreamFigures& figures);

// The frame at or past the end of a file of this length: a breakpoint there
// makes the last piece end with the file.
std::int64_t EndFrame(std::int64_t fileLength, std::uint16_t frameBytes);

// The two texts that show a playback position: the time of day that many
// milliseconds after midnight ("HH:MM:SS", wrapping at 24 hours) and the frame number.
struct PositionTexts {
  std::string Time;
  std::string Frame;

  friend bool operator==(const PositionTexts&, const PositionTexts&) = default;
};

PositionTexts SetDataPosition(std::int32_t milliseconds, const StreamFigures& figures);

}  // namespace brelvik
