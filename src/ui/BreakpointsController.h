// The one owner of the window's breakpoint list. Every change of the list goes
// through it (an add of the current frame or of a typed one, a delete, a cue
// sheet opened, silences added, a new file), and each change is announced
// with Changed, so that the list box follows and an undo stack can later wrap
// the changes. Besides each entry's frame it keeps the time an entry stands
// for where it came from a time (a cue sheet's index, a silence's middle),
// which exact cuts use as it is, and the sheet the list was filled from.
#pragma once

#include <QObject>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "cue/CueSheet.h"
#include "silence/SilenceFinder.h"
#include "split/BreakpointList.h"
#include "split/StreamFigures.h"

namespace brelvik::ui {

class BreakpointsController final : public QObject {
  Q_OBJECT

 public:
  using QObject::QObject;

  // Everything an undo brings back: the entries with their texts and times,
  // the selection and the sheet the list came from.
  struct Snapshot {
    std::vector<Breakpoint> Entries;
    std::map<std::int32_t, double> MarkedTimes;
    int Selected = -1;
    std::optional<cue::CueSheet> Sheet;
    std::string SheetPath;

    friend bool operator==(const Snapshot&, const Snapshot&) = default;
  };
  Snapshot TakeSnapshot() const;
  // Puts the list back as it was taken; a change like any other.
  void Restore(const Snapshot& snapshot);

  const BreakpointList& List() const { return list_; }
  // For tests that set entries up directly; Refresh announces what they did.
  BreakpointList& EditableList() { return list_; }
  void Refresh() { emit Changed(); }

  const std::map<std::int32_t, double>& MarkedTimes() const { return markedTimes_; }
  const std::optional<cue::CueSheet>& Sheet() const { return sheet_; }
  const std::string& SheetPath() const { return sheetPath_; }

  // A new file: the single entry "0", no times, no sheet; entry times are
  // counted with these figures from now on.
  void Reset(const StreamFigures& figures);
  // An entry added from a time (a click on the waveform in exact mode) keeps it.
  AddOutcome AddCurrentFrame(const std::string& frameText, std::optional<double> timeMs = {});
  AddOutcome AddTypedFrame(const std::string& typed, std::int32_t frameTotal);
  // The selection follows the list box; it is no change of the list.
  void Select(int index) { list_.Select(index); }
  void DeleteSelected();
  // Entry `index` to another frame, checked as an add is; in exact mode it
  // keeps the time it was moved to. A refused move changes nothing.
  MoveOutcome Move(int index, std::int32_t frame, std::optional<double> timeMs = {});
  // The list filled from a sheet: each index keeps its time, and the last
  // entry the sheet's end or, without one, the end of the stream.
  void TakeSheet(const cue::CueSheet& sheet, const std::string& sheetPath,
                 const BreakpointList& list, std::int32_t endOfFileFrame);
  // A breakpoint in the middle of each silence; an entry already at that
  // frame keeps its own time.
  void AddSilences(const std::vector<silence::Silence>& silences);

  // The time in milliseconds entry `index` stands for: its own time where it
  // has one, else the start of its frame.
  double TimeOf(int index) const;
  // That time as mm:ss.mmm, for the entry's hint; empty for the end of the stream.
  std::string TimeText(int index) const;

 signals:
  // A new file was opened; Changed follows.
  void NewFile();
  void Changed();

 private:
  BreakpointList list_;
  StreamFigures figures_;
  std::map<std::int32_t, double> markedTimes_;
  std::optional<cue::CueSheet> sheet_;
  std::string sheetPath_;  // where the sheet was read, which no piece may replace
};

}  // namespace brelvik::ui
