#include "ui/MainWindow.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMimeData>
#include <QScreen>
#include <QShortcut>
#include <QTimer>
#include <QToolButton>
#include <algorithm>
#include <cstdlib>
#include <limits>
#include <optional>

#include "analysis/MPEGaudio.h"
#include "cue/CueBreakpoints.h"
#include "exact/ExactSplit.h"
#include "playback/PlaybackDevice.h"
#include "split/OutputNaming.h"
#include "split/SplitEngine.h"
#include "ui/BreakpointsController.h"
#include "ui/BreakpointsPanel.h"
#include "ui/Controls.h"
#include "ui/ErrorReports.h"
#include "ui/FileDialogs.h"
#include "ui/ListHistory.h"
#include "ui/MediaPanel.h"
#include "ui/Panels.h"
#include "ui/Pictures.h"
#include "ui/PlaybackController.h"
#include "ui/SilenceScan.h"
#include "ui/WaveformController.h"

namespace brelvik::ui {
namespace {

constexpr int kClientWidth = 309;
constexpr int kClientHeight = 299;
// The progress bar's steps while silences are searched for.
constexpr int kScanSteps = 1000;

std::int32_t Saturated(std::int64_t value) {
  return static_cast<std::int32_t>(std::clamp<std::int64_t>(
      value, std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max()));
}

// The frame at the end of the file, as --to-end takes it on the command line.
std::int32_t EndFrameOfFile(const std::string& path, const StreamFigures& figures) {
  return Saturated(EndFrame(QFileInfo(FromPath(path)).size(), figures.FrameBytes));
}

// Runs a clean-up step when a handler ends, also when it ends through an error.
template <typename Step>
class OnExit {
 public:
  explicit OnExit(Step step) : step_(std::move(step)) {}
  ~OnExit() { step_(); }
  OnExit(const OnExit&) = delete;
  OnExit& operator=(const OnExit&) = delete;

 private:
  Step step_;
};

}  // namespace

TMain::TMain(std::unique_ptr<PlaybackDevice> device, std::unique_ptr<FileDialogs> dialogs,
             QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::WindowTitleHint | Qt::WindowMinimizeButtonHint |
                          Qt::WindowCloseButtonHint | Qt::CustomizeWindowHint),
      dialogs_(std::move(dialogs)),
      mediaImages_(MediaImageList()),
      addImages_(AddImageList()) {
  setObjectName("Main");
  setWindowTitle("Brelvik MP3 Splitter");
  setWindowIcon(WindowIcon());
  setFont(QFont("MS Sans Serif", 8));
  setAcceptDrops(true);
  breakpoints_ = new BreakpointsController(this);
  state_ = new WindowStateHolder(this);
  connect(state_, &WindowStateHolder::stateChanged, this, &TMain::ShowState);
  CreateControls(std::move(device));
  Enter(WindowState::NoFile);
  CreateShortcuts();
  history_ = new ListHistory(*breakpoints_, this);
  history_->AddKeysTo(*this, [this] { return state_->FileAtHand(); });
  waveform_ = new WaveformController(*this, *breakpoints_, *playback_, *history_,
                                     [this] { return Info_Pan->ExactCuts(); });
  FormCreate();
}

TMain::~TMain() {
  StopScan_KeyPress();
  split_.reset();
}

void TMain::FormCreate() {
  analyser_ = std::make_unique<TMPEGaudio>();
  setFixedSize(kClientWidth, kClientHeight);
  Output_Pan->Settle();
  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    move(screen->availableGeometry().center() - rect().center());
  }
}

void TMain::FormClose() {
  analyser_.reset();
}

void TMain::closeEvent(QCloseEvent* event) {
  // Closing gives up a split or a search that runs.
  Escape_KeyPress();
  FormClose();
  event->accept();
}

void TMain::EndOnSignal() {
  if (State() == WindowState::Splitting) {
    // The split stops after the piece it is writing, then the window closes.
    closeAfterSplit_ = true;
    split_->StopAfterPiece();
    return;
  }
  close();
}

