#include "Lame.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cmath>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <numbers>
#include <random>
#include <stdexcept>

extern char** environ;

namespace brelvik::testing {
namespace {

void Put16(std::ofstream& out, std::uint16_t v) {
  const char b[2] = {static_cast<char>(v & 0xFF), static_cast<char>(v >> 8)};
  out.write(b, 2);
}

void Put32(std::ofstream& out, std::uint32_t v) {
  Put16(out, static_cast<std::uint16_t>(v & 0xFFFF));
  Put16(out, static_cast<std::uint16_t>(v >> 16));
}

std::string Slurp(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace

void WriteToneWav(const std::string& path, const EncodeOptions& options) {
  const auto frames = static_cast<std::uint32_t>(options.Seconds * options.SampleRate);
  const auto channels = static_cast<std::uint16_t>(options.Channels);
  const std::uint32_t dataBytes = frames * channels * 2;
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write("RIFF", 4);
  Put32(out, 36 + dataBytes);
  out.write("WAVEfmt ", 8);
  Put32(out, 16);
  Put16(out, 1);  // PCM
  Put16(out, channels);
  Put32(out, static_cast<std::uint32_t>(options.SampleRate));
  Put32(out, static_cast<std::uint32_t>(options.SampleRate) * channels * 2);
  Put16(out, static_cast<std::uint16_t>(channels * 2));
  Put16(out, 16);
  out.write("data", 4);
  Put32(out, dataBytes);

  std::mt19937 noise(42);
  std::uniform_real_distribution<double> jitter(-0.05, 0.05);
  double phase = 0;
  for (std::uint32_t i = 0; i < frames; ++i) {
    const double t = static_cast<double>(i) / options.SampleRate;
    const double frequency = 220.0 + 660.0 * t / options.Seconds;
    phase += 2 * std::numbers::pi * frequency / options.SampleRate;
    const double level = 0.5 * std::sin(phase) * (0.6 + 0.4 * std::sin(t * 3)) + jitter(noise);
    for (int c = 0; c < options.Channels; ++c) {
      Put16(out, static_cast<std::uint16_t>(static_cast<std::int16_t>(level * 32767 / (c + 1))));
    }
  }
  if (!out) {
    throw std::runtime_error("cannot write " + path);
  }
}

std::string EncodeWithLame(const TempDir& dir, const std::string& name,
                           const EncodeOptions& options) {
  const std::string wav = dir.File(name + ".wav");
  const std::string mp3 = dir.File(name + ".mp3");
  WriteToneWav(wav, options);
  std::vector<std::string> argv = {BRELVIK_LAME, "--quiet"};
  argv.insert(argv.end(), options.LameArgs.begin(), options.LameArgs.end());
  argv.push_back(wav);
  argv.push_back(mp3);
  const auto result = RunCommand(argv);
  if (result.ExitCode != 0) {
    throw std::runtime_error("lame failed: " + result.Err);
  }
  return mp3;
}

CommandResult RunCommand(const std::vector<std::string>& argv) {
  char outPath[] = "/tmp/brelvik-cmd-out-XXXXXX";
  char errPath[] = "/tmp/brelvik-cmd-err-XXXXXX";
  const int outFd = ::mkstemp(outPath);
  const int errFd = ::mkstemp(errPath);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, outFd, STDOUT_FILENO);
  posix_spawn_file_actions_adddup2(&actions, errFd, STDERR_FILENO);
  posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);

  std::vector<char*> args;
  for (const auto& a : argv) {
    args.push_back(const_cast<char*>(a.c_str()));
  }
  args.push_back(nullptr);

  CommandResult result;
  pid_t pid = 0;
  if (posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), environ) == 0) {
    int status = 0;
    ::waitpid(pid, &status, 0);
    result.ExitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  }
  posix_spawn_file_actions_destroy(&actions);
  ::close(outFd);
  ::close(errFd);
  result.Out = Slurp(outPath);
  result.Err = Slurp(errPath);
  ::unlink(outPath);
  ::unlink(errPath);
  return result;
}

}  // namespace brelvik::testing
