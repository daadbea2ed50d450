#include "readers/identify.h"

#include <cstdio>
#include <exception>
#include <memory>
#include <nlohmann/json.hpp>
#include <string_view>

#include "readers/format.h"
#include "readers/line_reader.h"
#include "readers/numbers.h"
#include "readers/stationxml.h"
#include "readers/text_fields.h"
#include "record/split_error.h"

namespace kvb {

namespace {

using nlohmann::ordered_json;

ordered_json text_or_null(const std::string& text) { return text.empty() ? ordered_json(nullptr) : ordered_json(text); }

// The file's first bytes, as many as the readers' recognisers look at; none
// when it cannot be read.
std::string head_of(const std::string& path) {
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> in(std::fopen(path.c_str(), "rb"), &std::fclose);
  if (!in) return {};
  // The head's lines are within their longest: a file of any size is read no further.
  std::string bytes(kHeadLines * (LineReader::kMaxLine + 1), '\0');
  bytes.resize(std::fread(bytes.data(), 1, bytes.size(), in.get()));
  return bytes;
}

// A file that the readers refuse is one that the agencies hand out beside
// the accelerations when its title says it holds something else (the PEER
// .VT2 and .DT2 on line 3, a Volume 3 or COSMOS V0 on line 1), or it is a
// table (a search result).
bool companion(const std::string& path, const std::vector<std::string>& head) {
  if (lowered(path).ends_with(".csv")) return true;
  // ESM names what it holds on a line of its own: "DATA_TYPE: VELOCITY".
  for (const std::string& line : head)
    if (starts_with_nocase(line, "DATA_TYPE:") && lowered(trim(std::string_view(line).substr(10))) != "acceleration")
      return true;
  for (std::size_t k = 0; k < head.size() && k < 3; ++k) {
    const std::string line = lowered(head[k]);
    for (const char* word : {"velocity", "displacement", "spectra", "spectrum", "fourier", "counts"})
      if (line.find(word) != std::string::npos && line.find("acceleration time series") == std::string::npos)
        return true;
  }
  return false;
}

ordered_json channel_json(std::size_t index, const Channel& ch) {
  const bool vertical = ch.orientation.axis == Axis::kVertical;
  return {{"index", index},
          {"channel", text_or_null(ch.number)},
          {"orientation", text_or_null(ch.orientation_text)},
          {"vertical", vertical},
          {"azimuth", ch.orientation.azimuth < 0 ? ordered_json(nullptr) : ordered_json(ch.orientation.azimuth)},
          {"station_code", text_or_null(ch.station_code)},
          {"station_name", text_or_null(ch.station_name)},
          {"event", text_or_null(ch.event)},
          {"event_date", text_or_null(ch.event_date)},
          {"magnitude", ch.magnitude ? ordered_json(*ch.magnitude) : ordered_json(nullptr)},
          {"start_time", text_or_null(ch.start_iso)},
          {"start_time_text", text_or_null(ch.start_time)},
          {"record_id", text_or_null(ch.record_id)},
          {"processing", text_or_null(ch.processing)},
          {"interval", ch.interval},
          {"samples", ch.samples.size()},
          {"location", text_or_null(ch.location)},
          {"network", text_or_null(ch.network)},
          {"unit", text_or_null(ch.unit)},
          {"response", text_or_null(ch.response)}};
}

ordered_json file_json(const std::string& path, const ReadInput& read) {
  ordered_json file = {{"file", path}, {"format", nullptr}, {"kind", "acceleration"}, {"error", nullptr}};
  std::vector<Channel> channels;
  try {
    read(path, channels);
  } catch (const std::exception& e) {
    const std::string bytes = head_of(path);
    const std::vector<std::string> head = head_lines(bytes);
    if (const AgencyFormat* f = recognised(bytes)) file["format"] = std::string(f->name);
    const bool other_quantity = dynamic_cast<const NotAcceleration*>(&e) != nullptr;
    file["kind"] = other_quantity || companion(path, head) ? "companion" : "unknown";
    file["error"] = e.what();
    file["channels"] = ordered_json::array();
    return file;
  }
  ordered_json list = ordered_json::array();
  for (std::size_t k = 0; k < channels.size(); ++k) list.push_back(channel_json(k + 1, channels[k]));
  if (!channels.empty()) file["format"] = text_or_null(channels[0].format);
  // A StationXML file holds no channel: the responses of miniSEED files.
  if (channels.empty() && is_stationxml(head_of(path))) file["format"] = "stationxml", file["kind"] = "response";
  file["channels"] = std::move(list);
  return file;
}

}  // namespace

int identify(const std::vector<std::string>& paths, const ReadInput& read) {
  if (paths.empty()) {
    std::fputs("kvb-split: --identify needs a file\nTry 'kvb-split --help' for more information.\n", stderr);
    return 2;
  }
  ordered_json files = ordered_json::array();
  for (const std::string& path : paths) files.push_back(file_json(path, read));
  const std::string text =
      ordered_json{{"files", std::move(files)}}.dump(-1, ' ', false, ordered_json::error_handler_t::replace) + "\n";
  return std::fputs(text.c_str(), stdout) >= 0 && std::fflush(stdout) == 0 ? 0 : 1;
}

}  // namespace kvb
