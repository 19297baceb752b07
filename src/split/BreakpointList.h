// The user's plan of the split: an ascending list of frame numbers, each the
// first frame of a piece, held as the texts the list box shows. Entries are
// unique by value; an entry typed by hand keeps its text as typed ("007").
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace brelvik {

// What an add did: where the new entry went, or why the text was refused.
// Both are empty when the value was already in the list.
struct AddOutcome {
  std::optional<int> InsertedAt;
  std::string Refusal;  // the text for the window's error box
};

class BreakpointList {
 public:
  BreakpointList();  // holds the single entry "0", as before any file is opened

  void Reset();  // back to the single entry "0", nothing selected

  // Adds the frame label's text unless an entry with that text (letter case
  // ignored) is there. Raises EConvertError for a text that is not a number.
  AddOutcome AddCurrentFrame(const std::string& text);
  // Adds a typed text after checking it against 0..frameTotal. Raises
  // EConvertError for a text that is not a number (it can be pasted).
  AddOutcome AddTypedFrame(const std::string& text, std::int32_t frameTotal);
  // Deletes the selected entry, if any; the entry now at that index (or the
  // last one) becomes the selection.
  void DeleteSelected();

  int Count() const { return static_cast<int>(entries_.size()); }
  std::int32_t Value(int index) const;
  const std::string& Text(int index) const { return entries_.at(static_cast<std::size_t>(index)); }
  const std::vector<std::string>& Texts() const { return entries_; }

  int Selected() const { return selected_; }  // -1 when nothing is selected
  void Select(int index);

 private:
  std::optional<int> Insert(std::int32_t value, const std::string& text);

  std::vector<std::string> entries_;
  int selected_ = -1;
};

// What to add to the refusal of a typed breakpoint when the file's figures
// allow none at all: " (the file's header states 0 frames)" for a frame total
// of 0 or less, which only a variable-rate header can state; empty otherwise.
std::string FrameCountReason(std::int32_t frameTotal);

}  // namespace brelvik
