// What reading and writing sheets share: their times and their limit.
#include "cue/CueSheet.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace brelvik::cue {

std::string TooManyTracks(int tracks) {
  return "A cue sheet holds at most " + std::to_string(kMostTracks) + " tracks; this list makes " +
         std::to_string(tracks) + " pieces";
}

double CueFramesMs(long frames) {
  return static_cast<double>(frames) * 1000.0 / kCueFramesPerSecond;
}

std::string CueTime(double ms) {
  const long frames = std::lround(std::max(0.0, ms) * kCueFramesPerSecond / 1000.0);
  char text[32];
  std::snprintf(text, sizeof text, "%02ld:%02ld:%02ld", frames / (60 * kCueFramesPerSecond),
                frames / kCueFramesPerSecond % 60, frames % kCueFramesPerSecond);
  return text;
}

}  // namespace brelvik::cue
