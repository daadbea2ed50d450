#include "readers/knet.h"

#include <cctype>
#include <cmath>
#include <cstdio>

#include "readers/identity.h"
#include "readers/numbers.h"
#include "readers/samples.h"
#include "readers/text_fields.h"

namespace kvb {

namespace {

// Seventeen lines of a label in columns 1 to 18 and its value from column 19,
// then counts, blank-separated, to the end of the file.
constexpr std::size_t kHeaderLines = 17;
constexpr std::size_t kValueColumn = 19;

// The header's lines, 0-based, and the first word of each one's label.
enum {
  kOrigin = 0,
  kMagnitude = 4,
  kStation = 5,
  kLatitude = 6,
  kLongitude = 7,
  kRecordTime = 9,
  kRate = 10,
  kDuration = 11,
  kDirection = 12,
  kScale = 13,
  kPeak = 14
};
constexpr std::pair<int, std::string_view> kLabels[] = {
    {kOrigin, "Origin"},     {kStation, "Station"}, {kRecordTime, "Record"}, {kRate, "Sampling"},
    {kDuration, "Duration"}, {kDirection, "Dir"},   {kScale, "Scale"},       {kPeak, "Max"}};

// The recorder starts its clock 15 s before the record's first sample; its
// times are Japan's (UTC + 9 h).
constexpr int kTriggerDelay = 15;
constexpr int kJapanMinutes = 9 * 60;

bool recognise(const std::vector<std::string>& head) {
  return head.size() > kStation && starts_with_nocase(head[kOrigin], "Origin Time") &&
         starts_with_nocase(head[kStation], "Station Code");
}

std::string_view value(const std::vector<std::string>& header, int line) {
  return trim(columns(header[static_cast<std::size_t>(line)], kValueColumn, std::string::npos));
}

// "3920(gal)/6182761" -> 3920 / 6182761.
std::optional<double> scale_factor(std::string_view text) {
  std::size_t gal = find_nocase(text, "(gal)/");
  if (gal == std::string_view::npos) return std::nullopt;
  auto a = parse_number(text.substr(0, gal)), b = parse_number(text.substr(gal + 6));
  if (!a || !b || *b == 0 || !std::isfinite(*a / *b)) return std::nullopt;
  return *a / *b;
}

// "2001/02/03 04:05:20", Japan's time.
std::optional<StatedTime> japan_time(std::string_view text) {
  StatedTime t;
  int s = 0;
  std::string copy(text);
  char tail;
  if (std::sscanf(copy.c_str(), "%4d/%2d/%2d %2d:%2d:%2d%c", &t.year, &t.month, &t.day, &t.hour, &t.minute, &s,
                  &tail) != 6)
    return std::nullopt;
  if (t.month < 1 || t.month > 12 || t.day < 1 || t.day > 31 || t.hour < 0 || t.hour > 23 || t.minute < 0 ||
      t.minute > 59 || s < 0 || s > 60)
    return std::nullopt;
  t.second = s;
  t.offset_minutes = kJapanMinutes;
  return t;
}

// K-NET names its directions; KiK-net numbers its channels, 1 to 3 in the
// borehole and 4 to 6 at the surface (also told by the file name's last digit).
bool direction(std::string word, std::string_view path, Channel& ch) {
  for (char& c : word) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  int channel = 0;
  ch.number = "1";  // a K-NET file holds one channel
  if (word.size() == 1 && word[0] >= '1' && word[0] <= '6') {
    channel = word[0] - '0';
    ch.number = word;
    word = channel % 3 == 1 ? "N-S" : channel % 3 == 2 ? "E-W" : "U-D";
    ch.orientation_text = word;  // the direction the channel number stands for
  }
  std::optional<Orientation> o = classify_orientation(word);
  if (!o) return false;
  ch.orientation = *o;
  char last = path.empty() ? ' ' : path.back();
  if (channel != 0) {
    ch.location = channel <= 3 ? "borehole" : "surface";
  } else if (last == '1' || last == '2') {
    ch.location = last == '1' ? "borehole" : "surface";
  }
  return true;
}

void read(TextFile& file, std::vector<Channel>& channels) {
  Channel ch = start_channel(file, "knet", kHeaderLines);
  std::string line;
  const std::vector<std::string>& header = ch.header_lines;
  for (const auto& [at, label] : kLabels) {
    if (!starts_with_nocase(header[static_cast<std::size_t>(at)], label)) {
      file.fail_at(at + 1, "expected the label " + quoted(label) + ", found " +
                               quoted(columns(header[static_cast<std::size_t>(at)], 1, kValueColumn - 1)));
    }
  }

  std::string_view rate_text = value(header, kRate);
  auto rate = parse_number(rate_text.substr(0, find_nocase(rate_text, "Hz")));
  if (!rate || !(*rate > 0)) file.fail_at(kRate + 1, "no sampling rate in " + quoted(rate_text));
  ch.interval = checked_interval(file, kRate + 1, 1.0 / *rate);
  auto factor = scale_factor(value(header, kScale));
  if (!factor) file.fail_at(kScale + 1, "no scale factor A(gal)/B in " + quoted(value(header, kScale)));
  ch.unit = "counts";
  ch.to_cm_s2 = *factor;
  ch.orientation_text = value(header, kDirection);
  if (!direction(ch.orientation_text, file.path(), ch)) {
    file.fail_at(kDirection + 1, "unknown direction " + quoted(ch.orientation_text));
  }
  ch.station_code = value(header, kStation);
  if (starts_with_nocase(header[kLatitude], "Station Lat") && starts_with_nocase(header[kLongitude], "Station Long"))
    set_place(ch, coordinates_in(std::string(value(header, kLatitude)) + " " + std::string(value(header, kLongitude))));
  if (auto t = japan_time(value(header, kRecordTime))) {
    ch.start_time =
        civil_time(t->year, t->month, t->day, t->hour, t->minute, static_cast<int>(t->second) - kTriggerDelay);
    t->second -= kTriggerDelay;
    ch.start_iso = iso_time(*t);
  }
  if (auto origin = japan_time(value(header, kOrigin))) ch.event_date = utc_date(*origin);
  ch.magnitude = plausible_magnitude(parse_number(value(header, kMagnitude)));
  ch.processing = "uncorrected";
  if (auto peak = parse_number(value(header, kPeak))) ch.stated_peak = std::fabs(*peak);

  // The counts carry an offset: the acceleration is the scaled count less the
  // record's mean.
  std::vector<double> counts;
  std::vector<long> lines;  // the line of each count
  while (file.next(line)) {
    std::string_view rest = line;
    while (!(rest = trim(rest)).empty()) {
      std::string_view word = rest.substr(0, rest.find(' '));
      auto count = parse_number(word);
      if (!count) file.fail("not a count: " + quoted(word));
      counts.push_back(*count);
      lines.push_back(file.line_number());
      rest.remove_prefix(word.size());
    }
  }
  if (counts.empty()) file.fail("no data");
  auto duration = parse_number(value(header, kDuration));
  if (duration && *duration * *rate > static_cast<double>(counts.size()) + 0.5) {
    char needs[48];
    std::snprintf(needs, sizeof needs, "%.0f", *duration * *rate);
    file.fail("the header's duration of " + quoted(value(header, kDuration)) + " s needs " + needs +
              " values, the data end after " + std::to_string(counts.size()));
  }
  double sum = 0;
  for (double c : counts) sum += c;
  const double mean = sum / static_cast<double>(counts.size());
  ch.samples.reserve(counts.size());
  for (std::size_t k = 0; k < counts.size(); ++k) add_sample_at(ch, counts[k] - mean, file, lines[k]);
  channels.push_back(std::move(ch));
}

}  // namespace

const AgencyFormat kKnetFormat = {"knet", "K-NET, KiK-net ASCII (.NS .EW .UD .NS1 ... .UD2), scaled counts", recognise,
                                  read};

}  // namespace kvb
