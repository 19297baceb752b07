#include "cli/CommandLine.h"

#include <unistd.h>

#include <CLI/CLI.hpp>
#include <algorithm>
#include <cmath>
#include <iostream>

#include "cli/CueCommand.h"
#include "cli/ExitCodes.h"
#include "cli/ExitTable.h"
#include "cli/InfoCommand.h"
#include "cli/PrintLine.h"
#include "cli/SilencesCommand.h"
#include "cli/SplitCommand.h"
#include "split/OutputNaming.h"

namespace brelvik {
namespace {

constexpr const char* kBreakpointHelp =
    "Breakpoints: a frame number (1200) or a time, m:ss[.fff] (3:25.5) or h:mm:ss[.fff] "
    "(1:02:03.250).\nPieces run from one breakpoint to the next, starting at frame 0; "
    "--to-end adds the end of the file.";

void AddInfoCommand(CLI::App& app, InfoOptions& options) {
  CLI::App* info = app.add_subcommand("info", "Show what the analysis finds in an MP3 file");
  info->add_option("FILE", options.File, "The MP3 file")->required();
  info->add_flag("--json", options.Json, "Print one JSON object");
  info->add_flag("--exact", options.Exact,
                 "Also walk every frame and show the real figures that exact cuts work with");
}

// CLI::Range lets "nan" through: no comparison with it is true.
const CLI::Validator kFinite(
    [](const std::string& text) {
      try {
        return std::isfinite(std::stod(text)) ? std::string() : "not a finite number: " + text;
      } catch (const std::exception&) {
        return "not a number: " + text;
      }
    },
    "FINITE");

// An output path that names a file, not only a folder ("" or "out/" would
// write pieces named "-1", "-2"...).
const CLI::Validator kNamesAFile(
    [](const std::string& path) {
      return FileNamePart(path).empty() ? "names no file, only a folder: '" + path + "'"
                                        : std::string();
    },
    "FILE");

// The options of the silence search; returned so that split can tie them to
// --at-silences.
std::vector<CLI::Option*> AddSilenceOptions(CLI::App& command, silence::SilenceSettings& settings) {
  CLI::Option* threshold = command
                               .add_option("--threshold", settings.ThresholdDb,
                                           "Quieter than this is silence, in dBFS (RMS over 20 ms)")
                               ->capture_default_str()
                               ->check(kFinite & CLI::Range(-150.0, 0.0));
  CLI::Option* minLength = command
                               .add_option("--min-length", settings.MinLengthSecs,
                                           "The shortest silence that counts, in seconds")
                               ->capture_default_str()
                               ->check(kFinite & CLI::Range(0.02, 3600.0));
  return {threshold, minLength};
}

void AddSilencesCommand(CLI::App& app, SilencesOptions& options) {
  CLI::App* silences = app.add_subcommand(
      "silences", "List the silences in an MP3 file, each with the breakpoint at its middle");
  silences->add_option("FILE", options.File, "The MP3 file")->required();
  AddSilenceOptions(*silences, options.Settings);
  silences->add_flag("--json", options.Json, "Print one JSON object");
}

void AddCueCommand(CLI::App& app, CueOptions& options) {
  CLI::App* cue = app.add_subcommand(
      "cue", "Write breakpoints as a cue sheet for an MP3 file, a track per piece");
  cue->add_option("FILE", options.File, "The MP3 file")->required();
  cue->add_option("BREAKPOINT", options.Breakpoints, "Frame numbers or times");
  cue->add_option("-o,--output", options.Sheet,
                  "The cue sheet to write (default: FILE's name with .cue)")
      ->check(kNamesAFile);
  cue->add_flag("--to-end", options.ToEnd, "Add a breakpoint at the end of the file");
  cue->footer(kBreakpointHelp);
}

void AddSplitCommand(CLI::App& app, SplitOptions& options) {
  CLI::App* split = app.add_subcommand("split", "Cut an MP3 file into pieces at breakpoints");
  split->add_option("FILE", options.File, "The MP3 file")->required();
  CLI::Option* breakpoints =
      split->add_option("BREAKPOINT", options.Breakpoints, "Frame numbers or times");
  CLI::Option* sheet = split->add_option(
      "--cue", options.CueSheet,
      "Cut where the tracks of this cue sheet for FILE start, the last one to the end");
  CLI::Option* atSilences = split->add_flag(
      "--at-silences", options.AtSilences,
      "Cut in the middle of every silence (see the silences command), the last piece to the end");
  sheet->excludes(breakpoints)->excludes(atSilences);
  atSilences->excludes(breakpoints);
  for (CLI::Option* option : AddSilenceOptions(*split, options.Silences)) {
    option->needs(atSilences);
  }
  split
      ->add_option("-o,--output", options.Template,
                   "Output template; \"-%track%\" becomes \"-\" and the piece number "
                   "(default: FILE's name with -%track% before its extension)")
      ->check(kNamesAFile);
  split->add_flag("--to-end", options.ToEnd, "Add a breakpoint at the end of the file");
  split->add_flag("--exact", options.Exact,
                  "Exact pieces: cut on real frames at the times you hear, each piece a whole MP3 "
                  "with its own header frame, tags with the track number, and gapless joins");
  split->footer(kBreakpointHelp);
}

// CLI11's message, with the arguments it names (file names, typed texts)
// quoted as every other message is.
std::string QuotedFailureMessage(const CLI::App* app, const CLI::Error& error) {
  const std::string message = CLI::FailureMessage::simple(app, error);
  const std::string what = error.what();
  return cue::TerminalText(what) + message.substr(std::min(what.size(), message.size()));
}

}  // namespace

int RunCommandLine(int argc, char** argv) {
  CLI::App app(
      "Cuts an MP3 file into numbered pieces at frame boundaries, as raw byte ranges "
      "of the source.",
      "brelvik-split");
  app.set_version_flag("--version", std::string("brelvik-split ") + BRELVIK_VERSION);
  app.require_subcommand(1);
  app.footer(std::string(kBreakpointHelp) + "\n\n" + ExitCodeHelp());
  app.failure_message(QuotedFailureMessage);

  InfoOptions info;
  SplitOptions split;
  SilencesOptions silences;
  CueOptions cue;
  AddInfoCommand(app, info);
  AddSplitCommand(app, split);
  AddSilencesCommand(app, silences);
  AddCueCommand(app, cue);
  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& error) {
    return app.exit(error);
  }

  if (app.got_subcommand("info")) {
    return RunInfo(info, std::cout, std::cerr);
  }
  if (app.got_subcommand("silences")) {
    return RunSilences(silences, std::cout, std::cerr);
  }
  if (app.got_subcommand("cue")) {
    return RunCue(cue, std::cout, std::cerr);
  }
  split.ProgressBar = ::isatty(STDERR_FILENO) == 1;
  return RunSplit(split, std::cout, std::cerr);
}

}  // namespace brelvik
