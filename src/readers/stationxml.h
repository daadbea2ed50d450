// FDSN StationXML (the data centres' station metadata): for each channel and
// epoch, the station's place, the sensor's azimuth and dip, and the overall
// sensitivity that turns a miniSEED file's counts into the sensor's unit.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "readers/format.h"

namespace kvb {

// One channel's epoch as a StationXML file describes it.
struct ChannelResponse {
  std::string network, station, location, channel;  // the SEED codes: "CI", "CLC", "", "HNE"
  double start = -1e300, end = 1e300;               // the epoch, seconds since 1970 (open where not stated)
  std::string station_name;                         // Site Name: "China Lake"
  std::optional<double> latitude, longitude;        // the channel's, else the station's
  std::optional<double> azimuth, dip;               // degrees; dip -90 points up
  std::optional<double> sensitivity;                // InstrumentSensitivity Value: counts per input unit
  std::optional<double> frequency;                  // the frequency at which it holds, Hz
  std::string input_units;                          // "M/S**2"
  std::optional<double> stage_gains;                // the product of the stages' gains, where every stage has one
  std::string file;                                 // the StationXML file it comes from
};

// The StationXML files of a record, read.
using Responses = std::vector<ChannelResponse>;

extern const AgencyFormat kStationXmlFormat;

// True when text is an XML document whose root element is FDSNStationXML.
bool is_stationxml(std::string_view text);

// Every channel epoch of the StationXML text of the file at path (named in
// failures); throws SplitError when the text is not StationXML.
Responses read_stationxml(const std::string& path, std::string_view text);

// The epoch of network.station.location.channel that holds the instant t
// (seconds since 1970); null when none does.
const ChannelResponse* find_response(const Responses& responses, const std::string& network, const std::string& station,
                                     const std::string& location, const std::string& channel, double t);

// "2019-07-06T03:19:23.000Z", "2012-04-13T17:28:00" (UTC) as seconds since
// 1970; nothing for another text.
std::optional<double> utc_seconds(std::string_view text);

}  // namespace kvb
