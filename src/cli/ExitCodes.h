// The exit codes of brelvik-split, shared by its commands and its help text.
#pragma once

namespace brelvik {

enum ExitCode : int {
  kExitSuccess = 0,
  kExitRefused = 1,     // no valid MPEG audio, or a breakpoint refused
  kExitUnreadable = 2,  // the file cannot be read or analysed at all
  kExitWriteFailed = 3  // a piece could not be written
};

}  // namespace brelvik
