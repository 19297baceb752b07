// The views' arithmetic: a time's column at any zoom and scroll, zooming
// around the pointer within its limits, the marker under the pointer, and
// the pieces with room for their labels.
#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

#include "waveform/ViewGeometry.h"

namespace brelvik::waveform {
namespace {

constexpr double kHourMs = 3'600'000;

// Wheel zooms and scrolls in any order, at view widths from narrow to wide:
// every time in view is in the column that ColumnOf names for it.
TEST(ViewGeometry, ATimeIsInTheColumnNamedForItAtAnyZoom) {
  std::mt19937 generator(17);
  std::uniform_real_distribution<double> unit(0, 1);
  for (const int width : {900, 1001, 1920}) {
    ViewSpan span = WholeSpan(2 * kHourMs);
    for (int step = 0; step < 400; ++step) {
      if (step % 3 == 2) {
        span = ScrolledBy(span, 2 * kHourMs, (unit(generator) - 0.5) * span.LengthMs);
      } else {
        const double factor = step % 3 == 0 ? 1.7 : 1 / 1.3;
        span =
            ZoomedAround(span, 2 * kHourMs, factor, span.StartMs + unit(generator) * span.LengthMs);
      }
      const ViewScale scale(span, width);
      for (int probe = 0; probe < 20; ++probe) {
        const double t = span.StartMs + unit(generator) * span.LengthMs;
        const int column = scale.ColumnOf(t);
        ASSERT_GE(column, 0);
        ASSERT_LT(column, width);
        ASSERT_LE(scale.TimeOf(column), t) << "span " << span.StartMs << "+" << span.LengthMs;
        ASSERT_GT(scale.TimeOf(column + 1), t);
      }
    }
  }
}

TEST(ViewGeometry, ZoomKeepsTheTimeUnderThePointerWhereItIs) {
  const ViewSpan span{600'000, 60'000};
  const ViewScale before(span, 1000);
  for (const double factor : {1.25, 2.0, 0.8, 0.5}) {
    const double anchor = before.TimeOf(300);
    const ViewSpan zoomed = ZoomedAround(span, kHourMs, factor, anchor);
    EXPECT_NEAR(zoomed.LengthMs, span.LengthMs / factor, 1e-6);
    EXPECT_NEAR(ViewScale(zoomed, 1000).PixelOf(anchor), 300, 1e-6) << factor;
  }
}

struct ZoomLimit {
  const char* Name;
  ViewSpan Span;
  double Factor;
  double AnchorMs;
  ViewSpan Expected;
};

void PrintTo(const ZoomLimit& c, std::ostream* os) {
  *os << c.Name;
}

class ZoomLimits : public ::testing::TestWithParam<ZoomLimit> {};

TEST_P(ZoomLimits, StaysWithinTheStreamAndItsShortestSpan) {
  const ZoomLimit& c = GetParam();
  const ViewSpan zoomed = ZoomedAround(c.Span, kHourMs, c.Factor, c.AnchorMs);
  EXPECT_NEAR(zoomed.StartMs, c.Expected.StartMs, 1e-6);
  EXPECT_NEAR(zoomed.LengthMs, c.Expected.LengthMs, 1e-6);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ZoomLimits,
    ::testing::Values(
        ZoomLimit{"InToTheShortestSpan", {1000, 30}, 4, 1015, {1005, kShortestSpanMs}},
        ZoomLimit{"OutToTheWholeStream", {1000, 600'000}, 0.01, 5000, {0, kHourMs}},
        ZoomLimit{"OutNearTheStartStopsAtZero", {100, 1000}, 0.5, 600, {0, 2000}},
        ZoomLimit{"OutNearTheEndEndsAtTheEnd",
                  {kHourMs - 1000, 1000},
                  0.25,
                  kHourMs,
                  {kHourMs - 4000, 4000}}),
    [](const auto& p) { return std::string(p.param.Name); });

TEST(ViewGeometry, AStreamShorterThanTheShortestSpanIsShownWhole) {
  EXPECT_EQ(ZoomedAround({0, 10}, 10, 8, 5), (ViewSpan{0, 10}));
}

TEST(ViewGeometry, TheMarkerUnderThePointerIsTheNearestWithinReach) {
  const ViewScale scale({0, 1000}, 1000);  // a millisecond a pixel
  const std::vector<double> times = {100.2, 106.9, 500, 503};
  struct Probe {
    double X;
    std::optional<int> Marker;
  };
  for (const Probe& probe : {Probe{100.5, 0}, Probe{103.4, 0}, Probe{103.6, 1}, Probe{111.5, 1},
                             Probe{112, std::nullopt}, Probe{501.9, 2}, Probe{502, 2},
                             Probe{502.6, 3}, Probe{900, std::nullopt}}) {
    EXPECT_EQ(MarkerAt(scale, times, probe.X, 5), probe.Marker) << probe.X;
  }
}

TEST(ViewGeometry, PiecesLieBetweenNeighbouringBreakpointsNumberedFromOne) {
  const std::vector<double> times = {0, 1500, 4000};
  EXPECT_EQ(Pieces(times), (std::vector<PieceSpan>{{1, 0, 1500}, {2, 1500, 4000}}));
  EXPECT_TRUE(Pieces(std::vector<double>{700}).empty());
}

TEST(ViewGeometry, APieceLabelIsCentredOnWhatIsInViewOrLeftOut) {
  EXPECT_EQ(PieceLabelLeft(100, 300, 1000, 50, 4), 175.0);
  EXPECT_EQ(PieceLabelLeft(-500, 300, 1000, 50, 4), 125.0);  // half off to the left
  EXPECT_EQ(PieceLabelLeft(900, 5000, 1000, 50, 4), 925.0);  // and to the right
  EXPECT_EQ(PieceLabelLeft(100, 157, 1000, 50, 4), std::nullopt);
  EXPECT_EQ(PieceLabelLeft(100, 158, 1000, 50, 4), 104.0);
}

TEST(ViewGeometry, LabelsThatWouldOverlapOrLeaveTheViewAreLeftOut) {
  const std::vector<LabelBox> labels = {{-5, 40}, {10, 40},  {52, 40}, {53, 40},
                                        {95, 40}, {140, 40}, {970, 40}};
  EXPECT_EQ(FitLabels(labels, 1000, 3),
            (std::vector<bool>{false, true, false, true, false, true, false}));
}

}  // namespace
}  // namespace brelvik::waveform
