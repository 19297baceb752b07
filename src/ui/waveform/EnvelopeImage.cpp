#include "ui/waveform/EnvelopeImage.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "ui/waveform/WaveformLook.h"

namespace brelvik::ui {
namespace {

constexpr double kFullScale = 32768.0;

// The rows that one column of a lane fills: the envelope from top to
// bottom, the RMS level inside it; nothing known, the whole lane greyed.
struct ColumnRows {
  int Top = 0;
  int Bottom = -1;
  int RmsTop = 0;
  int RmsBottom = -1;
  bool Known = false;
};

std::vector<ColumnRows> RowsOfLane(const waveform::ColumnSet& columns, int channel,
                                   const LaneRows& rows) {
  std::vector<ColumnRows> lane(static_cast<std::size_t>(columns.Count));
  const waveform::Column* previous = nullptr;
  for (int x = 0; x < columns.Count; ++x) {
    const waveform::Column& column = columns.At(channel, x);
    ColumnRows& drawn = lane[static_cast<std::size_t>(x)];
    if (!column.Known) {
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
    drawn = {rows.RowOf(high), rows.RowOf(low), 0, -1, true};
    const int rms = column.Value.Rms;
    if (rms > 0) {
      drawn.RmsTop = std::max(drawn.Top + 1, rows.RowOf(rms));
      drawn.RmsBottom = std::min(drawn.Bottom - 1, rows.RowOf(-rms));
    }
    previous = &column;
  }
  return lane;
}

// Row by row, as the image lies in memory: a column at a time would touch
// a new cache line with every pixel.
void DrawLane(QImage& image, const std::vector<ColumnRows>& lane, const LaneRows& rows,
              bool lineAbove) {
  const QRgb envelope = look::kEnvelope.rgba();
  const QRgb rms = look::kRms.rgba();
  const QRgb undecoded = look::kUndecoded.rgba();
  for (int y = rows.Top; y < rows.Top + rows.Height; ++y) {
    auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
    for (std::size_t x = 0; x < lane.size(); ++x) {
      const ColumnRows& column = lane[x];
      if (!column.Known) {
        line[x] = undecoded;
      } else if (y >= column.RmsTop && y <= column.RmsBottom) {
        line[x] = rms;
      } else if (y >= column.Top && y <= column.Bottom) {
        line[x] = envelope;
      } else if (lineAbove && y == rows.Top) {
        line[x] = look::kLaneLine.rgba();
      }
    }
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

void DrawEnvelope(const waveform::ColumnSet& columns, int height, Lanes lanes, QImage& image) {
  const QSize size(std::max(columns.Count, 1), std::max(height, 1));
  // A fresh image of this size costs more in page faults than the drawing.
  if (image.size() != size || image.format() != QImage::Format_ARGB32_Premultiplied) {
    image = QImage(size, QImage::Format_ARGB32_Premultiplied);
  }
  image.fill(Qt::transparent);
  if (columns.Count == 0 || columns.Channels == 0) {
    return;
  }
  if (lanes == Lanes::Joined || columns.Channels == 1) {
    const LaneRows rows = LaneOf(0, 1, height);
    const waveform::ColumnSet joined =
        columns.Channels == 1 ? columns : waveform::JoinChannels(columns);
    DrawLane(image, RowsOfLane(joined, 0, rows), rows, false);
    return;
  }
  for (int channel = 0; channel < columns.Channels; ++channel) {
    const LaneRows rows = LaneOf(channel, columns.Channels, height);
    DrawLane(image, RowsOfLane(columns, channel, rows), rows, channel > 0);
  }
}

}  // namespace brelvik::ui
