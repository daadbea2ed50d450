// Which channels become the three component files.
#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <vector>

#include "record/channel.h"

namespace kvb {

// The component files, in the order read-KVB reads them (layout::kNames).
enum Component { kN00 = 0, kN90 = 1, kUp = 2 };

// "rec.v2 channel 1 (360 Deg)", with the location where the file states one.
std::string describe(const Channel& ch);

// Where UP's index would be when UP is to be zeros.
inline constexpr std::size_t kZerosVertical = static_cast<std::size_t>(-1);

// For each component the index of the channel that goes there.
//
// With chosen empty, the channels must be three: one vertical (to UP) and two
// horizontals, of which the one nearer the north-south axis goes to N00 (a
// tie to the smaller azimuth) and the other to N90; when either has no
// azimuth the one at 0 or 360 degrees, else the first, goes to N00. With
// chosen (1-based numbers of the channel list, in N00, N90, UP order) those
// three, which must be two horizontals and then a vertical. With zeros
// (--missing-vertical zeros), two horizontals alone, or chosen naming two,
// make UP kZerosVertical.
//
// Throws SplitError, with the numbered list of every channel, when the
// channels cannot be assigned, and also when they are of different records
// (station, event, start time) where the files say so, or one channel twice.
std::array<std::size_t, 3> select_components(const std::vector<Channel>& channels, const std::vector<long>& chosen,
                                             bool zeros = false);

}  // namespace kvb
