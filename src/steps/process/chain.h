// The processing chain that makes an uncorrected record usable, on the three
// chosen channels at their own step: pre-event mean, cosine taper, zero-phase
// Butterworth band-pass (padded), polynomial baseline; and what it did.
#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "record/channel.h"
#include "steps/process/corners.h"

namespace kvb {

struct ProcessOptions {
  enum class Corners { kAuto, kNone, kGiven };
  Corners corners = Corners::kAuto;  // --filter auto|none|LOW:HIGH
  double low_hz = 0.0;               // kGiven: the high-pass corner
  double high_hz = 0.0;              //         the low-pass corner
  int order = 4;                     // --filter-order: poles a pass (the filter runs twice)
  double taper = 0.05;               // --taper: the share of the samples tapered at each end
  bool corrected_too = false;        // --process-corrected: corrected channels too, with given corners
};

// --filter's value: "auto", "none" or "LOW:HIGH" (Hz, 0 < LOW < HIGH) into
// options; false, with why, when it is none of these.
bool parse_filter(const std::string& text, ProcessOptions& options, std::string& why);

// What the chain did to one component.
struct ComponentProcessing {
  bool processed = false;
  double interval = 0.0;           // the step it was processed at
  double pre_event_seconds = 0.0;  // the mean's window; 0 for the whole record
  double mean = 0.0;               // cm/s², removed
  double low_hz = 0.0, high_hz = 0.0;
  std::optional<AutoCorners> chosen;  // how --filter auto chose them
  bool shared_low = false;            // the horizontals' higher high-pass corner, not its own
  double pad_seconds = 0.0;           // zeros at each end while filtering, removed after
  std::array<double, 5> baseline{};   // c2 .. c6 of the displacement's polynomial
};

struct ProcessingFacts {
  ProcessOptions options;
  std::string source_level;             // the channels' level before: "uncorrected" (or "corrected" when asked)
  std::optional<double> onset_seconds;  // the P-wave onset the noise window ends at
  std::array<ComponentProcessing, 3> components;  // N00, N90, UP
  std::vector<std::string> sources;               // the files of the channels processed, each once
};

// Runs the chain on those of the chosen channels with samples of their own
// (own[c]) that the options take (uncorrected ones unless --filter none; corrected ones only
// with given corners and --process-corrected), at their even steps (uneven
// times put on a grid first, as settle_time's at_own_step has them): their
// samples replaced, their data lines dropped, their level "processed" and
// their corners stated.
// Nothing when no channel is processed. Throws SplitError where corners
// cannot be chosen or the band is too narrow.
std::optional<ProcessingFacts> process_record(std::array<Channel, 3>& chosen, const std::array<bool, 3>& own,
                                              const ProcessOptions& options);

// "filtered 0.12-40 Hz (auto)"; each component's corners where they differ.
std::string filtered_text(const ProcessingFacts& facts);

}  // namespace kvb
