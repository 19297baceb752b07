#include "ui/waveform/EnvelopeImage.h"

#include <algorithm>
#include <cmath>

#include "ui/waveform/WaveformLook.h"

namespace brelvik::ui {
namespace {

constexpr double kFullScale = 32768.0;

// Writes straight into the image's rows: a few thousand one-pixel columns
// a frame cost far less this way than through QPainter.
class ColumnWriter {
 public:
  explicit ColumnWriter(QImage& image)
      : bits_(image.bits()), stride_(image.bytesPerLine()), height_(image.height()) {}

  void Fill(int x, int top, int bottom, const QColor& color) {
    const QRgb pixel = color.rgba();
    for (int y = std::max(top, 0); y <= std::min(bottom, height_ - 1); ++y) {
      reinterpret_cast<QRgb*>(bits_ + static_cast<qsizetype>(y) * stride_)[x] = pixel;
    }
  }

 private:
  uchar* bits_;
  qsizetype stride_;
  int height_;
};

void DrawLane(ColumnWriter& writer, const waveform::ColumnSet& columns, int channel,
              const LaneRows& rows) {
  const waveform::Column* previous = nullptr;
  for (int x = 0; x < columns.Count; ++x) {
    const waveform::Column& column = columns.At(channel, x);
    if (!column.Known) {
      writer.Fill(x, rows.Top, rows.Top + rows.Height - 1, look::kUndecoded);
      previous = nullptr;
      continue;
    }
    int low = column.Value.Min;
    int high = column.Value.Max;
    // Joined to the column before, so that single samples drawn a few
    // pixels apart make a line.
    if (previous != nullptr) {
      low = std::min<int>(low, previous->Value.Max);
      high = std::max<int>(high, previous->Value.Min);
    }
    const int top = rows.RowOf(high);
    const int bottom = rows.RowOf(low);
    writer.Fill(x, top, bottom, look::kEnvelope);
    const int rms = column.Value.Rms;
    if (rms > 0) {
      writer.Fill(x, std::max(top + 1, rows.RowOf(rms)), std::min(bottom - 1, rows.RowOf(-rms)),
                  look::kRms);
    }
    previous = &column;
  }
}

}  // namespace

int LaneRows::RowOf(int value) const {
  const double half = std::max(Height / 2 - 1, 0);
  return Middle() - static_cast<int>(std::lround(value * half / kFullScale));
}

LaneRows LaneOf(int lane, int lanes, int height) {
  const int top = height * lane / lanes;
  return {top, height * (lane + 1) / lanes - top};
}

QImage DrawEnvelope(const waveform::ColumnSet& columns, int height, Lanes lanes) {
  QImage image(std::max(columns.Count, 1), std::max(height, 1),
               QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  if (columns.Count == 0 || columns.Channels == 0) {
    return image;
  }
  ColumnWriter writer(image);
  if (lanes == Lanes::Joined || columns.Channels == 1) {
    DrawLane(writer, columns.Channels == 1 ? columns : waveform::JoinChannels(columns), 0,
             LaneOf(0, 1, height));
    return image;
  }
  for (int channel = 0; channel < columns.Channels; ++channel) {
    const LaneRows rows = LaneOf(channel, columns.Channels, height);
    DrawLane(writer, columns, channel, rows);
    if (channel > 0) {
      for (int x = 0; x < columns.Count; ++x) {
        if (image.pixel(x, rows.Top) == 0) {
          writer.Fill(x, rows.Top, rows.Top, look::kLaneLine);
        }
      }
    }
  }
  return image;
}

}  // namespace brelvik::ui
