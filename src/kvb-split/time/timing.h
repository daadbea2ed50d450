// The record's own time on its way to read-KVB, whose time column is
// (i - 1) × 0.005 s and which holds 32992 real samples a component: refuse,
// resample or keep another interval, and cut a record that is too long.
#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "model/channel.h"
#include "record_file.h"
#include "time/window.h"

inline constexpr double kReadKvbInterval = 0.005;
// read-KVB's buffers hold 33000 samples; the empty data line closing each
// component file takes the last eight.
inline constexpr std::size_t kReadKvbRealSamples = 32992;

enum class IntervalChoice {
  kRefuse,    // anything but an even 0.005 s stops the run
  kResample,  // --resample: to 0.005 s
  kKeep,      // --keep-interval: the samples as they are
};

struct TimeOptions {
  IntervalChoice interval = IntervalChoice::kRefuse;
  std::optional<WindowRequest> window;  // --window
  bool vertical_zeros = false;          // --missing-vertical zeros: chosen[2] has no samples yet
};

// Brings the chosen channels (N00, N90, UP) to one shared interval and to at
// most kReadKvbRealSamples samples: their samples, interval and times are
// replaced, and their data lines dropped where the samples changed. With
// vertical_zeros, chosen[2] gets as many zeros as the longest horizontal.
// Adds what the user must know to warnings and says in the facts what was
// done (the caller fills in the component file names). Throws SplitError
// with the reason and the options that would help.
RecordFacts settle_time(std::array<Channel, 3>& chosen, const TimeOptions& options, std::vector<std::string>& warnings);

// "0.02 s", "0.005 s": an interval as messages show it.
std::string interval_text(double seconds);
