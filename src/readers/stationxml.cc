#include "readers/stationxml.h"

#include <cmath>
#include <cstdlib>
#include <ctime>
#include <pugixml.hpp>

#include "readers/text_fields.h"
#include "record/split_error.h"

namespace kvb {

namespace {

// An element's name without its namespace prefix: "fsx:Channel" -> "Channel".
std::string_view local(const pugi::xml_node& node) {
  std::string_view name = node.name();
  const std::size_t colon = name.find(':');
  return colon == std::string_view::npos ? name : name.substr(colon + 1);
}

pugi::xml_node child(const pugi::xml_node& node, std::string_view name) {
  for (pugi::xml_node c : node.children())
    if (c.type() == pugi::node_element && local(c) == name) return c;
  return {};
}

// The number an element holds ("35.81574", " 90.0 "); nothing where it is
// missing or not a finite number.
std::optional<double> number_in(const pugi::xml_node& node) {
  if (!node) return std::nullopt;
  const std::string text(trim(node.child_value()));
  char* end = nullptr;
  const double v = std::strtod(text.c_str(), &end);
  if (text.empty() || *end != '\0' || !std::isfinite(v)) return std::nullopt;
  return v;
}

std::string text_of(const pugi::xml_node& node) { return std::string(trim(node.child_value())); }

// The product of the stages' gains; nothing where a stage has none.
std::optional<double> stage_gains(const pugi::xml_node& response) {
  double product = 1;
  bool any = false;
  for (pugi::xml_node stage : response.children()) {
    if (stage.type() != pugi::node_element || local(stage) != "Stage") continue;
    std::optional<double> gain = number_in(child(child(stage, "StageGain"), "Value"));
    if (!gain) return std::nullopt;
    product *= *gain;
    any = true;
  }
  return any ? std::optional<double>(product) : std::nullopt;
}

ChannelResponse channel_response(const pugi::xml_node& network, const pugi::xml_node& station,
                                 const pugi::xml_node& channel, const std::string& path) {
  ChannelResponse r;
  r.network = trim(network.attribute("code").value());
  r.station = trim(station.attribute("code").value());
  r.location = trim(channel.attribute("locationCode").value());
  r.channel = trim(channel.attribute("code").value());
  r.start = utc_seconds(channel.attribute("startDate").value()).value_or(r.start);
  r.end = utc_seconds(channel.attribute("endDate").value()).value_or(r.end);
  r.station_name = text_of(child(child(station, "Site"), "Name"));
  r.latitude = number_in(child(channel, "Latitude"));
  r.longitude = number_in(child(channel, "Longitude"));
  if (!r.latitude || !r.longitude) {
    r.latitude = number_in(child(station, "Latitude"));
    r.longitude = number_in(child(station, "Longitude"));
  }
  r.azimuth = number_in(child(channel, "Azimuth"));
  r.dip = number_in(child(channel, "Dip"));
  const pugi::xml_node response = child(channel, "Response");
  const pugi::xml_node overall = child(response, "InstrumentSensitivity");
  r.sensitivity = number_in(child(overall, "Value"));
  r.frequency = number_in(child(overall, "Frequency"));
  r.input_units = text_of(child(child(overall, "InputUnits"), "Name"));
  r.stage_gains = stage_gains(response);
  r.file = path;
  return r;
}

bool recognise(const std::vector<std::string>& head) {
  std::string text;
  for (const std::string& line : head) text += line + "\n";
  return is_stationxml(text);
}

// The file is read for its responses when a miniSEED file needs them; alone it
// holds no channel, only the check that it is StationXML.
void read(TextFile& file, std::vector<Channel>&) { read_stationxml(file.path(), file.bytes()); }

}  // namespace

std::optional<double> utc_seconds(std::string_view text) {
  std::tm t{};
  int year = 0, month = 0, day = 0, hour = 0, minute = 0, consumed = 0;
  double second = 0;
  const std::string s(trim(text));
  if (std::sscanf(s.c_str(), "%4d-%2d-%2dT%2d:%2d:%lf%n", &year, &month, &day, &hour, &minute, &second, &consumed) !=
      6) {
    consumed = 0;
    if (std::sscanf(s.c_str(), "%4d-%2d-%2d%n", &year, &month, &day, &consumed) != 3) return std::nullopt;
  }
  const std::string_view rest = std::string_view(s).substr(static_cast<std::size_t>(consumed));
  if (!(rest.empty() || rest == "Z" || rest == "+00:00") || month < 1 || month > 12 || day < 1 || day > 31 ||
      hour < 0 || hour > 23 || minute < 0 || minute > 59 || !(second >= 0 && second < 61))
    return std::nullopt;
  t.tm_year = year - 1900, t.tm_mon = month - 1, t.tm_mday = day, t.tm_hour = hour, t.tm_min = minute;
  return static_cast<double>(timegm(&t)) + second;
}

bool is_stationxml(std::string_view text) {
  const std::size_t at = text.find("<");
  if (at == std::string_view::npos) return false;
  // The root follows the XML declaration and comments, within the first lines.
  const std::string_view head = text.substr(0, 4096);
  for (std::size_t k = head.find('<'); k != std::string_view::npos; k = head.find('<', k + 1)) {
    std::string_view tag = head.substr(k + 1);
    if (tag.starts_with("?") || tag.starts_with("!")) continue;
    const std::size_t colon = tag.find(':'), end = tag.find_first_of(" \t\r\n>");
    if (colon < end) tag = tag.substr(colon + 1);
    return tag.starts_with("FDSNStationXML");
  }
  return false;
}

Responses read_stationxml(const std::string& path, std::string_view text) {
  pugi::xml_document doc;
  const pugi::xml_parse_result parsed = doc.load_buffer(text.data(), text.size());
  if (!parsed)
    throw SplitError(escaped(path) + ": not well-formed XML at byte " + std::to_string(parsed.offset) + " (" +
                     parsed.description() + ")");
  const pugi::xml_node root = doc.document_element();
  if (local(root) != "FDSNStationXML") throw SplitError(escaped(path) + ": the XML's root is not FDSNStationXML");
  Responses all;
  for (pugi::xml_node network : root.children()) {
    if (local(network) != "Network") continue;
    for (pugi::xml_node station : network.children()) {
      if (local(station) != "Station") continue;
      for (pugi::xml_node channel : station.children())
        if (local(channel) == "Channel") all.push_back(channel_response(network, station, channel, path));
    }
  }
  return all;
}

const ChannelResponse* find_response(const Responses& responses, const std::string& network, const std::string& station,
                                     const std::string& location, const std::string& channel, double t) {
  for (const ChannelResponse& r : responses)
    if (r.network == network && r.station == station && r.location == location && r.channel == channel &&
        r.start <= t && t < r.end)
      return &r;
  return nullptr;
}

const AgencyFormat kStationXmlFormat = {
    "stationxml", "FDSN StationXML, the responses that turn a miniSEED file's counts into acceleration", recognise,
    read};

}  // namespace kvb
