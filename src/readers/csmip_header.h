// What a channel's text header says about where it was recorded: station,
// channel number and orientation.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "readers/identity.h"

namespace kvb {

struct ChannelHeader {
  std::string station_number;        // "12345", "WLT"; empty when the header has none
  std::string station_name;          // "Cedar Flat"; empty when the header has none
  int channel = 0;                   // the number in "Chan  1:"
  std::string orientation;           // as written: "360 Deg", "Up", "Tran"
  std::optional<Coordinates> place;  // from the station line: "40.941N, 123.633W"
};

// Reads the header lines of one channel (those before the acceleration
// descriptor). The orientation comes from the "Chan  1: 360 Deg" line, looked
// for first at the start of a line, then anywhere; nothing when there is none.
std::optional<ChannelHeader> parse_channel_header(const std::vector<std::string>& lines);

}  // namespace kvb
