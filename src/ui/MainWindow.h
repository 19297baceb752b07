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

class QCheckBox;
class QDragEnterEvent;
class QDropEvent;
class QFrame;
class QKeySequence;
class QLabel;
class QLineEdit;
class QListWidget;
class QMenu;
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

class FileDialogs;
class SilenceScan;

// What the window is doing; the usable panels, the running timers and the
// transport buttons' images follow from it.
enum class WindowState { NoFile, Stopped, Playing, Paused, Previewing, Splitting, Scanning };

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

  // The program was asked to end (SIGINT, SIGTERM, SIGHUP): closes the
  // window, after the piece being written when a split runs.
  void EndOnSignal();

  // State the handlers share, readable for tests.
  WindowState State() const { return state_; }
  const StreamFigures& Figures() const { return figures_; }
  const std::string& SourcePath() const { return sourcePath_; }
  const std::string& SplitTemplate() const { return splitTemplate_; }
  BreakpointList& Breakpoints() { return breakpoints_; }
  // Shows the breakpoint list in the list box again after the list changed.
  void ShowBreakpoints();
  PlaybackDevice& MediaPlayer() { return *mediaPlayer_; }
  std::int32_t PreviewEnd() const { return previewEnd_; }
  std::int32_t PreviewReturn() const { return previewReturn_; }
  // The times that entries from a cue sheet or a silence stand for, which
  // exact cuts use as they are.
  const std::map<std::int32_t, double>& MarkedTimes() const { return markedTimes_; }

 protected:
  void closeEvent(QCloseEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void CreateControls();
  void CreateInputPanel();
  void CreateMediaPanel();
  void CreateBreakPanel();
  void CreateAddManPanel();
  void CreateInfoPanel();
  // The mark beside "Exact cuts" that says, in its tool tip, why exact
  // pieces of the open file cannot join sample for sample; hidden where they can.
  void ShowExactWarning(const std::string& warning);
  void CreateOutputPanel();
  void CreateTimers();
  void CreateMenu();
  void CreateShortcuts();
  void AddShortcut(const QKeySequence& keys, QToolButton* button, bool keyOfTheEntryField);
  void SetImage(QToolButton* button, int image);
  void StartPreview(std::int32_t start, std::int32_t end);
  void EndPreview();
  void ShowAddOutcome(const AddOutcome& outcome);

  QToolButton* ToolButton(QWidget* bar, const char* name, const QPixmap& image, const QString& hint,
                          int left, int top, int width, int height);
  QLabel* Label(QWidget* panel, const char* name, const QString& text, const QFont& font, int left,
                int top);

  bool OpenSource(const QString& path);
  bool OpenMp3(const QString& path);
  std::optional<StreamFigures> AnalyseMp3(const QString& path);
  bool TakeMp3(const QString& path, const StreamFigures& figures);
  void ShowOutputTemplate(const std::string& splitTemplate);
  static void ShowName(QLabel* label, const QString& name);
  void ShowPosition(std::int32_t milliseconds);
  void Enter(WindowState state);
  static bool TakeAsCopy(QDropEvent* event);
  static void SetTimer(QTimer* timer, bool on);
  std::string SplitLocked();
  std::string SplitExactPieces(InputFile& source, const SplitProgress& progress);
  WritePolicy AlsoRead() const;
  bool OpenCueSheet(const QString& path);
  void TakeSheet(const cue::CueSheet& sheet, const BreakpointList& list);
  std::int32_t EndOfFileFrame() const;
  bool FileAtHand() const;
  void ScanProgressed(int serial, double fraction);
  void SilencesFound(int serial, const std::vector<silence::Silence>& silences);
  void ScanFailed(int serial, const QString& error);

  std::unique_ptr<TMPEGaudio> analyser_;
  std::unique_ptr<PlaybackDevice> mediaPlayer_;
  std::unique_ptr<FileDialogs> dialogs_;
  StreamFigures figures_;
  std::string sourcePath_;
  std::string splitTemplate_;
  BreakpointList breakpoints_;
  std::vector<QPixmap> mediaImages_;
  std::vector<QPixmap> addImages_;
  WindowState state_ = WindowState::NoFile;
  bool interruptSplit_ = false;
  std::int32_t previewEnd_ = 0;
  std::int32_t previewReturn_ = 0;
  std::optional<cue::CueSheet> sheet_;  // the sheet the list was filled from
  std::string sheetPath_;               // and where it was read, which no piece may replace
  std::map<std::int32_t, double> markedTimes_;
  std::unique_ptr<SilenceScan> scan_;
  int scanSerial_ = 0;

  QFrame* Input_Pan = nullptr;
  QFrame* Media_Pan = nullptr;
  QFrame* Break_Pan = nullptr;
  QFrame* AddMan_Pan = nullptr;
  QFrame* Info_Pan = nullptr;
  QCheckBox* ExactCuts_CB = nullptr;
  QLabel* ExactWarning_Lb = nullptr;
  QFrame* Output_Pan = nullptr;

  QLabel* FileName_lb = nullptr;
  QLabel* Open_Lb = nullptr;
  QToolButton* Open_TB = nullptr;

  QLabel* Time_lb = nullptr;
  QLabel* Frame_LB = nullptr;
  QSlider* TrackBar = nullptr;
  QWidget* Media_ToolBar = nullptr;
  QToolButton* Play_TB = nullptr;
  QToolButton* Pause_TB = nullptr;
  QToolButton* Stop_TB = nullptr;
  QToolButton* Start_TB = nullptr;
  QToolButton* Rew_TB = nullptr;
  QToolButton* FF_TB = nullptr;
  QToolButton* End_TB = nullptr;
  QToolButton* AddCurrentFrame_TB = nullptr;

  QListWidget* BreakpointsList = nullptr;
  QMenu* BreakPoint_PopupMenu = nullptr;
  QToolButton* AddManFrame_TB = nullptr;
  QLineEdit* AddMan_Ed = nullptr;

  QLabel* Output_Lb = nullptr;
  QProgressBar* ProgressBar = nullptr;
  QToolButton* Split_Tb = nullptr;
  QToolButton* Output_TB = nullptr;

  QTimer* Timer1 = nullptr;
  QTimer* Open_Timer = nullptr;
  QTimer* Play3s_Timer = nullptr;
};

}  // namespace brelvik::ui
