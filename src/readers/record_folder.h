// A record folder as kvb-split leaves it: the three component files (the
// acceleration in cm/s², component_layout.h) and KVB-record.json beside them.
#pragma once

#include <array>
#include <nlohmann/json.hpp>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "component_layout.h"
#include "record/standard_gravity.h"

// A failure of one record folder; what() is the whole message.
struct MeasureError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

struct Component {
  std::string name;             // layout::kComponents
  std::vector<double> samples;  // cm/s²
  bool zeros = false;           // the vertical of zeros written for a record without one
};

// The samples are the full record (KVB-full.csv: at the record's own step,
// whole) where the folder has it; in a folder written before it existed,
// those of the component files (at 0.005 s, maybe resampled, maybe a window).
struct RecordFolder {
  std::string dir;
  nlohmann::ordered_json record;  // KVB-record.json, its keys in their order
  bool full = false;              // the samples are the full record's
  double time_step = 0.0;         // seconds between samples
  double start = 0.0;             // seconds of the first sample from the record's first (a window's start)
  bool uncorrected = false;       // the processing level is "uncorrected"
  std::array<Component, 3> components;
};

// The first `samples` values of a component file's data records, each record
// eight 10-column fields (a blank field or a short record reading as zeros,
// as read-KVB reads them). Throws MeasureError naming `shown`.
std::vector<double> read_samples(std::string_view bytes, std::size_t samples, const std::string& shown);

// KVB-full.csv's three columns after time_s, the first counts[c] values of
// each. Throws MeasureError naming `shown`.
std::array<std::vector<double>, 3> read_full_samples(std::string_view bytes, const std::array<std::size_t, 3>& counts,
                                                     const std::string& shown);

// Reads the folder; throws MeasureError.
RecordFolder read_record_folder(const std::string& dir);

// The whole file; throws MeasureError.
std::string read_text(const std::string& path);
