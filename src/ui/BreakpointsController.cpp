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
  emit Changed();
}

AddOutcome BreakpointsController::AddCurrentFrame(const std::string& frameText) {
  AddOutcome outcome = list_.AddCurrentFrame(frameText);
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
