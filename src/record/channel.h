// One recorded channel as a format reader hands it over: where it comes from,
// what the file says about it, and its samples in cm/s².
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "record/orientation.h"

namespace kvb {

struct Channel {
  // Where it comes from.
  std::string source;  // the input file's name as given
  long line = 0;       // line of the input where the channel's header starts
  std::string format;  // the reader's --format name: "csmip-v2", "peer", ...

  // What the file says about it; empty where the file does not say.
  std::string network;                        // the seismic network's code where stated: "HI", "CI"
  std::string station_code;                   // "CE12345", "WPWS"
  std::string station_name;                   // "Cedar Flat"
  std::optional<double> latitude, longitude;  // the station's, degrees north and east
  std::string start_time;                     // the record's first instant as the file gives it, "1994-01-17 12:31:58"
  std::string start_iso;   // the same in ISO 8601: "2014-08-24T10:20:44.000Z", a local zone as its offset
  std::string event;       // the earthquake as the file names it: "Chi-Chi Taiwan", "Loma Prieta, CA"
  std::string event_date;  // its date in ISO 8601: "1999-09-20"
  std::optional<double> magnitude;
  std::string record_id;                // the agency's name for the record where it has one: "RSN1180" (PEER)
  std::string processing;               // "uncorrected" (Volume 1 and its kind) or "corrected" (Volume 2 and its kind)
  std::optional<double> filter_low_hz;  // a corrected record's band-pass corners, where the header gives them
  std::optional<double> filter_high_hz;
  std::optional<double> initial_velocity_cm_s;  // a corrected record's velocity at its first sample, where stated
  std::string number;                           // channel number or name as the file gives it: "1", "HNE", "4"
  std::string location;                         // sensor location where stated: "Ground level", "surface", "borehole"
  std::string orientation_text;                 // as written: "360 Deg", "Up", "N-S", "S16W"
  Orientation orientation;                      // classified from the text or the file's code

  // Time: an even interval, or (film-era pairs) each sample's own time.
  double interval = 0.0;      // seconds between samples; 0 when times holds them
  std::vector<double> times;  // seconds, one per sample, only for uneven records

  // Acceleration.
  std::string unit;                   // as the file gives it: "g", "cm/sec2", "mm/s/s", "counts"
  double to_cm_s2 = 1.0;              // the factor that took the file's values to cm/s²
  std::vector<double> samples;        // cm/s², the factor applied
  std::optional<double> stated_peak;  // the header's peak in cm/s², where it states one
  std::string response;               // counts: the file whose response gave to_cm_s2 (StationXML)

  // The file's own text for the component file's header (up to 40 lines are kept),
  // and, where the file's data lines already are eight 10-column fields in cm/s²,
  // those lines, so that the writer can copy them byte for byte.
  // The descriptor line that introduced those data lines goes with them.
  std::vector<std::string> header_lines;
  std::vector<std::string> data_lines;
  std::string data_descriptor;
};

}  // namespace kvb
