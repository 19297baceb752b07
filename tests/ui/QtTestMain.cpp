// GoogleTest with a QApplication created first, as the window needs one. The
// window tests draw off screen and play to SDL's dummy output unless told
// otherwise, also when the test list is read at build time.
#include <gtest/gtest.h>

#include <QApplication>

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
  }
  if (qEnvironmentVariableIsEmpty("SDL_AUDIODRIVER")) {
    qputenv("SDL_AUDIODRIVER", "dummy");
  }
  QApplication application(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
