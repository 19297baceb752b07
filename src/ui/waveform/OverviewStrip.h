// The whole file in a strip above the detail: its envelope, the silences,
// markers and playhead, and the detail's span as a frame that can be dragged
// (a press beside the frame brings it there first).
#pragma once

#include <QImage>
#include <QWidget>
#include <optional>

#include "ui/waveform/EnvelopeImage.h"
#include "ui/waveform/WaveformMarks.h"
#include "waveform/ViewGeometry.h"

namespace brelvik::ui {

class SharedDecode;

class OverviewStrip final : public QWidget {
  Q_OBJECT

 public:
  explicit OverviewStrip(QWidget* parent = nullptr);

  void SetSource(SharedDecode* decode, double durationMs);
  void SetMarks(const WaveformMarks& marks);
  void SetLanes(Lanes lanes);
  void SetDetailSpan(const waveform::ViewSpan& span);
  waveform::ViewScale Scale() const;
  // The frame's columns, first to last.
  std::pair<int, int> FrameColumns() const;

 signals:
  void FrameMoved(double startMs);  // the detail's span dragged to start here

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  void Invalidate();
  void RebuildImage();
  void MoveFrame(double x);

  SharedDecode* decode_ = nullptr;
  double durationMs_ = 0;
  waveform::ViewSpan detailSpan_;
  WaveformMarks marks_;
  Lanes lanes_ = Lanes::Apart;
  QImage image_;
  bool imageCurrent_ = false;
  std::optional<double> grip_;  // where in the frame it is held, in ms from its start
};

}  // namespace brelvik::ui
