// What a header says about the record a channel belongs to, in the forms the
// record file gives it: dates and times in ISO 8601, magnitudes, filter corners.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "record/channel.h"

namespace kvb {

// A clock time as a header writes it, with the zone it names (minutes east of UTC).
struct StatedTime {
  int year = 0, month = 0, day = 0, hour = 0, minute = 0;
  double second = 0;
  int offset_minutes = 0;
};

// Two-digit years of records: 30 to 99 are 19xx, 00 to 29 20xx; longer years as they are.
int full_year(int year);

// "1999-09-20"; empty for a date that does not exist.
std::string iso_date(int year, int month, int day);

// The time in ISO 8601 with milliseconds: "2014-08-24T10:20:44.000Z", a local
// zone as its offset "1987-10-01T07:42:00.000-07:00". Fields out of range carry
// over (a day of the year as the day of month 1); empty when the year is not
// plausible.
std::string iso_time(const StatedTime& t);
// The date of the time in UTC: "1994-01-17".
std::string utc_date(const StatedTime& t);

// A zone's offset from UTC in minutes: UTC, GMT, UT and Z 0; the North
// American zones (PST -480, PDT -420, ...); JST 540. Nothing for another word.
std::optional<int> zone_offset(std::string_view word);

// "2/13/12, 21:06:45.0 UTC (GPS)", "05/02/83, 16:42:48.2 PDT", "11/13/2009
// 3:06:17.600 GMT", "1/2/24, 03:16: 8.0 UTC" (blank seconds): month first, then
// the zone. Nothing for anything else, or without a zone.
std::optional<StatedTime> us_time(std::string_view text);

// The number right after key (any case) and an optional "=" or ":" on the first
// of lines that holds it: "ML=6.1(CIT)" -> 6.1; nothing where it is not a number.
std::optional<double> number_after_key(const std::vector<std::string>& lines, std::string_view key);

// A station's place, degrees north and east.
struct Coordinates {
  double latitude = 0, longitude = 0;
};

// The first latitude and longitude in text, as headers write them: with
// hemisphere letters ("40.941N, 123.633W"; "39 56 38S  176 35 04E" in degrees,
// minutes and seconds) or signed ("34.063  -117.785"). Nothing where the
// text has none, or values beyond ±90 and ±180.
std::optional<Coordinates> coordinates_in(std::string_view text);
// The place of a latitude and a longitude written apart, each a number and
// its hemisphere letter where it has one, after it or as the last word:
// "37.634900" and "22.729300", "37.87470N" and "27.59223E", "16.84851 LAT. N"
// and "99.85157 LONG. W". Nothing where either is not, or beyond ±90 and ±180.
std::optional<Coordinates> place_of(std::string_view latitude, std::string_view longitude);
// The channel's station at the place, where there is one.
void set_place(Channel& ch, const std::optional<Coordinates>& place);

// A magnitude as a header states it: positive, below 10.
std::optional<double> plausible_magnitude(std::optional<double> m);

// The band-pass corners in text that lists them: ".30 and 40.00 cyc/sec" (two
// corners), ".250- .500 AND 23.00-25.00 CYC/SEC" (two ramps: the band they pass
// whole, 0.5 to 23), "below 0.03 Hz (periods over 33.33 secs), and above 20.0 Hz"
// (parenthesised text is skipped). Nothing unless low < high.
std::optional<std::pair<double, double>> band_corners(std::string_view text);

}  // namespace kvb
