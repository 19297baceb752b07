#include "ui/MainWindow.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFile>
#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QScreen>
#include <QSlider>
#include <QTimer>
#include <QToolButton>

#include "analysis/MPEGaudio.h"
#include "playback/PlaybackDevice.h"
#include "split/OutputNaming.h"
#include "split/SplitEngine.h"
#include "ui/ErrorReports.h"
#include "ui/FileDialogs.h"
#include "ui/Pictures.h"

namespace brelvik::ui {
namespace {

constexpr int kClientWidth = 309;
constexpr int kClientHeight = 299;
constexpr int kOpenArrowStart = 160;
constexpr int kOpenArrowRestart = 150;
constexpr int kOpenArrowTurn = 195;
constexpr int kOpenArrowStep = 5;

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
  CreateControls();
  CreateTimers();
  FormCreate();
}

TMain::~TMain() = default;

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
  if (splitting_) {
    event->ignore();
    return;
  }
  FormClose();
  event->accept();
}

void TMain::CreateControls() {
  CreateInputPanel();
  CreateMediaPanel();
  CreateBreakPanel();
  CreateAddManPanel();
  CreateInfoPanel();
  CreateOutputPanel();
  SetPanelsEnabled(true, false);
}

QToolButton* TMain::ToolButton(QWidget* bar, const char* name, const QPixmap& image,
                               const QString& hint, int left, int top, int width, int height) {
  auto* button = new QToolButton(bar);
  button->setObjectName(name);
  button->setAutoRaise(true);
  button->setIcon(QIcon(image));
  button->setIconSize(image.size());
  button->setToolTip(hint);
  button->setFocusPolicy(Qt::NoFocus);
  button->setGeometry(left, top, width, height);
  return button;
}

QLabel* TMain::Label(QWidget* panel, const char* name, const QString& text, const QFont& font,
                     int left, int top) {
  auto* label = new QLabel(text, panel);
  label->setObjectName(name);
  label->setFont(font);
  label->move(left, top);
  label->adjustSize();
  return label;
}

void TMain::CreateInputPanel() {
  Input_Pan = Panel(this, "Input_Pan", 2, 2, 305, 22);
  FileName_lb = Label(Input_Pan, "FileName_lb", "Source MP3 File", SmallCaptionFont(), 8, 5);
  FileName_lb->setFixedWidth(150);
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
  connect(TrackBar, &QSlider::valueChanged, this,
          [this] { Guarded(this, [this] { TrackBarChange(); }); });

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
    ++index;
  }

  QWidget* addBar = ToolBar(Media_Pan, "AddCurrentFrame_ToolBar", 264, 64, 33, 25);
  AddCurrentFrame_TB = ToolButton(addBar, "AddCurrentFrame_TB", addImages_[kImageScissors],
                                  "Add a breakpoint from current frame", 5, 1, 23, 22);
}

void TMain::CreateBreakPanel() {
  Break_Pan = Panel(this, "Break_Pan", 2, 127, 117, 145);
  Label(Break_Pan, "Breakpoints_Caption", "Breakpoints List:", SmallCaptionFont(), 8, 6);
  BreakpointsList = new QListWidget(Break_Pan);
  BreakpointsList->setObjectName("BreakpointsList");
  BreakpointsList->setFont(ListFont());
  BreakpointsList->setGeometry(10, 25, 97, 105);
  BreakpointsList->setUniformItemSizes(true);
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
  Label(Info_Pan, "Info_Line", "Lossless frame cutting", QFont("Arial", 8), 45, 24);
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
  Open_Timer->start();
}

void TMain::SetPanelsEnabled(bool input, bool others) {
  Input_Pan->setEnabled(input);
  for (QFrame* panel : {Media_Pan, Break_Pan, AddMan_Pan, Output_Pan}) {
    panel->setEnabled(others);
  }
}

void TMain::ShowBreakpoints() {
  BreakpointsList->clear();
  for (const std::string& text : breakpoints_.Texts()) {
    auto* item = new QListWidgetItem(QString::fromStdString(text), BreakpointsList);
    item->setSizeHint(QSize(0, 14));
  }
  BreakpointsList->setCurrentRow(breakpoints_.Selected());
}

void TMain::ShowOutputTemplate(const std::string& splitTemplate) {
  splitTemplate_ = splitTemplate;
  Output_Lb->setToolTip(FromPath(splitTemplate_));
  Output_Lb->setText(FromPath(FileNamePart(splitTemplate_)));
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
    const auto path = dialogs_->ChooseSourceFile(this);
    if (path) {
      OpenSource(*path);
    }
  });
}

bool TMain::OpenSource(const QString& path) {
  const std::string sourcePath = ToPath(path);
  if (!analyser_->Analyse(sourcePath)) {
    return false;
  }
  if (!analyser_->IsValid()) {
    ShowErrorBox(this, "Can not read data from the file: " + path);
    return false;
  }
  BusyCursor busy;
  const bool firstOpen = sourcePath_.empty();
  bool opened = false;
  // Until a file has been opened, the arrow keeps pointing at the open button.
  OnExit keepArrow([&] {
    if (firstOpen && !opened) {
      Open_Lb->show();
      Open_Timer->start();
    }
  });
  Open_Timer->stop();
  Open_Lb->hide();
  repaint();

  mediaPlayer_->SetFileName(sourcePath);
  mediaPlayer_->Open();
  opened = true;

  TrackBar->setValue(0);
  TrackBar->setTickInterval(mediaPlayer_->Length() / 20);
  TrackBar->setMaximum(mediaPlayer_->Length());

  FileName_lb->setText(FromPath(FileNamePart(sourcePath)));
  sourcePath_ = sourcePath;
  FileName_lb->setToolTip(path);

  ShowOutputTemplate(MakeTemplate(sourcePath));
  Time_lb->setText("00:00:00");
  Frame_LB->setText("0");
  breakpoints_.Reset();
  ShowBreakpoints();
  figures_ = SetDataMpeg(*analyser_);
  SetPanelsEnabled(true, true);
  return true;
}

void TMain::Output_TBClick() {
  Guarded(this, [this] {
    const auto path = dialogs_->ChooseOutputName(this);
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
    BusyCursor busy;
    mediaPlayer_->Stop();

    // However the split ends, the window is usable again afterwards.
    splitting_ = true;
    OnExit unlock([this] {
      splitting_ = false;
      SetPanelsEnabled(true, true);
      Output_Lb->show();
      ProgressBar->hide();
    });
    SetPanelsEnabled(false, false);
    Output_Lb->hide();
    ProgressBar->setMaximum(breakpoints_.Count() - 1);
    ProgressBar->show();
    repaint();

    Split(sourcePath_, splitTemplate_, figures_.FrameBytes, breakpoints_, [this](int piece) {
      ProgressBar->setValue(piece);
      QCoreApplication::processEvents();
    });
  });
}

void TMain::TrackBarChange() {
  if (Timer1->isActive() || Play3s_Timer->isActive()) {
    return;
  }
  mediaPlayer_->Seek(TrackBar->value());
  ShowPosition(mediaPlayer_->Position());
}

}  // namespace brelvik::ui
