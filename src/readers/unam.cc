#include "readers/unam.h"

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

constexpr std::string_view kFileTitle = "ARCHIVO ESTANDAR DE ACELERACION";
constexpr std::string_view kDataTitle = "DATOS DE ACELERACION";
constexpr std::string_view kRuler = "---------+";
constexpr std::size_t kMostHeaderLines = 300;

bool recognise(const std::vector<std::string>& head) {
  bool title = false;
  for (const std::string& line : head) title = title || starts_with_nocase(line, kFileTitle);
  return title && value_of(head, "CLAVE DE LA ESTACION") && value_of(head, "NOMBRE DEL ARCHIVO");
}

// "/V/N00E/N90E" -> V, N00E, N90E: the items of the first six channels.
std::vector<std::string> per_channel(std::string_view value) {
  std::vector<std::string> items;
  if (value.empty() || value[0] != '/') return items;
  for (std::size_t from = 1; from <= value.size();) {
    const std::size_t slash = std::min(value.find('/', from), value.size());
    items.emplace_back(trim(value.substr(from, slash - from)));
    from = slash + 1;
  }
  return items;
}

// The key of the first six channels, which begins with prefix:
// "NUM. TOTAL DE MUESTRAS" for "NUM. TOTAL DE MUESTRAS, C1-C6".
std::vector<std::string> channel_values(const std::vector<std::string>& header, std::string_view prefix, long& line) {
  for (std::size_t k = 0; k < header.size(); ++k) {
    std::optional<KeyedLine> kv = keyed(header[k]);
    if (kv && starts_with_nocase(kv->key, prefix) && find_nocase(kv->key, "C1-C6") != std::string_view::npos) {
      line = static_cast<long>(k) + 1;
      return per_channel(kv->value);
    }
  }
  line = 0;
  return {};
}

