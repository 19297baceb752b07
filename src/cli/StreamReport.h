// What the analysis says about one file, gathered once for both commands:
// the analyser's results and the figures the split works with.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "cli/ExitCodes.h"
#include "split/StreamFigures.h"

namespace brelvik {

// The figures of a file in which a frame was found.
struct StreamDetails {
  StreamFigures Figures;
  double DurationSecs = 0;
  std::int32_t FirstFrameOffset = 0;
  bool VbrHeader = false;
  bool ID3v1 = false;
  std::int32_t ID3v2Size = 0;
  std::int64_t FileLength = 0;
};

struct StreamReport {
  std::string File;
  bool Analysed = false;  // every file operation of the analysis succeeded
  bool Valid = false;
  // Present only when the analysis succeeded and found a frame.
  std::optional<StreamDetails> Details;
};

StreamReport AnalyseSource(const std::string& path);

// kExitSuccess for a valid stream, kExitRefused for a readable file without
// valid audio, kExitUnreadable for a file the analysis could not read.
ExitCode AnalysisExitCode(const StreamReport& report);
// The message for stderr that goes with that exit code; empty on success.
std::string AnalysisMessage(const StreamReport& report);

}  // namespace brelvik
