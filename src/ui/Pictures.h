// The program's own pictures, drawn in code so that each reads clearly at its
// size: the 12 x 12 button images, the 16 x 16 images of the two add buttons,
// the window icon and the logo.
#pragma once

#include <QIcon>
#include <QPainter>
#include <QPixmap>
#include <vector>

namespace brelvik::ui {

// By index: 0 grey play, 1 grey pause, 2 stop, 3 go to start, 4 step back,
// 5 step forward, 6 go to end, 7 green play, 8 orange pause, 9 open folder with
// a curved arrow, 10 floppy disk, 11 red double arrow.
enum MediaImage {
  kImagePlay = 0,
  kImagePause = 1,
  kImageStop = 2,
  kImageStart = 3,
  kImageStepBack = 4,
  kImageStepForward = 5,
  kImageEnd = 6,
  kImagePlaying = 7,
  kImagePaused = 8,
  kImageOpen = 9,
  kImageSave = 10,
  kImageDoubleArrow = 11,
};
std::vector<QPixmap> MediaImageList();

// By index: 0 scissors, 1 red double arrow pointing left.
enum AddImage { kImageScissors = 0, kImageAddArrow = 1 };
std::vector<QPixmap> AddImageList();

// The program's mark, drawn to fill the box at any size: the icon's picture.
void PaintMark(QPainter& painter, const QRectF& box);

QPixmap IconPicture();  // 32 x 32, also the window icon
QIcon WindowIcon();
QPixmap LogoPicture();  // 100 x 47

}  // namespace brelvik::ui
