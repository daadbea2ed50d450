// The corners of the band-pass chosen from the record itself: the P-wave
// onset (the end of the pre-event noise) and, per component, the band where
// the signal's smoothed Fourier spectrum stands 3 times above the noise's.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace kvb {

// The shortest noise window the corners are chosen from.
inline constexpr double kShortestNoiseSeconds = 1.0;
// The least signal-to-noise ratio of the band kept.
inline constexpr double kLeastSnr = 3.0;
// The low-pass corner stays below this share of the Nyquist frequency, and
// below kHighestLowPassHz (no analysis uses periods under 0.02 s).
inline constexpr double kNyquistShare = 0.8;
inline constexpr double kHighestLowPassHz = 50.0;
// A high-pass corner above this leaves too little of the record to use.
inline constexpr double kHighestHighPassHz = 1.0;

// The sample where the P wave begins, by Maeda's (1985) AIC on the samples up
// to the largest: the split of the record into two parts of the least total
// log-variance. 0 when the record is too short to tell.
std::size_t onset_sample(const std::vector<double>& x);

// The corners of one component, and the facts they came from.
struct AutoCorners {
  double low_hz = 0.0;         // high-pass corner
  double high_hz = 0.0;        // low-pass corner
  double snr_low_hz = 0.0;     // where the ratio falls below kLeastSnr going down (0: it never does)
  double snr_high_hz = 0.0;    // where it falls below going up (0: it never does below the Nyquist frequency)
  double floor_hz = 0.0;       // 1/(the shorter of the noise's and the signal's durations)
  double ceiling_hz = 0.0;     // min(kNyquistShare × Nyquist, kHighestLowPassHz)
  double peak_snr = 0.0;       // the ratio where the signal's spectrum is largest
  double noise_seconds = 0.0;  // the noise window: the samples before the onset
  double signal_seconds = 0.0;
};

// Of demeaned samples dt apart whose first `onset` are pre-event noise. Throws
// SplitError when no such band can be chosen (the reason in the message).
AutoCorners auto_corners(const std::vector<double>& x, double dt, std::size_t onset);

}  // namespace kvb
