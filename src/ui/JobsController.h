// The window's two long jobs, each on a thread of its own so that the window
// stays painted and answers: the split and the search for silences. It locks
// the window in the Splitting or Scanning state while one runs (with the busy
// cursor and the progress bar), takes their reports, and gives them up on Esc
// or when the window closes.
#pragma once

#include <QObject>
#include <QString>
#include <memory>
#include <optional>
#include <vector>

#include "silence/SilenceFinder.h"
#include "ui/Controls.h"
#include "ui/SilenceScan.h"
#include "ui/SplitJob.h"
#include "ui/WindowState.h"

class QWidget;

namespace brelvik::ui {

class BreakpointsController;
class OutputPanel;
class PlaybackController;

class JobsController final : public QObject {
  Q_OBJECT

 public:
  JobsController(QWidget* window, WindowStateHolder& state, PlaybackController& playback,
                 OutputPanel& output, BreakpointsController& breakpoints);
  // Gives up what runs.
  ~JobsController() override;

  // Splits the list into its pieces, exact ones or the described byte ranges;
  // nothing without a piece to write.
  void StartSplit(bool exact);
  // Gives the split up at once: the piece being written is not put in place.
  void CancelSplit();
  // The program was asked to end: a split runs on to the end of its piece,
  // then the window closes. False when no split runs.
  bool CloseAfterPiece();

  // Finds the silences of the open file and adds a breakpoint in the middle
  // of each.
  void StartScan();
  void StopScan();
  // Silences found elsewhere (the waveform's decode), taken as a scan's.
  void TakeSilences(const std::vector<silence::Silence>& silences);

 signals:
  // The scan's silences, after the list took them.
  void SilencesFound(const std::vector<silence::Silence>& silences);

 private:
  void FollowState();
  void SplitProgressed(int serial, int piece);
  void SplitEnded(int serial, SplitJob::Ending ending, const QString& text);
  void ScanProgressed(int serial, double fraction);
  void ScanFound(int serial, const std::vector<silence::Silence>& silences);
  void ScanFailed(int serial, const QString& error);
  bool Current(int serial, int jobSerial, WindowState running) const;

  QWidget* window_;
  WindowStateHolder& state_;
  PlaybackController& playback_;
  OutputPanel& output_;
  BreakpointsController& breakpoints_;
  std::optional<BusyCursor> busyCursor_;
  bool closeAfterSplit_ = false;
  std::unique_ptr<SplitJob> split_;
  int splitSerial_ = 0;
  std::unique_ptr<SilenceScan> scan_;
  int scanSerial_ = 0;
};

}  // namespace brelvik::ui
