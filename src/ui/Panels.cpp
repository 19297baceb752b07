#include "ui/Panels.h"

#include <QCheckBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QStyle>
#include <QTimer>
#include <QToolButton>

#include "split/OutputNaming.h"
#include "ui/Controls.h"
#include "ui/Pictures.h"

namespace brelvik::ui {
namespace {

constexpr int kOpenArrowStart = 160;
constexpr int kOpenArrowRestart = 150;
constexpr int kOpenArrowTurn = 195;
constexpr int kOpenArrowStep = 5;

}  // namespace

SourcePanel::SourcePanel(QWidget* parent, const QPixmap& openImage) : QFrame(parent) {
  PlacePanel(this, "Input_Pan", 2, 2, 305, 22);
  name_ = Label(this, "FileName_lb", "Source MP3 File", SmallCaptionFont(), 8, 5);
  // Up to the open button; the arrow beside it goes once a file is open.
  name_->setFixedWidth(270);
  arrow_ = Label(this, "Open_Lb", "Open MP3 file -->", SmallCaptionFont(), kOpenArrowStart, 5);
  QPalette red = arrow_->palette();
  red.setColor(QPalette::WindowText, Qt::red);
  arrow_->setPalette(red);
  open_ = ToolButton(this, "Open_TB", openImage, "Select an MP3 file from your computer", 284, 2,
                     19, 18);
  connect(open_, &QToolButton::clicked, this, &SourcePanel::OpenClicked);
  arrowTimer_ = new QTimer(this);
  arrowTimer_->setObjectName("Open_Timer");
  arrowTimer_->setInterval(150);
  connect(arrowTimer_, &QTimer::timeout, this, &SourcePanel::MoveArrow);
}

void SourcePanel::ShowSource(const QString& name, const QString& path) {
  ShowName(name_, name);
  name_->setToolTip(PlainToolTip(path));
}

void SourcePanel::HideArrow() {
  arrowTimer_->stop();
  arrow_->hide();
}

void SourcePanel::MoveArrow() {
  int left = arrow_->x() + kOpenArrowStep;
  if (left > kOpenArrowTurn) {
    left = kOpenArrowRestart;
  }
  arrow_->move(left, arrow_->y());
}

void SourcePanel::Follow(const WindowStateHolder& state) {
  const bool noFile = state.Get() == WindowState::NoFile;
  setEnabled(!state.Busy());
  arrow_->setVisible(noFile);
  if (!noFile) {
    arrowTimer_->stop();
  } else if (!arrowTimer_->isActive()) {
    arrowTimer_->start();
  }
}

EntryPanel::EntryPanel(QWidget* parent, const QPixmap& addImage) : QFrame(parent) {
  PlacePanel(this, "AddMan_Pan", 122, 127, 185, 34);
  QWidget* bar = ToolBar(this, "AddMan_ToolBar", 8, 6, 32, 23);
  QToolButton* add = ToolButton(bar, "AddManFrame_TB", addImage, "Add a breakpoint", 0, 0, 23, 22);
  entry_ = new QLineEdit(this);
  entry_->setObjectName("AddMan_Ed");
  entry_->setFont(ListFont());
  entry_->setGeometry(42, 6, 89, 22);
  entry_->installEventFilter(this);
  connect(add, &QToolButton::clicked, this, &EntryPanel::AddClicked);
  QLabel* caption = Label(this, "AddMan_Caption", "Input Frame", SmallCaptionFont(), 138, 4);
  caption->setGeometry(138, 4, 41, 25);
  caption->setAlignment(Qt::AlignCenter);
  caption->setWordWrap(true);
}

bool EntryPanel::TakesTyped(const QString& typed) {
  if (typed.size() != 1) {
    return true;
  }
  const QChar c = typed.front();
  return c == QChar('\b') || (c >= QChar('0') && c <= QChar('9'));
}

QString EntryPanel::Typed() const {
  return entry_->text();
}

bool EntryPanel::HasFocus() const {
  return entry_->hasFocus();
}

// Discards typed characters the entry field does not take. Keys that type
// nothing, and control characters such as the paste shortcut's, pass.
bool EntryPanel::eventFilter(QObject* watched, QEvent* event) {
  if (watched == entry_ && event->type() == QEvent::KeyPress) {
    const auto* key = static_cast<QKeyEvent*>(event);
    const QString typed = key->text();
    const bool typesCharacter = typed.size() == 1 && (typed.front().isPrint() || typed == "\b");
    const bool withCommandKey = key->modifiers() & (Qt::ControlModifier | Qt::MetaModifier);
    if (typesCharacter && !withCommandKey && !TakesTyped(typed)) {
      return true;
    }
  }
  return QFrame::eventFilter(watched, event);
}

void EntryPanel::Follow(const WindowStateHolder& state) {
  setEnabled(state.FileAtHand());
}

InfoPanel::InfoPanel(QWidget* parent) : QFrame(parent) {
  PlacePanel(this, "Info_Pan", 122, 164, 185, 108);
  auto* icon = new QLabel(this);
  icon->setObjectName("Info_Icon");
  icon->setPixmap(IconPicture());
  icon->setGeometry(5, 7, 32, 32);
  QFont titleFont("Arial", 8);
  titleFont.setBold(true);
  Label(this, "Info_Title", "Brelvik MP3 Splitter 1.0", titleFont, 52, 8);
  exactCuts_ = new QCheckBox("Exact cuts", this);
  exactCuts_->setObjectName("ExactCuts_CB");
  exactCuts_->setFont(QFont("Arial", 8));
  exactCuts_->move(45, 24);
  exactCuts_->adjustSize();
  exactCuts_->setFocusPolicy(Qt::NoFocus);
  connect(exactCuts_, &QCheckBox::toggled, this, &InfoPanel::ExactCutsToggled);
  exactCuts_->setToolTip(
      "Cut on whole frames where you heard the breakpoints: each piece gets its own header,\n"
      "the tags with its track number, and plays without a gap or a click at the joins.\n"
      "Off: each piece is a plain byte range of the file.");
  exactWarning_ = new QLabel(this);
  exactWarning_->setObjectName("ExactWarning_Lb");
  exactWarning_->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxWarning).pixmap(12, 12));
  exactWarning_->setGeometry(exactCuts_->geometry().right() + 3,
                             exactCuts_->geometry().center().y() - 6, 12, 12);
  exactWarning_->hide();
  auto* rule = new QFrame(this);
  rule->setObjectName("Info_Rule");
  rule->setGeometry(24, 48, 137, 1);
  rule->setAutoFillBackground(true);
  QPalette dark = rule->palette();
  dark.setColor(QPalette::Window, QColor(0x80, 0x80, 0x80));
  rule->setPalette(dark);
  auto* logo = new QLabel(this);
  logo->setObjectName("Info_Logo");
  logo->setPixmap(LogoPicture());
  logo->setGeometry(40, 55, 100, 47);
}

