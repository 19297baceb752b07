#include "ui/MainWindow.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QFileInfo>
#include <QFrame>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMimeData>
#include <QProgressBar>
#include <QScreen>
#include <QShortcut>
#include <QSlider>
#include <QTextDocument>
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
#include "ui/MediaPanel.h"
#include "ui/Pictures.h"
#include "ui/PlaybackController.h"
#include "ui/SilenceScan.h"

namespace brelvik::ui {
namespace {

constexpr int kClientWidth = 309;
constexpr int kClientHeight = 299;
constexpr int kOpenArrowStart = 160;
constexpr int kOpenArrowRestart = 150;
constexpr int kOpenArrowTurn = 195;
constexpr int kOpenArrowStep = 5;
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
  CreateTimers();
  CreateShortcuts();
  FormCreate();
}

TMain::~TMain() {
  StopScan_KeyPress();
  split_.reset();
}

void TMain::FormCreate() {
  analyser_ = std::make_unique<TMPEGaudio>();
  setFixedSize(kClientWidth, kClientHeight);
  Output_Pan->setFixedHeight(22);
  ProgressBar->move(10, 7);
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
  CreateInputPanel();
  CreateMediaPanel(std::move(device));
  Break_Pan = new BreakpointsPanel(this, *breakpoints_);
  ConnectBreakPanel();
  CreateAddManPanel();
  CreateInfoPanel();
  CreateOutputPanel();
}

void TMain::CreateInputPanel() {
  Input_Pan = Panel(this, "Input_Pan", 2, 2, 305, 22);
  FileName_lb = Label(Input_Pan, "FileName_lb", "Source MP3 File", SmallCaptionFont(), 8, 5);
  // Up to the open button; the arrow beside it goes once a file is open.
  FileName_lb->setFixedWidth(270);
  Open_Lb =
      Label(Input_Pan, "Open_Lb", "Open MP3 file -->", SmallCaptionFont(), kOpenArrowStart, 5);
  QPalette red = Open_Lb->palette();
  red.setColor(QPalette::WindowText, Qt::red);
  Open_Lb->setPalette(red);
  Open_TB = ToolButton(Input_Pan, "Open_TB", mediaImages_[kImageOpen],
                       "Select an MP3 file from your computer", 284, 2, 19, 18);
  connect(Open_TB, &QToolButton::clicked, this, [this] { Open_TBClick(); });
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

void TMain::CreateAddManPanel() {
  AddMan_Pan = Panel(this, "AddMan_Pan", 122, 127, 185, 34);
  QWidget* bar = ToolBar(AddMan_Pan, "AddMan_ToolBar", 8, 6, 32, 23);
  AddManFrame_TB = ToolButton(bar, "AddManFrame_TB", addImages_[kImageAddArrow], "Add a breakpoint",
                              0, 0, 23, 22);
  AddMan_Ed = new QLineEdit(AddMan_Pan);
  AddMan_Ed->setObjectName("AddMan_Ed");
  AddMan_Ed->setFont(ListFont());
  AddMan_Ed->setGeometry(42, 6, 89, 22);
  AddMan_Ed->installEventFilter(this);
  connect(AddManFrame_TB, &QToolButton::clicked, this, [this] { AddManFrame_TBClick(); });
  QLabel* caption = Label(AddMan_Pan, "AddMan_Caption", "Input Frame", SmallCaptionFont(), 138, 4);
  caption->setGeometry(138, 4, 41, 25);
  caption->setAlignment(Qt::AlignCenter);
  caption->setWordWrap(true);
}

void TMain::CreateInfoPanel() {
  Info_Pan = Panel(this, "Info_Pan", 122, 164, 185, 108);
  auto* icon = new QLabel(Info_Pan);
  icon->setObjectName("Info_Icon");
  icon->setPixmap(IconPicture());
  icon->setGeometry(5, 7, 32, 32);
  QFont titleFont("Arial", 8);
  titleFont.setBold(true);
  Label(Info_Pan, "Info_Title", "Brelvik MP3 Splitter 1.0", titleFont, 52, 8);
  ExactCuts_CB = new QCheckBox("Exact cuts", Info_Pan);
  ExactCuts_CB->setObjectName("ExactCuts_CB");
  ExactCuts_CB->setFont(QFont("Arial", 8));
  ExactCuts_CB->move(45, 24);
  ExactCuts_CB->adjustSize();
  ExactCuts_CB->setFocusPolicy(Qt::NoFocus);
  ExactCuts_CB->setToolTip(
      "Cut on whole frames where you heard the breakpoints: each piece gets its own header,\n"
      "the tags with its track number, and plays without a gap or a click at the joins.\n"
      "Off: each piece is a plain byte range of the file.");
  auto* rule = new QFrame(Info_Pan);
  rule->setObjectName("Info_Rule");
  rule->setGeometry(24, 48, 137, 1);
  rule->setAutoFillBackground(true);
  QPalette dark = rule->palette();
  dark.setColor(QPalette::Window, QColor(0x80, 0x80, 0x80));
  rule->setPalette(dark);
  auto* logo = new QLabel(Info_Pan);
  logo->setObjectName("Info_Logo");
  logo->setPixmap(LogoPicture());
  logo->setGeometry(40, 55, 100, 47);
}

void TMain::CreateOutputPanel() {
  Output_Pan = Panel(this, "Output_Pan", 2, 275, 305, 22);
  Output_Lb = Label(Output_Pan, "Output_Lb", "Output MP3 Files", SmallCaptionFont(), 11, 5);
  Output_Lb->setFixedWidth(250);
  ProgressBar = new QProgressBar(Output_Pan);
  ProgressBar->setObjectName("ProgressBar");
  ProgressBar->setGeometry(10, 7, 241, 8);
  ProgressBar->setRange(0, 100);
  ProgressBar->setValue(0);
  ProgressBar->setTextVisible(false);
  ProgressBar->hide();
  Split_Tb = ToolButton(Output_Pan, "Split_Tb", mediaImages_[kImageSave], "Makes split MP3 files",
                        265, 2, 19, 18);
  Output_TB = ToolButton(Output_Pan, "Output_TB", mediaImages_[kImageOpen],
                         "Change name of output MP3 files", 284, 2, 19, 18);
  connect(Split_Tb, &QToolButton::clicked, this, [this] { Split_TbClick(); });
  connect(Output_TB, &QToolButton::clicked, this, [this] { Output_TBClick(); });
}

void TMain::CreateTimers() {
  const auto timer = [this](const char* name, int interval) {
    auto* t = new QTimer(this);
    t->setObjectName(name);
    t->setInterval(interval);
    return t;
  };
  Open_Timer = timer("Open_Timer", 150);
  connect(Open_Timer, &QTimer::timeout, this, [this] { Open_TimerTimer(); });
  Enter(WindowState::NoFile);
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
  AddShortcut(Qt::CTRL | Qt::Key_O, Open_TB, false);
  AddShortcut(Qt::CTRL | Qt::Key_S, Split_Tb, false);
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
  hint(Open_TB, "Ctrl+O");
  hint(Split_Tb, "Ctrl+S");

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
    if (Break_Pan->isEnabled() && !AddMan_Ed->hasFocus() && breakpoints_->List().Selected() >= 0) {
      Deletethisbreakpoint1Click();
    }
  });
}

