#include "cli/ExactReport.h"

#include <cmath>

#include "cli/BreakpointText.h"

namespace brelvik {

void AddExactJson(const exact::IndexOutcome& outcome, nlohmann::ordered_json& json) {
  const char* const keys[] = {"audio_frames",        "sample_rate",     "samples_per_frame",
                              "encoder_delay",       "encoder_padding", "header_frame",
                              "exact_duration_secs", "audio_start",     "audio_end"};
  for (const char* key : keys) {
    json[key] = nullptr;
  }
  json["exact_refusal"] = nullptr;
  if (!outcome.Layout) {
    json["exact_refusal"] = outcome.Refusal;
    return;
  }
  const exact::StreamLayout& l = *outcome.Layout;
  json["audio_frames"] = l.AudioFrames;
  json["sample_rate"] = l.SampleRate;
  json["samples_per_frame"] = l.SamplesPerFrame;
  json["encoder_delay"] = l.EncoderDelay;
  json["encoder_padding"] = l.EncoderPadding;
  json["header_frame"] = exact::NameOf(l.Header.Kind);
  json["exact_duration_secs"] = l.DurationSecs();
  json["audio_start"] = l.AudioStart;
  json["audio_end"] = l.AudioEnd;
}

std::vector<std::pair<std::string, std::string>> ExactLines(const exact::IndexOutcome& outcome) {
  if (!outcome.Layout) {
    return {{"Exact cuts", "refused: " + outcome.Refusal}};
  }
  const exact::StreamLayout& l = *outcome.Layout;
  const auto exactMs = std::llround(l.DurationSecs() * 1000.0);
  return {
      {"Audio frames", std::to_string(l.AudioFrames)},
      {"Sample rate", std::to_string(l.SampleRate) + " Hz"},
      {"Samples per frame", std::to_string(l.SamplesPerFrame)},
      {"Encoder delay", std::to_string(l.EncoderDelay) + " samples"},
      {"Encoder padding", std::to_string(l.EncoderPadding) + " samples"},
      {"Header frame", exact::NameOf(l.Header.Kind)},
      {"Exact duration", FormatTime(exactMs) + " (" + std::to_string(l.Samples()) + " samples)"},
      {"Audio bytes", std::to_string(l.AudioStart) + " to " + std::to_string(l.AudioEnd)},
  };
}

}  // namespace brelvik