void TMain::CreateControls(std::unique_ptr<PlaybackDevice> device) {
  Input_Pan = new SourcePanel(this, mediaImages_[kImageOpen]);
  connect(Input_Pan, &SourcePanel::OpenClicked, this, &TMain::Open_TBClick);
  CreateMediaPanel(std::move(device));
  Break_Pan = new BreakpointsPanel(this, *breakpoints_);
  ConnectBreakPanel();
  AddMan_Pan = new EntryPanel(this, addImages_[kImageAddArrow]);
  connect(AddMan_Pan, &EntryPanel::AddClicked, this, &TMain::AddManFrame_TBClick);
  Info_Pan = new InfoPanel(this);
  Output_Pan = new OutputPanel(this, mediaImages_[kImageSave], mediaImages_[kImageOpen]);
  connect(Output_Pan, &OutputPanel::SplitClicked, this, &TMain::Split_TbClick);
  connect(Output_Pan, &OutputPanel::OutputClicked, this, &TMain::Output_TBClick);
}

void TMain::CreateMediaPanel(std::unique_ptr<PlaybackDevice> device) {
  Media_Pan = new MediaPanel(this, mediaImages_, addImages_[kImageScissors]);
  playback_ = new PlaybackController(this, std::move(device), *Media_Pan, *state_, figures_);
  connect(Media_Pan, &MediaPanel::TrackBarMoved, this,
          [this] { Guarded(this, [this] { TrackBarChange(); }); });
  const auto click = [this](void (MediaPanel::*clicked)(), void (TMain::*handler)()) {
    connect(Media_Pan, clicked, this, handler);
  };
  click(&MediaPanel::PlayClicked, &TMain::Play_TBClick);
  click(&MediaPanel::PauseClicked, &TMain::Pause_TBClick);
  click(&MediaPanel::StopClicked, &TMain::Stop_TBClick);
  click(&MediaPanel::StartClicked, &TMain::Start_TBClick);
  click(&MediaPanel::RewClicked, &TMain::Rew_TBClick);
  click(&MediaPanel::FFClicked, &TMain::FF_TBClick);
  click(&MediaPanel::EndClicked, &TMain::End_TBClick);
  click(&MediaPanel::AddCurrentFrameClicked, &TMain::AddCurrentFrame_TBClick);
}

void TMain::ConnectBreakPanel() {
  const auto handle = [this](void (BreakpointsPanel::*chosen)(), void (TMain::*handler)()) {
    connect(Break_Pan, chosen, this,
            [this, handler] { Guarded(this, [this, handler] { (this->*handler)(); }); });
  };
  handle(&BreakpointsPanel::PlayBeforeChosen, &TMain::Play3Secsbefore1Click);
  handle(&BreakpointsPanel::PlayAfterChosen, &TMain::Play3safter1Click);
  handle(&BreakpointsPanel::DeleteChosen, &TMain::Deletethisbreakpoint1Click);
}

// Keys for people who keep their eyes on the music. A key works only while
// the button it stands for is usable, and the keys the entry field uses go to
// the field while it has the focus.
void TMain::CreateShortcuts() {
  QToolButton* Play_TB = Media_Pan->PlayButton();
  QToolButton* Pause_TB = Media_Pan->PauseButton();
  QToolButton* AddCurrentFrame_TB = Media_Pan->AddCurrentFrameButton();
  QToolButton* Rew_TB = Media_Pan->RewButton();
  QToolButton* FF_TB = Media_Pan->FFButton();
  QToolButton* Start_TB = Media_Pan->StartButton();
  QToolButton* End_TB = Media_Pan->EndButton();
  AddShortcut(Qt::Key_Space, Play_TB, true);
  AddShortcut(Qt::Key_B, AddCurrentFrame_TB, true);
  AddShortcut(Qt::Key_Insert, AddCurrentFrame_TB, false);
  AddShortcut(Qt::CTRL | Qt::Key_Left, Rew_TB, true);
  AddShortcut(Qt::CTRL | Qt::Key_Right, FF_TB, true);
  AddShortcut(Qt::CTRL | Qt::Key_Home, Start_TB, true);
  AddShortcut(Qt::CTRL | Qt::Key_End, End_TB, true);
  AddShortcut(Qt::CTRL | Qt::Key_O, Input_Pan->OpenButton(), false);
  AddShortcut(Qt::CTRL | Qt::Key_S, Output_Pan->SplitButton(), false);
  const auto hint = [](QToolButton* button, const char* keys) {
    button->setToolTip(button->toolTip() + " (" + keys + ")");
  };
  hint(Play_TB, "Space");
  hint(Pause_TB, "Space");
  hint(AddCurrentFrame_TB, "B");
  hint(Rew_TB, "Ctrl+Left");
  hint(FF_TB, "Ctrl+Right");
  hint(Start_TB, "Ctrl+Home");
  hint(End_TB, "Ctrl+End");
  hint(Input_Pan->OpenButton(), "Ctrl+O");
  hint(Output_Pan->SplitButton(), "Ctrl+S");

  const auto key = [this](const QKeySequence& keys, const char* name, void (TMain::*handler)()) {
    auto* shortcut = new QShortcut(keys, this);
    shortcut->setObjectName(name);
    connect(shortcut, &QShortcut::activated, this,
            [this, handler] { Guarded(this, [this, handler] { (this->*handler)(); }); });
  };
  key(Qt::CTRL | Qt::Key_E, "SaveCueSheet_Shortcut", &TMain::SaveCueSheet_KeyPress);
  key(Qt::CTRL | Qt::Key_L, "FindSilences_Shortcut", &TMain::FindSilences_KeyPress);
  key(Qt::Key_Escape, "StopScan_Shortcut", &TMain::Escape_KeyPress);

  auto* remove = new QShortcut(QKeySequence::Delete, this);
  remove->setObjectName("Delete_Shortcut");
  connect(remove, &QShortcut::activated, this, [this] {
    if (Break_Pan->isEnabled() && !AddMan_Pan->HasFocus() && breakpoints_->List().Selected() >= 0) {
      Deletethisbreakpoint1Click();
    }
  });
}

