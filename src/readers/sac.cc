#include "readers/sac.h"

#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>

#include "readers/identity.h"
#include "readers/keyed_text.h"
#include "readers/text.h"
#include "readers/text_fields.h"
#include "record/sample_limits.h"
#include "record/split_error.h"
#include "record/standard_gravity.h"

namespace kvb {

namespace {

constexpr std::size_t kHeaderBytes = 632;
constexpr float kUndefined = -12345.0f;
constexpr std::int32_t kUndefinedInt = -12345;

// Words of the header: floats from 0, integers from 70, text from byte 440.
enum Float {
  kDelta = 0,
  kScale = 3,
  kBegin = 5,
  kOrigin = 7,
  kLatitude = 31,
  kLongitude = 32,
  kMagnitude = 39,
  kAzimuth = 57,
  kIncidence = 58
};
enum Int {
  kYear = 70,
  kJulianDay,
  kHour,
  kMinute,
  kSecond,
  kMillisecond,
  kVersion,
  kPoints = 79,
  kFileType = 85,
  kDependent = 86,
  kEven = 105
};
// Byte offsets of the text fields (8 bytes each but the event's 16).
enum Text { kStation = 440, kEvent = 448, kHole = 464, kComponent = 600, kNetwork = 608 };

// The values of IFTYPE and IDEP kvb-split tells apart.
constexpr std::int32_t kTimeSeries = 1, kUnknown = 5, kDisplacement = 6, kVelocity = 7, kAcceleration = 8, kVolts = 50;
// SAC's unit of acceleration, nm/s², in cm/s².
constexpr double kNanometre = 1e-7;
// A peak below the component file's 0.001 cm/s² is no strong-motion record in
// SAC's unit: its samples are in another.
constexpr double kLeastPeak = 0.001;

constexpr SacUnit kUnits[] = {{"g", kStandardGravity}, {"m/s2", 100}, {"cm/s2", 1}, {"nm/s2", kNanometre}};
constexpr std::string_view kUnitOption = "--sac-unit UNIT (g, m/s2, cm/s2, nm/s2) states the unit";
// --sac-unit, for every file the run reads.
std::optional<SacUnit> stated_unit;

class Header {
 public:
  Header(std::string_view bytes, bool swapped) : bytes_(bytes), swapped_(swapped) {}

  std::uint32_t word(std::size_t k) const {
    std::uint32_t w;
    std::memcpy(&w, bytes_.data() + 4 * k, 4);
    return swapped_ ? __builtin_bswap32(w) : w;
  }
  std::int32_t integer(std::size_t k) const { return static_cast<std::int32_t>(word(k)); }
  float real(std::size_t k) const { return std::bit_cast<float>(word(k)); }
  std::optional<double> defined(std::size_t k) const {
    const float v = real(k);
    if (v == kUndefined || !std::isfinite(v)) return std::nullopt;
    return v;
  }
  // A text field up to its first NUL, blanks trimmed; empty when undefined.
  std::string text(std::size_t at, std::size_t size = 8) const {
    std::string_view t = bytes_.substr(at, size);
    t = trim(t.substr(0, t.find('\0')));
    return t == "-12345" ? std::string() : std::string(t);
  }

