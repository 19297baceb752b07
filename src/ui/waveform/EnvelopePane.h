// What the overview strip and the detail view share: the decode they draw,
// the file's length, the marks and the lanes, and the cached image of the
// envelope, drawn again on the next paint once it no longer shows what is
// there (a resize, more of the file decoded, a change the view makes).
#pragma once

#include <QImage>
#include <QWidget>
#include <cstdint>

#include "ui/waveform/EnvelopeImage.h"
#include "ui/waveform/WaveformMarks.h"
#include "waveform/Envelope.h"

namespace brelvik::ui {

class SharedDecode;

class EnvelopePane : public QWidget {
  Q_OBJECT

 public:
  // The decode to draw (null: none) and the file's length.
  void SetSource(SharedDecode* decode, double durationMs);
  void SetMarks(const WaveformMarks& marks);
  void SetLanes(Lanes lanes);
  double DurationMs() const { return durationMs_; }

 protected:
  explicit EnvelopePane(QWidget* parent);

  SharedDecode* Decode() const { return decode_; }
  // Null until the decode has opened the file.
  const waveform::Envelope* Envelope() const;
  const WaveformMarks& Marks() const { return marks_; }
  void Invalidate();
  // The envelope's image, drawn first if it is out of date; null without
  // an envelope.
  const QImage& Image();

  // After SetSource and SetMarks, for what the view itself keeps.
  virtual void SourceChanged() {}
  virtual void MarksChanged(const WaveformMarks& before) { static_cast<void>(before); }
  // More of the stream decoded, frames [from, to).
  virtual void Grown(std::int64_t from, std::int64_t to);
  // The columns the image is drawn from, one per pixel.
  virtual waveform::ColumnSet Columns(const waveform::Envelope& envelope) = 0;

  void resizeEvent(QResizeEvent* event) override;

 private:
  SharedDecode* decode_ = nullptr;
  double durationMs_ = 0;
  WaveformMarks marks_;
  Lanes lanes_ = Lanes::Apart;
  QImage image_;
  bool imageCurrent_ = false;
};

}  // namespace brelvik::ui
