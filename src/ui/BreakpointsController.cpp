#include "ui/BreakpointsController.h"

#include <cmath>
#include <cstdio>

#include "session/SplitJobs.h"

namespace brelvik::ui {
namespace {

brelvik::Session NoFile() {
  brelvik::Session session{SourceFile{}};
  session.SetTemplate({});
  return session;
}

}  // namespace

BreakpointsController::BreakpointsController(QObject* parent)
    : QObject(parent), session_(NoFile()) {}

void BreakpointsController::Reset(brelvik::Session session) {
  // A cue sheet for the file already open is a change of its list, which an
  // undo takes back; any other file starts over.
  const bool sameFile =
      !session_.Source().Path.empty() && session_.Source().Path == session.Source().Path;
  session_ = std::move(session);
  if (!sameFile) {
    emit NewFile();
  }
  emit Changed();
}

AddOutcome BreakpointsController::AddCurrentFrame(const std::string& frameText,
                                                  std::optional<double> timeMs) {
  AddOutcome outcome = session_.Breakpoints().AddCurrentFrame(frameText, timeMs);
  if (outcome.InsertedAt) {
    emit Changed();
  }
  return outcome;
}

AddOutcome BreakpointsController::AddTypedFrame(const std::string& typed) {
  AddOutcome outcome = session_.AddTypedFrame(typed);
  if (outcome.InsertedAt) {
    emit Changed();
  }
  return outcome;
}

MoveOutcome BreakpointsController::Move(int index, std::int32_t frame,
                                        std::optional<double> timeMs) {
  const Snapshot before = TakeSnapshot();
  MoveOutcome outcome = session_.Move(index, frame, timeMs);
  if (outcome.NowAt && TakeSnapshot() != before) {
    emit Changed();
  }
  return outcome;
}

void BreakpointsController::DeleteSelected() {
  if (List().Selected() < 0) {
    return;
  }
  session_.Breakpoints().DeleteSelected();
  emit Changed();
}

void BreakpointsController::AddSilences(const std::vector<silence::Silence>& silences) {
  const BreakpointList before = List();
  brelvik::AddSilences(session_, silences);
  if (List() != before) {
    emit Changed();
  }
}

BreakpointsController::Snapshot BreakpointsController::TakeSnapshot() const {
  return {List(), Sheet(), SheetPath()};
}

void BreakpointsController::Restore(const Snapshot& snapshot) {
  session_.Breakpoints() = snapshot.List;
  if (snapshot.Sheet) {
    session_.KeepSheet(*snapshot.Sheet, snapshot.SheetPath);
  } else {
    session_.ForgetSheet();
  }
  emit Changed();
}

double BreakpointsController::TimeOf(int index) const {
  return session_.EntryTimeMs(index);
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
