// KVB-record.json: what the component files hold and what was done to the
// record on the way, for people and for tools/plot-accel and convert-all.
#pragma once

#include <string>

#include "steps/record_facts.h"

namespace kvb {

inline constexpr const char* kRecordFileName = "KVB-record.json";

// The record file's text: one JSON object, two-space indented, ending in a
// line feed.
std::string record_json(const RecordFacts& facts);

}  // namespace kvb