void TMain::AddShortcut(const QKeySequence& keys, QToolButton* button, bool keyOfTheEntryField) {
  auto* shortcut = new QShortcut(keys, this);
  shortcut->setObjectName(button->objectName() + "_" + keys.toString() + "_Shortcut");
  connect(shortcut, &QShortcut::activated, this, [this, button, keyOfTheEntryField] {
    if (!button->isEnabled() || (keyOfTheEntryField && AddMan_Pan->HasFocus())) {
      return;
    }
    // Space plays when idle, and pauses or resumes while playing or paused.
    if (button == Media_Pan->PlayButton() && playback_->PlayingOrPaused()) {
      Media_Pan->PauseButton()->click();
      return;
    }
    button->click();
  });
}

void TMain::Enter(WindowState state) {
  state_->Enter(state);
}

// What each state shows and runs here: the usable panels, the arrow to the
// open button and the busy cursor. The transport panel and the playback
// timers follow the state themselves.
void TMain::ShowState() {
  // The busy cursor stays for the whole split or search.
  if (!state_->Busy()) {
    busyCursor_.reset();
  } else if (!busyCursor_) {
    busyCursor_.emplace();
  }
  Input_Pan->Follow(*state_);
  Media_Pan->Follow(*state_);
  Break_Pan->setEnabled(state_->FileAtHand());
  AddMan_Pan->Follow(*state_);
  Info_Pan->Follow(*state_);
  Output_Pan->Follow(*state_);
}

void TMain::ShowBreakpoints() {
  breakpoints_->Refresh();
}

BreakpointList& TMain::Breakpoints() {
  return breakpoints_->EditableList();
}

const std::map<std::int32_t, double>& TMain::MarkedTimes() const {
  return breakpoints_->MarkedTimes();
}

void TMain::ShowOutputTemplate(const std::string& splitTemplate) {
  splitTemplate_ = splitTemplate;
  Output_Pan->ShowTemplate(splitTemplate_);
}

void TMain::Open_TimerTimer() {
  Input_Pan->MoveArrow();
}

void TMain::Open_TBClick() {
  Guarded(this, [this] {
    const auto path = dialogs_->ChooseSourceFile(this, FromPath(FolderOf(sourcePath_)));
    if (path) {
      OpenSource(*path);
    }
  });
}

void TMain::OpenFile(const QString& path) {
  Guarded(this, [this, &path] { OpenSource(path); });
}

bool TMain::OpenSource(const QString& path) {
  if (path.endsWith(".cue", Qt::CaseInsensitive)) {
    return OpenCueSheet(path);
  }
  return OpenMp3(path);
}

bool TMain::OpenMp3(const QString& path) {
  const auto figures = AnalyseMp3(path);
  return figures && TakeMp3(path, *figures);
}

// The figures of a file of valid audio; nothing for one the analyser cannot
// read, and for one without valid audio after saying so.
std::optional<StreamFigures> TMain::AnalyseMp3(const QString& path) {
  if (!analyser_ || !analyser_->Analyse(ToPath(path))) {
    return std::nullopt;
  }
  if (!analyser_->IsValid()) {
    ShowErrorBox(this, "Can not read data from the file: " + path);
    return std::nullopt;
  }
  return SetDataMpeg(*analyser_);
}

