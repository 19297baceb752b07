// Answers the modal boxes a handler opens: records each box's title, text,
// icon and text format, then closes it with the given key, as a person would.
#pragma once

#include <QApplication>
#include <QMessageBox>
#include <QTest>
#include <QTimer>
#include <memory>
#include <vector>

namespace brelvik::testing {

struct SeenBox {
  QString Title;
  QString Text;
  QMessageBox::Icon Icon = QMessageBox::NoIcon;
  int Buttons = 0;
  Qt::TextFormat TextFormat = Qt::AutoText;
};

class ModalBoxes {
 public:
  explicit ModalBoxes(Qt::Key answer = Qt::Key_Return) : answer_(answer) {
    timer_.setInterval(5);
    QObject::connect(&timer_, &QTimer::timeout, [this] { AnswerOpenBox(); });
    timer_.start();
  }

  const std::vector<SeenBox>& Seen() const { return seen_; }

 private:
  void AnswerOpenBox() {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (box == nullptr) {
      return;
    }
    seen_.push_back({box->windowTitle(), box->text(), box->icon(),
                     static_cast<int>(box->buttons().size()), box->textFormat()});
    QTest::keyClick(box, answer_);
  }

  Qt::Key answer_;
  QTimer timer_;
  std::vector<SeenBox> seen_;
};

}  // namespace brelvik::testing
