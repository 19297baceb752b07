#include "ui/waveform/DetailFeed.h"

#include <QMetaObject>
#include <utility>

#include "waveform/decode/DetailDecoder.h"

namespace brelvik::ui {

DetailFeed::DetailFeed(const std::string& path, QObject* parent)
    : QObject(parent),
      decoder_(std::make_unique<waveform::DetailDecoder>(
          path, [this](const waveform::DetailRequest& request, waveform::PeakLevel detail) {
            QMetaObject::invokeMethod(
                this,
                [this, request, detail = std::move(detail)]() mutable {
                  Take(request, std::move(detail));
                },
                Qt::QueuedConnection);
          })) {}

DetailFeed::~DetailFeed() = default;

void DetailFeed::Want(const waveform::DetailRequest& request) {
  wanted_ = request;
  const bool served = decodedFor_ && waveform::Serves(*decodedFor_, request);
  const bool coming = asked_ && waveform::Serves(*asked_, request);
  if (!served && !coming) {
    asked_ = request;
    decoder_->Request(request);
  }
}

const waveform::PeakLevel* DetailFeed::Detail() const {
  if (detail_ && wanted_ && waveform::Serves(*decodedFor_, *wanted_)) {
    return &*detail_;
  }
  return nullptr;
}

void DetailFeed::Take(const waveform::DetailRequest& request, waveform::PeakLevel detail) {
  decodedFor_ = request;
  detail_ = std::move(detail);
  emit Ready();
}

}  // namespace brelvik::ui
