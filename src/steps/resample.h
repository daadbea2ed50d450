// Putting a record on read-KVB's time step: resampling of an evenly sampled
// record, linear or band-limited, and an even grid for samples taken at
// uneven times.
#pragma once

#include <cstddef>
#include <string_view>
#include <vector>

namespace kvb {

enum class ResampleMethod {
  kLinear,       // straight lines between the record's own samples, which it keeps
  kBandLimited,  // libsoxr, with its anti-alias filter
};

// "linear", "band-limited": as --resample= and the record file name them.
std::string_view method_name(ResampleMethod method);
// What the method does, in a few words.
std::string_view method_description(ResampleMethod method);

// True when two intervals are the same but for rounding (a part in 10^9).
bool same_interval(double a, double b);

// True when to divides from a whole number of times (0.02 s by 0.005 s): each
// of the record's own instants is then one of the new ones.
bool whole_multiple(double from, double to);

// How many samples a record of n samples, one every from seconds, holds at one
// every to seconds: the first at the same instant, the last at or before the
// original's last. As a double, so that a caller can check it before it makes
// them.
double resampled_length(std::size_t n, double from, double to);
std::size_t resampled_count(std::size_t n, double from, double to);

// x (one sample every from seconds, the first at t = 0) at one sample every to
// seconds: resampled_count(x.size(), from, to) samples, the first at t = 0.
//
// Linear: each new sample on the straight line between the two of x around
// it; a new instant that is one of x's takes x's sample exactly, so with
// whole_multiple(from, to) every sample and the peak are kept.
std::vector<double> resample_linear(const std::vector<double>& x, double from, double to);
// Band-limited, with no filter delay; up or down; going down, the filter
// removes what lies above the new Nyquist frequency. Throws SplitError when
// the library fails or there are too few samples for its filter.
std::vector<double> resample(const std::vector<double>& x, double from, double to);

// The step of the even grid for samples taken at times: the median of the
// steps between them, rounded to a microsecond (film records digitised at
// 0.004 to 0.006 s give 0.005 s); 0 for fewer than two times.
double even_step(const std::vector<double>& times);

// How many samples the even grid at step holds (as resampled_length).
double even_grid_length(const std::vector<double>& times, double step);

// The samples at times[0], times[0] + step, ... up to times.back(), by linear
// interpolation between the samples around each instant. The times must
// increase; throws SplitError naming the sample where they do not.
std::vector<double> to_even_grid(const std::vector<double>& times, const std::vector<double>& x, double step);

}  // namespace kvb
