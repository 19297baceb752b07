#include "ui/SilenceScan.h"

#include <QMetaObject>
#include <exception>
#include <utility>

#include "silence/SilenceScan.h"

namespace brelvik::ui {
namespace {

// The progress bar moves in steps of a thousandth; finer reports would only
// fill the event queue.
constexpr double kProgressStep = 0.001;

}  // namespace

SilenceScan::SilenceScan(QObject* context, int serial, std::string path,
                         silence::SilenceSettings settings, Reports reports)
    : context_(context),
      serial_(serial),
      reports_(std::move(reports)),
      thread_([this, path = std::move(path), settings] { Run(path, settings); }) {}

SilenceScan::~SilenceScan() {
  stop_ = true;
  thread_.join();
}

void SilenceScan::Post(std::function<void()> report) {
  if (!stop_) {
    QMetaObject::invokeMethod(context_, std::move(report), Qt::QueuedConnection);
  }
}

void SilenceScan::Run(const std::string& path, silence::SilenceSettings settings) {
  double shown = -1;
  const auto progress = [this, &shown](double fraction) {
    if (fraction - shown >= kProgressStep) {
      shown = fraction;
      Post(
          [reports = reports_, serial = serial_, fraction] { reports.Progress(serial, fraction); });
    }
    return !stop_;
  };
  try {
    const auto silences = silence::FindSilences(path, settings, progress);
    if (silences) {
      Post([reports = reports_, serial = serial_, found = *silences] {
        reports.Found(serial, found);
      });
    }
  } catch (const std::exception& error) {
    Post([reports = reports_, serial = serial_, text = QString::fromUtf8(error.what())] {
      reports.Failed(serial, text);
    });
  }
}

}  // namespace brelvik::ui
