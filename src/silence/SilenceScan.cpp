#include "silence/SilenceScan.h"

#include <optional>

#include "playback/DecodePass.h"

namespace brelvik::silence {

std::optional<std::vector<Silence>> FindSilences(const std::string& path,
                                                 const SilenceSettings& settings,
                                                 const ScanProgress& progress) {
  CheckSettings(settings);
  std::optional<SilenceFinder> finder;
  playback::DecodePass pass;
  pass.Opened = [&](const playback::Mpg123Decoder& decoder) {
    finder.emplace(decoder.Rate(), decoder.Channels(), settings);
  };
  pass.Block = [&](const std::int16_t* interleaved, std::size_t frames) {
    finder->Feed(interleaved, frames);
    return true;
  };
  pass.Progress = progress;
  if (!playback::DecodeFile(path, pass)) {
    return std::nullopt;
  }
  return finder->Finish();
}

}  // namespace brelvik::silence
