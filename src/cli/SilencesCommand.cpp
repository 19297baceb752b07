#include "cli/SilencesCommand.h"

#include <cmath>
#include <cstdio>
#include <nlohmann/json.hpp>
#include <ostream>

#include "cli/BreakpointText.h"
#include "cli/ExitCodes.h"
#include "cli/ExitTable.h"
#include "cli/PrintLine.h"
#include "cli/StreamReport.h"
#include "io/StreamError.h"
#include "playback/Mpg123Decoder.h"
#include "silence/SilenceScan.h"

namespace brelvik {
namespace {

std::string Fixed(double value, int decimals) {
  char text[32];
  std::snprintf(text, sizeof text, "%.*f", decimals, value);
  return text;
}

void PrintTable(const std::vector<silence::Silence>& silences, const StreamFigures& figures,
                std::ostream& out) {
  if (silences.empty()) {
    out << "No silences found\n";
    return;
  }
  out << "Breakpoint     Frame   Length   Level\n";
  for (const silence::Silence& silence : silences) {
    char line[128];
    std::snprintf(line, sizeof line, "%-12s %7d %7s s %6s dBFS\n",
                  FormatTime(std::llround(silence.MiddleMs())).c_str(),
                  FrameOfSilence(silence, figures), Fixed(silence.LengthMs / 1000.0, 2).c_str(),
                  Fixed(silence.LevelDb, 1).c_str());
    out << line;
  }
}

void PrintJson(const SilencesOptions& options, const std::vector<silence::Silence>& silences,
               const StreamFigures& figures, std::ostream& out) {
  nlohmann::ordered_json list = nlohmann::ordered_json::array();
  for (const silence::Silence& silence : silences) {
    list.push_back({
        {"time", FormatTime(std::llround(silence.MiddleMs()))},
        {"milliseconds", silence.MiddleMs()},
        {"frame", FrameOfSilence(silence, figures)},
        {"start_ms", silence.StartMs},
        {"length_ms", silence.LengthMs},
        {"level_db", silence.LevelDb},
    });
  }
  const nlohmann::ordered_json json = {
      {"file", options.File},
      {"threshold_db", options.Settings.ThresholdDb},
      {"min_length_secs", options.Settings.MinLengthSecs},
      {"silences", list},
  };
  out << json.dump(2, ' ', false, nlohmann::ordered_json::error_handler_t::replace) << '\n';
}

}  // namespace

std::int32_t FrameOfSilence(const silence::Silence& silence, const StreamFigures& figures) {
  return FrameOfTime(silence.MiddleMs(), figures);
}

OrRefusal<std::vector<silence::Silence>> ScanSilences(const std::string& path,
                                                      const silence::SilenceSettings& settings) {
  try {
    return silence::FindSilences(path, settings).value_or(std::vector<silence::Silence>{});
  } catch (const playback::DecoderError& error) {
    return Refusal(RefusalKind::Unreadable,
                   "Cannot decode " + path + (*error.what() != '\0' ? ": " : "") + error.what());
  } catch (const EStreamError& error) {
    return Refusal(RefusalKind::Unreadable, error.Detailed());
  }
}

int RunSilences(const SilencesOptions& options, std::ostream& out, std::ostream& err) {
  const StreamReport report = AnalyseSource(options.File);
  if (const ExitCode code = AnalysisExitCode(report); code != kExitSuccess) {
    PrintLine(err, AnalysisMessage(report));
    return code;
  }
  const auto silences = ScanSilences(options.File, options.Settings);
  if (!silences) {
    return Refuse(err, silences.Refused());
  }
  const StreamFigures& figures = report.Details->Figures;
  if (options.Json) {
    PrintJson(options, *silences, figures, out);
  } else {
    PrintTable(*silences, figures, out);
  }
  return kExitSuccess;
}

}  // namespace brelvik
