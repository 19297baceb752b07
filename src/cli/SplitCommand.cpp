#include "cli/SplitCommand.h"

#include <filesystem>
#include <ostream>

#include "cli/BreakpointText.h"
#include "cli/ExitCodes.h"
#include "cli/StreamReport.h"
#include "split/IntegerText.h"
#include "split/OutputNaming.h"
#include "split/SplitEngine.h"

namespace brelvik {
namespace {

constexpr int kBarWidth = 30;

// Draws "[#####.....] k/n pieces" in place on a terminal.
class ProgressBar {
 public:
  ProgressBar(std::ostream& err, bool enabled, int pieces)
      : err_(err), enabled_(enabled), pieces_(pieces) {}
  ~ProgressBar() { Clear(); }
  ProgressBar(const ProgressBar&) = delete;
  ProgressBar& operator=(const ProgressBar&) = delete;

  void Clear() {
    if (enabled_) {
      err_ << "\r\033[K" << std::flush;
    }
  }

  void Show(int piece) {
    if (!enabled_) {
      return;
    }
    const int filled = pieces_ > 0 ? piece * kBarWidth / pieces_ : kBarWidth;
    err_ << '[' << std::string(static_cast<std::size_t>(filled), '#')
         << std::string(static_cast<std::size_t>(kBarWidth - filled), '.') << "] " << piece << '/'
         << pieces_ << " pieces" << std::flush;
  }

 private:
  std::ostream& err_;
  bool enabled_;
  int pieces_;
};

std::string PieceLine(const std::string& name) {
  std::error_code error;
  const auto size = std::filesystem::file_size(name, error);
  return name + "  " + (error ? std::string("?") : std::to_string(size)) + " bytes";
}

void WarnAboutSingleName(const std::string& splitTemplate, int pieces, std::ostream& err) {
  if (pieces > 1 && splitTemplate.find(kTrackPlaceholder) == std::string::npos) {
    err << "brelvik-split: warning: the template has no \"" << kTrackPlaceholder << "\": all "
        << pieces << " pieces are written to " << splitTemplate
        << ", each replacing the one before\n";
  }
}

int WritePieces(const SplitOptions& options, std::uint16_t frameBytes, const BreakpointList& list,
                std::ostream& out, std::ostream& err) {
  const std::string splitTemplate = options.Template.value_or(MakeTemplate(options.File));
  const int pieces = list.Count() - 1;
  WarnAboutSingleName(splitTemplate, pieces, err);
  ProgressBar bar(err, options.ProgressBar, pieces);
  bar.Show(0);
  try {
    Split(options.File, splitTemplate, frameBytes, list, [&](int piece) {
      bar.Clear();
      out << PieceLine(PieceName(splitTemplate, piece)) << std::endl;
      bar.Show(piece);
    });
  } catch (const EStreamError& error) {
    bar.Clear();
    err << error.what() << '\n';
    return kExitWriteFailed;
  }
  return kExitSuccess;
}

}  // namespace

std::int32_t EndFrame(std::int64_t fileLength, std::uint16_t frameBytes) {
  if (frameBytes == 0) {
    return 0;
  }
  return static_cast<std::int32_t>((fileLength + frameBytes - 1) / frameBytes);
}

std::optional<std::string> AddBreakpoints(const std::vector<std::string>& texts,
                                          const StreamFigures& figures, BreakpointList& list) {
  for (const std::string& text : texts) {
    try {
      const std::string frame = FrameTextOf(ParseBreakpoint(text), figures);
      AddOutcome outcome = list.AddTypedFrame(frame, figures.FrameTotal);
      if (!outcome.Refusal.empty()) {
        return outcome.Refusal;
      }
    } catch (const EBreakpointSyntax& error) {
      return error.what();
    } catch (const EConvertError& error) {
      return error.what();
    }
  }
  return std::nullopt;
}

int RunSplit(const SplitOptions& options, std::ostream& out, std::ostream& err) {
  const StreamReport report = AnalyseSource(options.File);
  if (const ExitCode code = AnalysisExitCode(report); code != kExitSuccess) {
    err << AnalysisMessage(report) << '\n';
    return code;
  }
  const StreamDetails& details = *report.Details;
  BreakpointList list;
  if (const auto refusal = AddBreakpoints(options.Breakpoints, details.Figures, list)) {
    err << *refusal << '\n';
    return kExitRefused;
  }
  if (options.ToEnd) {
    list.AddCurrentFrame(std::to_string(EndFrame(details.FileLength, details.Figures.FrameBytes)));
  }
  if (list.Count() < 2) {
    err << "Nothing to split: give at least one breakpoint after frame 0, or --to-end\n";
    return kExitRefused;
  }
  return WritePieces(options, details.Figures.FrameBytes, list, out, err);
}

}  // namespace brelvik
