// The processing steps against known answers: the band-pass's gain inside,
// at and outside its corners, zero phase, the baseline's removal of drifts,
// the onset and the corners chosen from a record of known noise.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <random>
#include <vector>

#include "steps/process/chain.h"
#include "steps/process/corners.h"
#include "steps/process/filters.h"

namespace {

using namespace kvb;
constexpr double kPi = std::numbers::pi;

std::vector<double> sine(std::size_t n, double dt, double f) {
  std::vector<double> x(n);
  for (std::size_t k = 0; k < n; ++k) x[k] = std::sin(2 * kPi * f * static_cast<double>(k) * dt);
  return x;
}

// The largest |x| over the middle half, away from the ends' transients.
double middle_peak(const std::vector<double>& x) {
  double peak = 0.0;
  for (std::size_t k = x.size() / 4; k < 3 * x.size() / 4; ++k) peak = std::max(peak, std::fabs(x[k]));
  return peak;
}

// A sine's amplitude from its mean square over the middle half.
double middle_amplitude(const std::vector<double>& x) {
  double sum = 0.0;
  for (std::size_t k = x.size() / 4; k < 3 * x.size() / 4; ++k) sum += x[k] * x[k];
  return std::sqrt(2 * sum / static_cast<double>(x.size() / 2));
}

TEST(BandPass, GainInsideAtAndOutsideTheCorners) {
  const double dt = 0.01, low = 0.1, high = 20.0;
  struct Case {
    double f, gain, tolerance;
    const char* what;
  } cases[] = {
      {2.0, 1.0, 0.005, "inside the band: passes within 0.5 %"}, {0.5, 1.0, 0.005, "inside, near the high-pass corner"},
      {low, 0.5, 0.01, "at the high-pass corner: 1/√2 a pass"},  {high, 0.5, 0.01, "at the low-pass corner, prewarped"},
      {0.03, 0.0, 0.01, "below the band: removed to < 1 %"},     {40.0, 0.0, 0.01, "above the band: removed to < 1 %"},
  };
  for (const Case& c : cases) {
    std::vector<double> x = sine(40000, dt, c.f);
    zero_phase_band_pass(x, dt, low, high, 4, pad_samples(low, dt, 4));
    EXPECT_NEAR(middle_amplitude(x), c.gain, c.tolerance) << c.what;
  }
}

TEST(BandPass, ZeroPhaseKeepsASymmetricPulseSymmetric) {
  // A Ricker pulse of 2 Hz in the middle of the record, odd order as well.
  const double dt = 0.005;
  const std::size_t n = 8001, mid = n / 2;
  for (int order : {4, 5}) {
    std::vector<double> x(n);
    for (std::size_t k = 0; k < n; ++k) {
      const double a = kPi * 2.0 * (static_cast<double>(k) - static_cast<double>(mid)) * dt;
      x[k] = (1 - 2 * a * a) * std::exp(-a * a);
    }
    zero_phase_band_pass(x, dt, 0.5, 10.0, order, pad_samples(0.5, dt, order));
    const auto peak =
        std::max_element(x.begin(), x.end(), [](double a, double b) { return std::fabs(a) < std::fabs(b); });
    EXPECT_EQ(static_cast<std::size_t>(peak - x.begin()), mid) << "order " << order;
    for (std::size_t k = 1; k < mid; k += 97) ASSERT_NEAR(x[mid + k], x[mid - k], 1e-9) << "order " << order;
  }
}

TEST(Baseline, RemovesDriftsOfTheDisplacement) {
  // Accelerations whose displacement from rest is a polynomial without
  // constant or linear term: the baseline step leaves nothing.
  const double dt = 0.01;
  const std::size_t n = 6001;
  const double T = static_cast<double>(n - 1) * dt;
  struct Case {
    double (*a)(double t, double T);
    const char* what;
  } cases[] = {
      {[](double, double) { return 3.0; }, "an offset: the displacement a parabola"},
      {[](double t, double) { return 0.2 * t; }, "a ramp"},
      {[](double t, double len) { return 30 * std::pow(t / len, 4) - 12 * t / len + 1; }, "a sixth-order displacement"},
  };
  for (const Case& c : cases) {
    std::vector<double> x(n);
    for (std::size_t k = 0; k < n; ++k) x[k] = c.a(static_cast<double>(k) * dt, T);
    remove_baseline(x, dt);
    EXPECT_LT(middle_peak(x), 1e-3) << c.what;
  }
}

TEST(Baseline, MeanAndTaper) {
  std::vector<double> x = {1, 1, 3, 5, 7, 9, 11, 13, 15, 17};
  EXPECT_DOUBLE_EQ(remove_mean(x, 2), 1.0) << "the pre-event part's mean";
  EXPECT_DOUBLE_EQ(x[9], 16.0);
  EXPECT_DOUBLE_EQ(remove_mean(x, 0), 7.2) << "the whole record's";
  std::vector<double> ones(100, 1.0);
  cosine_taper(ones, 0.1);
  EXPECT_EQ(ones[0], 0.0);
  EXPECT_EQ(ones[99], 0.0);
  EXPECT_NEAR(ones[5], 0.5, 1e-12) << "half-way up its 10 samples";
  EXPECT_NEAR(ones[94], 0.5, 1e-12);
  EXPECT_EQ(ones[10], 1.0);
  EXPECT_EQ(ones[89], 1.0);
}

TEST(Filter, Option) {
  struct Case {
    const char* text;
    bool ok;
    ProcessOptions::Corners corners;
    double low, high;
  } cases[] = {
      {"auto", true, ProcessOptions::Corners::kAuto, 0, 0},
      {"none", true, ProcessOptions::Corners::kNone, 0, 0},
      {"0.1:40", true, ProcessOptions::Corners::kGiven, 0.1, 40},
      {"0.3:0.2", false, {}, 0, 0},
      {"0:40", false, {}, 0, 0},
      {"0.1:", false, {}, 0, 0},
      {"0.1:40Hz", false, {}, 0, 0},
      {"high", false, {}, 0, 0},
  };
  for (const Case& c : cases) {
    ProcessOptions o;
    std::string why;
    ASSERT_EQ(parse_filter(c.text, o, why), c.ok) << c.text;
    if (!c.ok) continue;
    EXPECT_EQ(o.corners, c.corners) << c.text;
    EXPECT_EQ(o.low_hz, c.low) << c.text;
    EXPECT_EQ(o.high_hz, c.high) << c.text;
  }
}

// A record of white noise of unit level throughout, and from `onset` seconds
// on a signal `level` times stronger, band-passed 0.3-15 Hz: at 100, the ratio
// of the spectra is 3 where the signal's filter passes 3 %, near 0.19 and 23 Hz.
std::vector<double> noisy_record(double dt, double onset, double seconds, double level = 100) {
  std::mt19937 random(27);
  std::normal_distribution<double> normal;
  const auto n = static_cast<std::size_t>(seconds / dt), first = static_cast<std::size_t>(onset / dt);
  std::vector<double> signal(n - first), x(n);
  for (double& v : signal) v = level * normal(random);
  zero_phase_band_pass(signal, dt, 0.3, 15.0, 4, 0);
  for (std::size_t k = 0; k < n; ++k) x[k] = normal(random) + (k >= first ? signal[k - first] : 0.0);
  return x;
}

TEST(AutoCorners, FindTheOnsetAndTheBandAboveAKnownNoise) {
  const double dt = 0.01;
  const std::vector<double> x = noisy_record(dt, 40.0, 140.0);
  const std::size_t onset = onset_sample(x);
  EXPECT_NEAR(static_cast<double>(onset) * dt, 40.0, 0.2);
  // The smoothed spectrum of 40 s of noise scatters by some 30 %.
  const AutoCorners c = auto_corners(x, dt, onset);
  EXPECT_NEAR(c.low_hz, 0.19, 0.06);
  EXPECT_NEAR(c.high_hz, 23.0, 5.0);
  EXPECT_NEAR(c.floor_hz, 1 / 40.0, 0.001) << "the noise window's longest period";
  EXPECT_EQ(c.ceiling_hz, 40.0) << "0.8 x the Nyquist frequency";
}

TEST(Chain, GivenCornersOnTheUncorrectedOnlyAndHorizontalsShareTheirHighPass) {
  std::array<Channel, 3> chosen;
  for (Channel& ch : chosen) {
    ch.interval = 0.01;
    ch.processing = "uncorrected";
    ch.samples = noisy_record(0.01, 20.0, 100.0);
    ch.data_lines = {"kept only while the samples are the file's"};
  }
  chosen[2].processing = "corrected";
  ProcessOptions o;
  std::string why;
  ASSERT_TRUE(parse_filter("0.2:20", o, why));
  const auto facts = process_record(chosen, {true, true, true}, o);
  ASSERT_TRUE(facts);
  EXPECT_EQ(facts->source_level, "uncorrected");
  EXPECT_NEAR(*facts->onset_seconds, 20.0, 0.2);
  for (std::size_t c = 0; c < 2; ++c) {
    EXPECT_EQ(chosen[c].processing, "processed");
    EXPECT_TRUE(chosen[c].data_lines.empty());
    EXPECT_NEAR(facts->components[c].pad_seconds, 15.0, 0.01) << "1.5 x 4 / 0.2 Hz, half at each end";
  }
  EXPECT_FALSE(facts->components[2].processed) << "a corrected channel stays as it is";
  EXPECT_EQ(chosen[2].processing, "corrected");
  EXPECT_EQ(filtered_text(*facts), "filtered 0.2-20 Hz (given)");

  o.corners = ProcessOptions::Corners::kAuto;
  chosen[0].samples = noisy_record(0.01, 20.0, 100.0);
  chosen[1].samples = noisy_record(0.01, 20.0, 100.0, 10.0);  // weaker: its high-pass corner is higher
  chosen[0].processing = chosen[1].processing = "uncorrected";
  const auto shared = process_record(chosen, {true, true, false}, o);
  ASSERT_TRUE(shared);
  EXPECT_EQ(shared->components[0].low_hz, shared->components[1].low_hz);
  EXPECT_TRUE(shared->components[0].shared_low);
  EXPECT_GT(shared->components[0].low_hz, shared->components[0].chosen->low_hz);
}

}  // namespace
