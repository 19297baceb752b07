#include "SoxAudio.h"

#include <cmath>
#include <sstream>
#include <stdexcept>

#include "Lame.h"

namespace brelvik::testing {
namespace {

void Run(const std::vector<std::string>& argv) {
  const CommandResult result = RunCommand(argv);
  if (result.ExitCode != 0) {
    throw std::runtime_error(argv.front() + " failed: " + result.Err);
  }
}

std::vector<std::string> Words(const std::string& text) {
  std::istringstream in(text);
  std::vector<std::string> words;
  for (std::string word; in >> word;) {
    words.push_back(word);
  }
  return words;
}

// -R: the same noise on every run; -D: no dither, so that silence stays
// digital silence.
std::vector<std::string> SoxPartCommand(const SoundLayout& layout, const SoundPart& part,
                                        const std::string& path) {
  std::vector<std::string> argv = {BRELVIK_SOX, "-R", "-D", "-r", std::to_string(layout.Rate)};
  argv.insert(argv.end(), {"-c", std::to_string(layout.Channels), "-n", "-b", "16", path});
  const std::string length = std::to_string(layout.Frames(part)) + "s";
  if (part.Synth.empty()) {
    argv.insert(argv.end(), {"trim", "0", length});
  } else {
    argv.insert(argv.end(), {"synth", length});
    for (std::string& word : Words(part.Synth)) {
      argv.push_back(std::move(word));
    }
  }
  return argv;
}

}  // namespace

std::int64_t SoundLayout::Frames(const SoundPart& part) const {
  return std::llround(part.Ms * Rate / 1000.0);
}

double SoundLayout::StartMs(std::size_t index) const {
  std::int64_t frames = 0;
  for (std::size_t i = 0; i < index; ++i) {
    frames += Frames(Parts[i]);
  }
  return static_cast<double>(frames) * 1000.0 / Rate;
}

double SoundLayout::EndMs(std::size_t index) const {
  return StartMs(index + 1);
}

std::string EncodeSoundLayout(const TempDir& dir, const std::string& name,
                              const SoundLayout& layout, const std::vector<std::string>& lameArgs) {
  std::vector<std::string> join = {BRELVIK_SOX};
  for (std::size_t i = 0; i < layout.Parts.size(); ++i) {
    const std::string part = dir.File(name + "-part" + std::to_string(i) + ".wav");
    Run(SoxPartCommand(layout, layout.Parts[i], part));
    join.push_back(part);
  }
  const std::string wav = dir.File(name + ".wav");
  const std::string mp3 = dir.File(name + ".mp3");
  join.push_back(wav);
  Run(join);
  std::vector<std::string> lame = {BRELVIK_LAME, "--quiet"};
  lame.insert(lame.end(), lameArgs.begin(), lameArgs.end());
  lame.insert(lame.end(), {wav, mp3});
  Run(lame);
  return mp3;
}

}  // namespace brelvik::testing
