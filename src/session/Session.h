// What the user works on, the same for the window and the command line: the
// source and what its analysis found, the template the pieces are named
// from, the one breakpoint list (whose entries keep the times they came
// from) and the cue sheet the list was read from, if any. Both front ends
// open, change and split it through these functions; neither builds a
// split job by itself.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "cue/CueSheet.h"
#include "io/WritePolicy.h"
#include "session/Refusal.h"
#include "split/BreakpointList.h"
#include "split/StreamFigures.h"

namespace brelvik {

class TMPEGaudio;

struct SourceFile {
  std::string Path;
  StreamFigures Figures;
  std::int64_t FileLength = 0;
  double DurationSecs = 0;  // as the analysis states it
  bool VbrHeader = false;
};

class Session {
 public:
  explicit Session(SourceFile source);

  const SourceFile& Source() const { return source_; }
  const StreamFigures& Figures() const { return source_.Figures; }

  // MakeTemplate of the source's path until set.
  const std::string& Template() const { return template_; }
  void SetTemplate(std::string splitTemplate) { template_ = std::move(splitTemplate); }

  BreakpointList& Breakpoints() { return breakpoints_; }
  const BreakpointList& Breakpoints() const { return breakpoints_; }
  // The list's add refusals with the reason a file allows no breakpoint
  // (FrameCountReason) added, as both front ends show them.
  AddOutcome AddTypedFrame(const std::string& text, std::optional<double> timeMs = {});
  MoveOutcome Move(int index, std::int32_t frame, std::optional<double> timeMs = {});

  // The sheet the list came from and its path; its names go into exact
  // pieces and a sheet written from the list, and the pieces may not
  // replace it.
  const std::optional<cue::CueSheet>& Sheet() const { return sheet_; }
  const std::string& SheetPath() const { return sheetPath_; }
  // Takes the sheet's list (cue::FillList) and the sheet, all or nothing.
  std::optional<Refusal> TakeSheet(const cue::CueSheet& sheet, const std::string& sheetPath,
                                   std::int32_t endFrame);
  // Keeps the sheet and its path, the list as it is (exact cuts at the
  // sheet's own times).
  void KeepSheet(const cue::CueSheet& sheet, const std::string& sheetPath);
  // No sheet any more, the list as it is.
  void ForgetSheet();

  // The time in milliseconds entry `index` stands for: the time it came
  // from, else the time the position display begins to show its frame.
  double EntryTimeMs(int index) const;

  // The frame at or past the end of the file (EndFrame), held at the
  // largest frame number.
  std::int32_t EndFrameHeld() const;
  // The same, refused when the file ends past the largest frame number.
  OrRefusal<std::int32_t> EndFrameOrRefusal() const;

  // Adds the end of the file as an entry standing for the end of the stream.
  std::optional<Refusal> AddEndOfFile();

  // What the pieces (and a sheet written) may not replace besides the source.
  WritePolicy AlsoRead() const;

 private:
  SourceFile source_;
  std::string template_;
  BreakpointList breakpoints_;
  std::optional<cue::CueSheet> sheet_;
  std::string sheetPath_;
};

// The texts of a file the analysis cannot read: "X is not a regular file" or
// "cannot read X (missing, unreadable, or too short to analyse)".
std::string UnreadableText(const std::string& path);

// A session for a file the analyser has read, or the refusal of one without
// valid audio ("Can not read data from the file: X").
OrRefusal<Session> SessionOf(const std::string& path, const TMPEGaudio& analyser);
// Analyses the file and opens it, or says why not (Unreadable, NoAudio).
OrRefusal<Session> OpenMp3(const std::string& path);

}  // namespace brelvik
