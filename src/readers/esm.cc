#include "readers/esm.h"

#include <cmath>
#include <string>
#include <string_view>
#include <vector>

#include "readers/keyed_text.h"
#include "readers/numbers.h"
#include "readers/samples.h"
#include "readers/text.h"
#include "readers/text_fields.h"
#include "record/standard_gravity.h"

namespace kvb {

namespace {

// The header's first key, and keys every file has.
constexpr std::string_view kFirstKey = "EVENT_NAME";
constexpr std::string_view kRequired[] = {"STATION_CODE", "SAMPLING_INTERVAL_S", "NDATA", "UNITS"};

bool recognise(const std::vector<std::string>& head) {
  if (head.empty() || !starts_with_nocase(head[0], kFirstKey) || !keyed(head[0])) return false;
  for (std::string_view key : kRequired)
    if (!value_of(head, key)) return false;
  return true;
}

// The header: lines of a key and a colon, up to the first line that is not
// one (the first sample).
std::string read_header(TextFile& file, Channel& ch) {
  std::string line;
  while (file.next(line)) {
    std::optional<KeyedLine> kv = keyed(line);
    if (!kv || is_digit(kv->key[0]) || kv->key[0] == '-' || kv->key[0] == '.') return line;
    ch.header_lines.push_back(line);
  }
  return {};
}

// "cm/s^2", "cm/s/s", "cm/s2", "gal"; "m/s^2"; "g".
std::optional<double> unit_factor(std::string_view unit) {
  const std::string u = lowered(unit);
  for (const char* cm : {"cm/s^2", "cm/s/s", "cm/s2", "cm/s**2", "cm/sec^2", "cm/sec/sec", "gal"})
    if (u == cm) return 1.0;
  for (const char* m : {"m/s^2", "m/s/s", "m/s2", "m/s**2"})
    if (u == m) return 100.0;
  if (u == "g") return kStandardGravity;
  return std::nullopt;
}

void read(TextFile& file, std::vector<Channel>& channels) {
  Channel ch;
  ch.source = file.path();
  ch.line = 1;
  ch.format = "esm";
  std::string first_data = read_header(file, ch);
  const std::vector<std::string>& header = ch.header_lines;
  auto value = [&](std::string_view key) { return std::string(value_of(header, key).value_or("")); };
  auto required = [&](std::string_view key, std::size_t& at) {
    std::optional<std::string_view> v = value_of(header, key, &at);
    if (!v) file.fail_at(static_cast<long>(header.size()) + 1, "the header has no " + std::string(key) + " line");
    ++at;  // the line's number
    return *v;
  };

  std::size_t at = 0;
  const std::string type = value("DATA_TYPE");
  if (!type.empty() && lowered(type) != "acceleration") {
    value_of(header, "DATA_TYPE", &at);
    file.fail_at(static_cast<long>(at) + 1, "the file holds " + quoted(type) + ", not acceleration");
  }
  const std::string_view unit = required("UNITS", at);
  std::optional<double> factor = unit_factor(unit);
  if (!factor) file.fail_at(static_cast<long>(at), "units " + quoted(unit) + " are not cm/s², m/s² or g");
  ch.unit = std::string(unit);
  ch.to_cm_s2 = *factor;

  std::string_view text = required("SAMPLING_INTERVAL_S", at);
  std::optional<double> interval = parse_number(text);
  if (!interval) file.fail_at(static_cast<long>(at), "no sample interval in " + quoted(text));
  ch.interval = checked_interval(file, static_cast<long>(at), *interval);
  text = required("NDATA", at);
  const long count_line = static_cast<long>(at);
  const std::size_t count = checked_count(file, count_line, parse_number(text).value_or(NAN), "sample count NDATA");

  ch.network = value("NETWORK");
  ch.station_code = value("STATION_CODE");
  ch.station_name = value("STATION_NAME");
  set_place(ch, place_of(value("STATION_LATITUDE_DEGREE"), value("STATION_LONGITUDE_DEGREE")));
  ch.location = value("LOCATION");
  ch.number = value("STREAM");
  ch.orientation_text = ch.number;
  std::optional<Orientation> o = classify_orientation(ch.number);
  if (!o) {
    value_of(header, "STREAM", &at);
    file.fail_at(static_cast<long>(at) + 1, "cannot tell the orientation of the stream " + quoted(ch.number));
  }
  ch.orientation = *o;
  ch.event = value("EVENT_NAME");
  const std::string event_date = value("EVENT_DATE_YYYYMMDD");
  if (event_date.size() == 8 && event_date.find_first_not_of("0123456789") == std::string::npos) {
    ch.event_date = iso_date(std::stoi(event_date.substr(0, 4)), std::stoi(event_date.substr(4, 2)),
                             std::stoi(event_date.substr(6, 2)));
  }
  ch.magnitude = plausible_magnitude(parse_number(value("MAGNITUDE_W")));
  if (!ch.magnitude) ch.magnitude = plausible_magnitude(parse_number(value("MAGNITUDE_L")));
  // "20190728_160919.870", UTC.
  std::string first = value("DATE_TIME_FIRST_SAMPLE_YYYYMMDD_HHMMSS");
  if (first.size() >= 15 && first[8] == '_') {
    const std::string spaced = first.substr(0, 4) + " " + first.substr(4, 2) + " " + first.substr(6, 2) + " " +
                               first.substr(9, 2) + " " + first.substr(11, 2) + " " + first.substr(13);
    if (auto t = clock_time(spaced, "ymdhns")) set_start(ch, *t);
  }
  // A file without processing ("U" in its name) says "PROCESSING: none".
  const std::string processing = lowered(value("PROCESSING"));
  ch.processing = processing.empty() || processing == "none" ? "uncorrected" : "corrected";
  ch.filter_low_hz = parse_number(value("LOW_CUT_FREQUENCY_HZ"));
  ch.filter_high_hz = parse_number(value("HIGH_CUT_FREQUENCY_HZ"));
  if (!ch.filter_low_hz || !ch.filter_high_hz || !(*ch.filter_low_hz < *ch.filter_high_hz)) {
    ch.filter_low_hz = ch.filter_high_hz = std::nullopt;
  }
  if (auto peak = parse_number(value("PGA_CM/S^2"))) ch.stated_peak = std::fabs(*peak);

  // The samples, from the line that ended the header.
  std::vector<double> values;
  std::string why;
  for (bool more = !first_data.empty(); more;) {
    values.clear();
    if (!read_words(first_data, values, why)) file.fail(why);
    for (double v : values) add_sample(ch, v, file);
    if (ch.samples.size() > count) file.fail("more samples than NDATA " + std::to_string(count));
    more = file.next(first_data);
  }
  check_stated_count(file, count_line, count, ch.samples.size());
  channels.push_back(std::move(ch));
}

}  // namespace

const AgencyFormat kEsmFormat = {"esm", "ESM (Engineering Strong-Motion database) ASCII, one component a file",
                                 recognise, read};

}  // namespace kvb
