// One record folder measured: spectrum.csv, fas.csv, the exports asked for,
// and the summary (and exports) added to KVB-record.json.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "steps/measure/psa.h"
#include "writers/exports.h"

inline constexpr const char* kSpectrumFile = "spectrum.csv";
inline constexpr const char* kFourierFile = "fas.csv";

// How periods shorter than 10 steps are measured: on the record's own
// samples (exact for an acceleration linear between them), or on a
// band-limited upsampling of the record.
enum class ShortPeriods { kExact, kBandLimited };

struct MeasureOptions {
  bool columns = false, csv = false, at2 = false;     // --export
  const Unit* unit = &kUnits[0];                      // --units
  std::vector<double> periods = default_periods();    // --periods
  std::vector<double> dampings = {kDamping};          // --damping
  ShortPeriods short_periods = ShortPeriods::kExact;  // --short-periods
  std::optional<double> konno_ohmachi_b;              // --fas-smoothing konno-ohmachi[:B]
  std::optional<double> export_step;                  // --step: the exports resampled to it (s)
};

// What the measuring of a record gives: the record's line (without the
// exports), spectrum.csv, fas.csv and the summary for KVB-record.json.
struct MeasuredRecord {
  std::string line, spectrum, fourier;
  nlohmann::ordered_json summary;
};
MeasuredRecord measure_record(const RecordFolder& r, const MeasureOptions& opt);

// Measures the folder and writes its files; returns the record's line for
// standard output, without the line end. Throws MeasureError.
std::string measure_folder(const std::string& dir, const MeasureOptions& opt);
