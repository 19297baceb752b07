// The one owner of what the window works on: the session (the open file, its
// figures, the template and the breakpoint list, whose entries keep the times
// they came from, with the cue sheet the list was filled from). Every change
// of the list goes through it (an add of the current frame or of a typed one,
// a move, a delete, silences added, a snapshot brought back, a new file or
// sheet opened), and each change is announced with one Changed, so that the
// list box follows and an undo stack can wrap the changes.
#pragma once

#include <QObject>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "cue/CueSheet.h"
#include "session/Session.h"
#include "silence/SilenceFinder.h"
#include "split/BreakpointList.h"

namespace brelvik::ui {

class BreakpointsController final : public QObject {
  Q_OBJECT

 public:
  // What an undo must bring back: the entries with their texts and times,
  // the selection, the sheet and where it was read.
  struct Snapshot {
    BreakpointList List;
    std::optional<cue::CueSheet> Sheet;
    std::string SheetPath;

    friend bool operator==(const Snapshot&, const Snapshot&) = default;
  };

  explicit BreakpointsController(QObject* parent = nullptr);

  // Until a file is open: no path, no template, the single entry "0".
  const brelvik::Session& Current() const { return session_; }
  const BreakpointList& List() const { return session_.Breakpoints(); }
  // For tests that set entries up directly; Refresh announces what they did.
  BreakpointList& EditableList() { return session_.Breakpoints(); }
  void Refresh() { emit Changed(); }

  const std::optional<cue::CueSheet>& Sheet() const { return session_.Sheet(); }
  const std::string& SheetPath() const { return session_.SheetPath(); }
  // The template is no part of the list: setting it announces nothing.
  void SetTemplate(std::string splitTemplate) { session_.SetTemplate(std::move(splitTemplate)); }

  // A new file (with the list of the sheet it was opened from, if any).
  // NewFile comes first, so that a history of the old file can clear itself;
  // the file already open again (a sheet for it) is no new file.
  void Reset(brelvik::Session session);
  // The refusals are the session's, with the reason a file allows no
  // breakpoint at all; an add that adds nothing announces nothing.
  AddOutcome AddCurrentFrame(const std::string& frameText, std::optional<double> timeMs = {});
  AddOutcome AddTypedFrame(const std::string& typed);
  // A refused move (as an add is refused) changes nothing.
  MoveOutcome Move(int index, std::int32_t frame, std::optional<double> timeMs = {});
  // The selection follows the list box; it is no change of the list.
  void Select(int index) { session_.Breakpoints().Select(index); }
  void DeleteSelected();
  // A breakpoint in the middle of each silence; an entry already at that
  // frame keeps its own time.
  void AddSilences(const std::vector<silence::Silence>& silences);

  Snapshot TakeSnapshot() const;
  void Restore(const Snapshot& snapshot);

  // The time in milliseconds entry `index` stands for: its own time where it
  // has one, else the start of its frame.
  double TimeOf(int index) const;
  // That time as mm:ss.mmm, for the entry's hint; empty for the end of the stream.
  std::string TimeText(int index) const;

 signals:
  void NewFile();
  void Changed();

 private:
  brelvik::Session session_;
};

}  // namespace brelvik::ui