void read(TextFile& file, std::vector<Channel>& channels) {
  // The header ends with the second ruler after the data's title; between
  // the rulers the channels' names.
  std::vector<std::string> header;
  std::string line;
  int rulers = -1;  // none counted before the data's title
  while (rulers < 2) {
    if (header.size() == kMostHeaderLines || !file.next(line))
      file.fail("no '" + std::string(kDataTitle) + "' and its two rulers after the header");
    header.push_back(line);
    if (starts_with_nocase(line, kDataTitle)) rulers = 0;
    if (rulers >= 0 && starts_with_nocase(line, kRuler)) ++rulers;
  }
  auto value = [&](std::string_view key) { return std::string(value_of(header, key).value_or("")); };

  long at = 0;
  const std::vector<std::string> directions = channel_values(header, "ORIENTACION", at);
  if (directions.empty()) file.fail_at(at ? at : static_cast<long>(header.size()), "no channel orientations");
  const long orientation_line = at;
  const std::vector<std::string> intervals = channel_values(header, "INTERVALO DE MUESTREO", at);
  const long interval_line = at;
  const std::vector<std::string> counts = channel_values(header, "NUM. TOTAL DE MUESTRAS", at);
  const long count_line = at;
  const std::vector<std::string> peaks = channel_values(header, "ACEL. MAX.(Gal)", at);
  if (intervals.size() != directions.size() || counts.size() != directions.size()) {
    file.fail_at(intervals.size() != directions.size() ? interval_line : count_line,
                 std::to_string(directions.size()) + " channels, but not an interval and a count for each");
  }
  const std::string unit = value("UNIDADES DE LOS DATOS");
  if (find_nocase(unit, "gal") == std::string::npos && find_nocase(unit, "cm/s/s") == std::string::npos) {
    std::size_t unit_at = header.size() - 1;
    value_of(header, "UNIDADES DE LOS DATOS", &unit_at);
    file.fail_at(static_cast<long>(unit_at) + 1, "units " + quoted(unit) + " are not gal");
  }

  Channel base;
  base.source = file.path();
  base.line = 1;
  base.format = "unam";
  base.header_lines = header;
  base.unit = "gal";
  base.station_code = value("CLAVE DE LA ESTACION");
  base.station_name = value("NOMBRE DE LA ESTACION");
  // "COORDENADAS DE LA ESTACION : 16.84851 LAT. N", the longitude on the next
  // line after a colon alone: ": 99.85157 LONG. W".
  std::size_t place_at = 0;
  if (auto latitude = value_of(header, "COORDENADAS DE LA ESTACION", &place_at);
      latitude && place_at + 1 < header.size()) {
    const std::string_view next = header[place_at + 1];
    if (const std::size_t colon = next.find(':'); colon != std::string_view::npos && is_blank(next.substr(0, colon)))
      set_place(base, place_of(*latitude, next.substr(colon + 1)));
  }
  base.processing = "uncorrected";
  std::string magnitude = value("MAGNITUD(ES)");  // "/M=7.1", "/Ms=6.0/Mc=5.8"
  if (std::size_t eq = magnitude.find('='); eq != std::string::npos) {
    magnitude = magnitude.substr(eq + 1);
    base.magnitude = plausible_magnitude(parse_number(magnitude.substr(0, magnitude.find('/'))));
  }
  // The date is the earthquake's; the first sample's clock time is given
  // alone, and the day is the one that puts it within 12 h of the origin.
  std::optional<StatedTime> origin =
      clock_time(value("FECHA DEL SISMO [GMT]") + " " + value("HORA EPICENTRO (GMT)"), "ymdhns");
  if (origin) {
    base.event_date = utc_date(*origin);
    if (auto first = clock_time("2000 1 1 " + value("HORA DE LA PRIMERA MUESTRA (GMT)"), "ymdhns")) {
      StatedTime t = *origin;
      t.hour = first->hour, t.minute = first->minute, t.second = first->second;
      const double apart =
          (t.hour - origin->hour) * 3600.0 + (t.minute - origin->minute) * 60.0 + (t.second - origin->second);
      if (apart < -12 * 3600.0) ++t.day;
      if (apart > 12 * 3600.0) --t.day;
      set_start(base, t);
    }
  }

  std::vector<std::vector<double>> columns(directions.size());
  std::vector<long> lines;
  read_columns(file, columns, &lines, stated_width(value("FORMATO DATOS (FORTRAN,10 campos/dato)"), columns.size()));
  for (std::size_t k = 0; k < directions.size(); ++k) {
    Channel ch = base;
    ch.number = std::to_string(k + 1);
    ch.orientation_text = directions[k];
    std::optional<Orientation> o = classify_orientation(directions[k]);
    if (!o) file.fail_at(orientation_line, "unknown orientation " + quoted(directions[k]) + " of channel " + ch.number);
    ch.orientation = *o;
    std::optional<double> dt = parse_number(intervals[k]);
    if (!dt) file.fail_at(interval_line, "no sample interval for channel " + ch.number + " in " + quoted(intervals[k]));
    ch.interval = checked_interval(file, interval_line, *dt);
    if (k > 0 && ch.interval != channels.back().interval)
      file.fail_at(interval_line, "the channels' intervals differ in one block of rows");
    const std::size_t count =
        checked_count(file, count_line, parse_number(counts[k]).value_or(NAN), "sample count of channel " + ch.number);
    check_stated_count(file, count_line, count, columns[k].size());
    if (k < peaks.size())
      if (auto peak = parse_number(peaks[k])) ch.stated_peak = std::fabs(*peak);
    ch.samples.reserve(count);
    for (std::size_t i = 0; i < count; ++i) add_sample_at(ch, columns[k][i], file, lines[i]);
    channels.push_back(std::move(ch));
  }
}

}  // namespace

const AgencyFormat kUnamFormat = {"unam", "Mexico UNAM standard acceleration file, channels in columns (gal)",
                                  recognise, read};

}  // namespace kvb
