// The detail view's spans decoded on demand, for the one file it shows:
// requests go to a decoder thread, the latest detail comes back on this
// object's thread.
#pragma once

#include <QObject>
#include <memory>
#include <optional>
#include <string>

#include "waveform/DetailSpan.h"
#include "waveform/Peaks.h"

namespace brelvik::waveform {
class DetailDecoder;
}

namespace brelvik::ui {

class DetailFeed final : public QObject {
  Q_OBJECT

 public:
  explicit DetailFeed(const std::string& path, QObject* parent = nullptr);
  ~DetailFeed() override;  // stops the decoding within milliseconds

  // Asks for this span unless the detail at hand or the one asked for last
  // serves it already.
  void Want(const waveform::DetailRequest& request);
  // The detail decoded last, if it serves what was wanted last.
  const waveform::PeakLevel* Detail() const;

 signals:
  void Ready();

 private:
  void Take(const waveform::DetailRequest& request, waveform::PeakLevel detail);

  std::optional<waveform::DetailRequest> wanted_;
  std::optional<waveform::DetailRequest> asked_;
  std::optional<waveform::DetailRequest> decodedFor_;
  std::optional<waveform::PeakLevel> detail_;
  std::unique_ptr<waveform::DetailDecoder> decoder_;  // last: stopped before the rest goes
};

}  // namespace brelvik::ui
