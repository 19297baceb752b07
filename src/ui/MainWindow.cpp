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
#include <QStyle>
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
#include "ui/BreakpointsListBox.h"
#include "ui/ErrorReports.h"
#include "ui/FileDialogs.h"
#include "ui/Pictures.h"
#include "ui/SilenceScan.h"

namespace brelvik::ui {
namespace {

constexpr int kClientWidth = 309;
constexpr int kClientHeight = 299;
constexpr int kOpenArrowStart = 160;
constexpr int kOpenArrowRestart = 150;
constexpr int kOpenArrowTurn = 195;
constexpr int kOpenArrowStep = 5;
constexpr std::int32_t kPreviewMs = 3000;
// While playing, a track bar further than this from the device's position
// was moved by the user, and the device follows it.
constexpr std::int32_t kFollowToleranceMs = 500;
// The progress bar's steps while silences are searched for.
constexpr int kScanSteps = 1000;

QString FromPath(const std::string& path) {
  return QFile::decodeName(QByteArray::fromStdString(path));
}
std::string ToPath(const QString& path) {
  return QFile::encodeName(path).toStdString();
}

QFont SmallCaptionFont() {
  return QFont("Verdana", 7);
}
QFont ValueFont() {
  return QFont("Verdana", 8, QFont::Bold);
}
QFont ListFont() {
  return QFont("Arial", 8);
}

QFrame* Panel(QWidget* parent, const char* name, int left, int top, int width, int height) {
  auto* panel = new QFrame(parent);
  panel->setObjectName(name);
  panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  panel->setLineWidth(1);
  panel->setGeometry(left, top, width, height);
  return panel;
}

QWidget* ToolBar(QWidget* parent, const char* name, int left, int top, int width, int height) {
  auto* bar = new QWidget(parent);
  bar->setObjectName(name);
  bar->setGeometry(left, top, width, height);
  return bar;
}

// A tool tip shows text that looks like markup as rich text; a path does
// not look like markup then, it is shown as the characters it holds.
QString PlainToolTip(const QString& text) {
  if (!Qt::mightBeRichText(text)) {
    return text;
  }
  return "<p style='white-space:pre'>" + text.toHtmlEscaped() + "</p>";
}

std::int32_t Saturated(std::int64_t value) {
  return static_cast<std::int32_t>(std::clamp<std::int64_t>(
      value, std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max()));
}

// The frame at the end of the file, as --to-end takes it on the command line.
std::int32_t EndFrameOfFile(const std::string& path, const StreamFigures& figures) {
  return Saturated(EndFrame(QFileInfo(FromPath(path)).size(), figures.FrameBytes));
}

// Ends a split between two pieces when the program is asked to end.
struct SplitInterrupted : std::exception {};

// Shows the busy cursor for as long as it lives.
class BusyCursor {
 public:
  BusyCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
  ~BusyCursor() { QApplication::restoreOverrideCursor(); }
  BusyCursor(const BusyCursor&) = delete;
  BusyCursor& operator=(const BusyCursor&) = delete;
};

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
      mediaPlayer_(std::move(device)),
      dialogs_(std::move(dialogs)),
      mediaImages_(MediaImageList()),
      addImages_(AddImageList()) {
  setObjectName("Main");
  setWindowTitle("Brelvik MP3 Splitter");
  setWindowIcon(WindowIcon());
  setFont(QFont("MS Sans Serif", 8));
  setAcceptDrops(true);
  CreateControls();
  CreateTimers();
  CreateMenu();
  CreateShortcuts();
  FormCreate();
}

TMain::~TMain() {
  if (state_ == WindowState::Scanning) {
    StopScan_KeyPress();
  }
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
  // The split lets pending events run after each piece; the window stays
  // until it has ended.
  if (state_ == WindowState::Splitting) {
    event->ignore();
    return;
  }
  if (state_ == WindowState::Scanning) {
    StopScan_KeyPress();
  }
  FormClose();
  event->accept();
}

void TMain::EndOnSignal() {
  if (state_ == WindowState::Splitting) {
    interruptSplit_ = true;  // the split stops after the piece it is writing, then closes
    return;
  }
  close();
}

void TMain::CreateControls() {
  CreateInputPanel();
  CreateMediaPanel();
  CreateBreakPanel();
  CreateAddManPanel();
  CreateInfoPanel();
  CreateOutputPanel();
}

QToolButton* TMain::ToolButton(QWidget* bar, const char* name, const QPixmap& image,
                               const QString& hint, int left, int top, int width, int height) {
  auto* button = new QToolButton(bar);
  button->setObjectName(name);
  button->setAutoRaise(true);
  button->setIcon(QIcon(image));
  button->setIconSize(image.size());
  button->setProperty("imageIndex", -1);
  button->setToolTip(hint);
  button->setFocusPolicy(Qt::NoFocus);
  button->setGeometry(left, top, width, height);
  return button;
}

QLabel* TMain::Label(QWidget* panel, const char* name, const QString& text, const QFont& font,
                     int left, int top) {
  auto* label = new QLabel(panel);
  // Labels show file names too: never as markup.
  label->setTextFormat(Qt::PlainText);
  label->setText(text);
  label->setObjectName(name);
  label->setFont(font);
  label->move(left, top);
  label->adjustSize();
  return label;
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

void TMain::CreateMediaPanel() {
  Media_Pan = Panel(this, "Media_Pan", 2, 27, 305, 97);
  Label(Media_Pan, "Time_Caption", "Time:", SmallCaptionFont(), 12, 8);
  Time_lb = Label(Media_Pan, "Time_lb", "00:00:00", ValueFont(), 48, 7);
  Time_lb->setFixedWidth(100);
  Label(Media_Pan, "Frame_Caption", "Current Frame:", SmallCaptionFont(), 159, 8);
  Frame_LB = Label(Media_Pan, "Frame_LB", "0", ValueFont(), 240, 7);
  Frame_LB->setFixedWidth(60);

  TrackBar = new QSlider(Qt::Horizontal, Media_Pan);
  TrackBar->setObjectName("TrackBar");
  TrackBar->setGeometry(8, 24, 289, 33);
  TrackBar->setRange(0, 2000);
  TrackBar->setSingleStep(100);
  TrackBar->setPageStep(10000);
  TrackBar->setTickInterval(100);
  TrackBar->setTickPosition(QSlider::TicksBothSides);
  TrackBar->setToolTip("Drag and Seek...");
  // Each move by the user runs the change event once, whether or not the
  // position changed; moves from code go through SetTrackBarPosition.
  connect(TrackBar, &QSlider::actionTriggered, this, [this] {
    Guarded(this, [this] {
      const QSignalBlocker quiet(TrackBar);
      TrackBar->setValue(TrackBar->sliderPosition());
      TrackBarChange();
    });
  });

  Media_ToolBar = ToolBar(Media_Pan, "Media_ToolBar", 18, 66, 151, 23);
  struct Transport {
    QToolButton** button;
    const char* name;
    const char* hint;
  };
  const Transport transport[] = {
      {&Play_TB, "Play_TB", "Play"},
      {&Pause_TB, "Pause_TB", "Pause"},
      {&Stop_TB, "Stop_TB", "Stop"},
      {&Start_TB, "Start_TB", "Moves to the beginning of the MP3 file"},
      {&Rew_TB, "Rew_TB", "Moves backward a frame"},
      {&FF_TB, "FF_TB", "Moves forward a frame"},
      {&End_TB, "End_TB", "Moves to the end of the MP3 file"},
  };
  int index = 0;
  for (const auto& t : transport) {
    *t.button = ToolButton(Media_ToolBar, t.name, mediaImages_[static_cast<std::size_t>(index)],
                           t.hint, 19 * index, 2, 19, 18);
    SetImage(*t.button, index);
    ++index;
  }
  connect(Play_TB, &QToolButton::clicked, this, [this] { Play_TBClick(); });
  connect(Pause_TB, &QToolButton::clicked, this, [this] { Pause_TBClick(); });
  connect(Stop_TB, &QToolButton::clicked, this, [this] { Stop_TBClick(); });
  connect(Start_TB, &QToolButton::clicked, this, [this] { Start_TBClick(); });
  connect(Rew_TB, &QToolButton::clicked, this, [this] { Rew_TBClick(); });
  connect(FF_TB, &QToolButton::clicked, this, [this] { FF_TBClick(); });
  connect(End_TB, &QToolButton::clicked, this, [this] { End_TBClick(); });

  QWidget* addBar = ToolBar(Media_Pan, "AddCurrentFrame_ToolBar", 264, 64, 33, 25);
  AddCurrentFrame_TB = ToolButton(addBar, "AddCurrentFrame_TB", addImages_[kImageScissors],
                                  "Add a breakpoint from current frame", 5, 1, 23, 22);
  connect(AddCurrentFrame_TB, &QToolButton::clicked, this, [this] { AddCurrentFrame_TBClick(); });
}

void TMain::CreateBreakPanel() {
  Break_Pan = Panel(this, "Break_Pan", 2, 127, 117, 145);
  Label(Break_Pan, "Breakpoints_Caption", "Breakpoints List:", SmallCaptionFont(), 8, 6);
  auto* listBox = new BreakpointsListBox(Break_Pan);
  BreakpointsList = listBox;
  BreakpointsList->setObjectName("BreakpointsList");
  BreakpointsList->setFont(ListFont());
  BreakpointsList->setGeometry(10, 25, 97, 105);
  BreakpointsList->setUniformItemSizes(true);
  connect(BreakpointsList, &QListWidget::currentRowChanged, this,
          [this](int row) { breakpoints_.Select(row); });
  connect(listBox, &BreakpointsListBox::Pressed, this,
          [this](const QPoint& at) { BreakpointsListMouseDown(at); });
  ShowBreakpoints();
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
  ExactWarning_Lb = new QLabel(Info_Pan);
  ExactWarning_Lb->setObjectName("ExactWarning_Lb");
  ExactWarning_Lb->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxWarning).pixmap(12, 12));
  ExactWarning_Lb->setGeometry(ExactCuts_CB->geometry().right() + 3,
                               ExactCuts_CB->geometry().center().y() - 6, 12, 12);
  ExactWarning_Lb->hide();
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
  Timer1 = timer("Timer1", 100);
  Open_Timer = timer("Open_Timer", 150);
  Play3s_Timer = timer("Play3s_Timer", 100);
  connect(Open_Timer, &QTimer::timeout, this, [this] { Open_TimerTimer(); });
  connect(Timer1, &QTimer::timeout, this, [this] { Guarded(this, [this] { Timer1Timer(); }); });
  connect(Play3s_Timer, &QTimer::timeout, this,
          [this] { Guarded(this, [this] { Play3s_TimerTimer(); }); });
  Enter(WindowState::NoFile);
}

void TMain::CreateMenu() {
  BreakPoint_PopupMenu = new QMenu(this);
  BreakPoint_PopupMenu->setObjectName("BreakPoint_PopupMenu");
  const auto item = [this](const char* name, const QString& caption, void (TMain::*handler)()) {
    QAction* action = BreakPoint_PopupMenu->addAction(caption);
    action->setObjectName(name);
    connect(action, &QAction::triggered, this,
            [this, handler] { Guarded(this, [this, handler] { (this->*handler)(); }); });
    return action;
  };
  item("Play3Secsbefore1", "Play 3 Secs before", &TMain::Play3Secsbefore1Click);
  item("Play3safter1", "Play 3 Secs after", &TMain::Play3safter1Click);
  QAction* remove =
      item("Deletethisbreakpoint1", "Delete this breakpoint", &TMain::Deletethisbreakpoint1Click);
  // Shown beside the item; the window-wide Delete key does the same.
  remove->setShortcut(QKeySequence::Delete);
  remove->setShortcutContext(Qt::WidgetShortcut);
}

// Keys for people who keep their eyes on the music. A key works only while
// the button it stands for is usable, and the keys the entry field uses go to
// the field while it has the focus.
void TMain::CreateShortcuts() {
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
  key(Qt::Key_Escape, "StopScan_Shortcut", &TMain::StopScan_KeyPress);

  auto* remove = new QShortcut(QKeySequence::Delete, this);
  remove->setObjectName("Delete_Shortcut");
  connect(remove, &QShortcut::activated, this, [this] {
    if (Break_Pan->isEnabled() && !AddMan_Ed->hasFocus() && breakpoints_.Selected() >= 0) {
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
    const PlaybackMode mode = mediaPlayer_->Mode();
    if (button == Play_TB && (mode == PlaybackMode::Playing || mode == PlaybackMode::Paused)) {
      Pause_TB->click();
      return;
    }
    button->click();
  });
}

// What each state shows and runs: the usable panels, the timers and the
// transport buttons' images.
void TMain::Enter(WindowState state) {
  // The busy cursor stays for the whole search for silences; a split sets
  // its own for as long as it runs.
  if ((state == WindowState::Scanning) != (state_ == WindowState::Scanning)) {
    if (state == WindowState::Scanning) {
      QApplication::setOverrideCursor(Qt::WaitCursor);
    } else {
      QApplication::restoreOverrideCursor();
    }
  }
  state_ = state;
  const bool noFile = state == WindowState::NoFile;
  const bool busy = state == WindowState::Splitting || state == WindowState::Scanning;
  const bool previewing = state == WindowState::Previewing;
  const bool following = state == WindowState::Playing || state == WindowState::Paused;

  Input_Pan->setEnabled(!busy);
  Media_Pan->setEnabled(!noFile && !busy && !previewing);
  for (QFrame* panel : {Break_Pan, AddMan_Pan, Output_Pan}) {
    panel->setEnabled(!noFile && !busy);
  }
  ExactCuts_CB->setEnabled(!busy);
  Output_Lb->setVisible(!busy);
  ProgressBar->setVisible(busy);
  Open_Lb->setVisible(noFile);

  SetTimer(Open_Timer, noFile);
  SetTimer(Timer1, following);
  SetTimer(Play3s_Timer, previewing);

  SetImage(Play_TB, following || previewing ? kImagePlaying : kImagePlay);
  SetImage(Pause_TB, state == WindowState::Paused ? kImagePaused : kImagePause);
}

void TMain::SetTimer(QTimer* timer, bool on) {
  if (on && !timer->isActive()) {
    timer->start();
  } else if (!on) {
    timer->stop();
  }
}

void TMain::ShowBreakpoints() {
  const QSignalBlocker quiet(BreakpointsList);
  BreakpointsList->clear();
  for (const std::string& text : breakpoints_.Texts()) {
    auto* item = new QListWidgetItem(QString::fromStdString(text), BreakpointsList);
    item->setSizeHint(QSize(0, 14));
  }
  BreakpointsList->setCurrentRow(breakpoints_.Selected());
}

void TMain::ShowOutputTemplate(const std::string& splitTemplate) {
  splitTemplate_ = splitTemplate;
  Output_Lb->setToolTip(PlainToolTip(FromPath(splitTemplate_)));
  ShowName(Output_Lb, FromPath(FileNamePart(splitTemplate_)));
}

// A name too long for its label loses its middle to "…", so that it never runs
// under the buttons; the hint keeps the whole path.
void TMain::ShowName(QLabel* label, const QString& name) {
  label->setText(label->fontMetrics().elidedText(name, Qt::ElideMiddle, label->width()));
}

void TMain::ShowPosition(std::int32_t milliseconds) {
  const PositionTexts texts = SetDataPosition(milliseconds, figures_);
  Time_lb->setText(QString::fromStdString(texts.Time));
  Frame_LB->setText(QString::fromStdString(texts.Frame));
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
    if (state_ != WindowState::Stopped) {
      Enter(before);
    }
  });
  EndPreview();
  Open_Timer->stop();
  Open_Lb->hide();
  repaint();