void InfoPanel::ShowExactWarning(const std::string& warning) {
  exactWarning_->setToolTip(QString::fromStdString(warning));
  exactWarning_->setVisible(!warning.empty());
}

bool InfoPanel::ExactCuts() const {
  return exactCuts_->isChecked();
}

void InfoPanel::Follow(const WindowStateHolder& state) {
  exactCuts_->setEnabled(!state.Busy());
}

OutputPanel::OutputPanel(QWidget* parent, const QPixmap& saveImage, const QPixmap& openImage)
    : QFrame(parent) {
  PlacePanel(this, "Output_Pan", 2, 275, 305, 22);
  template_ = Label(this, "Output_Lb", "Output MP3 Files", SmallCaptionFont(), 11, 5);
  template_->setFixedWidth(250);
  progress_ = new QProgressBar(this);
  progress_->setObjectName("ProgressBar");
  progress_->setGeometry(10, 7, 241, 8);
  progress_->setRange(0, 100);
  progress_->setValue(0);
  progress_->setTextVisible(false);
  progress_->hide();
  split_ = ToolButton(this, "Split_Tb", saveImage, "Makes split MP3 files", 265, 2, 19, 18);
  QToolButton* output =
      ToolButton(this, "Output_TB", openImage, "Change name of output MP3 files", 284, 2, 19, 18);
  connect(split_, &QToolButton::clicked, this, &OutputPanel::SplitClicked);
  connect(output, &QToolButton::clicked, this, &OutputPanel::OutputClicked);
}

void OutputPanel::ShowTemplate(const std::string& splitTemplate) {
  template_->setToolTip(PlainToolTip(FromPath(splitTemplate)));
  ShowName(template_, FromPath(FileNamePart(splitTemplate)));
}

void OutputPanel::Settle() {
  setFixedHeight(22);
  progress_->move(10, 7);
}

void OutputPanel::SetProgressRange(int maximum) {
  progress_->setMaximum(maximum);
}

void OutputPanel::ShowProgress(int value) {
  progress_->setValue(value);
}

void OutputPanel::Follow(const WindowStateHolder& state) {
  setEnabled(state.FileAtHand());
  template_->setVisible(!state.Busy());
  progress_->setVisible(state.Busy());
}

}  // namespace brelvik::ui
