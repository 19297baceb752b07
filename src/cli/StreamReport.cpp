#include "cli/StreamReport.h"

#include "analysis/MPEGaudio.h"
#include "session/Session.h"

namespace brelvik {
namespace {

StreamDetails DetailsOf(const TMPEGaudio& analyser) {
  StreamDetails details;
  details.Figures = SetDataMpeg(analyser);
  details.DurationSecs = analyser.DurationSecs();
  details.FirstFrameOffset = analyser.FirstFrame().Offset;
  details.VbrHeader = analyser.Vbr().Found;
  details.ID3v1 = analyser.TagV1().Present;
  details.ID3v2Size = analyser.TagV2().TagSize;
  details.FileLength = analyser.FileLength();
  return details;
}

}  // namespace

StreamReport AnalyseSource(const std::string& path) {
  TMPEGaudio analyser;
  StreamReport report;
  report.File = path;
  report.Analysed = analyser.Analyse(path);
  report.Valid = report.Analysed && analyser.IsValid();
  if (report.Analysed && analyser.FirstFrame().Found) {
    report.Details = DetailsOf(analyser);
  }
  return report;
}

ExitCode AnalysisExitCode(const StreamReport& report) {
  if (!report.Analysed) {
    return kExitUnreadable;
  }
  return report.Valid ? kExitSuccess : kExitRefused;
}

std::string AnalysisMessage(const StreamReport& report) {
  switch (AnalysisExitCode(report)) {
    case kExitUnreadable:
      return "brelvik-split: " + UnreadableText(report.File);
    case kExitRefused:
      return "Can not read data from the file: " + report.File;
    default:
      return {};
  }
}

}  // namespace brelvik
