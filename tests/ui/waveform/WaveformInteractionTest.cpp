// What the waveform view asks for when the user works on it: it only
// signals (click, select, drag, Shift+click, Delete, nudges) and leaves the
// marks as it was given them; zooming and scrolling are its own.
#include <QSignalSpy>
#include <QTest>

#include "WaveformFixture.h"

namespace brelvik::ui::testing {
namespace {

class WaveformInteraction : public WaveformTest {
 protected:
  WaveformInteraction() {
    marks_.Markers = {{0, 0, false}, {40, 1044.9, false}, {95, 2481.6, false}};
    window_.SetMarks(marks_);
  }
  void Select(int index) {
    for (std::size_t i = 0; i < marks_.Markers.size(); ++i) {
      marks_.Markers[i].Selected = static_cast<int>(i) == index;
    }
    window_.SetMarks(marks_);
  }
  QPointF At(double ms) { return {XOf(ms), Detail().height() / 2.0}; }
  std::vector<double> MarkerColumns() {
    const QImage image = Render(Detail());
    std::vector<double> columns;
    for (int x = 0; x < image.width(); ++x) {
      if (Is(image, x, image.height() / 2 + 7, look::kMarker)) {
        columns.push_back(x);
      }
    }
    return columns;
  }

  WaveformMarks marks_;
  QSignalSpy clicked_{&window_, &WaveformWindow::ClickedAt};
  QSignalSpy selected_{&window_, &WaveformWindow::MarkerSelected};
  QSignalSpy dragged_{&window_, &WaveformWindow::MarkerDragged};
  QSignalSpy added_{&window_, &WaveformWindow::AddRequested};
  QSignalSpy deleted_{&window_, &WaveformWindow::DeleteRequested};
  QSignalSpy nudged_{&window_, &WaveformWindow::NudgeRequested};
};

TEST_F(WaveformInteraction, DraggingAMarkerAsksToMoveItAndLeavesItWhereTheListHasIt) {
  Detail().ShowSpan({500, 2000});
  const std::vector<double> before = MarkerColumns();
  const QPointF from = At(1044.9) + QPointF(2, 0);  // within reach, beside the line
  const QPointF to = from + QPointF(60, 0);
  Drag(Detail(), from, to);
  ASSERT_EQ(selected_.count(), 1);
  EXPECT_EQ(selected_.at(0).at(0).toInt(), 1);
  ASSERT_EQ(dragged_.count(), 1);
  EXPECT_EQ(dragged_.at(0).at(0).toInt(), 1);
  EXPECT_NEAR(dragged_.at(0).at(1).toDouble(), Detail().Scale().TimeOf(to.x()), 1e-9);
  EXPECT_EQ(clicked_.count(), 0);
  // The list said nothing: the marker stays where it was.
  EXPECT_EQ(MarkerColumns(), before);
  // Once the list has moved it, the marker is drawn there.
  marks_.Markers[1].TimeMs = dragged_.at(0).at(1).toDouble();
  window_.SetMarks(marks_);
  const double moved = Detail().Scale().ColumnOf(marks_.Markers[1].TimeMs);
  EXPECT_EQ(moved, std::floor(to.x()));
  EXPECT_EQ(MarkerColumns(), (std::vector<double>{moved, before.back()}));
}

// While it is dragged, a marker is shown where the list would put it: on
// the first millisecond of a frame, or in exact mode where it is.
TEST_F(WaveformInteraction, ADraggedMarkerIsShownWhereTheListWouldPutIt) {
  marks_.Figures = {192, 626, 200, 26};  // 26.08 ms a frame
  Detail().ShowSpan({1000, 300});
  const QPointF from = At(1044.9);
  for (const bool exact : {false, true}) {
    marks_.Exact = exact;
    window_.SetMarks(marks_);
    const QPointF to = from + QPointF(50, 0);
    const double drop = Detail().Scale().TimeOf(to.x());
    const double shown =
        exact ? drop : FrameStartMs(FrameOfTime(drop, marks_.Figures), marks_.Figures);
    if (!exact) {  // far enough from the pointer to tell the two apart
      ASSERT_GT(std::abs(Detail().Scale().ColumnOf(shown) - std::floor(to.x())), 5);
    }
    SendMouse(Detail(), QEvent::MouseButtonPress, from);
    SendMouse(Detail(), QEvent::MouseMove, to);
    const QImage image = Render(Detail());
    std::vector<int> columns;
    for (int x = 0; x < image.width(); ++x) {
      for (int y = 0; y < image.height(); ++y) {
        if (Is(image, x, y, look::kSelectedMarker)) {
          columns.push_back(x);
          break;
        }
      }
    }
    EXPECT_EQ(columns, std::vector<int>{Detail().Scale().ColumnOf(shown)}) << exact;
    SendMouse(Detail(), QEvent::MouseButtonRelease, to);
    ASSERT_FALSE(dragged_.isEmpty());
    // The time dropped at goes to the list, which takes it to the same frame.
    EXPECT_NEAR(dragged_.last().at(1).toDouble(), drop, 1e-9);
  }
}

// The time a frame's entry is drawn at is the first millisecond the
// position shows that frame: the list takes it back to the frame, and the
// millisecond before to the frame before.
TEST(WaveformFrameTimes, AFramesStartIsTheFirstMillisecondThatShowsIt) {
  for (const StreamFigures figures :
       {StreamFigures{128, 417}, StreamFigures{128, 418}, StreamFigures{320, 1044},
        StreamFigures{32, 144}, StreamFigures{8, 26}, StreamFigures{192, 626}}) {
    for (std::int32_t frame = 0; frame < 5000; ++frame) {
      const double start = FrameStartMs(frame, figures);
      ASSERT_EQ(start, std::floor(start));
      ASSERT_EQ(FrameOfTime(start, figures), frame) << figures.Kbps << " " << figures.FrameBytes;
      if (frame > 0) {
        ASSERT_EQ(FrameOfTime(start - 1, figures), frame - 1) << figures.Kbps;
      }
    }
  }
}

TEST_F(WaveformInteraction, APressThatHardlyMovesSelectsWithoutDragging) {
  Drag(Detail(), At(2481.6), At(2481.6) + QPointF(2, 0));
  EXPECT_EQ(selected_.count(), 1);
  EXPECT_EQ(dragged_.count(), 0);
  EXPECT_EQ(clicked_.count(), 0);
}

TEST_F(WaveformInteraction, AClickBesideTheMarkersMovesThePlaybackPosition) {
  const QPointF at = At(3600);
  SendMouse(Detail(), QEvent::MouseButtonPress, at);
  SendMouse(Detail(), QEvent::MouseButtonRelease, at);
  ASSERT_EQ(clicked_.count(), 1);
  EXPECT_NEAR(clicked_.at(0).at(0).toDouble(), Detail().Scale().TimeOf(at.x()), 1e-9);
  EXPECT_EQ(selected_.count(), 0);
}

TEST_F(WaveformInteraction, ShiftClickAsksToAddABreakpointThere) {
  const QPointF at = At(1044.9) + QPointF(1, 0);  // on a marker, too
  SendMouse(Detail(), QEvent::MouseButtonPress, at, Qt::ShiftModifier);
  SendMouse(Detail(), QEvent::MouseButtonRelease, at, Qt::ShiftModifier);
  ASSERT_EQ(added_.count(), 1);
  EXPECT_NEAR(added_.at(0).at(0).toDouble(), Detail().Scale().TimeOf(at.x()), 1e-9);
  EXPECT_EQ(selected_.count() + dragged_.count() + clicked_.count(), 0);
}

TEST_F(WaveformInteraction, DeleteAndNudgesNameTheSelectedMarker) {
  Detail().setFocus();
  QTest::keyClick(&Detail(), Qt::Key_Delete);
  QTest::keyClick(&Detail(), Qt::Key_Left);
  EXPECT_EQ(deleted_.count() + nudged_.count(), 0);  // nothing selected

  Select(2);
  QTest::keyClick(&Detail(), Qt::Key_Delete);
  ASSERT_EQ(deleted_.count(), 1);
  EXPECT_EQ(deleted_.at(0).at(0).toInt(), 2);

  struct Nudge {
    Qt::Key Key;
    Qt::KeyboardModifiers Modifiers;
    int Direction;
    NudgeStep Step;
  };
  for (const Nudge& n : {Nudge{Qt::Key_Left, Qt::NoModifier, -1, NudgeStep::Frame},
                         Nudge{Qt::Key_Right, Qt::NoModifier, 1, NudgeStep::Frame},
                         Nudge{Qt::Key_Left, Qt::ShiftModifier, -1, NudgeStep::Second},
                         Nudge{Qt::Key_Right, Qt::ShiftModifier, 1, NudgeStep::Second}}) {
    nudged_.clear();
    QTest::keyClick(&Detail(), n.Key, n.Modifiers);
    ASSERT_EQ(nudged_.count(), 1);
    EXPECT_EQ(nudged_.at(0).at(0).toInt(), 2);
    EXPECT_EQ(nudged_.at(0).at(1).toInt(), n.Direction);
    EXPECT_EQ(nudged_.at(0).at(2).value<NudgeStep>(), n.Step);
  }
}

TEST_F(WaveformInteraction, PlusMinusAndZeroZoomInOutAndToTheWholeFile) {
  Detail().setFocus();
  QTest::keyClick(&Detail(), Qt::Key_Plus);
  EXPECT_EQ(Detail().Span(), (waveform::ViewSpan{1250, 2500}));
  QTest::keyClick(&Detail(), Qt::Key_Plus);
  QTest::keyClick(&Detail(), Qt::Key_Minus);
  EXPECT_EQ(Detail().Span(), (waveform::ViewSpan{1250, 2500}));
  QTest::keyClick(&Detail(), Qt::Key_0);
  EXPECT_EQ(Detail().Span(), (waveform::ViewSpan{0, DurationMs()}));
  for (int i = 0; i < 20; ++i) {
    QTest::keyClick(&Detail(), Qt::Key_Plus);
  }
  EXPECT_NEAR(Detail().Span().LengthMs, waveform::kShortestSpanMs, 1e-9);
}

TEST_F(WaveformInteraction, TheWheelZoomsAroundThePointerAndWithShiftScrolls) {
  const QPointF pointer(700, Detail().height() / 2.0);
  const double under = Detail().Scale().TimeOf(pointer.x());
  SendWheel(Detail(), pointer, 3);
  const waveform::ViewSpan zoomed = Detail().Span();
  EXPECT_NEAR(zoomed.LengthMs, DurationMs() / std::pow(1.25, 3), 1e-6);
  EXPECT_NEAR(Detail().Scale().PixelOf(under), pointer.x(), 1e-6);
  SendWheel(Detail(), pointer, -1, Qt::ShiftModifier);
  EXPECT_NEAR(Detail().Span().StartMs, zoomed.StartMs + zoomed.LengthMs / 10, 1e-6);
  EXPECT_EQ(Detail().Span().LengthMs, zoomed.LengthMs);
}

TEST_F(WaveformInteraction, DraggingTheOverviewsFrameScrollsTheDetail) {
  Detail().ShowSpan({1000, 1000});
  const waveform::ViewScale whole = Overview().Scale();
  const auto [first, last] = Overview().FrameColumns();
  // Held anywhere in the frame, it moves by what the pointer moves.
  const double grip = (first + last) / 2.0;
  Drag(Overview(), {grip, 10}, {grip + 100, 10});
  EXPECT_NEAR(Detail().Span().StartMs, 1000 + 100 * whole.MsPerPixel(), 1e-6);
  EXPECT_EQ(Detail().Span().LengthMs, 1000);
  // A press beside the frame brings the frame's middle there.
  SendMouse(Overview(), QEvent::MouseButtonPress, {whole.PixelOf(4000), 10});
  SendMouse(Overview(), QEvent::MouseButtonRelease, {whole.PixelOf(4000), 10});
  EXPECT_NEAR(Detail().Span().StartMs + 500, 4000, whole.MsPerPixel());
  EXPECT_EQ(selected_.count() + clicked_.count(), 0);
}

TEST_F(WaveformInteraction, ThePlayheadRunningOutOfTheViewTurnsAPage) {
  Detail().ShowSpan({0, 1000});
  marks_.PlayheadMs = 900;
  window_.SetMarks(marks_);
  marks_.PlayheadMs = 1010;
  window_.SetMarks(marks_);
  EXPECT_EQ(Detail().Span(), (waveform::ViewSpan{1010, 1000}));
  // A playhead the user has scrolled away from is left alone.
  Detail().ShowSpan({3000, 1000});
  marks_.PlayheadMs = 1200;
  window_.SetMarks(marks_);
  EXPECT_EQ(Detail().Span(), (waveform::ViewSpan{3000, 1000}));
}

}  // namespace
}  // namespace brelvik::ui::testing
