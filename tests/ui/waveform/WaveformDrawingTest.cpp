// What the waveform views draw, read from their pixels off screen: each
// part's envelope of its height and the silence flat at every zoom (down to
// single samples, decoded on demand), markers at their time's column,
// silences shaded, and the window's words.
#include <QLabel>

#include "WaveformFixture.h"
#include "ui/waveform/DetailFeed.h"
#include "ui/waveform/EnvelopeImage.h"
#include "ui/waveform/MarksPainter.h"
#include "waveform/Envelope.h"

namespace brelvik::ui::testing {
namespace {

using look::kEnvelope;

// The highest and lowest row of the envelope's colour (RMS included) in
// column x of lane `rows`, or nothing when the column has none.
std::optional<std::pair<int, int>> EnvelopeRows(const QImage& image, int x, const LaneRows& rows) {
  std::optional<std::pair<int, int>> found;
  for (int y = rows.Top; y < rows.Top + rows.Height; ++y) {
    if (Is(image, x, y, kEnvelope) || Is(image, x, y, look::kRms)) {
      found = found ? std::pair(found->first, y) : std::pair(y, y);
    }
  }
  return found;
}

struct Zoom {
  const char* Name;
  double StartMs;
  double LengthMs;
};

void PrintTo(const Zoom& zoom, std::ostream* os) {
  *os << zoom.Name;
}

class PartsAtZoom : public WaveformTest, public ::testing::WithParamInterface<Zoom> {};

TEST_P(PartsAtZoom, EachPartHasItsHeightAndTheSilenceIsFlat) {
  const Zoom& zoom = GetParam();
  Detail().ShowSpan({zoom.StartMs, zoom.LengthMs});
  QImage image = Render(Detail());
  const waveform::ViewScale scale = Detail().Scale();
  if (scale.MsPerPixel() * 44.1 < waveform::kFinestFrames) {
    // Finer than the envelope's finest level: decoded on demand, drawn once it has come.
    auto* feed = Detail().findChild<DetailFeed*>();
    ASSERT_NE(feed, nullptr);
    ASSERT_TRUE(WaitUntil([&] { return feed->Detail() != nullptr; }));
    QCoreApplication::processEvents();
    image = Render(Detail());
  }
  // A column as long as a period of the tone shows its peaks.
  const bool periods = scale.MsPerPixel() >= 1000.0 / 441;
  const int height = Detail().height();
  int checked = 0;
  double highestTone = 0;
  double lowestTone = 1;
  for (int x = 0; x < image.width(); ++x) {
    const double t0 = scale.TimeOf(x);
    const double t1 = scale.TimeOf(x + 1);
    // Clear of each part's edges by what encoding smears and a bucket reaches.
    const double margin = 60 + 4 * scale.MsPerPixel() * 1024 / 44.1;
    int part = -1;
    for (int p = 0; p < 3; ++p) {
      const auto index = static_cast<std::size_t>(p);
      if (t0 >= Layout().StartMs(index) + margin && t1 <= Layout().EndMs(index) - margin) {
        part = p;
      }
    }
    if (part < 0) {
      continue;
    }
    ++checked;
    for (int lane = 0; lane < 2; ++lane) {
      const LaneRows rows = LaneOf(lane, 2, height);
      const auto found = EnvelopeRows(image, x, rows);
      ASSERT_TRUE(found.has_value()) << "column " << x;
      const double half = rows.Height / 2 - 1;
      const double top = (rows.Middle() - found->first) / half;
      const double bottom = (found->second - rows.Middle()) / half;
      if (part == 1) {
        EXPECT_EQ(found->first, rows.Middle()) << "column " << x;
        EXPECT_EQ(found->second, rows.Middle()) << "column " << x;
      } else if (periods && part == 0) {
        EXPECT_NEAR(top, 0.5, 0.03) << "column " << x;
        EXPECT_NEAR(bottom, 0.5, 0.03) << "column " << x;
      } else if (periods) {
        // Noise at a fifth of full scale, filtered by the encoding, peaks
        // up to twice that now and then; below the tone, well above silence.
        EXPECT_GT(top, 0.15) << "column " << x;
        EXPECT_LT(top, 0.42) << "column " << x;
        EXPECT_GT(bottom, 0.15) << "column " << x;
        EXPECT_LT(bottom, 0.42) << "column " << x;
      } else if (part == 0) {
        highestTone = std::max(highestTone, top);
        lowestTone = std::min(lowestTone, top);
      }
    }
  }
  EXPECT_GT(checked, 10);
  if (!periods && highestTone > 0) {
    // Single samples: the tone's shape, up to its peak and down through zero.
    EXPECT_NEAR(highestTone, 0.5, 0.03);
    EXPECT_LT(lowestTone, 0.1);
  }
}

INSTANTIATE_TEST_SUITE_P(Spans, PartsAtZoom,
                         ::testing::Values(Zoom{"WholeFile", 0, 5000},
                                           Zoom{"AroundTheSilence", 1000, 3000},
                                           Zoom{"OneSecond", 1200, 1000},
                                           Zoom{"TwentyMsOfSilence", 2500, 20},
                                           Zoom{"TwoHundredMsOfTone", 600, 200}),
                         [](const auto& p) { return std::string(p.param.Name); });

// The envelope's own drawing: only the middle row in a silent column, the
// RMS level inside the minimum and maximum.
TEST(EnvelopeImage, SilenceIsOneRowAndTheRmsLiesInsideTheEnvelope) {
  waveform::ColumnSet set{1, 3, {}};
  set.Values = {{{0, 0, 0}, true}, {{-16384, 16384, 11585}, true}, {{}, false}};
  QImage image;
  DrawEnvelope(set, 101, Lanes::Joined, image);
  const LaneRows rows = LaneOf(0, 1, 101);
  for (int y = 0; y < 101; ++y) {
    EXPECT_EQ(image.pixel(0, y) != 0, y == rows.Middle()) << y;
    EXPECT_EQ(image.pixel(2, y), look::kUndecoded.rgba()) << y;
  }
  EXPECT_EQ(image.pixel(1, rows.RowOf(16384)), kEnvelope.rgba());
  EXPECT_EQ(image.pixel(1, rows.RowOf(16384) - 1), 0u);
  EXPECT_EQ(image.pixel(1, rows.RowOf(11585)), look::kRms.rgba());
  EXPECT_EQ(image.pixel(1, rows.RowOf(-11585)), look::kRms.rgba());
  EXPECT_EQ(image.pixel(1, rows.RowOf(-11585) + 1), kEnvelope.rgba());
}

class MarkersAtZoom : public WaveformTest, public ::testing::WithParamInterface<Zoom> {};

TEST_P(MarkersAtZoom, EachMarkerIsInTheColumnOfItsTime) {
  const Zoom& zoom = GetParam();
  WaveformMarks marks;
  marks.Markers = {{0, 0, false}, {40, 1044.9, false}, {77, 2011.6, true}, {150, 3918.4, false}};
  marks.PlayheadMs = 2222.2;
  window_.SetMarks(marks);
  Detail().ShowSpan({zoom.StartMs, zoom.LengthMs});
  const QImage image = Render(Detail());
  const waveform::ViewScale scale = Detail().Scale();
  const int row = Detail().height() / 2 + 7;  // below the labels, above the pieces'
  int seen = 0;
  for (const WaveformMarker& marker : marks.Markers) {
    const int x = scale.ColumnOf(marker.TimeMs);
    if (x < 1 || x >= image.width() - 1) {
      continue;
    }
    ++seen;
    const QColor& color = marker.Selected ? look::kSelectedMarker : look::kMarker;
    const int wide = marker.Selected ? 1 : 0;
    EXPECT_TRUE(Is(image, x, row, color)) << marker.TimeMs;
    EXPECT_FALSE(Is(image, x - 1 - wide, row, color)) << marker.TimeMs;
    EXPECT_FALSE(Is(image, x + 1 + wide, row, color)) << marker.TimeMs;
  }
  EXPECT_GE(seen, 1);
  const int playhead = scale.ColumnOf(*marks.PlayheadMs);
  if (playhead >= 0 && playhead < image.width()) {
    EXPECT_TRUE(Is(image, playhead, row, look::kPlayhead));
  }
}

INSTANTIATE_TEST_SUITE_P(Spans, MarkersAtZoom,
                         ::testing::Values(Zoom{"WholeFile", 0, 5000},
                                           Zoom{"AFewSeconds", 900, 3100.7},
                                           Zoom{"AroundOne", 1000, 91.3},
                                           Zoom{"TwentyMs", 2000, 20}),
                         [](const auto& p) { return std::string(p.param.Name); });

TEST_F(WaveformTest, TheFoundSilenceIsShadedAndPiecesAndMarkersAreLabelled) {
  ASSERT_EQ(decode_->Silences().size(), 1u);
  const silence::Silence silence = decode_->Silences().front();
  EXPECT_NEAR(silence.StartMs, Layout().StartMs(1), 30);
  WaveformMarks marks;
  marks.Silences = decode_->Silences();
  marks.Markers = {{0, 0, false}, {95, 2500, false}};
  window_.SetMarks(marks);
  const QImage image = Render(Detail());
  const int inside = Detail().Scale().ColumnOf(silence.MiddleMs() + 300);
  const int outside = Detail().Scale().ColumnOf(silence.StartMs - 300);
  const int row = Detail().height() / 4 - 10;
  EXPECT_TRUE(Is(image, inside, row, look::kSilence));
  EXPECT_FALSE(Is(image, outside, row, look::kSilence));
  EXPECT_EQ(MarkerLabel(1, 2500), "2 · 0:02.500");
  EXPECT_EQ(PieceLabel({1, 0, 2500}), "Piece 1 · 0:02.500");
  EXPECT_EQ(TimeText(2 * 3'600'000 + 61'234), "2:01:01.234");
}

TEST_F(WaveformTest, TheOverviewShowsTheWholeFileAndTheDetailsSpanAsAFrame) {
  Detail().ShowSpan({1000, 1000});
  const QImage image = Render(Overview());
  const auto [first, last] = Overview().FrameColumns();
  const waveform::ViewScale scale = Overview().Scale();
  EXPECT_EQ(first, scale.ColumnOf(1000));
  EXPECT_EQ(last, scale.ColumnOf(2000) - 1);
  EXPECT_TRUE(Is(image, first, 0, look::kFrame));
  EXPECT_TRUE(Is(image, last, Overview().height() - 1, look::kFrame));
  // The silence is flat in the overview too.
  const int silent = scale.ColumnOf(2500);
  const LaneRows top = LaneOf(0, 2, Overview().height());
  EXPECT_TRUE(Is(image, silent, top.Middle(), kEnvelope));
  EXPECT_FALSE(Is(image, silent, top.Middle() - 1, kEnvelope));
}

TEST(WaveformWindow, SaysWhenNoFileIsOpenAndNamesTheFileItShows) {
  WaveformWindow window;
  EXPECT_GE(window.width(), 900);
  EXPECT_GE(window.height(), 240);
  EXPECT_GE(window.minimumWidth(), 900);
  EXPECT_EQ(window.windowTitle(), "Waveform");
  auto* noFile = window.findChild<QLabel*>("WaveformNoFile");
  ASSERT_NE(noFile, nullptr);
  window.show();
  EXPECT_TRUE(noFile->isVisible());
  EXPECT_EQ(noFile->text(), "No file is open");

  SharedDecode decode(LayoutFile());
  window.ShowFile("live <b>set</b>.mp3", &decode, 5000);
  EXPECT_EQ(window.windowTitle(), "live <b>set</b>.mp3 — Waveform");
  EXPECT_FALSE(noFile->isVisible());
  ASSERT_TRUE(WaitUntil([&] { return decode.CurrentState() == SharedDecode::State::Done; }));
  EXPECT_EQ(window.findChild<QLabel*>("WaveformStatus")->text(), "44100 Hz, stereo, 0:05.000");
  window.ShowNoFile();
  EXPECT_TRUE(noFile->isVisible());
}

}  // namespace
}  // namespace brelvik::ui::testing
