// The user's plan of the split: an ascending list of frame numbers, each the
// first frame of a piece, held as the texts the list box shows. Entries are
// unique by value; an entry typed by hand keeps its text as typed ("007").
// An entry that came from a time (a typed time, a cue sheet's track, a
// silence, a marker dragged on the waveform) keeps that time beside its
// frame: exact cuts are made there rather than where the frame starts.
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

// What a move did: where the entry is now, or why it stayed. Both are empty
// when another entry already holds the value (the entry stays, as an add of
// that value would add nothing).
struct MoveOutcome {
  std::optional<int> NowAt;
  std::string Refusal;
};

struct Breakpoint {
  std::string Text;
  std::optional<double> TimeMs;  // the time it came from, on the playback time base

  friend bool operator==(const Breakpoint&, const Breakpoint&) = default;
};

class BreakpointList {
 public:
  BreakpointList();  // holds the single entry "0", as before any file is opened

  void Reset();  // back to the single entry "0", nothing selected

  // Adds the frame label's text unless an entry with that text (letter case
  // ignored) is there. Raises EConvertError for a text that is not a number.
  // An entry already there keeps its own time.
  AddOutcome AddCurrentFrame(const std::string& text, std::optional<double> timeMs = {});
  // Adds a typed text after checking it against 0..frameTotal. Raises
  // EConvertError for a text that is not a number (it can be pasted).
  AddOutcome AddTypedFrame(const std::string& text, std::int32_t frameTotal,
                           std::optional<double> timeMs = {});
  // Gives entry index the frame (as its text) and the time, re-sorted into
  // place and selected. Refused as an add is: past frameTotal (with the add's
  // message), below 0, or onto another entry's value; the entry then stays
  // as it was. Raises std::out_of_range for an index that is no entry.
  MoveOutcome Move(int index, std::int32_t frame, std::int32_t frameTotal,
                   std::optional<double> timeMs = {});
  // Deletes the selected entry, if any; the entry now at that index (or the
  // last one) becomes the selection.
  void DeleteSelected();

  int Count() const { return static_cast<int>(entries_.size()); }
  std::int32_t Value(int index) const;
  const std::string& Text(int index) const { return Entry(index).Text; }
  std::optional<double> TimeMs(int index) const { return Entry(index).TimeMs; }
  std::vector<std::string> Texts() const;
  const std::vector<Breakpoint>& Entries() const { return entries_; }

  // The index of the entry with this value; nothing when there is none.
  std::optional<int> IndexOf(std::int32_t value) const;
  void SetTime(int index, std::optional<double> timeMs);

  int Selected() const { return selected_; }  // -1 when nothing is selected
  void Select(int index);

 private:
  const Breakpoint& Entry(int index) const { return entries_.at(static_cast<std::size_t>(index)); }
  std::optional<int> Insert(std::int32_t value, Breakpoint entry);

  std::vector<Breakpoint> entries_;
  int selected_ = -1;
};

// What to add to the refusal of a typed breakpoint when the file's figures
// allow none at all: " (the file's header states 0 frames)" for a frame total
// of 0 or less, which only a variable-rate header can state; empty otherwise.
std::string FrameCountReason(std::int32_t frameTotal);

}  // namespace brelvik
