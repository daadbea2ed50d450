// The record file's account of the processing chain: the steps in order with
// their parameters, and each component's corners with how they were chosen.
#pragma once

#include <nlohmann/json.hpp>

#include "steps/process/chain.h"

namespace kvb {

// Adds "steps" and "components" to the record file's "processing" object.
void add_processing_json(nlohmann::ordered_json& processing, const ProcessingFacts& facts);

}  // namespace kvb
