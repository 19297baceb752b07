#include "split/BreakpointList.h"

#include <algorithm>
#include <cctype>
#include <utility>

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
  entries_.assign({Breakpoint{"0", std::nullopt}});
  selected_ = -1;
}

std::int32_t BreakpointList::Value(int index) const {
  return StrToInt(Text(index));
}

std::vector<std::string> BreakpointList::Texts() const {
  std::vector<std::string> texts;
  texts.reserve(entries_.size());
  for (const Breakpoint& entry : entries_) {
    texts.push_back(entry.Text);
  }
  return texts;
}

std::optional<int> BreakpointList::IndexOf(std::int32_t value) const {
  for (int i = 0; i < Count(); ++i) {
    if (Value(i) == value) {
      return i;
    }
  }
  return std::nullopt;
}

void BreakpointList::SetTime(int index, std::optional<double> timeMs) {
  entries_.at(static_cast<std::size_t>(index)).TimeMs = timeMs;
}

void BreakpointList::Select(int index) {
  selected_ = index >= 0 && index < Count() ? index : -1;
}

AddOutcome BreakpointList::AddCurrentFrame(const std::string& text, std::optional<double> timeMs) {
  const bool present = std::any_of(entries_.begin(), entries_.end(), [&](const Breakpoint& e) {
    return SameTextIgnoringCase(e.Text, text);
  });
  if (present) {
    return {};
  }
  return {Insert(StrToInt(text), {text, timeMs}), {}};
}

AddOutcome BreakpointList::AddTypedFrame(const std::string& text, std::int32_t frameTotal,
                                         std::optional<double> timeMs) {
  if (text.empty()) {
    return {std::nullopt, "Insert a number of frames from 0 to: " + std::to_string(frameTotal)};
  }
  const std::int32_t value = StrToInt(text);
  if (value > frameTotal) {
    return {std::nullopt, "Maximum number of frames: " + std::to_string(frameTotal)};
  }
  return {Insert(value, {text, timeMs}), {}};
}

MoveOutcome BreakpointList::Move(int index, std::int32_t frame, std::int32_t frameTotal,
                                 std::optional<double> timeMs) {
  const Breakpoint before = Entry(index);
  if (frame > frameTotal) {
    return {std::nullopt, "Maximum number of frames: " + std::to_string(frameTotal)};
  }
  if (frame < 0) {
    return {std::nullopt, "Insert a number of frames from 0 to: " + std::to_string(frameTotal)};
  }
  const int selectedBefore = selected_;
  entries_.erase(entries_.begin() + index);
  if (const auto at = Insert(frame, {std::to_string(frame), timeMs})) {
    return {at, {}};
  }
  entries_.insert(entries_.begin() + index, before);
  selected_ = selectedBefore;
  return {};
}

// Appends after a smaller last entry; otherwise walks from the front and stops
// at an equal value (nothing added) or before the first greater one.
std::optional<int> BreakpointList::Insert(std::int32_t value, Breakpoint entry) {
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
  entries_.insert(entries_.begin() + index, std::move(entry));
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
