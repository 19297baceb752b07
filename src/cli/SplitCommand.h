// `brelvik-split split FILE [-o TEMPLATE] [--to-end] BREAKPOINT...`: builds
// the breakpoint list from the command line and runs the split engine.
#pragma once

#include <cstdint>
#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

#include "cli/StreamReport.h"
#include "io/WritePolicy.h"
#include "session/Session.h"
#include "silence/SilenceFinder.h"
#include "split/BreakpointList.h"
#include "split/StreamFigures.h"

namespace brelvik {

struct SplitOptions {
  std::string File;
  // Used as it is when it holds "-%track%", otherwise through MakeTemplate;
  // MakeTemplate(File) when absent.
  std::optional<std::string> Template;
  bool ToEnd = false;
  bool Exact = false;  // cut on real frames at the given times, with whole pieces
  std::vector<std::string> Breakpoints;
  // The breakpoints from a cue sheet for File instead, its last track to the end.
  std::optional<std::string> CueSheet;
  // The breakpoints at File's silences instead, the last piece to the end.
  bool AtSilences = false;
  silence::SilenceSettings Silences;
  bool ProgressBar = false;  // draw a progress bar on err
};

// The session of the file, or the refusal with the analysis's words.
OrRefusal<Session> OpenSource(const std::string& path);

// Adds each text to the session's list (a time with the time it came from)
// and with toEnd the end of the file; the refusal of the first text refused,
// by its form or by the list's rules.
std::optional<Refusal> AddArguments(Session& session, const std::vector<std::string>& texts,
                                    bool toEnd);

// The template the pieces are named from.
std::string TemplateOf(const SplitOptions& options);

// What the pieces may not replace besides the source: the cue sheet the run
// reads.
WritePolicy PolicyOf(const SplitOptions& options);

// Prints each piece's name and size on out as it is written, messages on
// err; returns the exit code.
int RunSplit(const SplitOptions& options, std::ostream& out, std::ostream& err);

}  // namespace brelvik
