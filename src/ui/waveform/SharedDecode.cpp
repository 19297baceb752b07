#include "ui/waveform/SharedDecode.h"

#include <QFile>
#include <QMetaObject>
#include <utility>

#include "waveform/decode/FileScan.h"

namespace brelvik::ui {

SharedDecode::SharedDecode(std::string path, double knownMs, QObject* parent)
    : QObject(parent), path_(std::move(path)) {
  // The reports come on the scan's thread and are taken on this object's.
  const auto post = [this](auto take) {
    QMetaObject::invokeMethod(this, std::move(take), Qt::QueuedConnection);
  };
  waveform::FileScan::Reports reports;
  reports.Opened = [this, post](const waveform::FileScan::Format& format) {
    post([this, format] { TakeFormat(format.Rate, format.Channels, format.ExpectedFrames); });
  };
  reports.Grew = [this, post](std::vector<waveform::Peak> peaks, std::int64_t end,
                              double fraction) {
    post([this, peaks = std::move(peaks), end, fraction] { TakePeaks(peaks, end, fraction); });
  };
  reports.Finished = [this, post](std::vector<silence::Silence> silences) {
    post([this, silences = std::move(silences)]() mutable { TakeSilences(std::move(silences)); });
  };
  reports.Failed = [this, post](const std::string& error) {
    post([this, text = QString::fromStdString(error)] { TakeError(text); });
  };
  scan_ = std::make_unique<waveform::FileScan>(path_, silence::SilenceSettings{},
                                               std::move(reports), knownMs);
}

SharedDecode::~SharedDecode() = default;

void SharedDecode::Stop() {
  scan_.reset();
  if (state_ == State::Decoding) {
    state_ = State::Stopped;
  }
}

void SharedDecode::TakeFormat(int rate, int channels, std::int64_t expected) {
  if (state_ != State::Decoding) {
    return;
  }
  envelope_.emplace(rate, channels, expected);
  emit Opened();
}

void SharedDecode::TakePeaks(const std::vector<waveform::Peak>& peaks, std::int64_t end,
                             double fraction) {
  if (state_ != State::Decoding || !envelope_) {
    return;
  }
  const std::int64_t from = envelope_->DecodedFrames();
  envelope_->Append(peaks, end);
  fraction_ = fraction;
  emit Grew(from, envelope_->DecodedFrames());
  emit Progressed(fraction);
}

void SharedDecode::TakeSilences(std::vector<silence::Silence> silences) {
  if (state_ != State::Decoding || !envelope_) {
    return;
  }
  envelope_->Finish();
  silences_ = std::move(silences);
  state_ = State::Done;
  scan_.reset();
  emit Finished();
}

void SharedDecode::TakeError(const QString& error) {
  if (state_ != State::Decoding) {
    return;
  }
  state_ = State::Failed;
  error_ = error.isEmpty() ? "Cannot decode " + QFile::decodeName(QByteArray::fromStdString(path_))
                           : error;
  scan_.reset();
  emit Failed(error_);
}

}  // namespace brelvik::ui
