#include "ui/Pictures.h"

#include <QFont>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>
#include <functional>

namespace brelvik::ui {
namespace {

const QColor kGrey(0x55, 0x5B, 0x66);
const QColor kGreen(0x1E, 0x9E, 0x3A);
const QColor kOrange(0xF0, 0x8A, 0x00);
const QColor kRed(0xD2, 0x1F, 0x1F);
const QColor kBlue(0x1F, 0x4E, 0x9A);

QPixmap Draw(int size, const std::function<void(QPainter&)>& paint) {
  QPixmap pixmap(size, size);
  pixmap.fill(Qt::transparent);
  QPainter painter(&pixmap);
  painter.setRenderHint(QPainter::Antialiasing);
  paint(painter);
  return pixmap;
}

void Triangle(QPainter& p, const QColor& color, qreal left, qreal right, qreal top, qreal bottom,
              bool pointsRight) {
  const qreal middle = (top + bottom) / 2;
  QPolygonF shape;
  if (pointsRight) {
    shape << QPointF(left, top) << QPointF(right, middle) << QPointF(left, bottom);
  } else {
    shape << QPointF(right, top) << QPointF(left, middle) << QPointF(right, bottom);
  }
  p.setPen(Qt::NoPen);
  p.setBrush(color);
  p.drawPolygon(shape);
}

void Bars(QPainter& p, const QColor& color) {
  p.setPen(Qt::NoPen);
  p.setBrush(color);
  p.drawRect(QRectF(2, 1.5, 3, 9));
  p.drawRect(QRectF(7, 1.5, 3, 9));
}

void Bar(QPainter& p, qreal x) {
  p.setPen(Qt::NoPen);
  p.setBrush(kGrey);
  p.drawRect(QRectF(x, 2, 1.6, 8));
}

void DoubleArrowLeft(QPainter& p, qreal size) {
  const qreal s = size / 12;
  Triangle(p, kRed, 0.5 * s, 6 * s, 1.5 * s, 10.5 * s, false);
  Triangle(p, kRed, 5.5 * s, 11 * s, 1.5 * s, 10.5 * s, false);
}

QPixmap OpenFolder() {
  return Draw(12, [](QPainter& p) {
    p.setPen(QPen(QColor(0x9A, 0x6A, 0x00), 0.8));
    p.setBrush(QColor(0xF4, 0xC4, 0x30));
    p.drawRect(QRectF(0.5, 4.5, 8, 6.5));
    p.drawRect(QRectF(0.5, 3.5, 3.5, 1.5));
    QPainterPath arrow;
    arrow.moveTo(5, 5);
    arrow.quadTo(6.5, 0.8, 10.5, 1.8);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(kBlue, 1.3, Qt::SolidLine, Qt::RoundCap));
    p.drawPath(arrow);
    Triangle(p, kBlue, 9.2, 11.8, 0.2, 4.4, true);
  });
}

QPixmap Floppy() {
  return Draw(12, [](QPainter& p) {
    p.setPen(QPen(QColor(0x12, 0x2C, 0x5A), 0.8));
    p.setBrush(kBlue);
    p.drawRect(QRectF(0.5, 0.5, 11, 11));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(2.5, 0.5, 7, 4.5));
    p.setBrush(QColor(0xC8, 0xD4, 0xE8));
    p.drawRect(QRectF(2.5, 7, 7, 4.5));
    p.setPen(Qt::NoPen);
    p.setBrush(kBlue);
    p.drawRect(QRectF(6.5, 1.2, 1.8, 3));
  });
}

QPixmap Scissors() {
  return Draw(16, [](QPainter& p) {
    p.setPen(QPen(QColor(0x60, 0x66, 0x70), 1.6, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(4, 2), QPointF(10.5, 11));
    p.drawLine(QPointF(12, 2), QPointF(5.5, 11));
    p.setPen(QPen(kRed, 1.6));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QPointF(4.2, 12.6), 2.4, 2.4);
    p.drawEllipse(QPointF(11.8, 12.6), 2.4, 2.4);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x30, 0x30, 0x30));
    p.drawEllipse(QPointF(8, 7.6), 0.9, 0.9);
  });
}

}  // namespace

