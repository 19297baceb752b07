#include "cli/CommandLine.h"

int main(int argc, char** argv) {
  return brelvik::RunCommandLine(argc, argv);
}
