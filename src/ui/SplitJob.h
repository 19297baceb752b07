// A split on a thread of its own, so that the window stays painted and can
// answer while the pieces are written. Its reports reach the window's thread
// through its event queue, tagged with the job's serial number so that the
// reports of a job already given up can be told apart. Cancel gives the split
// up at once: the piece being written is abandoned before it is put in place,
// so no part of it stays. StopAfterPiece lets the piece being written be
// finished first.
#pragma once

#include <QObject>
#include <QString>
#include <atomic>
#include <functional>
#include <string>
#include <thread>

#include "ui/SplitOrder.h"

namespace brelvik::ui {

class SplitJob {
 public:
  enum class Ending { Done, StoppedAfterPiece, Failed };
  struct Reports {
    std::function<void(int serial, int piece)> Progress;
    // How the split ended, with the refusal of exact pieces or the error.
    std::function<void(int serial, Ending ending, const QString& text)> Ended;
  };

  // Starts the split; the reports run on `context`'s thread.
  SplitJob(QObject* context, int serial, SplitOrder order, Reports reports);
  // Cancels the split and waits for its thread: a cancelled job reports nothing more.
  ~SplitJob();
  SplitJob(const SplitJob&) = delete;
  SplitJob& operator=(const SplitJob&) = delete;

  void StopAfterPiece() { stopAfterPiece_ = true; }

 private:
  void Run(const SplitOrder& order);
  void Report(Ending ending, const QString& text);

  QObject* context_;
  int serial_;
  Reports reports_;
  std::atomic<bool> cancel_ = false;
  std::atomic<bool> stopAfterPiece_ = false;
  std::thread thread_;  // last: it starts once everything else is in place
};

}  // namespace brelvik::ui
