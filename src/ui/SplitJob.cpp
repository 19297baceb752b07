#include "ui/SplitJob.h"

#include <sys/resource.h>
#include <unistd.h>

#include <QMetaObject>
#include <algorithm>
#include <exception>
#include <utility>

namespace brelvik::ui {
namespace {

// Ends a split between two pieces.
struct StoppedAfterPiece : std::exception {};

// The copying thread yields to the window's: on a busy machine the window
// keeps answering at once, and the split takes what is left.
void YieldToTheWindow() {
  constexpr int kLowerBy = 10;
  const auto thread = static_cast<id_t>(::gettid());
  const int now = ::getpriority(PRIO_PROCESS, thread);
  ::setpriority(PRIO_PROCESS, thread, std::min(now + kLowerBy, 19));
}

}  // namespace

SplitJob::SplitJob(QObject* context, int serial, SplitOrder order, Reports reports)
    : context_(context),
      serial_(serial),
      reports_(std::move(reports)),
      thread_([this, order = std::move(order)] { Run(order); }) {}

SplitJob::~SplitJob() {
  cancel_ = true;
  thread_.join();
}

void SplitJob::Report(Ending ending, const QString& text) {
  if (!cancel_) {
    QMetaObject::invokeMethod(
        context_,
        [reports = reports_, serial = serial_, ending, text] {
          reports.Ended(serial, ending, text);
        },
        Qt::QueuedConnection);
  }
}

void SplitJob::Run(const SplitOrder& order) {
  YieldToTheWindow();
  const SplitProgress progress = [this](int piece) {
    if (!cancel_) {
      QMetaObject::invokeMethod(
          context_,
          [reports = reports_, serial = serial_, piece] { reports.Progress(serial, piece); },
          Qt::QueuedConnection);
    }
    if (stopAfterPiece_) {
      throw StoppedAfterPiece();
    }
  };
  try {
    // Every piece comes from this one open file, whatever happens to its name.
    InputFile source(order.Session.Source().Path);
    source.StopWhen(cancel_);
    const std::string refusal = RunSplitOrder(order, source, progress);
    Report(Ending::Done, QString::fromStdString(refusal));
  } catch (const StoppedAfterPiece&) {
    Report(Ending::StoppedAfterPiece, {});
  } catch (const EReadStopped&) {
    // Cancelled: nothing more to say.
  } catch (const std::exception& error) {
    Report(Ending::Failed, QString::fromUtf8(error.what()));
  }
}

}  // namespace brelvik::ui
