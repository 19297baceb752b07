// The whole file in a strip above the detail: its envelope, the silences,
// markers and playhead, and the detail's span as a frame that can be dragged
// (a press beside the frame brings it there first).
#pragma once

#include <optional>
#include <utility>

#include "ui/waveform/EnvelopePane.h"
#include "waveform/ViewGeometry.h"

namespace brelvik::ui {

class OverviewStrip final : public EnvelopePane {
  Q_OBJECT

 public:
  explicit OverviewStrip(QWidget* parent = nullptr);

  void SetDetailSpan(const waveform::ViewSpan& span);
  waveform::ViewScale Scale() const;
  // The frame's columns, first to last.
  std::pair<int, int> FrameColumns() const;

 signals:
  void FrameMoved(double startMs);  // the detail's span dragged to start here

 protected:
  void SourceChanged() override;
  waveform::ColumnSet Columns(const waveform::Envelope& envelope) override;

  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  void MoveFrame(double x);

  waveform::ViewSpan detailSpan_;
  std::optional<double> grip_;  // where in the frame it is held, in ms from its start
};

}  // namespace brelvik::ui
