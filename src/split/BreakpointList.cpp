#include "split/BreakpointList.h"

#include <algorithm>
#include <cctype>

#include "split/IntegerText.h"

namespace brelvik {
namespace {

bool SameTextIgnoringCase(const std::string& a, const std::string& b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
    return std::tolower(static_cast<unsigned char>(x)) ==
           std::tolower(static_cast<unsigned char>(y));
  });
}

}  // namespace

BreakpointList::BreakpointList() {
  Reset();
}

void BreakpointList::Reset() {
  entries_.assign({"0"});
  selected_ = -1;
}

std::int32_t BreakpointList::Value(int index) const {
  return StrToInt(Text(index));
}

void BreakpointList::Select(int index) {
  selected_ = index >= 0 && index < Count() ? index : -1;
}

AddOutcome BreakpointList::AddCurrentFrame(const std::string& text) {
  const bool present = std::any_of(entries_.begin(), entries_.end(), [&](const std::string& e) {
    return SameTextIgnoringCase(e, text);
  });
  if (present) {
    return {};
  }
  return {Insert(StrToInt(text), text), {}};
}

AddOutcome BreakpointList::AddTypedFrame(const std::string& text, std::int32_t frameTotal) {
  if (text.empty()) {
    return {std::nullopt, "Insert a number of frames from 0 to: " + std::to_string(frameTotal)};
  }
  const std::int32_t value = StrToInt(text);
  if (value > frameTotal) {
    return {std::nullopt, "Maximum number of frames: " + std::to_string(frameTotal)};
  }
  return {Insert(value, text), {}};
}

// Appends after a smaller last entry; otherwise walks from the front and stops
// at an equal value (nothing added) or before the first greater one.
std::optional<int> BreakpointList::Insert(std::int32_t value, const std::string& text) {
  const std::int64_t last = entries_.empty() ? -1 : Value(Count() - 1);
  int index = Count();
  // An empty list takes any value at once; a pasted negative one would
  // otherwise walk past its end.
  if (!entries_.empty() && last >= value) {
    index = 0;
    while (Value(index) < value) {
      ++index;
    }
    if (Value(index) == value) {
      return std::nullopt;
    }
  }
  entries_.insert(entries_.begin() + index, text);
  selected_ = index;
  return index;
}

void BreakpointList::DeleteSelected() {
  if (selected_ < 0) {
    return;
  }
  entries_.erase(entries_.begin() + selected_);
  selected_ = std::min(selected_, Count() - 1);
}

std::string FrameCountReason(std::int32_t frameTotal) {
  if (frameTotal > 0) {
    return {};
  }
  return " (the file's header states " + std::to_string(frameTotal) + " frames)";
}

}  // namespace brelvik
