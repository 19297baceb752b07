// Breakpoint lists for the tests, built through the list's own add path.
#pragma once

#include <string>
#include <vector>

#include "split/BreakpointList.h"

namespace brelvik::testing {

// A list holding exactly these texts, given in ascending order of value.
inline BreakpointList ListOf(const std::vector<std::string>& texts) {
  BreakpointList list;
  list.Select(0);
  list.DeleteSelected();
  for (const auto& text : texts) {
    list.AddTypedFrame(text, 2147483647);
  }
  return list;
}

}  // namespace brelvik::testing
