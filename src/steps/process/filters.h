// The steps that make an uncorrected accelerogram usable, each on one
// channel's samples at its own step: the mean, the taper, the zero-phase
// Butterworth band-pass and the polynomial baseline. chain.h runs them in order.
#pragma once

#include <array>
#include <cstddef>
#include <vector>

namespace kvb {

// Subtracts the mean of the first `pre_event` samples (of all of them when
// pre_event is 0 or more than there are) and returns it.
double remove_mean(std::vector<double>& x, std::size_t pre_event);

// A cosine (Tukey) taper: the first and the last `fraction` of the samples
// rise from and fall to zero along half a cosine.
void cosine_taper(std::vector<double>& x, double fraction);

// One second-order section of a recursive filter:
//   y[k] = b0 x[k] + b1 x[k-1] + b2 x[k-2] - a1 y[k-1] - a2 y[k-2].
struct Biquad {
  double b0 = 1, b1 = 0, b2 = 0, a1 = 0, a2 = 0;
};

// A Butterworth high-pass (or low-pass) filter of the order given, corner at
// corner_hz for samples dt apart, as cascaded sections: the analog poles
// mapped by the bilinear transform, the corner prewarped so that the digital
// filter's gain there is 1/√2.
std::vector<Biquad> butterworth(double corner_hz, double dt, int order, bool high_pass);

// The zeros added at each end before a band-pass with a high-pass corner of
// low_hz and this order per pass: half of Converse and Brady's 1.5·order/low_hz
// seconds (Boore and Bommer 2005), the whole filter transient of a two-pass filter.
std::size_t pad_samples(double low_hz, double dt, int order);

// The zero-phase band-pass: the record padded with `pad` zeros at each end,
// filtered forward and then backward (each pass a Butterworth high-pass at
// low_hz and low-pass at high_hz of the order given; either left out when 0),
// and the pads removed again, so that the samples keep their times.
void zero_phase_band_pass(std::vector<double>& x, double dt, double low_hz, double high_hz, int order, std::size_t pad);

// The baseline of the USGS and NGA processing: a polynomial c2·t² + ... + c6·t⁶
// (no constant or linear term) least-squares fitted to the displacement (the
// acceleration integrated twice from rest, trapezoidal rule), its second
// derivative subtracted from the acceleration. Returns c2 .. c6 (cm/s^k+2 … with
// t in seconds from the first sample).
std::array<double, 5> remove_baseline(std::vector<double>& x, double dt);

}  // namespace kvb
