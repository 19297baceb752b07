// A main window wired to a scripted device and scripted file dialogs, with
// lookups of its controls by name.
#pragma once

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QLabel>
#include <QListView>
#include <QSlider>
#include <QString>
#include <QTest>
#include <QToolButton>
#include <deque>
#include <memory>
#include <optional>
#include <ostream>
#include <vector>

#include "ScriptedDevice.h"
#include "StreamBuilder.h"
#include "TempDir.h"
#include "ui/FileDialogs.h"
#include "ui/MainWindow.h"

// Readable QStrings in failure messages.
inline void PrintTo(const QString& text, std::ostream* out) {
  *out << '"' << text.toStdString() << '"';
}

namespace brelvik::testing {

// Answers the open and save dialogs from queues; an empty queue cancels.
class ScriptedDialogs final : public ui::FileDialogs {
 public:
  ScriptedDialogs(std::deque<QString>& answers, std::vector<QString>& offered)
      : answers_(answers), offered_(offered) {}
  std::optional<QString> ChooseSourceFile(QWidget*, const QString& folder) override {
    offered_.push_back(folder);
    return Next();
  }
  std::optional<QString> ChooseOutputName(QWidget*, const QString& proposal) override {
    offered_.push_back(proposal);
    return Next();
  }
  std::optional<QString> ChooseCueSheetName(QWidget*, const QString& proposal) override {
    offered_.push_back(proposal);
    return Next();
  }

 private:
  std::optional<QString> Next() {
    if (answers_.empty()) {
      return std::nullopt;
    }
    QString answer = answers_.front();
    answers_.pop_front();
    return answer;
  }
  std::deque<QString>& answers_;
  std::vector<QString>& offered_;
};

// Lets the window's events run until the split, which writes its pieces on a
// thread of its own, has ended.
inline void WaitForTheSplit(ui::TMain& window, int timeoutMs = 60000) {
  QElapsedTimer clock;
  clock.start();
  while (window.State() == ui::WindowState::Splitting && clock.elapsed() < timeoutMs) {
    QTest::qWait(2);
  }
  EXPECT_NE(window.State(), ui::WindowState::Splitting) << "the split did not end";
}
// Clicks the split button and waits for the split.
inline void SplitAndWait(ui::TMain& window) {
  window.Split_TbClick();
  WaitForTheSplit(window);
}

class WindowTest : public ::testing::Test {
 protected:
  WindowTest()
      : window_(std::make_unique<ScriptedDevice>(device_),
                std::make_unique<ScriptedDialogs>(dialogAnswers_, dialogOffers_)) {}

  template <typename Widget>
  Widget* Find(const char* name) {
    auto* widget = window_.findChild<Widget*>(name);
    EXPECT_NE(widget, nullptr) << name;
    return widget;
  }
  QString LabelText(const char* name) { return Find<QLabel>(name)->text(); }

  // The breakpoint list box and what its rows show.
  QListView* ListBox() { return Find<QListView>("BreakpointsList"); }
  QStringList ListRows(int role) {
    QStringList rows;
    const QAbstractItemModel* model = ListBox()->model();
    for (int i = 0; i < model->rowCount(); ++i) {
      rows << model->index(i, 0).data(role).toString();
    }
    return rows;
  }
  QStringList ListTexts() { return ListRows(Qt::DisplayRole); }
  QStringList ListHints() { return ListRows(Qt::ToolTipRole); }
  // Selects a row as a click on it would (-1: none).
  void SelectRow(int row) { ListBox()->setCurrentIndex(ListBox()->model()->index(row, 0)); }
  int CurrentRow() { return ListBox()->currentIndex().row(); }
  QRect RowRect(int row) { return ListBox()->visualRect(ListBox()->model()->index(row, 0)); }

  // A constant-rate 128 kbit/s 44.1 kHz file of the given number of 417-byte frames.
  std::string WriteMp3(const std::string& name, int frames = 100) {
    const std::string path = dir_.File(name);
    StreamBuilder().Frames(HeaderFields{}, frames).WriteTo(path);
    return path;
  }

  // Opens a file through the open button as a person would.
  void OpenThroughDialog(const std::string& path) {
    dialogAnswers_.push_back(QString::fromStdString(path));
    window_.Open_TBClick();
  }

  void ChooseOutputName(const std::string& path) {
    dialogAnswers_.push_back(QString::fromStdString(path));
    window_.Output_TBClick();
  }

  TempDir dir_;
  ScriptedDevice::State device_;
  std::deque<QString> dialogAnswers_;
  std::vector<QString> dialogOffers_;  // each dialog's starting folder or proposed path
  ui::TMain window_;
};

// A window with a 100-frame constant-rate file open (417-byte frames at
// 128 kbit/s: 26.06 ms each, 2,606 ms in all) and the device's record cleared.
class OpenedWindowTest : public WindowTest {
 protected:
  void SetUp() override {
    device_.Length = 2606;
    OpenThroughDialog(WriteMp3("live.mp3", 100));
    device_.Calls.clear();
  }

  QSlider* Bar() { return Find<QSlider>("TrackBar"); }
  // The image list index a button shows.
  int Image(const char* button) {
    return Find<QToolButton>(button)->property("imageIndex").toInt();
  }
};

}  // namespace brelvik::testing
