// What a split in the window is asked to do, taken from the window's state in
// one go before the split starts, so that the split can run on a thread of its
// own while the window goes on: the described byte-range pieces, or exact cuts
// at the times the breakpoints stand for.
#pragma once

#include <string>
#include <vector>

#include "exact/CutPlan.h"
#include "exact/PieceTags.h"
#include "io/InputFile.h"
#include "io/WritePolicy.h"
#include "split/BreakpointList.h"
#include "split/SplitEngine.h"
#include "split/StreamFigures.h"

namespace brelvik::ui {

class BreakpointsController;

struct SplitOrder {
  std::string SourcePath;
  std::string Template;
  StreamFigures Figures;
  BreakpointList Breakpoints;
  bool Exact = false;
  std::vector<exact::CutRequest> Requests;  // exact cuts only
  std::vector<exact::PieceNames> Names;     // exact cuts from a sheet only
  WritePolicy AlsoRead;                     // the files besides the source no piece may replace
};

SplitOrder MakeSplitOrder(const BreakpointsController& breakpoints, const std::string& sourcePath,
                          const std::string& splitTemplate, const StreamFigures& figures,
                          bool exact);

// Writes the pieces from the open source. Returns why exact pieces cannot be
// made, if they cannot; nothing is written then.
std::string RunSplitOrder(const SplitOrder& order, InputFile& source,
                          const SplitProgress& progress);

}  // namespace brelvik::ui
