// The program's one window: it builds the panels and the parts behind them
// and wires them together. The session (the open file, its figures, the
// template and the breakpoint list) lives in the breakpoint controller, the
// device and its timers in the playback controller, the split and the
// silence scan in the jobs controller; the window keeps the stream analyser
// and one handler per control event.
#pragma once

#include <QPixmap>
#include <QWidget>
#include <memory>
#include <string>
#include <vector>

#include "session/Session.h"
#include "split/BreakpointList.h"
#include "split/StreamFigures.h"
#include "ui/PlaybackController.h"
#include "ui/WindowState.h"

class QDragEnterEvent;
class QDropEvent;

namespace brelvik {
class PlaybackDevice;
class TMPEGaudio;
}  // namespace brelvik

namespace brelvik::ui {

class BreakpointsController;
class BreakpointsPanel;
class EntryPanel;
class FileDialogs;
class InfoPanel;
class JobsController;
class MediaPanel;
class OutputPanel;
class SourcePanel;
class ListHistory;
class WaveformController;

class TMain final : public QWidget {
  Q_OBJECT

 public:
  TMain(std::unique_ptr<PlaybackDevice> device, std::unique_ptr<FileDialogs> dialogs,
        QWidget* parent = nullptr);
  ~TMain() override;

  // Event handlers.
  void FormCreate();
  void FormClose();
  void Open_TBClick();
  void Open_TimerTimer();
  void Output_TBClick();
  void Split_TbClick();
  void TrackBarChange();

  // The transport buttons, each a step of the playback controller.
  void Play_TBClick() { Press(&PlaybackController::Play); }
  void Pause_TBClick() { Press(&PlaybackController::Pause); }
  void Stop_TBClick() { Press(&PlaybackController::Stop); }
  void Start_TBClick() { Press(&PlaybackController::ToStart); }
  void Rew_TBClick() { Press(&PlaybackController::StepBack); }
  void FF_TBClick() { Press(&PlaybackController::StepForward); }
  void End_TBClick() { Press(&PlaybackController::ToEnd); }
  void Timer1Timer();

  void AddCurrentFrame_TBClick();
  void AddManFrame_TBClick();
  // Whether a typed character reaches the entry field: digits and backspace only.
  static bool AddMan_EdKeyPress(const QString& typed);
  void BreakpointsListMouseDown(const QPoint& globalPosition);
  void Deletethisbreakpoint1Click();
  void Play3Secsbefore1Click();
  void Play3safter1Click();
  void Play3s_TimerTimer();

  // Sets the track bar from code: clamped to 0..Max, and the change event
  // runs only when the clamped value differs from the current one.
  void SetTrackBarPosition(int position);
  // Opens a file as the open button does once the dialog has answered.
  void OpenFile(const QString& path);
  // Ctrl+E: saves the list as a cue sheet for the opened file.
  void SaveCueSheet_KeyPress();
  // Ctrl+L: finds the silences off the window's thread and adds a breakpoint
  // in the middle of each; Esc stops the search.
  void FindSilences_KeyPress();
  void StopScan_KeyPress();
  // Esc: stops the search for silences, or gives up a split at once (the
  // piece being written is not put in place).
  void Escape_KeyPress();

  // The program was asked to end (SIGINT, SIGTERM, SIGHUP): closes the
  // window, after the piece being written when a split runs.
  void EndOnSignal();

  // State the handlers share, readable for tests.
  WindowState State() const;
  const StreamFigures& Figures() const;
  const std::string& SourcePath() const;
  const std::string& SplitTemplate() const;
  BreakpointList& Breakpoints();
  // Shows the breakpoint list in the list box again after the list changed.
  void ShowBreakpoints();
  PlaybackDevice& MediaPlayer();
  std::int32_t PreviewEnd() const;
  std::int32_t PreviewReturn() const;

  // The parts behind the panels.
  BreakpointsController& ListController() { return *breakpoints_; }
  JobsController& Jobs() { return *jobs_; }
  InfoPanel& Info() { return *Info_Pan; }
  bool ExactCuts() const;

 protected:
  void closeEvent(QCloseEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  void CreateControls(std::unique_ptr<PlaybackDevice> device);
  void CreateMediaPanel(std::unique_ptr<PlaybackDevice> device);
  void Press(void (PlaybackController::*step)());
  void ConnectBreakPanel();
  void CreateShortcuts();
  void ShowAddOutcome(const AddOutcome& outcome);
  void ShowRefusal(const Refusal& refusal);

  void OpenSource(const QString& path);
  OrRefusal<brelvik::Session> AnalysedSession(const std::string& path);
  void TakeSession(brelvik::Session session);
  void Enter(WindowState state);
  void ShowState();

  std::unique_ptr<TMPEGaudio> analyser_;
  std::unique_ptr<FileDialogs> dialogs_;
  std::vector<QPixmap> mediaImages_;
  std::vector<QPixmap> addImages_;
  ListHistory* history_ = nullptr;
  WaveformController* waveform_ = nullptr;

  // The parts, each a child of the window; the panels follow state_.
  WindowStateHolder* state_ = nullptr;
  BreakpointsController* breakpoints_ = nullptr;
  SourcePanel* Input_Pan = nullptr;
  MediaPanel* Media_Pan = nullptr;
  PlaybackController* playback_ = nullptr;
  BreakpointsPanel* Break_Pan = nullptr;
  EntryPanel* AddMan_Pan = nullptr;
  InfoPanel* Info_Pan = nullptr;
  OutputPanel* Output_Pan = nullptr;
  JobsController* jobs_ = nullptr;
};

}  // namespace brelvik::ui
