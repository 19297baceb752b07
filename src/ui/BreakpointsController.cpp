#include "ui/BreakpointsController.h"

#include <cmath>
#include <cstdio>

#include "exact/CutPlan.h"

namespace brelvik::ui {

void BreakpointsController::Reset(const StreamFigures& figures) {
  figures_ = figures;
  list_.Reset();
  markedTimes_.clear();
  sheet_.reset();
  sheetPath_.clear();
  emit NewFile();
  emit Changed();
}

BreakpointsController::Snapshot BreakpointsController::TakeSnapshot() const {
  return {list_.Entries(), markedTimes_, list_.Selected(), sheet_, sheetPath_};
}

void BreakpointsController::Restore(const Snapshot& snapshot) {
  // The entries were in order when they were taken, so adding them one by
  // one into an emptied list rebuilds it as it was.
  BreakpointList list;
  list.Select(0);
  list.DeleteSelected();
  for (const Breakpoint& entry : snapshot.Entries) {
    list.AddCurrentFrame(entry.Text, entry.TimeMs);
  }
  list.Select(snapshot.Selected);
  list_ = std::move(list);
  markedTimes_ = snapshot.MarkedTimes;
  sheet_ = snapshot.Sheet;
  sheetPath_ = snapshot.SheetPath;
  emit Changed();
}

AddOutcome BreakpointsController::AddCurrentFrame(const std::string& frameText,
                                                  std::optional<double> timeMs) {
  AddOutcome outcome = list_.AddCurrentFrame(frameText, timeMs);
  if (outcome.InsertedAt && timeMs) {
    markedTimes_[list_.Value(*outcome.InsertedAt)] = *timeMs;
  }
  emit Changed();
  return outcome;
}

AddOutcome BreakpointsController::AddTypedFrame(const std::string& typed, std::int32_t frameTotal) {
  AddOutcome outcome = list_.AddTypedFrame(typed, frameTotal);
  emit Changed();
  return outcome;
}

void BreakpointsController::DeleteSelected() {
  if (list_.Selected() >= 0) {
    markedTimes_.erase(list_.Value(list_.Selected()));
  }
  list_.DeleteSelected();
  emit Changed();
}

MoveOutcome BreakpointsController::Move(int index, std::int32_t frame,
                                        std::optional<double> timeMs) {
  const std::int32_t from = list_.Value(index);
  MoveOutcome outcome = list_.Move(index, frame, figures_.FrameTotal, timeMs);
  if (!outcome.NowAt) {
    return outcome;
  }
  markedTimes_.erase(from);
  if (timeMs) {
    markedTimes_[frame] = *timeMs;
  } else {
    markedTimes_.erase(frame);
  }
  emit Changed();
  return outcome;
}

void BreakpointsController::TakeSheet(const cue::CueSheet& sheet, const std::string& sheetPath,
                                      const BreakpointList& list, std::int32_t endOfFileFrame) {
  list_ = list;
  sheet_ = sheet;
  sheetPath_ = sheetPath;
  markedTimes_.clear();
  const auto mark = [this](double ms) { markedTimes_[FrameOfTime(ms, figures_)] = ms; };
  if (sheet.StartMs) {
    mark(*sheet.StartMs);
  }
  for (const cue::CueTrack& track : sheet.Tracks) {
    mark(track.StartMs);
  }
  if (sheet.EndMs) {
    mark(*sheet.EndMs);
  } else {
    markedTimes_[endOfFileFrame] = exact::kEndOfStream;
  }
  emit Changed();
}

void BreakpointsController::AddSilences(const std::vector<silence::Silence>& silences) {
  for (const silence::Silence& silence : silences) {
    const std::int32_t frame = FrameOfTime(silence.MiddleMs(), figures_);
    list_.AddCurrentFrame(std::to_string(frame));
    markedTimes_.emplace(frame, silence.MiddleMs());
  }
  emit Changed();
}

double BreakpointsController::TimeOf(int index) const {
  const std::int32_t frame = list_.Value(index);
  const auto marked = markedTimes_.find(frame);
  return marked != markedTimes_.end() ? marked->second : exact::FrameNumberMs(frame, figures_);
}

std::string BreakpointsController::TimeText(int index) const {
  const double ms = TimeOf(index);
  if (!std::isfinite(ms)) {
    return {};
  }
  const auto whole = static_cast<long long>(std::llround(std::max(ms, 0.0)));
  char text[32];
  std::snprintf(text, sizeof text, "%02lld:%02lld.%03lld", whole / 60000, whole / 1000 % 60,
                whole % 1000);
  return text;
}

}  // namespace brelvik::ui