// Makes the analysed file the open one.
bool TMain::TakeMp3(const QString& path, const StreamFigures& figures) {
  const std::string sourcePath = ToPath(path);
  BusyCursor busy;
  // A refused device open leaves the window as it was, with nothing playing:
  // the device holds no file any more. Until a file has been opened, the
  // arrow keeps pointing at the open button.
  const WindowState before = sourcePath_.empty() ? WindowState::NoFile : WindowState::Stopped;
  OnExit settle([this, before] {
    if (State() != WindowState::Stopped) {
      Enter(before);
    }
  });
  playback_->EndPreview();
  Input_Pan->HideArrow();
  repaint();

  playback_->Load(sourcePath);

  Input_Pan->ShowSource(FromPath(FileNamePart(sourcePath)), path);
  sourcePath_ = sourcePath;

  ShowOutputTemplate(MakeTemplate(sourcePath));
  Media_Pan->ShowPosition("00:00:00", "0");
  figures_ = figures;
  breakpoints_->Reset(figures_);
  Info_Pan->ShowExactWarning(exact::JoinWarning(analyser_->FirstFrame()));
  Enter(WindowState::Stopped);
  return true;
}

void TMain::Output_TBClick() {
  Guarded(this, [this] {
    const auto path =
        dialogs_->ChooseOutputName(this, FromPath(NameBehindTemplate(splitTemplate_)));
    if (path) {
      ShowOutputTemplate(MakeTemplate(ToPath(*path)));
    }
  });
}

void TMain::Split_TbClick() {
  Guarded(this, [this] {
    if (breakpoints_->List().Count() >= 2) {
      StartSplit();
    }
  });
}

// Locks the window and starts the pieces on a thread of their own; the
// window is usable again when the split reports its end.
void TMain::StartSplit() {
  playback_->Silence();
  SplitJob::Reports reports;
  reports.Progress = [this](int serial, int piece) { SplitProgressed(serial, piece); };
  reports.Ended = [this](int serial, SplitJob::Ending ending, const QString& text) {
    SplitEnded(serial, ending, text);
  };
  SplitOrder order =
      MakeSplitOrder(*breakpoints_, sourcePath_, splitTemplate_, figures_, Info_Pan->ExactCuts());
  closeAfterSplit_ = false;
  Output_Pan->SetProgressRange(breakpoints_->List().Count() - 1);
  Enter(WindowState::Splitting);
  split_ = std::make_unique<SplitJob>(this, ++splitSerial_, std::move(order), std::move(reports));
}

void TMain::SplitProgressed(int serial, int piece) {
  if (serial == splitSerial_ && State() == WindowState::Splitting) {
    Output_Pan->ShowProgress(piece);
  }
}

void TMain::SplitEnded(int serial, SplitJob::Ending ending, const QString& text) {
  if (serial != splitSerial_ || State() != WindowState::Splitting) {
    return;
  }
  split_.reset();
  Enter(WindowState::Stopped);
  if (ending == SplitJob::Ending::Failed) {
    ShowGeneralErrorReport(this, text);
  } else if (!text.isEmpty()) {
    ShowErrorBox(this, text);
  }
  // Asked to end: the pieces written so far stay, and the window closes.
  if (closeAfterSplit_) {
    QTimer::singleShot(0, this, [this] { close(); });
  }
}

void TMain::CancelSplit() {
  if (State() != WindowState::Splitting) {
    return;
  }
  split_.reset();
  Enter(WindowState::Stopped);
}

void TMain::Escape_KeyPress() {
  StopScan_KeyPress();
  CancelSplit();
}

void TMain::TrackBarChange() {
  playback_->TrackBarChange();
}

void TMain::SetTrackBarPosition(int position) {
  playback_->SetTrackBarPosition(position);
}

void TMain::Play_TBClick() {
  Guarded(this, [this] { playback_->Play(); });
}

void TMain::Pause_TBClick() {
  Guarded(this, [this] { playback_->Pause(); });
}

void TMain::Stop_TBClick() {
  Guarded(this, [this] { playback_->Stop(); });
}

void TMain::Start_TBClick() {
  Guarded(this, [this] { playback_->ToStart(); });
}

