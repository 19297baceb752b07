// The command line of brelvik-split: its subcommands, options and help.
#pragma once

namespace brelvik {

// Parses the arguments, runs the chosen command and returns the exit code.
int RunCommandLine(int argc, char** argv);

}  // namespace brelvik
