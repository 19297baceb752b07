// The waveform view beside the main window: W opens and closes it, it shows
// the file the window has open (decoded once, on a thread of its own, from
// the first time the view is opened for that file), the breakpoints with the
// selection, the playback position and the silences found, and it turns what
// the user does on it into the list's own operations: a drag is a move, a
// Shift+click an add, Left and Right a move by a frame or a second. Whatever
// the list refuses is said as the window says an add's refusal.
#pragma once

#include <QObject>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "silence/SilenceFinder.h"
#include "ui/waveform/WaveformMarks.h"

class QLineEdit;
class QListView;
class QTimer;

namespace brelvik::ui {

class BreakpointsController;
class ListHistory;
class PlaybackController;
class SharedDecode;
class TMain;
class WaveformWindow;

class WaveformController final : public QObject {
  Q_OBJECT

 public:
  // exactCuts: whether the window's "Exact cuts" box is ticked.
  WaveformController(TMain& window, BreakpointsController& breakpoints,
                     PlaybackController& playback, ListHistory& history,
                     std::function<bool()> exactCuts);
  ~WaveformController() override;

  // W: opens the view, or closes it.
  void Toggle();
  bool Shown() const;
  // Null until the view is first opened.
  WaveformWindow* View() const { return view_; }
  SharedDecode* Decode() const { return decode_.get(); }

  // The silences of the open file's decode once it has finished, which the
  // search for silences then need not look for again.
  std::optional<std::vector<silence::Silence>> DecodedSilences() const;
  // The silences a search found, shaded on the view until another file is opened.
  void ShowSilences(const std::vector<silence::Silence>& silences);
  WaveformMarks Marks() const;
  // What the view was last given.
  const WaveformMarks& ShownMarks() const { return shown_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void Open();
  void Close();
  void CreateView();
  void FileOpened();
  void ShowFile();
  void ShowMarks();
  void FollowPlayhead();
  bool FileOpen() const;
  bool ListUsable() const;
  bool PositionUsable() const;

  void ClickedAt(double ms);
  void MarkerSelected(int index);
  void MarkerDragged(int index, double ms);
  void AddRequested(double ms);
  void DeleteRequested(int index);
  void NudgeRequested(int index, int direction, NudgeStep step);
  void ShowRefusal(const std::string& refusal);

  TMain& window_;
  BreakpointsController& breakpoints_;
  PlaybackController& playback_;
  ListHistory& history_;
  std::function<bool()> exactCuts_;
  QListView* listBox_ = nullptr;
  QLineEdit* entryField_ = nullptr;
  WaveformWindow* view_ = nullptr;
  std::unique_ptr<SharedDecode> decode_;
  std::vector<silence::Silence> silences_;
  QTimer* follow_ = nullptr;
  WaveformMarks shown_;
};

}  // namespace brelvik::ui