void TMain::Rew_TBClick() {
  Guarded(this, [this] { playback_->StepBack(); });
}

void TMain::FF_TBClick() {
  Guarded(this, [this] { playback_->StepForward(); });
}

void TMain::End_TBClick() {
  Guarded(this, [this] { playback_->ToEnd(); });
}

void TMain::Timer1Timer() {
  playback_->Follow();
}

void TMain::Play3s_TimerTimer() {
  playback_->PreviewTick();
}

PlaybackDevice& TMain::MediaPlayer() {
  return playback_->Device();
}

std::int32_t TMain::PreviewEnd() const {
  return playback_->PreviewEnd();
}

std::int32_t TMain::PreviewReturn() const {
  return playback_->PreviewReturn();
}

void TMain::ShowAddOutcome(const AddOutcome& outcome) {
  if (!outcome.Refusal.empty()) {
    ShowErrorBox(this,
                 QString::fromStdString(outcome.Refusal + FrameCountReason(figures_.FrameTotal)));
  }
}

void TMain::AddCurrentFrame_TBClick() {
  Guarded(this, [this] {
    ShowAddOutcome(breakpoints_->AddCurrentFrame(Media_Pan->FrameText().toStdString()));
  });
}

void TMain::AddManFrame_TBClick() {
  Guarded(this, [this] {
    ShowAddOutcome(
        breakpoints_->AddTypedFrame(AddMan_Pan->Typed().toStdString(), figures_.FrameTotal));
  });
}

bool TMain::AddMan_EdKeyPress(const QString& typed) {
  return EntryPanel::TakesTyped(typed);
}

void TMain::BreakpointsListMouseDown(const QPoint& globalPosition) {
  Break_Pan->PopUpMenu(globalPosition);
}

void TMain::Deletethisbreakpoint1Click() {
  breakpoints_->DeleteSelected();
}

void TMain::Play3Secsbefore1Click() {
  if (const BreakpointList& list = breakpoints_->List(); list.Selected() >= 0) {
    playback_->PreviewBefore(list.Value(list.Selected()));
  }
}

void TMain::Play3safter1Click() {
  if (const BreakpointList& list = breakpoints_->List(); list.Selected() >= 0) {
    playback_->PreviewAfter(list.Value(list.Selected()));
  }
}

namespace {

// An MP3 file, or a cue sheet that names one.
std::optional<QString> DroppedMp3(const QMimeData* data) {
  if (data == nullptr || data->urls().size() != 1 || !data->urls().front().isLocalFile()) {
    return std::nullopt;
  }
  const QString path = data->urls().front().toLocalFile();
  if (!path.endsWith(".mp3", Qt::CaseInsensitive) && !path.endsWith(".cue", Qt::CaseInsensitive)) {
    return std::nullopt;
  }
  return path;
}

}  // namespace

// A drop is taken as a copy (or a link) whatever the drag proposes, and one
// that offers neither is refused: a move would have the file manager delete
// the source once it has been opened.
bool TMain::TakeAsCopy(QDropEvent* event) {
  for (const Qt::DropAction action : {Qt::CopyAction, Qt::LinkAction}) {
    if (event->possibleActions() & action) {
      event->setDropAction(action);
      event->accept();
      return true;
    }
  }
  event->ignore();
  return false;
}

void TMain::dragEnterEvent(QDragEnterEvent* event) {
  if (Input_Pan->isEnabled() && DroppedMp3(event->mimeData())) {
    TakeAsCopy(event);
  }
}

void TMain::dropEvent(QDropEvent* event) {
  const auto path = DroppedMp3(event->mimeData());
  if (path && Input_Pan->isEnabled() && TakeAsCopy(event)) {
    OpenFile(*path);
  }
}

