#include "session/Session.h"

#include <limits>

#include "analysis/MPEGaudio.h"
#include "cue/CueBreakpoints.h"
#include "exact/CutPlan.h"
#include "io/InputFile.h"
#include "split/OutputNaming.h"

namespace brelvik {

Session::Session(SourceFile source)
    : source_(std::move(source)), template_(MakeTemplate(source_.Path)) {}

AddOutcome Session::AddTypedFrame(const std::string& text, std::optional<double> timeMs) {
  AddOutcome outcome = breakpoints_.AddTypedFrame(text, Figures().FrameTotal, timeMs);
  if (!outcome.Refusal.empty()) {
    outcome.Refusal += FrameCountReason(Figures().FrameTotal);
  }
  return outcome;
}

MoveOutcome Session::Move(int index, std::int32_t frame, std::optional<double> timeMs) {
  MoveOutcome outcome = breakpoints_.Move(index, frame, Figures().FrameTotal, timeMs);
  if (!outcome.Refusal.empty()) {
    outcome.Refusal += FrameCountReason(Figures().FrameTotal);
  }
  return outcome;
}

std::optional<Refusal> Session::TakeSheet(const cue::CueSheet& sheet, const std::string& sheetPath,
                                          std::int32_t endFrame) {
  BreakpointList list;
  if (const auto refusal = cue::FillList(sheet, Figures(), endFrame, list)) {
    return Refusal{RefusalKind::CueSheet, *refusal};
  }
  breakpoints_ = std::move(list);
  sheet_ = sheet;
  sheetPath_ = sheetPath;
  return std::nullopt;
}

void Session::KeepSheet(const cue::CueSheet& sheet, const std::string& sheetPath) {
  sheet_ = sheet;
  sheetPath_ = sheetPath;
}

void Session::ForgetSheet() {
  sheet_.reset();
  sheetPath_.clear();
}

double Session::EntryTimeMs(int index) const {
  return breakpoints_.TimeMs(index).value_or(
      exact::FrameNumberMs(breakpoints_.Value(index), Figures()));
}

std::optional<Refusal> Session::AddEndOfFile() {
  const auto end = EndFrameOrRefusal();
  if (!end) {
    return end.Refused();
  }
  breakpoints_.AddCurrentFrame(std::to_string(*end), exact::kEndOfStream);
  return std::nullopt;
}

std::int32_t Session::EndFrameHeld() const {
  const std::int64_t end = EndFrame(source_.FileLength, Figures().FrameBytes);
  return static_cast<std::int32_t>(
      std::min<std::int64_t>(end, std::numeric_limits<std::int32_t>::max()));
}

OrRefusal<std::int32_t> Session::EndFrameOrRefusal() const {
  const std::int64_t end = EndFrame(source_.FileLength, Figures().FrameBytes);
  if (end > std::numeric_limits<std::int32_t>::max()) {
    return Refusal{RefusalKind::Breakpoint,
                   "--to-end: the end of this file lies at frame " + std::to_string(end) +
                       ", past the largest frame number, " +
                       std::to_string(std::numeric_limits<std::int32_t>::max()) +
                       "; give the last breakpoint as a frame number or a time instead"};
  }
  return static_cast<std::int32_t>(end);
}

WritePolicy Session::AlsoRead() const {
  WritePolicy policy;
  if (sheet_) {
    policy.Protect(sheetPath_, "the cue sheet");
  }
  return policy;
}

std::string UnreadableText(const std::string& path) {
  if (IsOtherThanRegularFile(path)) {
    return path + " is not a regular file";
  }
  return "cannot read " + path + " (missing, unreadable, or too short to analyse)";
}

OrRefusal<Session> SessionOf(const std::string& path, const TMPEGaudio& analyser) {
  if (!analyser.IsValid()) {
    return Refusal{RefusalKind::NoAudio, "Can not read data from the file: " + path};
  }
  SourceFile source;
  source.Path = path;
  source.Figures = SetDataMpeg(analyser);
  source.FileLength = analyser.FileLength();
  source.DurationSecs = analyser.DurationSecs();
  source.VbrHeader = analyser.Vbr().Found;
  return Session(std::move(source));
}

OrRefusal<Session> OpenMp3(const std::string& path) {
  TMPEGaudio analyser;
  if (!analyser.Analyse(path)) {
    return Refusal{RefusalKind::Unreadable, UnreadableText(path)};
  }
  return SessionOf(path, analyser);
}

}  // namespace brelvik
