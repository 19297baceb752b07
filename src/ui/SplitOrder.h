// What a split in the window is asked to do, taken from the window's session
// in one go before the split starts, so that the split can run on a thread of
// its own while the window goes on: the described byte-range pieces, or exact
// cuts at the times the breakpoints stand for.
#pragma once

#include <string>

#include "io/InputFile.h"
#include "session/Session.h"
#include "split/SplitEngine.h"

namespace brelvik::ui {

struct SplitOrder {
  brelvik::Session Session;
  bool Exact = false;
};

// Writes the pieces of the session's job from the open source: exact pieces
// are planned here, on the split's thread, for finding the real frames reads
// the whole file. Returns why the pieces cannot be made, if they cannot;
// nothing is written then.
std::string RunSplitOrder(const SplitOrder& order, InputFile& source,
                          const SplitProgress& progress);

}  // namespace brelvik::ui
