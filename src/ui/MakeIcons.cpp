// Draws the program's icon for the desktop's icon theme: PNGs of the usual
// sizes and a scalable SVG, from the same drawing as the window's icon.
//
// Usage: brelvik-make-icons FOLDER NAME
//   writes FOLDER/hicolor/SIZExSIZE/apps/NAME.png and
//   FOLDER/hicolor/scalable/apps/NAME.svg
#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QSvgGenerator>
#include <cstdio>

#include "ui/Pictures.h"

namespace {

constexpr int kSizes[] = {16, 22, 24, 32, 48, 64, 128, 256};

// The mark fills 30/32 of the square, as in the window's icon.
QRectF MarkBox(int size) {
  const qreal margin = size / 32.0;
  return QRectF(margin, margin, size - 2 * margin, size - 2 * margin);
}

bool WritePng(const QString& folder, const QString& name, int size) {
  const QString dir = QString("%1/hicolor/%2x%2/apps").arg(folder).arg(size);
  QDir().mkpath(dir);
  QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  QPainter painter(&image);
  painter.setRenderHint(QPainter::Antialiasing);
  brelvik::ui::PaintMark(painter, MarkBox(size));
  painter.end();
  return image.save(dir + "/" + name + ".png");
}

bool WriteSvg(const QString& folder, const QString& name) {
  const QString dir = folder + "/hicolor/scalable/apps";
  QDir().mkpath(dir);
  QSvgGenerator svg;
  svg.setFileName(dir + "/" + name + ".svg");
  svg.setSize(QSize(256, 256));
  svg.setViewBox(QRect(0, 0, 256, 256));
  svg.setTitle("Brelvik MP3 Splitter");
  QPainter painter;
  if (!painter.begin(&svg)) {
    return false;
  }
  painter.setRenderHint(QPainter::Antialiasing);
  brelvik::ui::PaintMark(painter, MarkBox(256));
  return painter.end();
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fputs("usage: brelvik-make-icons FOLDER NAME\n", stderr);
    return 2;
  }
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication application(argc, argv);
  const QString folder = QString::fromLocal8Bit(argv[1]);
  const QString name = QString::fromLocal8Bit(argv[2]);
  bool written = WriteSvg(folder, name);
  for (const int size : kSizes) {
    written = WritePng(folder, name, size) && written;
  }
  if (!written) {
    std::fprintf(stderr, "brelvik-make-icons: cannot write the icons into %s\n", argv[1]);
    return 1;
  }
  return 0;
}