  mediaPlayer_->SetFileName(sourcePath);
  mediaPlayer_->Open();

  SetTrackBarPosition(0);
  TrackBar->setTickInterval(mediaPlayer_->Length() / 20);
  TrackBar->setMaximum(mediaPlayer_->Length());

  ShowName(FileName_lb, FromPath(FileNamePart(sourcePath)));
  sourcePath_ = sourcePath;
  FileName_lb->setToolTip(PlainToolTip(path));

  ShowOutputTemplate(MakeTemplate(sourcePath));
  Time_lb->setText("00:00:00");
  Frame_LB->setText("0");
  breakpoints_.Reset();
  sheet_.reset();
  sheetPath_.clear();
  markedTimes_.clear();
  ShowBreakpoints();
  figures_ = figures;
  ShowExactWarning(exact::JoinWarning(analyser_->FirstFrame()));
  Enter(WindowState::Stopped);
  return true;
}

void TMain::ShowExactWarning(const std::string& warning) {
  ExactWarning_Lb->setToolTip(QString::fromStdString(warning));
  ExactWarning_Lb->setVisible(!warning.empty());
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
    if (breakpoints_.Count() < 2) {
      return;
    }
    const std::string refusal = SplitLocked();
    if (!refusal.empty()) {
      ShowErrorBox(this, QString::fromStdString(refusal));
    }
  });
}

