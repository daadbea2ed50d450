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

// Where a channel's index would be when its component is to be zeros.
inline constexpr std::size_t kZeros = static_cast<std::size_t>(-1);
inline constexpr std::size_t kZerosVertical = kZeros;

// Which set of a recording's channels goes to the component files where it
// has more than one (KiK-net's borehole and surface, a structure's floors):
// the ground's (surface, free field, ground level) or the borehole's.
enum class Sensor { kGround, kBorehole };

// The 1-based numbers of the channels that --channels names: a number as it
// stands (its place in the numbered list), a name as the one channel whose
// number, orientation as written or file extension it is, case aside
// ("NS2", "HNE"). Throws SplitError with the list where a name fits none or
// more than one.
std::vector<long> chosen_numbers(const std::vector<Channel>& channels, const std::vector<std::string>& names);

// For each component the index of the channel that goes there.
//
// With chosen empty, more than three channels are narrowed to the one set of
// three (or two, with zeros) at the location the sensor asks for, where their
// files say where each is; otherwise the channels must be three: one vertical (to UP) and two
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
// With horizontal_zeros (--missing-horizontal zeros), a lone horizontal goes to
// N00, or to N90 where its azimuth is nearer east-west, and the other
// horizontal is kZeros (UP too where there is no vertical and zeros allows it).
std::array<std::size_t, 3> select_components(const std::vector<Channel>& channels, const std::vector<long>& chosen,
                                             bool zeros = false, Sensor sensor = Sensor::kGround,
                                             bool horizontal_zeros = false);

}  // namespace kvb