void TMain::AddShortcut(const QKeySequence& keys, QToolButton* button, bool keyOfTheEntryField) {
  auto* shortcut = new QShortcut(keys, this);
  shortcut->setObjectName(button->objectName() + "_" + keys.toString() + "_Shortcut");
  connect(shortcut, &QShortcut::activated, this, [this, button, keyOfTheEntryField] {
    if (!button->isEnabled() || (keyOfTheEntryField && AddMan_Ed->hasFocus())) {
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
  const bool noFile = State() == WindowState::NoFile;
  const bool busy = state_->Busy();
  // The busy cursor stays for the whole split or search.
  if (!busy) {
    busyCursor_.reset();
  } else if (!busyCursor_) {
    busyCursor_.emplace();
  }
  Input_Pan->setEnabled(!busy);
  Media_Pan->Follow(*state_);
  for (QFrame* panel : {static_cast<QFrame*>(Break_Pan), AddMan_Pan, Output_Pan}) {
    panel->setEnabled(!noFile && !busy);
  }
  ExactCuts_CB->setEnabled(!busy);
  Output_Lb->setVisible(!busy);
  ProgressBar->setVisible(busy);
  Open_Lb->setVisible(noFile);
  if (!noFile) {
    Open_Timer->stop();
  } else if (!Open_Timer->isActive()) {
    Open_Timer->start();
  }
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
  Output_Lb->setToolTip(PlainToolTip(FromPath(splitTemplate_)));
  ShowName(Output_Lb, FromPath(FileNamePart(splitTemplate_)));
}

void TMain::Open_TimerTimer() {
  int left = Open_Lb->x() + kOpenArrowStep;
  if (left > kOpenArrowTurn) {
    left = kOpenArrowRestart;
  }
  Open_Lb->move(left, Open_Lb->y());
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
  Open_Timer->stop();
  Open_Lb->hide();
  repaint();

  playback_->Load(sourcePath);

  ShowName(FileName_lb, FromPath(FileNamePart(sourcePath)));
  sourcePath_ = sourcePath;
  FileName_lb->setToolTip(PlainToolTip(path));

  ShowOutputTemplate(MakeTemplate(sourcePath));
  Media_Pan->ShowPosition("00:00:00", "0");
  figures_ = figures;
  breakpoints_->Reset(figures_);
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
  SplitOrder order = MakeSplitOrder(*breakpoints_, sourcePath_, splitTemplate_, figures_,
                                    ExactCuts_CB->isChecked());
  closeAfterSplit_ = false;
  ProgressBar->setMaximum(breakpoints_->List().Count() - 1);
  Enter(WindowState::Splitting);
  split_ = std::make_unique<SplitJob>(this, ++splitSerial_, std::move(order), std::move(reports));
}

void TMain::SplitProgressed(int serial, int piece) {
  if (serial == splitSerial_ && State() == WindowState::Splitting) {
    ProgressBar->setValue(piece);
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
        breakpoints_->AddTypedFrame(AddMan_Ed->text().toStdString(), figures_.FrameTotal));
  });
}

bool TMain::AddMan_EdKeyPress(const QString& typed) {
  if (typed.size() != 1) {
    return true;
  }
  const QChar c = typed.front();
  return c == QChar('\b') || (c >= QChar('0') && c <= QChar('9'));
}

// Discards typed characters the entry field does not take. Keys that type
// nothing, and control characters such as the paste shortcut's, pass.
bool TMain::eventFilter(QObject* watched, QEvent* event) {
  if (watched == AddMan_Ed && event->type() == QEvent::KeyPress) {
    const auto* key = static_cast<QKeyEvent*>(event);
    const QString typed = key->text();
    const bool typesCharacter = typed.size() == 1 && (typed.front().isPrint() || typed == "\b");
    const bool withCommandKey = key->modifiers() & (Qt::ControlModifier | Qt::MetaModifier);
    if (typesCharacter && !withCommandKey && !AddMan_EdKeyPress(typed)) {
      return true;
    }
  }
  return QWidget::eventFilter(watched, event);
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
  playback_->Silence();
  ProgressBar->setMaximum(kScanSteps);
  ProgressBar->setValue(0);
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
    ProgressBar->setValue(static_cast<int>(fraction * kScanSteps));
  }
}

void TMain::SilencesFound(int serial, const std::vector<silence::Silence>& silences) {
  if (serial != scanSerial_ || State() != WindowState::Scanning) {
    return;
  }
  scan_.reset();
  Enter(WindowState::Stopped);
  breakpoints_->AddSilences(silences);
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
