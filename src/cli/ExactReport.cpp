#include "cli/ExactReport.h"

#include <cmath>

#include "cli/BreakpointText.h"
#include "exact/ExactSplit.h"

namespace brelvik {
namespace {

std::string NameOf(exact::TagKind kind) {
  switch (kind) {
    case exact::TagKind::Id3v2:
      return "ID3v2";
    case exact::TagKind::Id3v1:
      return "ID3v1";
    case exact::TagKind::Ape:
      return "APE";
    default:
      return "Lyrics3";
  }
}

nlohmann::ordered_json TagsJson(const std::vector<exact::TagPlace>& tags) {
  nlohmann::ordered_json list = nlohmann::ordered_json::array();
  for (const exact::TagPlace& tag : tags) {
    list.push_back({{"kind", NameOf(tag.Kind)}, {"offset", tag.Offset}, {"bytes", tag.Size}});
  }
  return list;
}

std::string TagsText(const std::vector<exact::TagPlace>& tags) {
  std::string text;
  for (const exact::TagPlace& tag : tags) {
    text +=
        (text.empty() ? "" : ", ") + NameOf(tag.Kind) + " (" + std::to_string(tag.Size) + " bytes)";
  }
  return text.empty() ? "none" : text;
}

}  // namespace

void AddExactJson(const exact::IndexOutcome& outcome, nlohmann::ordered_json& json) {
  const char* const keys[] = {"audio_frames",        "sample_rate",     "samples_per_frame",
                              "encoder_delay",       "encoder_padding", "header_frame",
                              "exact_duration_secs", "audio_start",     "audio_end",
                              "tags_before",         "tags_after",      "sample_exact_joins",
                              "join_warning"};
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
  json["tags_before"] = TagsJson(l.LeadingTags);
  json["tags_after"] = TagsJson(l.TrailingTags);
  const std::string warning = exact::JoinWarning(l);
  json["sample_exact_joins"] = warning.empty();
  if (!warning.empty()) {
    json["join_warning"] = warning;
  }
}

std::vector<std::pair<std::string, std::string>> ExactLines(const exact::IndexOutcome& outcome) {
  if (!outcome.Layout) {
    return {{"Exact cuts", "refused: " + outcome.Refusal}};
  }
  const exact::StreamLayout& l = *outcome.Layout;
  const auto exactMs = std::llround(l.DurationSecs() * 1000.0);
  const std::string warning = exact::JoinWarning(l);
  return {
      {"Audio frames", std::to_string(l.AudioFrames)},
      {"Sample rate", std::to_string(l.SampleRate) + " Hz"},
      {"Samples per frame", std::to_string(l.SamplesPerFrame)},
      {"Encoder delay", std::to_string(l.EncoderDelay) + " samples"},
      {"Encoder padding", std::to_string(l.EncoderPadding) + " samples"},
      {"Header frame", exact::NameOf(l.Header.Kind)},
      {"Exact duration", FormatTime(exactMs) + " (" + std::to_string(l.Samples()) + " samples)"},
      {"Audio bytes", std::to_string(l.AudioStart) + " to " + std::to_string(l.AudioEnd)},
      {"Tags before audio", TagsText(l.LeadingTags)},
      {"Tags after audio", TagsText(l.TrailingTags)},
      {"Sample-exact joins", warning.empty() ? "yes" : "no: " + warning},
  };
}

}  // namespace brelvik
