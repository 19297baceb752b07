#include "cli/CommandLine.h"
#include "io/EndSignals.h"

int main(int argc, char** argv) {
  // Ended by a signal as any program is, without the hidden temporary file of
  // a piece it was writing (where the file system had no unnamed ones).
  brelvik::EndAtOnceOnSignals();
  return brelvik::RunCommandLine(argc, argv);
}
