#include "cli/InfoCommand.h"

#include <cmath>
#include <optional>
#include <ostream>
#include <sstream>
#include <utility>
#include <vector>

#include "cli/BreakpointText.h"
#include "cli/ExactReport.h"
#include "cli/ExitCodes.h"
#include "cli/PrintLine.h"
#include "io/StreamError.h"

namespace brelvik {
namespace {

using Lines = std::vector<std::pair<std::string, std::string>>;

std::string YesNo(bool value) {
  return value ? "yes" : "no";
}

void AddDetailLines(const StreamDetails& d, Lines& lines) {
  const auto durationMs = std::llround(d.DurationSecs * 1000.0);
  lines.insert(lines.end(),
               {
                   {"Bit rate", std::to_string(d.Figures.Kbps) + " kbit/s"},
                   {"Frame size", std::to_string(d.Figures.FrameBytes) + " bytes"},
                   {"Frames", std::to_string(d.Figures.FrameTotal)},
                   {"Frame duration", std::to_string(d.Figures.FrameMs) + " ms"},
                   {"Duration", FormatTime(durationMs)},
                   {"First frame at", std::to_string(d.FirstFrameOffset) + " bytes after the tag"},
                   {"VBR header", d.VbrHeader ? "Xing or VBRI" : "none"},
                   {"ID3v1 tag", YesNo(d.ID3v1)},
                   {"ID3v2 tag", std::to_string(d.ID3v2Size) + " bytes"},
                   {"File size", std::to_string(d.FileLength) + " bytes"},
               });
}

}  // namespace

nlohmann::ordered_json ReportJson(const StreamReport& report) {
  nlohmann::ordered_json json = {
      {"file", report.File},
      {"analysed", report.Analysed},
      {"valid", report.Valid},
      {"kbps", nullptr},
      {"frame_bytes", nullptr},
      {"frame_total", nullptr},
      {"frame_ms", nullptr},
      {"duration_secs", nullptr},
      {"first_frame_offset", nullptr},
      {"vbr_header", nullptr},
      {"id3v1", nullptr},
      {"id3v2_size", nullptr},
      {"file_length", nullptr},
  };
  if (report.Details) {
    const StreamDetails& d = *report.Details;
    json["kbps"] = d.Figures.Kbps;
    json["frame_bytes"] = d.Figures.FrameBytes;
    json["frame_total"] = d.Figures.FrameTotal;
    json["frame_ms"] = d.Figures.FrameMs;
    json["duration_secs"] = d.DurationSecs;
    json["first_frame_offset"] = d.FirstFrameOffset;
    json["vbr_header"] = d.VbrHeader;
    json["id3v1"] = d.ID3v1;
    json["id3v2_size"] = d.ID3v2Size;
    json["file_length"] = d.FileLength;
  }
  return json;
}

namespace {

std::string AlignedLines(const Lines& lines) {
  std::size_t width = 0;
  for (const auto& line : lines) {
    width = std::max(width, line.first.size());
  }
  std::ostringstream text;
  for (const auto& [label, value] : lines) {
    PrintLine(text, label + ':' + std::string(width + 2 - label.size(), ' ') + value);
  }
  return text.str();
}

Lines ReportLines(const StreamReport& report) {
  Lines lines = {
      {"File", report.File}, {"Analysed", YesNo(report.Analysed)}, {"Valid", YesNo(report.Valid)}};
  if (report.Details) {
    AddDetailLines(*report.Details, lines);
  }
  return lines;
}

}  // namespace

std::string ReportText(const StreamReport& report) {
  return AlignedLines(ReportLines(report));
}

int RunInfo(const InfoOptions& options, std::ostream& out, std::ostream& err) {
  const StreamReport report = AnalyseSource(options.File);
  std::optional<exact::IndexOutcome> exact;
  bool exactUnreadable = false;
  // Exact mode walks the frames itself, whatever the analysis made of the file.
  if (options.Exact) {
    try {
      exact = exact::IndexStream(options.File);
    } catch (const EStreamError& error) {
      exact = exact::IndexOutcome{std::nullopt, error.Detailed()};
      exactUnreadable = true;
    }
  }
  if (options.Json) {
    nlohmann::ordered_json json = ReportJson(report);
    if (exact) {
      AddExactJson(*exact, json);
    }
    out << json.dump(2, ' ', false, nlohmann::ordered_json::error_handler_t::replace) << '\n';
  } else {
    Lines lines = ReportLines(report);
    if (exact) {
      const auto more = ExactLines(*exact);
      lines.insert(lines.end(), more.begin(), more.end());
    }
    out << AlignedLines(lines);
  }
  out.flush();
  if (exact && !exactUnreadable) {
    if (!exact->Layout) {
      PrintLine(err, exact->Refusal);
      return kExitRefused;
    }
    return kExitSuccess;
  }
  if (const std::string message = AnalysisMessage(report); !message.empty()) {
    PrintLine(err, message);
    return AnalysisExitCode(report);
  }
  if (exact) {
    PrintLine(err, exact->Refusal);
    return kExitUnreadable;
  }
  return kExitSuccess;
}

}  // namespace brelvik
