// The zoomed span of the waveform, from the whole file down to about 20 ms
// across the view: the envelope from a cached image of the span (rebuilt on
// zoom, scroll, resize and as decoding reaches it), the marks drawn over it
// on every paint. It zooms and scrolls itself; everything that would change
// the breakpoint list it only asks for, through its signals.
#pragma once

#include <memory>
#include <optional>

#include "ui/waveform/EnvelopePane.h"
#include "waveform/ViewGeometry.h"

namespace brelvik::ui {

class DetailFeed;

class DetailView final : public EnvelopePane {
  Q_OBJECT

 public:
  explicit DetailView(QWidget* parent = nullptr);
  ~DetailView() override;

  // SetSource shows the file whole.
  const waveform::ViewSpan& Span() const { return span_; }
  waveform::ViewScale Scale() const;
  // Clamped to the file; SpanChanged when it changes.
  void ShowSpan(waveform::ViewSpan span);
  void ZoomBy(double factor, double anchorMs);
  void ZoomIn();     // + : twice as close, around the middle
  void ZoomOut();    // -
  void ZoomWhole();  // 0

 signals:
  void SpanChanged(const waveform::ViewSpan& span);
  void ClickedAt(double ms);                 // move the playback position there
  void MarkerSelected(int index);            // pressed on a marker
  void MarkerDragged(int index, double ms);  // a marker dropped at a time
  void AddRequested(double ms);              // Shift+click
  void DeleteRequested(int index);           // Delete, the selected marker
  void NudgeRequested(int index, int direction, NudgeStep step);  // Left/Right (Shift)

 protected:
  void SourceChanged() override;
  void MarksChanged(const WaveformMarks& before) override;
  void Grown(std::int64_t from, std::int64_t to) override;
  waveform::ColumnSet Columns(const waveform::Envelope& envelope) override;

  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  struct Press {
    double X = 0;
    std::optional<int> Marker;
    bool Dragging = false;
    double DropMs = 0;
  };

  bool HasFile() const { return Decode() != nullptr && DurationMs() > 0; }
  double TimeAt(double x) const;

  std::unique_ptr<DetailFeed> detail_;
  waveform::ViewSpan span_;
  std::optional<Press> press_;
};

}  // namespace brelvik::ui
