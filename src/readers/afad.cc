#include "readers/afad.h"

#include <cmath>
#include <string>
#include <string_view>
#include <vector>

#include "readers/keyed_text.h"
#include "readers/numbers.h"
#include "readers/samples.h"
#include "readers/text.h"
#include "readers/text_fields.h"
#include "record/utf8.h"

namespace kvb {

namespace {

constexpr std::string_view kTitle = "STRONG GROUND MOTION RECORDS OF TURK";  // TURKIYE, TURKEY
constexpr std::size_t kMostHeaderLines = 40;

bool recognise(const std::vector<std::string>& head) {
  return !head.empty() && starts_with_nocase(trim(head[0]), kTitle) && value_of(head, "STATION ID") &&
         value_of(head, "SAMPLING INTERVAL (sec)");
}

// The words of line when every one is a component ("N-S E-W U-D"); none otherwise.
std::vector<std::string_view> component_words(std::string_view line) {
  std::vector<std::string_view> words;
  for (std::size_t from = line.find_first_not_of(' '); from != std::string_view::npos;
       from = line.find_first_not_of(' ', from)) {
    const std::size_t end = std::min(line.find(' ', from), line.size());
    words.push_back(line.substr(from, end - from));
    if (!classify_orientation(words.back()) || is_digit(words.back()[0])) return {};
    from = end;
  }
  return words;
}

void read(TextFile& file, std::vector<Channel>& channels) {
  std::vector<std::string> header;
  std::vector<std::string_view> components;
  std::string line;
  while (components.empty()) {
    if (header.size() == kMostHeaderLines || !file.next(line))
      file.fail("no line naming the components (N-S E-W U-D) after the header");
    header.push_back(line);
    components = component_words(header.back());
  }
  const long names_line = file.line_number();
  auto value = [&](std::string_view key, std::size_t* at = nullptr) {
    return std::string(value_of(header, key, at).value_or(""));
  };
  std::size_t at = 0;
  const std::string interval_text = value("SAMPLING INTERVAL (sec)", &at);
  std::optional<double> interval = parse_number(interval_text);
  if (!interval) file.fail_at(static_cast<long>(at) + 1, "no sample interval in " + quoted(interval_text));
  const double dt = checked_interval(file, static_cast<long>(at) + 1, *interval);
  long count_line = 0;
  std::optional<std::size_t> count;
  if (value_of(header, "NUMBER OF DATA", &at)) {
    count_line = static_cast<long>(at) + 1;
    count = checked_count(file, count_line, parse_number(value("NUMBER OF DATA")).value_or(NAN), "NUMBER OF DATA");
  }

  Channel base;
  base.source = file.path();
  base.line = 1;
  base.format = "afad";
  base.header_lines = header;
  base.header_lines.pop_back();
  base.interval = dt;
  base.unit = "gal";
  base.station_code = value("STATION ID");
  base.station_name = turkish_as_utf8(value("PLACE"));
  // "37.87470N-27.59223E": the latitude's letter, a dash, the longitude.
  const std::string place = value("STATION COORDINATES");
  if (const std::size_t letter = place.find_first_of("NSns"); letter != std::string::npos) {
    std::string_view longitude = std::string_view(place).substr(letter + 1);
    if (!longitude.empty() && longitude[0] == '-') longitude.remove_prefix(1);
    set_place(base, place_of(std::string_view(place).substr(0, letter + 1), longitude));
  }
  base.processing = "uncorrected";  // the header's peaks are the raw record's
  if (auto t = clock_time(value("RECORD TIME"), "dmyhns")) set_start(base, *t);
  if (auto t = clock_time(value("EARTHQUAKE DATE"), "ymdhns")) base.event_date = utc_date(*t);
  base.magnitude = plausible_magnitude(
      parse_number(value("EARTHQUAKE MAGNITUDE").substr(0, value("EARTHQUAKE MAGNITUDE").find(' '))));
  const std::string peaks = value("RAW PGA VALUES (gal)");

  std::vector<std::vector<double>> columns(components.size());
  std::vector<long> lines;
  read_columns(file, columns, &lines);
  if (columns[0].empty())
    file.fail("no data after the line naming the components on line " + std::to_string(names_line));
  if (count) check_stated_count(file, count_line, *count, columns[0].size());
  for (std::size_t k = 0; k < components.size(); ++k) {
    Channel ch = base;
    ch.number = std::to_string(k + 1);
    ch.orientation_text = std::string(components[k]);
    ch.orientation = *classify_orientation(components[k]);
    // "(N-S) 13.200332 (E-W) 12.163827 (U-D) 9.840572"
    const std::size_t named = peaks.find("(" + ch.orientation_text + ")");
    if (named != std::string::npos) {
      std::string_view rest = trim(std::string_view(peaks).substr(named + ch.orientation_text.size() + 2));
      if (auto peak = parse_number(rest.substr(0, rest.find(' ')))) ch.stated_peak = std::fabs(*peak);
    }
    ch.samples.reserve(columns[k].size());
    for (std::size_t i = 0; i < columns[k].size(); ++i) add_sample_at(ch, columns[k][i], file, lines[i]);
    channels.push_back(std::move(ch));
  }
}

}  // namespace

const AgencyFormat kAfadFormat = {"afad", "Turkey AFAD/NSMN strong-motion text, three components in columns (gal)",
                                  recognise, read};

}  // namespace kvb
