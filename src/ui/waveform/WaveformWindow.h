// The waveform view: a window of its own beside the main window, titled
// "<file name> — Waveform", with the whole file in an overview strip and a
// zoomed span below it. It shows the marks it is given and passes on what
// the user asks for; the breakpoint list stays the main window's.
#pragma once

#include <QString>
#include <QWidget>

#include "ui/waveform/WaveformMarks.h"

class QCheckBox;
class QLabel;
class QStackedLayout;

namespace brelvik::ui {

class DetailView;
class OverviewStrip;
class SharedDecode;

class WaveformWindow final : public QWidget {
  Q_OBJECT

 public:
  explicit WaveformWindow(QWidget* parent = nullptr);

  // The file by the name the main window shows, its decode and its length.
  void ShowFile(const QString& name, SharedDecode* decode, double durationMs);
  void ShowNoFile();
  void SetMarks(const WaveformMarks& marks);
  // Puts the window to the right of `window` (or to its left, or below it,
  // where the screen has no room), its top level with it.
  void PlaceBeside(const QWidget& window);

  DetailView& Detail() { return *detail_; }
  OverviewStrip& Overview() { return *overview_; }

 signals:
  // Passed on from the detail view: what the user asked of the list.
  void ClickedAt(double ms);
  void MarkerSelected(int index);
  void MarkerDragged(int index, double ms);
  void AddRequested(double ms);
  void DeleteRequested(int index);
  void NudgeRequested(int index, int direction, NudgeStep step);
  void Closed();

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void ShowDecodeState();
  void ChooseLanes();

  SharedDecode* decode_ = nullptr;
  QStackedLayout* pages_ = nullptr;
  QWidget* noFile_ = nullptr;
  QWidget* views_ = nullptr;
  OverviewStrip* overview_ = nullptr;
  DetailView* detail_ = nullptr;
  QLabel* status_ = nullptr;
  QCheckBox* lanes_ = nullptr;
};

}  // namespace brelvik::ui
