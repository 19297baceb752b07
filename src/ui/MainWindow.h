// The program's one window: it owns the stream analyser, the playback device,
// the stream figures, the source path, the output template, the breakpoint
// list and three timers, and reacts through one handler per control event.
#pragma once

#include <QWidget>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "cue/CueSheet.h"
#include "silence/SilenceFinder.h"
#include "split/BreakpointList.h"
#include "split/SplitEngine.h"
#include "split/StreamFigures.h"
#include "ui/Controls.h"
#include "ui/SplitJob.h"
#include "ui/WindowState.h"

class QCheckBox;
class QDragEnterEvent;
class QDropEvent;
class QFrame;
class QKeySequence;
class QLabel;
class QLineEdit;
class QProgressBar;
class QSlider;
class QTimer;
class QToolButton;

namespace brelvik {
class InputFile;
class PlaybackDevice;
class TMPEGaudio;
}  // namespace brelvik

namespace brelvik::ui {

class BreakpointsController;
class BreakpointsPanel;
class EntryPanel;
class InfoPanel;
class MediaPanel;
class OutputPanel;
class SourcePanel;
class PlaybackController;
class FileDialogs;
class ListHistory;
class SilenceScan;
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

  void Play_TBClick();
  void Pause_TBClick();
  void Stop_TBClick();
  void Start_TBClick();
  void Rew_TBClick();
  void FF_TBClick();
  void End_TBClick();
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
  WindowState State() const { return state_->Get(); }
  const StreamFigures& Figures() const { return figures_; }
  const std::string& SourcePath() const { return sourcePath_; }
  const std::string& SplitTemplate() const { return splitTemplate_; }
  BreakpointList& Breakpoints();
  // Shows the breakpoint list in the list box again after the list changed.
  void ShowBreakpoints();
  PlaybackDevice& MediaPlayer();
  std::int32_t PreviewEnd() const;
  std::int32_t PreviewReturn() const;
  // The times that entries from a cue sheet or a silence stand for, which
  // exact cuts use as they are.
  const std::map<std::int32_t, double>& MarkedTimes() const;

 protected:
  void closeEvent(QCloseEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  void CreateControls(std::unique_ptr<PlaybackDevice> device);
  void CreateMediaPanel(std::unique_ptr<PlaybackDevice> device);
  void ConnectBreakPanel();
  void CreateShortcuts();
  void AddShortcut(const QKeySequence& keys, QToolButton* button, bool keyOfTheEntryField);
  void ShowAddOutcome(const AddOutcome& outcome);

  bool OpenSource(const QString& path);
  bool OpenMp3(const QString& path);
  std::optional<StreamFigures> AnalyseMp3(const QString& path);
  bool TakeMp3(const QString& path, const StreamFigures& figures);
  void ShowOutputTemplate(const std::string& splitTemplate);
  void Enter(WindowState state);
  void ShowState();
  static bool TakeAsCopy(QDropEvent* event);
  void StartSplit();
  void SplitProgressed(int serial, int piece);
  void SplitEnded(int serial, SplitJob::Ending ending, const QString& text);
  void CancelSplit();
  bool OpenCueSheet(const QString& path);
  std::int32_t EndOfFileFrame() const;
  void ScanProgressed(int serial, double fraction);
  void SilencesFound(int serial, const std::vector<silence::Silence>& silences);
  void ScanFailed(int serial, const QString& error);
  void TakeSilences(const std::vector<silence::Silence>& silences);

  std::unique_ptr<TMPEGaudio> analyser_;
  std::unique_ptr<FileDialogs> dialogs_;
  StreamFigures figures_;
  std::string sourcePath_;
  std::string splitTemplate_;
  BreakpointsController* breakpoints_ = nullptr;
  std::vector<QPixmap> mediaImages_;
  std::vector<QPixmap> addImages_;
  WindowStateHolder* state_ = nullptr;
  PlaybackController* playback_ = nullptr;
  std::optional<BusyCursor> busyCursor_;
  bool closeAfterSplit_ = false;
  std::unique_ptr<SplitJob> split_;
  int splitSerial_ = 0;
  std::unique_ptr<SilenceScan> scan_;
  int scanSerial_ = 0;
  ListHistory* history_ = nullptr;
  WaveformController* waveform_ = nullptr;

  SourcePanel* Input_Pan = nullptr;
  MediaPanel* Media_Pan = nullptr;
  BreakpointsPanel* Break_Pan = nullptr;
  EntryPanel* AddMan_Pan = nullptr;
  InfoPanel* Info_Pan = nullptr;
  OutputPanel* Output_Pan = nullptr;
};

}  // namespace brelvik::ui
