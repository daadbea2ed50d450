// One record folder measured: spectrum.csv, the exports asked for, and the
// summary (and exports) added to KVB-record.json.
#pragma once

#include <string>
#include <vector>

#include "steps/measure/psa.h"
#include "writers/exports.h"

inline constexpr const char* kSpectrumFile = "spectrum.csv";

struct MeasureOptions {
  bool columns = false, csv = false, at2 = false;  // --export
  const Unit* unit = &kUnits[0];                   // --units
  std::vector<double> periods = kStandardPeriods;  // --periods
};

// Measures the folder and writes its files; returns the record's line for
// standard output, without the line end. Throws MeasureError.
std::string measure_folder(const std::string& dir, const MeasureOptions& opt);
