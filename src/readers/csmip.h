// What the CSMIP Volume 1 and Volume 2 readers share: a channel is a text
// header, integer and real headers, a descriptor line ("12000 points of accel
// data equally spaced at .005 sec, in cm/sec2. (8f10.6)") and the data, up to
// an end line that starts with "/&". One file holds one channel or several.
#pragma once

#include <string>
#include <vector>

#include "readers/text_file.h"
#include "record/channel.h"

namespace kvb {

// Volume 2 also has velocity and displacement blocks after the acceleration,
// and its data are in cm/s²; Volume 1 data are in g, in 9-column fields when
// the descriptor gives no format, or (film era) time/value pairs with no
// descriptor at all.
enum class CsmipVolume { kOne, kTwo };

void read_csmip(TextFile& file, CsmipVolume volume, const char* format_name, std::vector<Channel>& channels);

// True when line 1 of head starts with prefix, in any case.
bool first_line_starts(const std::vector<std::string>& head, std::string_view prefix);

}  // namespace kvb
