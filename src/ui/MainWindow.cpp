#include "ui/MainWindow.h"

#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QGuiApplication>
#include <QScreen>

#include "analysis/MPEGaudio.h"
#include "exact/ExactSplit.h"
#include "playback/PlaybackDevice.h"
#include "session/SessionCue.h"
#include "split/OutputNaming.h"
#include "ui/BreakpointsController.h"
#include "ui/BreakpointsPanel.h"
#include "ui/Controls.h"
#include "ui/Drops.h"
#include "ui/ErrorReports.h"
#include "ui/FileDialogs.h"
#include "ui/JobsController.h"
#include "ui/ListHistory.h"
#include "ui/MediaPanel.h"
#include "ui/Panels.h"
#include "ui/Pictures.h"
#include "ui/PlaybackController.h"
#include "ui/WaveformController.h"
#include "ui/WindowKeys.h"

namespace brelvik::ui {
namespace {

constexpr int kClientWidth = 309;
constexpr int kClientHeight = 299;

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
  jobs_ = new JobsController(this, *state_, *playback_, *Output_Pan, *breakpoints_);
  Enter(WindowState::NoFile);
  CreateShortcuts();
  history_ = new ListHistory(*breakpoints_, this);
  history_->AddKeysTo(*this, [this] { return state_->FileAtHand(); });
  waveform_ = new WaveformController(*this, *breakpoints_, *playback_, *history_,
                                     [this] { return Info_Pan->ExactCuts(); });
  connect(jobs_, &JobsController::SilencesFound, waveform_, &WaveformController::ShowSilences);
  FormCreate();
}

TMain::~TMain() {
  StopScan_KeyPress();
  delete jobs_;
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
  // A split stops after the piece it is writing, then the window closes.
  if (!jobs_->CloseAfterPiece()) {
    close();
  }
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

void TMain::ConnectBreakPanel() {
  const auto handle = [this](void (BreakpointsPanel::*chosen)(), void (TMain::*handler)()) {
    connect(Break_Pan, chosen, this,
            [this, handler] { Guarded(this, [this, handler] { (this->*handler)(); }); });
  };
  handle(&BreakpointsPanel::PlayBeforeChosen, &TMain::Play3Secsbefore1Click);
  handle(&BreakpointsPanel::PlayAfterChosen, &TMain::Play3safter1Click);
  handle(&BreakpointsPanel::DeleteChosen, &TMain::Deletethisbreakpoint1Click);
}

void TMain::CreateShortcuts() {
  CreateButtonKeys(this, *Media_Pan, *Input_Pan, *Output_Pan, *AddMan_Pan, *playback_);
  const auto key = [this](const QKeySequence& keys, const char* name, void (TMain::*handler)()) {
    CreateHandlerKey(this, keys, name, [this, handler] { (this->*handler)(); });
  };
  key(Qt::CTRL | Qt::Key_E, "SaveCueSheet_Shortcut", &TMain::SaveCueSheet_KeyPress);
  key(Qt::CTRL | Qt::Key_L, "FindSilences_Shortcut", &TMain::FindSilences_KeyPress);
  key(Qt::Key_Escape, "StopScan_Shortcut", &TMain::Escape_KeyPress);
  CreateHandlerKey(this, QKeySequence::Delete, "Delete_Shortcut", [this] {
    if (Break_Pan->isEnabled() && !AddMan_Pan->HasFocus() && breakpoints_->List().Selected() >= 0) {
      Deletethisbreakpoint1Click();
    }
  });
}

void TMain::Enter(WindowState state) {
  state_->Enter(state);
}

// What each state shows here: the usable panels and the arrow to the open
// button. The transport panel, the playback timers and the busy cursor
// follow the state themselves.
void TMain::ShowState() {
  Input_Pan->Follow(*state_);
  Media_Pan->Follow(*state_);
  Break_Pan->setEnabled(state_->FileAtHand());
  AddMan_Pan->Follow(*state_);
  Info_Pan->Follow(*state_);
  Output_Pan->Follow(*state_);
}

WindowState TMain::State() const {
  return state_->Get();
}

const StreamFigures& TMain::Figures() const {
  return breakpoints_->Current().Figures();
}

const std::string& TMain::SourcePath() const {
  return breakpoints_->Current().Source().Path;
}

const std::string& TMain::SplitTemplate() const {
  return breakpoints_->Current().Template();
}

void TMain::ShowBreakpoints() {
  breakpoints_->Refresh();
}

BreakpointList& TMain::Breakpoints() {
  return breakpoints_->EditableList();
}

bool TMain::ExactCuts() const {
  return Info_Pan->ExactCuts();
}

void TMain::Open_TimerTimer() {
  Input_Pan->MoveArrow();
}

void TMain::Open_TBClick() {
  Guarded(this, [this] {
    const auto path = dialogs_->ChooseSourceFile(this, FromPath(FolderOf(SourcePath())));
    if (path) {
      OpenSource(*path);
    }
  });
}

void TMain::OpenFile(const QString& path) {
  Guarded(this, [this, &path] { OpenSource(path); });
}

// An MP3 file, or a cue sheet that opens the MP3 it names and fills the list
// with its tracks. The whole sheet is checked against the MP3's figures
// before the MP3 replaces the open file: a sheet refused leaves the window as
// it was.
void TMain::OpenSource(const QString& path) {
  const auto open = [this](const std::string& mp3) { return AnalysedSession(mp3); };
  auto session = path.endsWith(".cue", Qt::CaseInsensitive)
                     ? brelvik::OpenCueSheet(ToPath(path), open)
                     : AnalysedSession(ToPath(path));
  if (!session) {
    ShowRefusal(session.Refused());
    return;
  }
  TakeSession(std::move(*session));
}

// The window's analyser reads the file. One it cannot read at all is passed
// over in silence: the refusal comes without a text.
OrRefusal<brelvik::Session> TMain::AnalysedSession(const std::string& path) {
  if (!analyser_ || !analyser_->Analyse(path)) {
    return Refusal{RefusalKind::Unreadable, {}};
  }
  return SessionOf(path, *analyser_);
}

void TMain::ShowRefusal(const Refusal& refusal) {
  if (!refusal.Text.empty()) {
    ShowErrorBox(this, QString::fromStdString(refusal.Text));
  }
}

// Makes the analysed file the open one.
void TMain::TakeSession(brelvik::Session session) {
  const std::string sourcePath = session.Source().Path;
  BusyCursor busy;
  // A refused device open leaves the window as it was, with nothing playing:
  // the device holds no file any more. Until a file has been opened, the
  // arrow keeps pointing at the open button.
  const WindowState before = SourcePath().empty() ? WindowState::NoFile : WindowState::Stopped;
  OnExit settle([this, before] {
    if (State() != WindowState::Stopped) {
      Enter(before);
    }
  });
  playback_->EndPreview();
  Input_Pan->HideArrow();
  repaint();

  playback_->Load(sourcePath);

  Input_Pan->ShowSource(FromPath(FileNamePart(sourcePath)), FromPath(sourcePath));
  breakpoints_->Reset(std::move(session));
  Output_Pan->ShowTemplate(SplitTemplate());
  Media_Pan->ShowPosition("00:00:00", "0");
  Info_Pan->ShowExactWarning(exact::JoinWarning(analyser_->FirstFrame()));
  Enter(WindowState::Stopped);
}

void TMain::Output_TBClick() {
  Guarded(this, [this] {
    const auto path =
        dialogs_->ChooseOutputName(this, FromPath(NameBehindTemplate(SplitTemplate())));
    if (path) {
      breakpoints_->SetTemplate(MakeTemplate(ToPath(*path)));
      Output_Pan->ShowTemplate(SplitTemplate());
    }
  });
}

void TMain::Split_TbClick() {
  Guarded(this, [this] { jobs_->StartSplit(Info_Pan->ExactCuts()); });
}

void TMain::Escape_KeyPress() {
  StopScan_KeyPress();
  jobs_->CancelSplit();
}

void TMain::ShowAddOutcome(const AddOutcome& outcome) {
  if (!outcome.Refusal.empty()) {
    ShowErrorBox(this, QString::fromStdString(outcome.Refusal));
  }
}

void TMain::AddCurrentFrame_TBClick() {
  Guarded(this, [this] {
    ShowAddOutcome(breakpoints_->AddCurrentFrame(Media_Pan->FrameText().toStdString()));
  });
}

void TMain::AddManFrame_TBClick() {
  Guarded(this, [this] {
    ShowAddOutcome(breakpoints_->AddTypedFrame(AddMan_Pan->Typed().toStdString()));
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

// Ctrl+E asks nothing with too few entries for a track; the session says
// why a list cannot be written otherwise, and why a name may not be.
void TMain::SaveCueSheet_KeyPress() {
  const brelvik::Session& session = breakpoints_->Current();
  if (!state_->FileAtHand()) {
    return;
  }
  if (const auto refusal = CueSheetRefusal(session)) {
    if (refusal->Kind != RefusalKind::NothingToDo) {
      ShowRefusal(*refusal);
    }
    return;
  }
  const auto chosen =
      dialogs_->ChooseCueSheetName(this, FromPath(cue::SheetPathFor(session.Source().Path)));
  if (!chosen) {
    return;
  }
  if (const auto refusal = WriteCueSheet(session, ToPath(*chosen), session.EndFrameHeld())) {
    ShowRefusal(*refusal);
  }
}

void TMain::FindSilences_KeyPress() {
  // The waveform's decode has found them already.
  if (state_->FileAtHand()) {
    if (const auto decoded = waveform_->DecodedSilences()) {
      jobs_->TakeSilences(*decoded);
      return;
    }
  }
  jobs_->StartScan();
}

void TMain::StopScan_KeyPress() {
  jobs_->StopScan();
}

}  // namespace brelvik::ui
