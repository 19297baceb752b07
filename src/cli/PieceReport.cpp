#include "cli/PieceReport.h"

#include <filesystem>
#include <ostream>

#include "cli/PrintLine.h"
#include "io/StreamError.h"
#include "split/OutputNaming.h"

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

}  // namespace

ExitCode ReportPieces(const std::string& splitTemplate, int pieces, bool progressBar,
                      std::ostream& out, std::ostream& err,
                      const std::function<void(const SplitProgress&)>& split) {
  if (pieces > 1 && splitTemplate.find(kTrackPlaceholder) == std::string::npos) {
    PrintLine(err, "The template " + splitTemplate + " has no \"" + kTrackPlaceholder + "\": all " +
                       std::to_string(pieces) + " pieces would be written to one file");
    return kExitRefused;
  }
  ProgressBar bar(err, progressBar, pieces);
  bar.Show(0);
  try {
    split([&](int piece) {
      bar.Clear();
      PrintLine(out, PieceLine(PieceName(splitTemplate, piece)));
      out.flush();
      bar.Show(piece);
    });
  } catch (const ERefusedSplit& refusal) {
    bar.Clear();
    PrintLine(err, refusal.what());
    return kExitRefused;
  } catch (const EStreamError& error) {
    bar.Clear();
    PrintLine(err, error.Detailed());
    return kExitWriteFailed;
  }
  return kExitSuccess;
}

}  // namespace brelvik
