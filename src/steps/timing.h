// The record's own time on its way to read-KVB, whose time column is
// (i - 1) × 0.005 s and which holds layout::kRealSamples a component: refuse,
// resample or keep another interval, and cut a record that is too long.
#pragma once

#include <array>
#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "component_layout.h"
#include "record/channel.h"
#include "steps/record_facts.h"
#include "steps/resample.h"
#include "steps/window.h"

namespace kvb {

inline constexpr double kReadKvbInterval = 0.005;
// The most samples a channel may have on its way to a window (an even grid or
// a resampled record): 10000 s at 0.005 s, 16 MB a channel.
inline constexpr std::size_t kMostRecordSamples = 2'000'000;

enum class IntervalChoice {
  kRefuse,    // anything but an even 0.005 s stops the run
  kResample,  // --resample: to 0.005 s
  kKeep,      // --keep-interval: the samples as they are
};

struct TimeOptions {
  IntervalChoice interval = IntervalChoice::kRefuse;
  std::optional<WindowRequest> window;   // --window
  bool vertical_zeros = false;           // UP is zeros (the selection's kZerosVertical): chosen[2] has no samples yet
  std::optional<ResampleMethod> method;  // --resample=METHOD; else linear where whole_multiple, band-limited elsewhere
  int horizontal_zeros = -1;             // the horizontal (0 N00, 1 N90) that is zeros, or -1
};

// Brings the chosen channels (N00, N90, UP) to one shared interval and to at
// most layout::kRealSamples samples: their samples, interval and times are
// replaced, and their data lines dropped where the samples changed. With
// vertical_zeros, chosen[2] gets as many zeros as the longest horizontal; with
// horizontal_zeros, that horizontal as many as the longest channel.
// Every size is checked before it is made. Adds what the user must know to
// warnings (a peak that changed by more than 1 %, a peak too small for the
// CSV's three decimals) and says in the facts what was done (the caller
// fills in the component file names). Throws SplitError with the reason and
// the options that would help.
//
// at_own_step, where given, is a step on the channels at their own even step,
// uneven times already on their grid, before anything else changes them: the
// processing (--filter). It sees the components in their places, own[c] true
// for those with samples of their own. Where it says it changed them, the
// source peaks are of its samples.
using AtOwnStep = std::function<bool(std::array<Channel, 3>& chosen, const std::array<bool, 3>& own)>;
RecordFacts settle_time(std::array<Channel, 3>& chosen, const TimeOptions& options, std::vector<std::string>& warnings,
                        const AtOwnStep& at_own_step = {});

// "0.02 s", "0.005 s": an interval as messages show it.
std::string interval_text(double seconds);

}  // namespace kvb
