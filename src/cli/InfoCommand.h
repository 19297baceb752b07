// `brelvik-split info FILE [--json]`: the analysis and figures of one file.
#pragma once

#include <iosfwd>
#include <nlohmann/json.hpp>
#include <string>

#include "cli/StreamReport.h"

namespace brelvik {

struct InfoOptions {
  std::string File;
  bool Json = false;
  bool Exact = false;  // add what exact mode finds
};

// One object with the keys file, analysed, valid, kbps, frame_bytes,
// frame_total, frame_ms, duration_secs, first_frame_offset, vbr_header,
// id3v1, id3v2_size and file_length; all but the first three are null when
// the report has no details.
nlohmann::ordered_json ReportJson(const StreamReport& report);
// The same as aligned "Label: value" lines.
std::string ReportText(const StreamReport& report);

// Prints the report on out and any analysis message on err; returns the exit code.
int RunInfo(const InfoOptions& options, std::ostream& out, std::ostream& err);

}  // namespace brelvik
