// Fourier transforms of a record's samples (FFTW): the amplitude spectrum,
// its Konno-Ohmachi smoothing, and band-limited upsampling. The measures and
// the processing share these.
#pragma once

#include <complex>
#include <cstddef>
#include <span>
#include <vector>

namespace kvb {

// The smallest length >= n of the form 2^a 3^b 5^c, which FFTW transforms fast.
std::size_t fast_fft_length(std::size_t n);

// The discrete Fourier transform of n real samples, zero-padded to length:
// the n/2+1 coefficients of the frequencies k/(length·dt), k = 0 .. length/2.
std::vector<std::complex<double>> real_fft(std::span<const double> samples, std::size_t length);
// Its inverse: `length` samples, divided by length (so that a round trip
// gives back the samples).
std::vector<double> inverse_real_fft(std::span<const std::complex<double>> coefficients, std::size_t length);

struct AmplitudeSpectrum {
  std::vector<double> frequency;  // Hz, from 0 to the Nyquist frequency
  std::vector<double> amplitude;  // |X(f)|·dt: the unit of the samples times seconds
};

// Of samples dt apart, zero-padded to a fast length of at least the samples
// (at least `length` when given).
AmplitudeSpectrum amplitude_spectrum(std::span<const double> samples, double dt, std::size_t length = 0);

// The Konno and Ohmachi (1998) smoothing of a spectrum at the frequencies fc:
// the mean of the amplitudes weighted by [sin(b·log10(f/fc)) / (b·log10(f/fc))]^4
// over f within a factor 10^(±π/b) of fc (b = 40 by default). Frequency zero
// takes no part.
std::vector<double> konno_ohmachi(const AmplitudeSpectrum& spectrum, std::span<const double> fc, double b = 40.0);

// The band-limited interpolation of samples at `factor` times the rate: the
// spectrum zero-padded (the record padded with zeros to twice its length
// first, so that its end does not wrap round to its start). The first
// samples.size()·factor values, the originals at every factor-th.
std::vector<double> upsampled(std::span<const double> samples, std::size_t factor);

}  // namespace kvb