// A waveform cut by a red line: the program's mark, used by the icon and the logo.
void PaintMark(QPainter& p, const QRectF& box) {
  QLinearGradient fill(box.topLeft(), box.bottomLeft());
  fill.setColorAt(0, QColor(0x2E, 0x6B, 0xC6));
  fill.setColorAt(1, QColor(0x14, 0x36, 0x70));
  p.setPen(Qt::NoPen);
  p.setBrush(fill);
  p.drawRoundedRect(box, box.width() / 6, box.width() / 6);
  const qreal mid = box.center().y();
  const qreal step = box.width() / 10;
  p.setPen(QPen(Qt::white, box.width() / 20, Qt::SolidLine, Qt::RoundCap));
  static constexpr qreal kHeights[] = {0.15, 0.35, 0.6, 0.3, 0.5, 0.25, 0.45, 0.2, 0.1};
  for (int i = 0; i < 9; ++i) {
    const qreal x = box.left() + step * (i + 1);
    const qreal h = kHeights[i] * box.height() / 1.4;
    p.drawLine(QPointF(x, mid - h), QPointF(x, mid + h));
  }
  p.setPen(QPen(QColor(0xFF, 0x4A, 0x3A), box.width() / 14, Qt::DashLine, Qt::FlatCap));
  const qreal cut = box.left() + box.width() * 0.55;
  p.drawLine(QPointF(cut, box.top() + 2), QPointF(cut, box.bottom() - 2));
}

std::vector<QPixmap> MediaImageList() {
  std::vector<QPixmap> images;
  images.push_back(Draw(12, [](QPainter& p) { Triangle(p, kGrey, 2.5, 10.5, 1.5, 10.5, true); }));
  images.push_back(Draw(12, [](QPainter& p) { Bars(p, kGrey); }));
  images.push_back(Draw(12, [](QPainter& p) {
    p.setPen(QPen(QColor(0x30, 0x30, 0x30), 1));
    p.setBrush(kGrey);
    p.drawRect(QRectF(1.5, 1.5, 9, 9));
  }));
  images.push_back(Draw(12, [](QPainter& p) {
    Bar(p, 1.5);
    Triangle(p, kGrey, 3.5, 10.5, 2, 10, false);
  }));
  images.push_back(Draw(12, [](QPainter& p) {
    Triangle(p, kGrey, 1, 6, 2.5, 9.5, false);
    Triangle(p, kGrey, 6, 11, 2.5, 9.5, false);
  }));
  images.push_back(Draw(12, [](QPainter& p) {
    Triangle(p, kGrey, 1, 6, 2.5, 9.5, true);
    Triangle(p, kGrey, 6, 11, 2.5, 9.5, true);
  }));
  images.push_back(Draw(12, [](QPainter& p) {
    Triangle(p, kGrey, 1.5, 8.5, 2, 10, true);
    Bar(p, 8.9);
  }));
  images.push_back(Draw(12, [](QPainter& p) { Triangle(p, kGreen, 2.5, 10.5, 1.5, 10.5, true); }));
  images.push_back(Draw(12, [](QPainter& p) { Bars(p, kOrange); }));
  images.push_back(OpenFolder());
  images.push_back(Floppy());
  images.push_back(Draw(12, [](QPainter& p) { DoubleArrowLeft(p, 12); }));
  return images;
}

std::vector<QPixmap> AddImageList() {
  return {Scissors(), Draw(16, [](QPainter& p) { DoubleArrowLeft(p, 16); })};
}

QPixmap IconPicture() {
  return Draw(32, [](QPainter& p) { PaintMark(p, QRectF(1, 1, 30, 30)); });
}

QIcon WindowIcon() {
  QIcon icon;
  for (int size : {16, 32, 64}) {
    icon.addPixmap(Draw(size, [size](QPainter& p) {
      PaintMark(p, QRectF(size / 32.0, size / 32.0, size * 30 / 32.0, size * 30 / 32.0));
    }));
  }
  return icon;
}

QPixmap LogoPicture() {
  QPixmap pixmap(100, 47);
  pixmap.fill(Qt::transparent);
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing);
  p.setRenderHint(QPainter::TextAntialiasing);
  PaintMark(p, QRectF(2, 6, 34, 34));
  QFont title("Arial");
  title.setPixelSize(17);
  title.setBold(true);
  p.setFont(title);
  p.setPen(QColor(0x14, 0x36, 0x70));
  p.drawText(QRectF(40, 5, 60, 22), Qt::AlignLeft | Qt::AlignVCenter, "Brelvik");
  QFont line("Arial");
  line.setPixelSize(10);
  p.setFont(line);
  p.setPen(QColor(0x55, 0x5B, 0x66));
  p.drawText(QRectF(40, 25, 60, 16), Qt::AlignLeft | Qt::AlignVCenter, "lossless cuts");
  return pixmap;
}

}  // namespace brelvik::ui
