#include <csignal>

#include "cli/CommandLine.h"
#include "split/FileStreams.h"

namespace {

// Ends the program as the signal would have, without the hidden temporary
// file of a piece it was writing (where the file system had no unnamed ones).
extern "C" void EndOnSignal(int signal) {
  brelvik::RemovePieceTemporary();
  std::signal(signal, SIG_DFL);
  std::raise(signal);
}

void HandleSignals() {
  for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
    std::signal(signal, EndOnSignal);
  }
  // Past a file-size limit a write then fails with "Stream write error".
  std::signal(SIGXFSZ, SIG_IGN);
}

}  // namespace

int main(int argc, char** argv) {
  HandleSignals();
  return brelvik::RunCommandLine(argc, argv);
}
