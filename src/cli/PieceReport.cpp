#include "cli/PieceReport.h"

#include <filesystem>
#include <ostream>

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
    err << "The template " << splitTemplate << " has no \"" << kTrackPlaceholder << "\": all "
        << pieces << " pieces would be written to one file\n";
    return kExitRefused;
  }
  ProgressBar bar(err, progressBar, pieces);
  bar.Show(0);
  try {
    split([&](int piece) {
      bar.Clear();
      out << PieceLine(PieceName(splitTemplate, piece)) << std::endl;
      bar.Show(piece);
    });
  } catch (const ERefusedSplit& refusal) {
    bar.Clear();
    err << refusal.what() << '\n';
    return kExitRefused;
  } catch (const EStreamError& error) {
    bar.Clear();
    err << error.Detailed() << '\n';
    return kExitWriteFailed;
  }
  return kExitSuccess;
}

}  // namespace brelvik
