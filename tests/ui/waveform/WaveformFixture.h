// The waveform window over a real file, encoded by lame at test time from
// sox-made parts of known place: a tone, a silence, noise. Helpers render
// the views off screen, read their pixels, and send mouse and wheel events.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QMouseEvent>
#include <QThread>
#include <QWheelEvent>
#include <functional>
#include <memory>
#include <string>

#include "SoxAudio.h"
#include "TempDir.h"
#include "ui/waveform/DetailView.h"
#include "ui/waveform/OverviewStrip.h"
#include "ui/waveform/SharedDecode.h"
#include "ui/waveform/WaveformLook.h"
#include "ui/waveform/WaveformWindow.h"

namespace brelvik::ui::testing {

// 1.5 s of tone at half scale, 2 s of digital silence, 1.5 s of noise at a fifth of it.
inline const brelvik::testing::SoundLayout& Layout() {
  static const brelvik::testing::SoundLayout layout = {
      44100, 2, {{1500, "sine 441 vol 0.5"}, {2000, ""}, {1500, "whitenoise vol 0.2"}}};
  return layout;
}

inline const std::string& LayoutFile() {
  static const brelvik::testing::TempDir folder;
  static const std::string path = EncodeSoundLayout(folder, "parts", Layout(), {"-b", "192"});
  return path;
}

inline bool WaitUntil(const std::function<bool()>& done, int ms = 5000) {
  QElapsedTimer timer;
  timer.start();
  while (!done()) {
    if (timer.elapsed() > ms) {
      return false;
    }
    QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    QThread::msleep(1);
  }
  return true;
}

inline QImage Render(QWidget& widget) {
  return widget.grab().toImage().convertToFormat(QImage::Format_RGB32);
}

inline bool Is(const QImage& image, int x, int y, const QColor& color) {
  return image.pixel(x, y) == color.rgb();
}

inline void SendMouse(QWidget& widget, QEvent::Type type, QPointF at,
                      Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
  const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton;
  QMouseEvent event(type, at, widget.mapToGlobal(at), Qt::LeftButton, held, modifiers);
  QApplication::sendEvent(&widget, &event);
}

inline void Drag(QWidget& widget, QPointF from, QPointF to) {
  SendMouse(widget, QEvent::MouseButtonPress, from);
  SendMouse(widget, QEvent::MouseMove, (from + to) / 2);
  SendMouse(widget, QEvent::MouseMove, to);
  SendMouse(widget, QEvent::MouseButtonRelease, to);
}

inline void SendWheel(QWidget& widget, QPointF at, int notches,
                      Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
  QWheelEvent event(at, widget.mapToGlobal(at), QPoint(), QPoint(0, 120 * notches), Qt::NoButton,
                    modifiers, Qt::NoScrollPhase, false);
  QApplication::sendEvent(&widget, &event);
}

class WaveformTest : public ::testing::Test {
 protected:
  WaveformTest() {
    decode_ = std::make_unique<SharedDecode>(LayoutFile());
    window_.resize(1000, 320);
    window_.ShowFile("parts.mp3", decode_.get(), DurationMs());
    window_.show();
    EXPECT_TRUE(WaitUntil([&] { return decode_->CurrentState() == SharedDecode::State::Done; }));
    QCoreApplication::processEvents();
  }

  static double DurationMs() { return Layout().EndMs(2); }
  DetailView& Detail() { return window_.Detail(); }
  OverviewStrip& Overview() { return window_.Overview(); }
  // The middle of the column that shows this time in the detail.
  double XOf(double ms) { return Detail().Scale().ColumnOf(ms) + 0.5; }

  std::unique_ptr<SharedDecode> decode_;
  WaveformWindow window_;
};

}  // namespace brelvik::ui::testing
