// kvb-split --identify: what each input file holds, as JSON, read by the
// same readers as a split, so that a tool that groups files into records
// needs no reader of its own.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "record/channel.h"

namespace kvb {

// Reads one input file into channels as a split does; throws on failure.
using ReadInput = std::function<void(const std::string& path, std::vector<Channel>& channels)>;

// The --help lines of the mode.
inline constexpr const char* kIdentifyUsage =
    "\n"
    "kvb-split --identify [--sac-unit UNIT] FILE... reads each FILE and prints, as\n"
    "one JSON object, its format, kind (acceleration, companion, response or\n"
    "unknown) and channels.\n";

// Prints {"files": [...]} on stdout; 0, or 2 when no file is given, or 1
// when standard output cannot be written.
int identify(const std::vector<std::string>& paths, const ReadInput& read);

}  // namespace kvb
