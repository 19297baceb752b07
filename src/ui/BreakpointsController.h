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
  AddOutcome AddCurrentFrame(const std::string& frameText);
  AddOutcome AddTypedFrame(const std::string& typed, std::int32_t frameTotal);
  // The selection follows the list box; it is no change of the list.
  void Select(int index) { list_.Select(index); }
  void DeleteSelected();
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
  void Changed();

 private:
  BreakpointList list_;
  StreamFigures figures_;
  std::map<std::int32_t, double> markedTimes_;
  std::optional<cue::CueSheet> sheet_;
  std::string sheetPath_;  // where the sheet was read, which no piece may replace
};

}  // namespace brelvik::ui