// Runs the split with the window locked; returns why exact pieces cannot be
// made, if they cannot.
std::string TMain::SplitLocked() {
  BusyCursor busy;
  EndPreview();
  mediaPlayer_->Stop();

  // However the split ends, the window is usable again afterwards.
  OnExit unlock([this] { Enter(WindowState::Stopped); });
  Enter(WindowState::Splitting);
  interruptSplit_ = false;
  ProgressBar->setMaximum(breakpoints_.Count() - 1);
  repaint();

  const SplitProgress progress = [this](int piece) {
    ProgressBar->setValue(piece);
    QCoreApplication::processEvents();
    if (interruptSplit_) {
      throw SplitInterrupted();
    }
  };
  try {
    // Every piece comes from this one open file, whatever happens to its name.
    InputFile source(sourcePath_);
    if (ExactCuts_CB->isChecked()) {
      return SplitExactPieces(source, progress);
    }
    Split(source, splitTemplate_, figures_.FrameBytes, breakpoints_, progress, AlsoRead());
  } catch (const SplitInterrupted&) {
    // Asked to end: the pieces written so far stay, and the window closes.
    QTimer::singleShot(0, this, [this] { close(); });
  }
  return {};
}

// Exact mode: each breakpoint stands for the time at which the position
// display began to show it. Returns why the pieces cannot be made, if they
// cannot; nothing is written then.
std::string TMain::SplitExactPieces(InputFile& source, const SplitProgress& progress) {
  const exact::IndexOutcome index = exact::IndexStream(sourcePath_);
  if (!index.Layout) {
    return index.Refusal;
  }
  std::vector<exact::CutRequest> requests;
  std::vector<exact::PieceNames> names;
  for (int i = 0; i < breakpoints_.Count(); ++i) {
    const std::int32_t frame = breakpoints_.Value(i);
    const auto marked = markedTimes_.find(frame);
    const double ms =
        marked != markedTimes_.end() ? marked->second : exact::FrameNumberMs(frame, figures_);
    requests.push_back({ms, breakpoints_.Text(i)});
    if (sheet_) {
      names.push_back(cue::NamesAt(*sheet_, frame, figures_));
    }
  }
  const exact::PlanOutcome plan = exact::PlanCuts(*index.Layout, requests);
  if (!plan.Plan) {
    return plan.Refusal;
  }
  exact::SplitExact(source, *index.Layout, *plan.Plan, splitTemplate_, progress, names, AlsoRead());
  return {};
}