// A cue sheet opens the MP3 it names and fills the list with its tracks.
bool TMain::OpenCueSheet(const QString& path) {
  const std::string sheetPath = ToPath(path);
  const cue::CueOutcome outcome = cue::ReadCueSheet(sheetPath);
  if (!outcome.Sheet) {
    ShowErrorBox(this, QString::fromStdString(outcome.Refusal));
    return false;
  }
  const std::string audioPath = cue::AudioPathOf(sheetPath, *outcome.Sheet);
  if (const QFileInfo audio(FromPath(audioPath)); !audio.isFile()) {
    ShowErrorBox(this,
                 "The cue sheet " + path + " is for " + FromPath(audioPath) +
                     (audio.exists() ? ", which is not a regular file" : ", which is not there"));
    return false;
  }
  if (FromPath(audioPath).endsWith(".cue", Qt::CaseInsensitive)) {
    ShowErrorBox(this, "The cue sheet " + path + " names another cue sheet, " +
                           FromPath(audioPath) + ", for its audio");
    return false;
  }
  // The whole sheet is checked against the MP3's figures before the MP3
  // replaces the open file: a sheet refused leaves the window as it was.
  const auto figures = AnalyseMp3(FromPath(audioPath));
  if (!figures) {
    return false;
  }
  BreakpointList list;
  if (const auto refusal =
          cue::FillList(*outcome.Sheet, *figures, EndFrameOfFile(audioPath, *figures), list)) {
    ShowErrorBox(this, QString::fromStdString(*refusal));
    return false;
  }
  if (!TakeMp3(FromPath(audioPath), *figures)) {
    return false;
  }
  breakpoints_->TakeSheet(*outcome.Sheet, sheetPath, list, EndOfFileFrame());
  return true;
}

// The open file's end frame.
std::int32_t TMain::EndOfFileFrame() const {
  return EndFrameOfFile(sourcePath_, figures_);
}

void TMain::SaveCueSheet_KeyPress() {
  const BreakpointList& list = breakpoints_->List();
  if (!state_->FileAtHand() || list.Count() < 2) {
    return;
  }
  if (list.Count() - 1 > cue::kMostTracks) {
    ShowErrorBox(this, QString::fromStdString(cue::TooManyTracks(list.Count() - 1)));
    return;
  }
  const auto chosen = dialogs_->ChooseCueSheetName(this, FromPath(cue::SheetPathFor(sourcePath_)));
  if (!chosen) {
    return;
  }
  try {
    cue::WriteCueSheet(ToPath(*chosen), cue::SheetOfList(list, figures_, sourcePath_,
                                                         EndOfFileFrame(), breakpoints_->Sheet()));
  } catch (const ERefusedSplit& refusal) {
    ShowErrorBox(this, QString::fromUtf8(refusal.what()));
  }
}

void TMain::FindSilences_KeyPress() {
  if (!state_->FileAtHand()) {
    return;
  }
  // The waveform's decode has found them already.
  if (const auto decoded = waveform_->DecodedSilences()) {
    TakeSilences(*decoded);
    return;
  }
  playback_->Silence();
  Output_Pan->SetProgressRange(kScanSteps);
  Output_Pan->ShowProgress(0);
  SilenceScan::Reports reports;
  reports.Progress = [this](int serial, double fraction) { ScanProgressed(serial, fraction); };
  reports.Found = [this](int serial, const std::vector<silence::Silence>& silences) {
    Guarded(this, [&] { SilencesFound(serial, silences); });
  };
  reports.Failed = [this](int serial, const QString& error) { ScanFailed(serial, error); };
  scan_ = std::make_unique<SilenceScan>(this, ++scanSerial_, sourcePath_,
                                        silence::SilenceSettings{}, std::move(reports));
  // Its reports come through the event loop, after this.
  Enter(WindowState::Scanning);
}

void TMain::StopScan_KeyPress() {
  if (State() != WindowState::Scanning) {
    return;
  }
  scan_.reset();
  Enter(WindowState::Stopped);
}

void TMain::ScanProgressed(int serial, double fraction) {
  if (serial == scanSerial_ && State() == WindowState::Scanning) {
    Output_Pan->ShowProgress(static_cast<int>(fraction * kScanSteps));
  }
}

void TMain::SilencesFound(int serial, const std::vector<silence::Silence>& silences) {
  if (serial != scanSerial_ || State() != WindowState::Scanning) {
    return;
  }
  scan_.reset();
  Enter(WindowState::Stopped);
  TakeSilences(silences);
}

void TMain::TakeSilences(const std::vector<silence::Silence>& silences) {
  breakpoints_->AddSilences(silences);
  waveform_->ShowSilences(silences);
  if (silences.empty()) {
    ShowInformationBox(this, "No silences found");
  }
}

void TMain::ScanFailed(int serial, const QString& error) {
  if (serial != scanSerial_ || State() != WindowState::Scanning) {
    return;
  }
  scan_.reset();
  Enter(WindowState::Stopped);
  ShowErrorBox(this, error.isEmpty() ? "Cannot decode " + FromPath(sourcePath_) : error);
}

}  // namespace brelvik::ui
