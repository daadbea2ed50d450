// Putting a record on read-KVB's time step: band-limited resampling of an
// evenly sampled record, and an even grid for samples taken at uneven times.
#pragma once

#include <cstddef>
#include <string_view>
#include <vector>

// What resample() does, as the record file names it.
inline constexpr std::string_view kResampleMethod =
    "libsoxr, very high quality, linear phase (band-limited, with its anti-alias filter)";

// How many samples a record of n samples, one every from seconds, holds at one
// every to seconds: the first at the same instant, the last at or before the
// original's last.
std::size_t resampled_count(std::size_t n, double from, double to);

// x (one sample every from seconds, the first at t = 0) at one sample every to
// seconds: resampled_count(x.size(), from, to) samples, the first at t = 0,
// with no filter delay. Up or down; going down, the filter removes what lies
// above the new Nyquist frequency. Throws SplitError when the library fails.
std::vector<double> resample(const std::vector<double>& x, double from, double to);

// The step of the even grid for samples taken at times: the median of the
// steps between them, rounded to a microsecond (film records digitised at
// 0.004 to 0.006 s give 0.005 s).
double even_step(const std::vector<double>& times);

// The samples at times[0], times[0] + step, ... up to times.back(), by linear
// interpolation between the samples around each instant. The times must
// increase; throws SplitError naming the sample where they do not.
std::vector<double> to_even_grid(const std::vector<double>& times, const std::vector<double>& x, double step);