// What the pieces may not replace besides the source: the sheet the list
// came from.
WritePolicy TMain::AlsoRead() const {
  WritePolicy policy;
  if (sheet_) {
    policy.Protect(sheetPath_, "the cue sheet");
  }
  return policy;
}

void TMain::TrackBarChange() {
  // While playing, paused or previewing the position belongs to the timers.
  if (state_ == WindowState::Playing || state_ == WindowState::Paused ||
      state_ == WindowState::Previewing) {
    return;
  }
  mediaPlayer_->Seek(TrackBar->value());
  ShowPosition(mediaPlayer_->Position());
}

void TMain::SetTrackBarPosition(int position) {
  const int clamped = std::clamp(position, TrackBar->minimum(), TrackBar->maximum());
  if (clamped == TrackBar->value()) {
    return;
  }
  {
    const QSignalBlocker quiet(TrackBar);
    TrackBar->setValue(clamped);
  }
  TrackBarChange();
}

void TMain::SetImage(QToolButton* button, int image) {
  button->setIcon(QIcon(mediaImages_[static_cast<std::size_t>(image)]));
  button->setProperty("imageIndex", image);
}

void TMain::Play_TBClick() {
  Guarded(this, [this] {
    switch (mediaPlayer_->Mode()) {
      case PlaybackMode::Stopped:
        if (TrackBar->value() == TrackBar->maximum()) {
          SetTrackBarPosition(0);
        }
        [[fallthrough]];
      case PlaybackMode::Open:
      case PlaybackMode::Paused:
        mediaPlayer_->Play();
        Enter(WindowState::Playing);
        break;
      default:
        break;
    }
  });
}

