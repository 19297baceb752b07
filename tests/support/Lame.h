// Real MP3 files for the tests, encoded at test time with Debian's lame from a
// synthesised tone (a sine sweep with a little noise, so that variable-rate
// encodings really vary).
#pragma once

#include <string>
#include <vector>

#include "TempDir.h"

namespace brelvik::testing {

struct EncodeOptions {
  double Seconds = 3.0;
  int SampleRate = 44100;
  int Channels = 2;
  std::vector<std::string> LameArgs;  // for example {"-b", "128"} or {"-V", "2"}
};

// Writes name.wav and encodes it to name.mp3 in the folder; returns the MP3's
// path. Throws std::runtime_error when lame fails.
std::string EncodeWithLame(const TempDir& dir, const std::string& name,
                           const EncodeOptions& options);

// Writes a 16-bit PCM WAV file of the tone.
void WriteToneWav(const std::string& path, const EncodeOptions& options);

struct CommandResult {
  int ExitCode = -1;
  std::string Out;  // standard output
  std::string Err;  // standard error
};

// Runs argv without a shell and collects its output and exit code.
CommandResult RunCommand(const std::vector<std::string>& argv);

}  // namespace brelvik::testing
