// What settle_time did to a record and what each component file holds:
// what the record file tells (record_file.h) and kvb-split's report prints.
#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "record/channel.h"
#include "record/full_record.h"
#include "steps/process/chain.h"
#include "steps/resample.h"

namespace kvb {

// The largest |sample| and when it comes, in seconds from the record's
// first sample when samples start at start seconds.
struct Peak {
  double value = 0.0;  // signed, cm/s²
  double time = 0.0;
};
Peak peak_of(const std::vector<double>& samples, double interval, double start = 0.0);
// The peak of a channel as read: at its own times where it has them.
Peak source_peak_of(const Channel& ch);

struct RecordComponent {
  std::string file;                  // "KVB-N00.txt"
  const Channel* channel = nullptr;  // nothing for a vertical of zeros
  double source_interval = 0.0;      // as read; 0 for uneven times
  std::size_t source_samples = 0;    // as read
  std::size_t samples = 0;           // real samples written (without the closing empty line)
  std::optional<Peak> source_peak;   // of the samples as read, before any resampling
  Peak peak;                         // of the samples written

  // |peak| / |source peak| - 1; nothing for zeros.
  std::optional<double> peak_change() const;
};

struct RecordFacts {
  std::array<RecordComponent, 3> components;  // N00, N90, UP
  double source_interval = 0.0;               // the channels' shared interval; for uneven times, the grid's step
  bool uneven_times = false;                  // the samples were put on an even grid first (linear interpolation)
  std::optional<ResampleMethod> resampled;    // to 0.005 s, from source_interval
  bool kept_interval = false;                 // --keep-interval: the CSV's time column needs scaling
  double csv_time_step = 0.0;                 // the real seconds between the CSV's lines
  struct Cut {
    bool automatic = false;  // --window auto
    double start = 0.0;      // seconds from the record's first sample (at csv_time_step)
    double end = 0.0;
    std::size_t first_sample = 0;  // 0-based, in the record as written (after resampling)
    std::size_t samples = 0;
    std::size_t record_samples = 0;  // before the cut
  };
  std::optional<Cut> window;
  // The record at its own step and whole, written beside the component files.
  FullRecord full;
  // What the processing chain did (--filter); nothing for a record as recorded.
  std::optional<ProcessingFacts> processing;
  // UP is a vertical of zeros (--missing-vertical zeros on a record of two
  // horizontals): the one component without a channel of its own.
  bool vertical_zeros() const { return components[2].channel == nullptr; }
};

}  // namespace kvb