void TMain::Pause_TBClick() {
  Guarded(this, [this] {
    switch (mediaPlayer_->Mode()) {
      case PlaybackMode::Playing:
        mediaPlayer_->Pause();
        Enter(WindowState::Paused);
        break;
      case PlaybackMode::Paused:
        mediaPlayer_->Play();
        Enter(WindowState::Playing);
        break;
      default:
        break;
    }
  });
}

void TMain::Stop_TBClick() {
  Guarded(this, [this] { mediaPlayer_->Stop(); });
}

void TMain::Start_TBClick() {
  Guarded(this, [this] { SetTrackBarPosition(0); });
}

void TMain::Rew_TBClick() {
  Guarded(this, [this] { SetTrackBarPosition(TrackBar->value() - figures_.FrameMs); });
}

void TMain::FF_TBClick() {
  Guarded(this, [this] { SetTrackBarPosition(TrackBar->value() + figures_.FrameMs); });
}

void TMain::End_TBClick() {
  Guarded(this, [this] {
    SetTrackBarPosition(TrackBar->maximum());
    mediaPlayer_->Stop();
    mediaPlayer_->Seek(TrackBar->value());
    ShowPosition(mediaPlayer_->Position());
  });
}

// Keeps the track bar and the labels with the device while it plays; a track
// bar moved more than half a second away takes the device with it.
void TMain::Timer1Timer() {
  const PlaybackMode mode = mediaPlayer_->Mode();
  // A device without a file (its open was refused) has nothing to follow.
  if (mode == PlaybackMode::Stopped || mode == PlaybackMode::NotReady) {
    Enter(WindowState::Stopped);
    return;
  }
  if (mode == PlaybackMode::Paused) {
    ShowPosition(TrackBar->value());
    return;
  }
  const std::int32_t device = mediaPlayer_->Position();
  const std::int32_t wanted = TrackBar->value();
  if (std::abs(std::int64_t{wanted} - device) > kFollowToleranceMs) {
    mediaPlayer_->Seek(wanted);
    ShowPosition(device);
    mediaPlayer_->Play();
  } else {
    SetTrackBarPosition(device);
    ShowPosition(device);
  }
}