 private:
  std::string_view bytes_;
  bool swapped_;
};

// The byte order whose NVHDR is 6 or 7: false as the machine's, true swapped.
std::optional<bool> byte_order(std::string_view bytes) {
  if (bytes.size() < kHeaderBytes) return std::nullopt;
  for (bool swapped : {false, true}) {
    const std::int32_t version = Header(bytes, swapped).integer(kVersion);
    if (version == 6 || version == 7) return swapped;
  }
  return std::nullopt;
}

[[noreturn]] void fail(const TextFile& file, const std::string& what) {
  throw SplitError(escaped(file.path()) + ": " + what);
}

std::string number(double v) {
  char text[32];
  std::snprintf(text, sizeof text, "%.6g", v);
  return text;
}

// A header float as the decimal of seven digits it stands for: DELTA 0.02 is
// 0.0199999995529651641845703125 in a float.
double seven_digits(double v) {
  char text[32];
  std::snprintf(text, sizeof text, "%.7g", v);
  return std::strtod(text, nullptr);
}

bool recognise(const std::vector<std::string>&) { return false; }  // by is_sac, from the bytes

// The channel's orientation: from CMPINC and CMPAZ where the header has
// them, else from the channel code (KCMPNM).
std::optional<Orientation> orientation(const Header& h, Channel& ch) {
  std::optional<double> incidence = h.defined(kIncidence), azimuth = h.defined(kAzimuth);
  if (incidence && (*incidence == 0 || *incidence == 180)) {
    ch.orientation_text = *incidence == 0 ? "Up" : "Down";
  } else if (incidence && *incidence == 90 && azimuth && *azimuth >= 0 && *azimuth <= 360) {
    ch.orientation_text = std::to_string(std::lround(*azimuth) % 360);
  } else {
    ch.orientation_text = ch.number;
  }
  return classify_orientation(ch.orientation_text);
}

void read(TextFile& file, std::vector<Channel>& channels) {
  const std::string_view bytes = file.bytes();
  std::optional<bool> swapped = byte_order(bytes);
  if (!swapped) fail(file, "not a SAC file: no header version 6 or 7 in either byte order");
  const Header h(bytes, *swapped);
  if (h.integer(kFileType) != kTimeSeries || h.integer(kEven) != 1)
    fail(file, "the SAC file is not an evenly sampled time series (IFTYPE ITIME, LEVEN true)");

  Channel ch;
  ch.source = file.path();
  ch.line = 1;
  ch.format = "sac";
  ch.interval = checked_interval(file, 1, seven_digits(h.real(kDelta)));
  const double most = static_cast<double>((bytes.size() - kHeaderBytes) / 4);
  if (!(h.integer(kPoints) >= 1 && h.integer(kPoints) <= most)) {
    fail(file, "NPTS " + std::to_string(h.integer(kPoints)) + " is not from 1 to the " +
                   std::to_string(static_cast<long long>(most)) + " samples the file's size holds");
  }
  const std::size_t points = static_cast<std::size_t>(h.integer(kPoints));
  // Version 7 keeps a footer of doubles after the samples; version 6 ends with them.
  if (h.integer(kVersion) == 6 && bytes.size() != kHeaderBytes + 4 * points)
    fail(file, std::to_string(bytes.size() - kHeaderBytes - 4 * points) + " bytes after the NPTS samples");

  switch (h.integer(kDependent)) {
    case kAcceleration: break;
    case kUnknown:
    case kUndefinedInt:
      if (stated_unit) break;
      fail(file, "the SAC file's samples are of no stated unit (IDEP " + std::to_string(h.integer(kDependent)) + "); " +
                     std::string(kUnitOption) + " where they are acceleration");
    case kDisplacement:
    case kVelocity: fail(file, "the SAC file holds displacement or velocity (IDEP), not acceleration");
    case kVolts:
    default:
      fail(file, "the SAC file's samples are counts or of no stated unit (IDEP " +
                     std::to_string(h.integer(kDependent)) +
                     "); counts need the instrument's sensitivity, which a SAC header does not carry: "
                     "convert them to acceleration (IDEP IACC, nm/s²) first");
  }
  ch.unit = stated_unit ? std::string(stated_unit->name) + " (--sac-unit)" : "nm/s²";
  ch.to_cm_s2 = stated_unit ? stated_unit->to_cm_s2 : kNanometre;

  ch.network = h.text(kNetwork);
  ch.station_code = h.text(kStation);
  ch.location = h.text(kHole);
  ch.number = h.text(kComponent);
  ch.event = h.text(kEvent, 16);
  std::optional<Orientation> o = orientation(h, ch);
  if (!o) fail(file, "cannot tell the orientation from CMPINC, CMPAZ nor the channel " + quoted(ch.number));
  ch.orientation = *o;
  ch.magnitude = plausible_magnitude(h.defined(kMagnitude));
  const std::optional<double> latitude = h.defined(kLatitude), longitude = h.defined(kLongitude);
  if (latitude && longitude && std::fabs(*latitude) <= 90 && std::fabs(*longitude) <= 180)
    set_place(ch, Coordinates{seven_digits(*latitude), seven_digits(*longitude)});
  ch.processing = "uncorrected";  // a SAC header says nothing of processing

  // The reference time, and the first sample B seconds after it.
  StatedTime t;
  t.year = h.integer(kYear), t.month = 1, t.day = h.integer(kJulianDay);
  t.hour = h.integer(kHour), t.minute = h.integer(kMinute);
  const double second = h.integer(kSecond) + h.integer(kMillisecond) / 1000.0;
  if (t.year >= 1900 && t.year <= 2999 && t.day >= 1 && t.day <= 366 && t.hour >= 0 && t.hour <= 23 && t.minute >= 0 &&
      t.minute <= 59 && second >= 0 && second < 61) {
    StatedTime first = t;
    first.second = second + h.defined(kBegin).value_or(0);
    if (std::fabs(first.second) < 1e6) set_start(ch, first);
    if (std::optional<double> origin = h.defined(kOrigin); origin && std::fabs(*origin) < 1e6) {
      t.second = second + *origin;
      ch.event_date = utc_date(t);
    }
  }

  // The samples.
  double peak = 0;
  ch.samples.reserve(points);
  for (std::size_t k = 0; k < points; ++k) {
    const double v = Header(bytes.substr(kHeaderBytes), *swapped).real(k) * ch.to_cm_s2;
    if (!fits_component_field(v)) {
      fail(file, "sample " + std::to_string(k + 1) + ", " + number(v) +
                     " cm/s², does not fit in a 10-column field with three decimals");
    }
    peak = std::fmax(peak, std::fabs(v));
    ch.samples.push_back(v);
  }
  if (peak < kLeastPeak) {
    fail(file, "read in " + (stated_unit ? std::string(stated_unit->name) : "SAC's unit of acceleration (nm/s²)") +
                   " the peak is " + number(peak) +
                   " cm/s², below the component file's 0.001 cm/s²: the header does not say its unit, and "
                   "the samples are in another (g, m/s²); " +
                   std::string(kUnitOption));
  }
  channels.push_back(std::move(ch));
}

}  // namespace

bool is_sac(std::string_view bytes) {
  std::optional<bool> swapped = byte_order(bytes);
  if (!swapped) return false;
  const Header h(bytes, *swapped);
  return h.integer(kFileType) == kTimeSeries && h.real(kDelta) > 0 && h.integer(kPoints) > 0;
}

std::optional<SacUnit> sac_unit_named(std::string_view name) {
  for (const SacUnit& u : kUnits)
    if (u.name == name) return u;
  return std::nullopt;
}

void read_sac_samples_in(std::optional<SacUnit> unit) { stated_unit = unit; }

const AgencyFormat kSacFormat = {"sac", "SAC binary, one channel a file, either byte order (acceleration in nm/s²)",
                                 recognise, read};

}  // namespace kvb
