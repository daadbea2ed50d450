#include "readers/cwb.h"

#include <cmath>
#include <string>
#include <string_view>
#include <vector>

#include "readers/keyed_text.h"
#include "readers/numbers.h"
#include "readers/samples.h"
#include "readers/text.h"
#include "readers/text_fields.h"

namespace kvb {

namespace {

constexpr std::size_t kMostHeaderLines = 60;

bool recognise(const std::vector<std::string>& head) {
  return !head.empty() && starts_with_nocase(head[0], "#Earthquake Information") && value_of(head, "#StationCode") &&
         value_of(head, "#DataSequence");
}

// The first header line whose key begins with prefix ("#StartTime" for
// "#StartTime(GMT+08)"), and its 1-based line; nothing when none does.
std::optional<KeyedLine> key_starting(const std::vector<std::string>& header, std::string_view prefix, long& line) {
  for (std::size_t k = 0; k < header.size(); ++k) {
    std::optional<KeyedLine> kv = keyed(header[k]);
    if (kv && starts_with_nocase(kv->key, prefix)) {
      line = static_cast<long>(k) + 1;
      return kv;
    }
  }
  return std::nullopt;
}

// A time whose key names its zone: "#StartTime(GMT+08): 2018/02/06-23:50:29.000".
std::optional<StatedTime> zoned_time(const std::vector<std::string>& header, std::string_view prefix) {
  long line = 0;
  std::optional<KeyedLine> kv = key_starting(header, prefix, line);
  if (!kv) return std::nullopt;
  std::optional<StatedTime> t = clock_time(kv->value, "ymdhns");
  const std::size_t gmt = find_nocase(kv->key, "(GMT");
  if (!t || gmt == std::string_view::npos) return t;
  std::string_view offset = kv->key.substr(gmt + 4);
  offset = offset.substr(0, offset.find(')'));
  const bool minus = !offset.empty() && offset[0] == '-';
  if (!offset.empty() && (offset[0] == '+' || offset[0] == '-')) offset.remove_prefix(1);
  std::optional<double> hours = parse_number(offset);
  if (!offset.empty() && (!hours || !(*hours >= 0 && *hours <= 14))) return std::nullopt;
  t->offset_minutes = static_cast<int>(std::lround((minus ? -1 : 1) * hours.value_or(0) * 60));
  return t;
}

// "#DataSequence: Time U(+); N(+); E(+)": the components after the time.
std::vector<std::string> sequence(std::string_view text) {
  std::vector<std::string> words;
  std::string word;
  for (char c : std::string(text) + " ") {
    if (c == ' ' || c == ';' || c == ',') {
      if (!word.empty()) words.push_back(word.substr(0, word.find('(')));
      word.clear();
    } else {
      word.push_back(c);
    }
  }
  if (!words.empty() && lowered(words[0]) == "time") words.erase(words.begin());
  return words;
}

void read(TextFile& file, std::vector<Channel>& channels) {
  std::vector<std::string> header;
  std::string line;
  for (;;) {
    if (header.size() == kMostHeaderLines)
      file.fail("no data after a header of " + std::to_string(header.size()) + " lines");
    if (!file.next(line)) file.fail("the file ends inside the header");
    header.push_back(line);
    if (starts_with_nocase(line, "#Data:")) break;
  }
  long at = 0;
  auto text = [&](std::string_view key) { return std::string(value_of(header, key).value_or("")); };
  std::optional<KeyedLine> rate_line = key_starting(header, "#SampleRate", at);
  if (!rate_line) file.fail_at(static_cast<long>(header.size()), "the header has no #SampleRate(Hz) line");
  std::optional<double> rate = parse_number(rate_line->value);
  if (!rate || !(*rate > 0)) file.fail_at(at, "no sampling rate in " + quoted(rate_line->value));
  const double dt = checked_interval(file, at, 1 / *rate);

  std::optional<KeyedLine> unit = key_starting(header, "#AmplitudeUnit", at);
  const std::string unit_word = unit ? lowered(unit->value.substr(0, unit->value.find_first_of(" .,"))) : "";
  if (unit_word != "gal" && unit_word != "cm/s^2" && unit_word != "cm/s/s")
    file.fail_at(at ? at : static_cast<long>(header.size()),
                 "units " + quoted(unit ? unit->value : "") + " are not gal");

  std::optional<KeyedLine> order = key_starting(header, "#DataSequence", at);
  const std::vector<std::string> components = sequence(order->value);
  if (components.empty() || components.size() > 3)
    file.fail_at(at, "cannot read the components of " + quoted(order->value));
  for (const std::string& c : components)
    if (!classify_orientation(c)) file.fail_at(at, "unknown component " + quoted(c) + " in " + quoted(order->value));

  Channel base;
  base.source = file.path();
  base.line = 1;
  base.format = "cwb";
  base.header_lines = header;
  base.interval = dt;
  base.unit = "gal";
  base.station_code = text("#StationCode");
  set_place(base, place_of(text("#StationLatitude(N)"), text("#StationLongitude(E)")));
  base.station_name = text("#StationName");
  base.processing = "uncorrected";  // the offset removed, nothing else
  if (auto t = zoned_time(header, "#StartTime")) set_start(base, *t);
  if (auto t = zoned_time(header, "#Origin Time")) base.event_date = utc_date(*t);
  std::optional<KeyedLine> magnitude = key_starting(header, "#Magnitude", at);
  if (magnitude) base.magnitude = plausible_magnitude(parse_number(magnitude->value));

  // The rows: the time, then each component.
  const long first_row = file.line_number() + 1;
  std::vector<std::vector<double>> columns(components.size() + 1);
  std::vector<long> lines;
  read_columns(file, columns, &lines, stated_width(text("#Data"), columns.size()));
  if (columns[0].empty()) file.fail_at(first_row, "no data after the header");
  // The time column must step by the interval the rate gives.
  for (std::size_t i = 0; i < columns[0].size(); ++i) {
    if (std::fabs(columns[0][i] - columns[0][0] - static_cast<double>(i) * dt) > dt / 2) {
      char why[160];
      std::snprintf(why, sizeof why, "the time %g s is not %g s after the first, as the rate of %g Hz has it",
                    columns[0][i], static_cast<double>(i) * dt, *rate);
      file.fail_at(lines[i], why);
    }
  }
  for (std::size_t k = 0; k < components.size(); ++k) {
    Channel ch = base;
    ch.number = std::to_string(k + 1);
    ch.orientation_text = components[k];
    ch.orientation = *classify_orientation(components[k]);
    // "#AmplitudeMAX. U:    0.658~   -0.837"
    if (auto peaks = value_of(header, "#AmplitudeMAX. " + components[k])) {
      std::vector<double> both;
      std::string why;
      std::string spaced(*peaks);
      for (char& c : spaced)
        if (c == '~') c = ' ';
      if (read_words(spaced, both, why) && both.size() == 2)
        ch.stated_peak = std::fmax(std::fabs(both[0]), std::fabs(both[1]));
    }
    ch.samples.reserve(lines.size());
    for (std::size_t i = 0; i < lines.size(); ++i) add_sample_at(ch, columns[k + 1][i], file, lines[i]);
    channels.push_back(std::move(ch));
  }
}

}  // namespace

const AgencyFormat kCwbFormat = {"cwb", "Taiwan CWB strong-motion text, time and three components in columns (gal)",
                                 recognise, read};

}  // namespace kvb