void TMain::ShowAddOutcome(const AddOutcome& outcome) {
  ShowBreakpoints();
  if (!outcome.Refusal.empty()) {
    ShowErrorBox(this,
                 QString::fromStdString(outcome.Refusal + FrameCountReason(figures_.FrameTotal)));
  }
}

void TMain::AddCurrentFrame_TBClick() {
  Guarded(this,
          [this] { ShowAddOutcome(breakpoints_.AddCurrentFrame(Frame_LB->text().toStdString())); });
}

void TMain::AddManFrame_TBClick() {
  Guarded(this, [this] {
    ShowAddOutcome(
        breakpoints_.AddTypedFrame(AddMan_Ed->text().toStdString(), figures_.FrameTotal));
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
  if (breakpoints_.Selected() >= 0) {
    BreakPoint_PopupMenu->popup(globalPosition);
  }
}

void TMain::Deletethisbreakpoint1Click() {
  if (breakpoints_.Selected() >= 0) {
    markedTimes_.erase(breakpoints_.Value(breakpoints_.Selected()));
  }
  breakpoints_.DeleteSelected();
  ShowBreakpoints();
}

void TMain::Play3Secsbefore1Click() {
  if (breakpoints_.Selected() < 0) {
    return;
  }
  const std::int32_t at =
      FramesToMSec(breakpoints_.Value(breakpoints_.Selected()), figures_.FrameBytes, figures_.Kbps);
  StartPreview(Saturated(std::max<std::int64_t>(std::int64_t{at} - kPreviewMs, 0)), at);
}

void TMain::Play3safter1Click() {
  if (breakpoints_.Selected() < 0) {
    return;
  }
  const std::int32_t at =
      FramesToMSec(breakpoints_.Value(breakpoints_.Selected()), figures_.FrameBytes, figures_.Kbps);
  StartPreview(
      at, Saturated(std::min<std::int64_t>(std::int64_t{at} + kPreviewMs, mediaPlayer_->Length())));
}

// Plays from start until the device reaches end, then returns the track bar
// and the device to where they were.
void TMain::StartPreview(std::int32_t start, std::int32_t end) {
  mediaPlayer_->Stop();
  // What Timer1's next tick would do on seeing the stopped device.
  if (state_ == WindowState::Playing || state_ == WindowState::Paused) {
    Enter(WindowState::Stopped);
  }
  previewEnd_ = end;
  previewReturn_ = TrackBar->value();
  SetTrackBarPosition(start);
  mediaPlayer_->Seek(TrackBar->value());
  // A start at the device's end has nothing to play: Play would start over
  // from 0. The stopped device then ends the preview at the first tick.
  if (TrackBar->value() < mediaPlayer_->Length()) {
    try {
      mediaPlayer_->Play();
    } catch (...) {
      // A preview that cannot sound leaves the position where it was.
      SetTrackBarPosition(previewReturn_);
      mediaPlayer_->Seek(TrackBar->value());
      throw;
    }
  }
  Enter(WindowState::Previewing);
}

void TMain::Play3s_TimerTimer() {
  const std::int32_t position = mediaPlayer_->Position();
  SetTrackBarPosition(position);
  ShowPosition(position);
  if (position < previewEnd_ && mediaPlayer_->Mode() != PlaybackMode::Stopped) {
    return;
  }
  SetTrackBarPosition(previewReturn_);
  mediaPlayer_->Seek(TrackBar->value());
  mediaPlayer_->Stop();
  Enter(WindowState::Stopped);
}

// A preview still running when another file is opened or a split starts
// ends where it is.
void TMain::EndPreview() {
  if (state_ == WindowState::Previewing) {
    Enter(WindowState::Stopped);
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
  TakeSheet(*outcome.Sheet, list);
  sheetPath_ = sheetPath;
  return true;
}

void TMain::TakeSheet(const cue::CueSheet& sheet, const BreakpointList& list) {
  breakpoints_ = list;
  sheet_ = sheet;
  if (sheet.StartMs) {
    markedTimes_[FrameOfTime(*sheet.StartMs, figures_)] = *sheet.StartMs;
  }
  for (const cue::CueTrack& track : sheet.Tracks) {
    markedTimes_[FrameOfTime(track.StartMs, figures_)] = track.StartMs;
  }
  if (sheet.EndMs) {
    markedTimes_[FrameOfTime(*sheet.EndMs, figures_)] = *sheet.EndMs;
  } else {
    markedTimes_[EndOfFileFrame()] = exact::kEndOfStream;
  }
  ShowBreakpoints();
}

// The open file's end frame.
std::int32_t TMain::EndOfFileFrame() const {
  return EndFrameOfFile(sourcePath_, figures_);
}

// A file is open and the window is neither splitting nor searching.
bool TMain::FileAtHand() const {
  return state_ != WindowState::NoFile && state_ != WindowState::Splitting &&
         state_ != WindowState::Scanning;
}

void TMain::SaveCueSheet_KeyPress() {
  if (!FileAtHand() || breakpoints_.Count() < 2) {
    return;
  }
  if (breakpoints_.Count() - 1 > cue::kMostTracks) {
    ShowErrorBox(this, QString::fromStdString(cue::TooManyTracks(breakpoints_.Count() - 1)));
    return;
  }
  const auto chosen = dialogs_->ChooseCueSheetName(this, FromPath(cue::SheetPathFor(sourcePath_)));
  if (!chosen) {
    return;
  }
  try {
    cue::WriteCueSheet(ToPath(*chosen), cue::SheetOfList(breakpoints_, figures_, sourcePath_,
                                                         EndOfFileFrame(), sheet_));
  } catch (const ERefusedSplit& refusal) {
    ShowErrorBox(this, QString::fromUtf8(refusal.what()));
  }
}

void TMain::FindSilences_KeyPress() {
  if (!FileAtHand()) {
    return;
  }
  EndPreview();
  mediaPlayer_->Stop();
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
  if (state_ != WindowState::Scanning) {
    return;
  }
  scan_.reset();
  Enter(WindowState::Stopped);
}

void TMain::ScanProgressed(int serial, double fraction) {
  if (serial == scanSerial_ && state_ == WindowState::Scanning) {
    ProgressBar->setValue(static_cast<int>(fraction * kScanSteps));
  }
}

void TMain::SilencesFound(int serial, const std::vector<silence::Silence>& silences) {
  if (serial != scanSerial_ || state_ != WindowState::Scanning) {
    return;
  }
  scan_.reset();
  Enter(WindowState::Stopped);
  for (const silence::Silence& silence : silences) {
    const std::int32_t frame = FrameOfTime(silence.MiddleMs(), figures_);
    breakpoints_.AddCurrentFrame(std::to_string(frame));
    markedTimes_.emplace(frame, silence.MiddleMs());  // an entry there already keeps its time
  }
  ShowBreakpoints();
  if (silences.empty()) {
    ShowInformationBox(this, "No silences found");
  }
}

void TMain::ScanFailed(int serial, const QString& error) {
  if (serial != scanSerial_ || state_ != WindowState::Scanning) {
    return;
  }
  scan_.reset();
  Enter(WindowState::Stopped);
  ShowErrorBox(this, error.isEmpty() ? "Cannot decode " + FromPath(sourcePath_) : error);
}

}  // namespace brelvik::ui
