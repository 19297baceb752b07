// What exact mode finds in a file, for `brelvik-split info --exact`: the real
// figures beside the analysis's own.
#pragma once

#include <nlohmann/json.hpp>
#include <string>
#include <utility>
#include <vector>

#include "exact/StreamLayout.h"

namespace brelvik {

// Adds audio_frames, sample_rate, samples_per_frame, encoder_delay,
// encoder_padding, header_frame, exact_duration_secs, audio_start, audio_end,
// tags_before and tags_after (lists of kind, offset and bytes),
// sample_exact_joins and join_warning (null where the joins are exact; all of
// them null when exact mode refuses the file) and exact_refusal (null when it
// does not).
void AddExactJson(const exact::IndexOutcome& outcome, nlohmann::ordered_json& json);

// The same as "Label", "value" lines.
std::vector<std::pair<std::string, std::string>> ExactLines(const exact::IndexOutcome& outcome);

}  // namespace brelvik
