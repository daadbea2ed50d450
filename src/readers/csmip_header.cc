#include "readers/csmip_header.h"

#include <cctype>

#include "readers/numbers.h"
#include "readers/text.h"
#include "readers/text_fields.h"

namespace kvb {

namespace {

constexpr std::size_t kNameColumns = 40;  // the station name field of the text header

// Parses "chan  1:  90 deg" from position at (the "c" of "chan").
std::optional<ChannelHeader> channel_at(std::string_view line, std::size_t at) {
  std::string low = lowered(line);
  std::size_t i = at + 4;
  if (low.compare(i, 3, "nel") == 0) i += 3;  // "Channel  1:"
  auto blanks = [&] {
    while (i < line.size() && line[i] == ' ') ++i;
  };
  blanks();
  ChannelHeader h;
  std::size_t start = i;
  while (i < line.size() && is_digit(line[i]) && i - start < 4) h.channel = h.channel * 10 + (line[i++] - '0');
  if (i == start) return std::nullopt;
  blanks();
  if (i >= line.size() || line[i] != ':') return std::nullopt;
  ++i;
  blanks();
  start = i;
  if (i < line.size() && is_digit(line[i])) {
    while (i < line.size() && is_digit(line[i])) ++i;
    std::size_t number_end = i;
    blanks();
    if (low.compare(i, 3, "deg") == 0) {
      i += 3;
    } else {
      i = number_end;
    }
  } else {
    while (i < line.size() && (is_alpha(line[i]) || (i > start && (is_digit(line[i]) || line[i] == '-')))) ++i;
  }
  if (i == start) return std::nullopt;
  h.orientation = std::string(line.substr(start, i - start));
  return h;
}

std::optional<ChannelHeader> find_channel(const std::vector<std::string>& lines) {
  for (const std::string& line : lines) {
    if (lowered(line.substr(0, 4)) != "chan") continue;
    if (auto h = channel_at(line, 0)) return h;
  }
  for (const std::string& line : lines) {
    std::string low = lowered(line);
    for (std::size_t at = low.find("chan"); at != std::string::npos; at = low.find("chan", at + 1)) {
      if (auto h = channel_at(line, at)) return h;
    }
  }
  return std::nullopt;
}

}  // namespace

std::optional<ChannelHeader> parse_channel_header(const std::vector<std::string>& lines) {
  auto header = find_channel(lines);
  if (!header) return std::nullopt;
  // "Station No. 12345   40.000N, ..." or "Station Id. CCC", and on the next
  // line the station name. A number that runs into a latitude ("18.483S") is none.
  for (std::size_t k = 0; k < lines.size(); ++k) {
    std::string low = lowered(lines[k]);
    std::size_t at = low.find_first_not_of(' ');
    if (at == std::string::npos || (low.compare(at, 10, "station no") != 0 && low.compare(at, 10, "station id") != 0))
      continue;
    std::size_t i = at + 10;
    while (i < low.size() && (low[i] == '.' || low[i] == ' ')) ++i;
    std::size_t start = i;
    while (i < low.size() && (is_digit(low[i]) || is_alpha(low[i]))) ++i;
    if (i == low.size() || low[i] == ' ') header->station_number = lines[k].substr(start, i - start);
    header->place = coordinates_in(std::string_view(lines[k]).substr(i));
    if (k + 1 < lines.size())
      header->station_name = std::string(trim(std::string_view(lines[k + 1]).substr(0, kNameColumns)));
    break;
  }
  return header;
}

}  // namespace kvb
