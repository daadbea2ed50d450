// miniSEED (the FDSN data centres' binary records, SEED 2.4 data records of
// any record length and encoding that libmseed decodes): the channels of a
// file in counts, turned into acceleration by the responses of the channels'
// StationXML.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "readers/format.h"
#include "readers/stationxml.h"

namespace kvb {

extern const AgencyFormat kMseedFormat;

// True when bytes begin with a miniSEED data record's fixed header.
bool is_mseed(std::string_view bytes);

// Reads every channel of the miniSEED file into channels, in cm/s², each
// through its response in given; where given is empty, through the
// StationXML files in the miniSEED file's folder (their names, where used,
// are appended to found). Throws SplitError naming the file and, for a gap,
// overlap or a channel without a usable response, the channel and time.
void read_mseed(TextFile& file, const Responses& given, std::vector<Channel>& channels,
                std::vector<std::string>* found = nullptr);

// The responses of the StationXML files among paths (regular files only;
// those that cannot be read are left out: their own reading says why).
Responses given_responses(const std::vector<std::string>& paths);

}  // namespace kvb
