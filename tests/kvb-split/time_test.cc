// Putting a record on read-KVB's time: resampling quality, the even grid of
// uneven samples, the window of strongest shaking, and the record file.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "band_limited.h"
#include "component_layout.h"
#include "json_doc.h"
#include "record/split_error.h"
#include "steps/resample.h"
#include "steps/timing.h"
#include "steps/window.h"
#include "writers/record_file.h"

using namespace kvb;

namespace {

TEST(Resample, MatchesTheBandLimitedSignalAwayFromTheEnds) {
  for (double from : {0.01, 0.02, 0.004}) {
    const std::size_t n = 3001;
    std::vector<double> x(n);
    for (std::size_t k = 0; k < n; ++k) x[k] = band_limited(static_cast<double>(k) * from, 0.5 / from);
    std::vector<double> y = resample(x, from, 0.005);
    // Same start, the last sample at or before the original's last instant.
    ASSERT_EQ(static_cast<std::size_t>(std::floor((n - 1) * from / 0.005 + 1e-9)) + 1, y.size()) << from;
    double peak = 0, error = 0;
    const double last = (n - 1) * from;
    for (std::size_t j = 0; j < y.size(); ++j) {
      const double t = static_cast<double>(j) * 0.005, exact = band_limited(t, 0.5 / from);
      peak = std::max(peak, std::fabs(exact));
      if (t >= 1.0 && t <= last - 1.0) error = std::max(error, std::fabs(y[j] - exact));
    }
    EXPECT_LT(error, 1e-3 * peak) << "from " << from << " s: " << 100 * error / peak << " % of the peak";
  }
}

TEST(Resample, CountsAndTinyRecords) {
  EXPECT_EQ(13001u, resampled_count(3251, 0.02, 0.005));  // 65 s
  EXPECT_EQ(2400u, resampled_count(3000, 0.004, 0.005));  // down: 11.996 s ends at 11.995 s
  EXPECT_EQ(0u, resampled_count(0, 0.02, 0.005));
  EXPECT_EQ(std::vector<double>{7.0}, resample({7.0}, 0.02, 0.005));
}

// A zigzag near the Nyquist frequency, as film digitising leaves it: what a
// band-limited resampler changes and linear interpolation keeps.
std::vector<double> zigzag(std::size_t n) {
  std::vector<double> x(n);
  for (std::size_t k = 0; k < n; ++k)
    x[k] = (k % 2 ? -1.0 : 1.0) * 97.3 * std::sin(0.05 * static_cast<double>(k)) + 0.001 * static_cast<double>(k);
  return x;
}

TEST(Resample, LinearKeepsEverySampleAndThePeakAtWholeRatios) {
  const std::vector<double> x = zigzag(1001);
  for (double from : {0.01, 0.02, 0.025, 0.05}) {
    const auto m = static_cast<std::size_t>(std::lround(from / 0.005));
    const std::vector<double> y = resample_linear(x, from, 0.005);
    ASSERT_EQ((x.size() - 1) * m + 1, y.size()) << from;
    for (std::size_t k = 0; k < x.size(); ++k) ASSERT_EQ(x[k], y[k * m]) << from << " s, sample " << k;
    EXPECT_DOUBLE_EQ(x[0] + (x[1] - x[0]) / static_cast<double>(m), y[1]) << from;
    EXPECT_EQ(peak_of(x, from).value, peak_of(y, 0.005).value) << from;
  }
}

TEST(EvenGrid, InterpolatesLinearlyAndRefusesTimesThatDoNotIncrease) {
  EXPECT_DOUBLE_EQ(0.005, even_step({0.0, 0.004, 0.009, 0.014, 0.020, 0.021, 0.026}));
  std::vector<double> y = to_even_grid({0.0, 0.004, 0.010, 0.016}, {0.0, 4.0, 10.0, -2.0}, 0.005);
  ASSERT_EQ(4u, y.size());  // 0, 0.005, 0.010, 0.015
  EXPECT_DOUBLE_EQ(0.0, y[0]);
  EXPECT_DOUBLE_EQ(5.0, y[1]);
  EXPECT_DOUBLE_EQ(10.0, y[2]);
  EXPECT_NEAR(0.0, y[3], 1e-9);
  try {
    to_even_grid({0.0, 0.005, 0.005}, {1, 2, 3}, 0.005);
    ADD_FAILURE() << "equal times accepted";
  } catch (const SplitError& e) {
    EXPECT_STREQ("the sample times do not increase at sample 3 (0.005000 s, then 0.005000 s)", e.what());
  }
}

TEST(Window, FindsTheOneStrongBurstAcrossComponents) {
  // Weak noise everywhere; a burst on N90 only from sample 6000 to 6999 and a
  // weaker one on UP near the start.
  std::vector<double> n00(10000), n90(10000), up(9000);
  for (std::size_t k = 0; k < n00.size(); ++k) n00[k] = std::sin(0.3 * static_cast<double>(k));
  for (std::size_t k = 6000; k < 7000; ++k) n90[k] = 200 * std::sin(0.1 * static_cast<double>(k));
  for (std::size_t k = 100; k < 400; ++k) up[k] = 100;
  Window w = strongest_window({&n00, &n90, &up}, 2000);
  EXPECT_EQ(2000u, w.count);
  EXPECT_LE(w.first, 6000u);
  EXPECT_GE(w.first + w.count, 6990u);  // the burst, to within 0.1 % of its squares
  Window whole = strongest_window({&n00, &n90, &up}, 10000);
  EXPECT_EQ(0u, whole.first);
  EXPECT_EQ(10000u, whole.count);
}

TEST(Window, KeepsTheOnsetWhereALaterWindowGainsOnlyCoda) {
  // Quiet until sample 1000, strong shaking to 1999, then a long coda: every
  // window from 0 to 1000 holds the shaking, the later ones more coda. The
  // earliest within 0.1 % of the most is taken: the record's start for a weak
  // coda, as late as it must for a strong one.
  for (auto [coda, first] : {std::pair{0.01, 0u}, std::pair{20.0, 973u}}) {
    std::vector<double> n00(10000, 0.0);
    for (std::size_t k = 1000; k < 2000; ++k) n00[k] = 100;
    for (std::size_t k = 2000; k < n00.size(); ++k) n00[k] = coda;
    Window w = strongest_window({&n00}, 3000);
    EXPECT_EQ(first, w.first) << "coda " << coda;
    EXPECT_EQ(3000u, w.count);
  }
}

TEST(Window, ParsesAndPlacesStartEnd) {
  struct Case {
    const char* text;
    const char* why;
  };
  for (const Case& c : std::vector<Case>{{"auto", ""},
                                         {"20:120.5", ""},
                                         {"20", "is neither auto nor START:END"},
                                         {"a:3", "needs START and END in seconds, as in 20:120"},
                                         {"10:", "needs START and END in seconds, as in 20:120"},
                                         {"30:20", "needs 0 <= START < END"},
                                         {"-1:20", "needs 0 <= START < END"}}) {
    std::string why;
    auto request = parse_window(c.text, why);
    EXPECT_EQ(std::string(c.why).empty(), request.has_value()) << c.text;
    EXPECT_EQ(c.why, why) << c.text;
  }
  // 200 s at 0.005 s: 40001 samples.
  Window w = window_in_seconds({false, 20.0, 120.0}, 0.005, 40001, layout::kRealSamples);
  EXPECT_EQ(4000u, w.first);
  EXPECT_EQ(20001u, w.count);
  struct Refused {
    WindowRequest request;
    const char* message;
  };
  for (const Refused& r :
       std::vector<Refused>{{{false, 10.0, 201.0},
                             "the window 10.000 s to 201.000 s is not inside the record, whose last "
                             "sample is at 200.000 s"},
                            {{false, 0.0, 170.0},
                             "the window 0.000 s to 170.000 s holds 34001 samples; read-KVB holds at "
                             "most 32992 (164.955 s)"},
                            {{false, 0.0011, 0.0012}, "the window 0.001 s to 0.001 s holds no sample"}}) {
    try {
      window_in_seconds(r.request, 0.005, 40001, layout::kRealSamples);
      ADD_FAILURE() << r.message;
    } catch (const SplitError& e) { EXPECT_STREQ(r.message, e.what()); }
  }
}

TEST(RecordFile, SaysWhatWasDoneAndWhereThePeaksAre) {
  Channel n00, n90;
  n00.source = "CE1.V2";
  n00.station_code = "CE1";
  n00.station_name =
      "Pe\xf1"
      "a Flat";  // Latin-1, as older files write it
  n00.start_time = "08/24/14, 10:20:44.0";
  n00.start_iso = "2014-08-24T10:20:44.000Z";
  n00.event = "South Napa";
  n00.event_date = "2014-08-24";
  n00.magnitude = 6.0;
  n00.processing = "corrected";
  n00.filter_low_hz = 0.1;
  n00.filter_high_hz = 40.0;
  n00.number = "1";
  n00.orientation_text = "360 Deg";
  n00.orientation = {Axis::kHorizontal, 360};
  n00.unit = "g";
  n00.to_cm_s2 = 980.665;
  n00.interval = 0.02;
  n00.samples = {0, 1, -3, 2};
  n90 = n00;
  n90.number = "3";
  n90.orientation = {Axis::kHorizontal, 90};
  RecordFacts facts;
  facts.components = {
      RecordComponent{layout::kNames[0], &n00, 0.02, 4, 13, Peak{-2.0, 0.04}, peak_of({0, 1, -3, 2}, 0.005, 10.0)},
      RecordComponent{layout::kNames[1], &n90, 0.02, 4, 13, {}, {}},
      RecordComponent{layout::kNames[2], nullptr, 0, 0, 13, {}, {}}};
  facts.source_interval = 0.02;
  facts.resampled = ResampleMethod::kBandLimited;
  facts.csv_time_step = 0.005;
  JsonDoc json(record_json(facts));
  EXPECT_EQ("CE1", json.text("/station/code"));
  EXPECT_EQ("Pe\u00f1a Flat", json.text("/station/name"));
  EXPECT_EQ("2014-08-24T10:20:44.000Z", json.text("/start_time"));
  EXPECT_EQ("08/24/14, 10:20:44.0", json.text("/start_time_text"));
  EXPECT_EQ("South Napa", json.text("/event/name"));
  EXPECT_EQ("2014-08-24", json.text("/event/date"));
  EXPECT_EQ(6.0, json.number("/event/magnitude"));
  EXPECT_TRUE(json.is_null("/record_id"));
  EXPECT_EQ("corrected", json.text("/processing/level"));
  EXPECT_EQ(40.0, json.number("/processing/filter_hz/1"));
  EXPECT_EQ("band-limited", json.text("/done/resampling/method"));
  EXPECT_EQ(0.02, json.number("/done/resampling/from_interval"));
  EXPECT_EQ(0.005, json.number("/done/resampling/to_interval"));
  EXPECT_EQ(0.005, json.number("/csv_time_step"));
  EXPECT_EQ(1.0, json.number("/time_column_scale"));
  EXPECT_EQ(method_description(ResampleMethod::kBandLimited), json.text("/done/resampled"));
  EXPECT_EQ("zeros", json.text("/done/missing_vertical"));
  EXPECT_TRUE(json.is_null("/done/window"));
  EXPECT_EQ("CE1.V2", json.text("/components/0/source"));
  EXPECT_EQ(360, json.number("/components/0/azimuth"));
  EXPECT_EQ(980.665, json.number("/components/0/to_cm_s2"));
  EXPECT_EQ(0.02, json.number("/components/0/source_interval"));
  EXPECT_EQ(4, json.number("/components/0/source_samples"));
  EXPECT_EQ(-3.0, json.number("/components/0/peak/value"));
  EXPECT_EQ(10.01, json.number("/components/0/peak/time"));
  EXPECT_EQ(-2.0, json.number("/components/0/source_peak/value"));
  EXPECT_DOUBLE_EQ(0.5, json.number("/components/0/peak_change"));
  EXPECT_TRUE(json.is_null("/components/2/source_peak"));
  EXPECT_TRUE(json.is_null("/components/2/peak_change"));
  EXPECT_EQ("3", json.text("/components/1/channel"));
  EXPECT_TRUE(json.flag("/components/2/zeros"));
  EXPECT_TRUE(json.is_null("/components/2/source"));
}

// Three channels of n samples at interval, from file "r.v2" channels 1-3.
std::array<Channel, 3> record_of(std::size_t n, double interval) {
  std::array<Channel, 3> chosen;
  for (std::size_t c = 0; c < 3; ++c) {
    chosen[c].source = "r.v2";
    chosen[c].number = std::to_string(c + 1);
    chosen[c].interval = interval;
    chosen[c].samples.assign(n, static_cast<double>(c + 1));
    chosen[c].data_lines = {"kept"};
  }
  return chosen;
}

TEST(SettleTime, RefusesWhatWouldComeOutWrongAndSaysWhatHelps) {
  struct Case {
    std::size_t n;
    double interval;
    IntervalChoice choice;
    double n90_interval;
    const char* message;
  };
  for (const Case& c : std::vector<Case>{
           {100, 0.02, IntervalChoice::kRefuse, 0.02,
            "the sample interval is 0.02 s, but read-KVB's time column assumes 0.005 s; use --resample "
            "to resample the record to 0.005 s, or --keep-interval to keep its samples (the CSV's time "
            "column then needs scaling by interval/0.005)"},
           {100, 0.005, IntervalChoice::kRefuse, 0.01,
            "the sample interval is r.v2 channel 1 0.005 s, r.v2 channel 2 0.01 s, r.v2 channel 3 0.005 s, "
            "but read-KVB's time column assumes 0.005 s; use --resample to resample the record to 0.005 s, "
            "or --keep-interval to keep its samples (the CSV's time column then needs scaling by "
            "interval/0.005)"},
           {100, 0.005, IntervalChoice::kResample, 0.0,
            "r.v2 channel 2: the sample interval, 0 s, is not between 1 µs and 10 s"},
           {100, 0.02, IntervalChoice::kKeep, 0.01,
            "the channels keep different intervals (r.v2 channel 1 0.02 s, r.v2 channel 2 0.01 s), but "
            "the CSV has one time column; use --resample"},
           {32993, 0.005, IntervalChoice::kRefuse, 0.005,
            "the record lasts 164.960 s (32993 samples at 0.005 s), but read-KVB holds at most 32992 "
            "samples a component (164.955 s); use --window auto (the strongest shaking) or --window "
            "START:END (seconds)"},
           {8300, 0.02, IntervalChoice::kRefuse, 0.02,
            "the sample interval is 0.02 s, but read-KVB's time column assumes 0.005 s; use --resample "
            "to resample the record to 0.005 s, or --keep-interval to keep its samples (the CSV's time "
            "column then needs scaling by interval/0.005); resampled, the record is longer than read-KVB "
            "holds: add --window auto (the strongest shaking) or --window START:END"},
           {37500, 0.004, IntervalChoice::kRefuse, 0.004,
            "the sample interval is 0.004 s, but read-KVB's time column assumes 0.005 s; use --resample "
            "to resample the record to 0.005 s, or --keep-interval to keep its samples (the CSV's time "
            "column then needs scaling by interval/0.005); with --keep-interval, the record is longer "
            "than read-KVB holds: add --window auto (the strongest shaking) or --window START:END"},
           {40000, 0.01, IntervalChoice::kRefuse, 0.01,
            "the sample interval is 0.01 s, but read-KVB's time column assumes 0.005 s; use --resample "
            "to resample the record to 0.005 s, or --keep-interval to keep its samples (the CSV's time "
            "column then needs scaling by interval/0.005); either way, the record is longer than "
            "read-KVB holds: add --window auto (the strongest shaking) or --window START:END"},
           {8300, 0.02, IntervalChoice::kResample, 0.02,
            "the record lasts 165.980 s (33197 samples at 0.005 s), but read-KVB holds at most 32992 "
            "samples a component (164.955 s); use --window auto (the strongest shaking) or --window "
            "START:END (seconds)"}}) {
    auto chosen = record_of(c.n, c.interval);
    chosen[1].interval = c.n90_interval;
    std::vector<std::string> warnings;
    try {
      settle_time(chosen, {c.choice, std::nullopt, false, std::nullopt}, warnings);
      ADD_FAILURE() << c.message;
    } catch (const SplitError& e) { EXPECT_STREQ(c.message, e.what()); }
  }
  auto uneven = record_of(3, 0.0);
  for (Channel& ch : uneven) ch.times = {0.0, 0.004, 0.010};
  std::vector<std::string> warnings;
  try {
    settle_time(uneven, {}, warnings);
    ADD_FAILURE() << "uneven times accepted";
  } catch (const SplitError& e) {
    EXPECT_STREQ(
        "r.v2 channel 1: the samples are at uneven times (steps of 0.004 s to 0.006 s), but "
        "read-KVB's time column assumes an even 0.005 s; use --resample (the samples are put on "
        "an even grid by linear interpolation, then resampled to 0.005 s) or --keep-interval "
        "(only the even grid)",
        e.what());
  }
}

TEST(SettleTime, ResamplesKeepsCutsAndFillsAMissingVertical) {
  std::vector<std::string> warnings;
  auto as_read = record_of(100, 0.005);  // nothing to do: the lines stay for a byte copy
  RecordFacts facts = settle_time(as_read, {}, warnings);
  EXPECT_EQ(std::vector<std::string>{"kept"}, as_read[0].data_lines);
  EXPECT_FALSE(facts.resampled || facts.kept_interval || facts.window);

  auto resampled = record_of(100, 0.02);
  facts = settle_time(resampled, {IntervalChoice::kResample, std::nullopt, true, std::nullopt}, warnings);
  EXPECT_TRUE(facts.resampled && facts.vertical_zeros());
  EXPECT_EQ(397u, resampled[1].samples.size());
  EXPECT_EQ(std::vector<double>(397, 0.0), resampled[2].samples);
  EXPECT_TRUE(resampled[0].data_lines.empty());
  EXPECT_EQ(0.02, facts.components[0].source_interval);
  EXPECT_EQ(100u, facts.components[0].source_samples);
  EXPECT_EQ(0.005, facts.csv_time_step);
  EXPECT_TRUE(warnings.empty());

  auto kept = record_of(100, 0.02);
  facts = settle_time(kept, {IntervalChoice::kKeep, std::nullopt, false, std::nullopt}, warnings);
  EXPECT_EQ(100u, kept[0].samples.size());
  EXPECT_EQ(std::vector<std::string>{"kept"}, kept[0].data_lines);
  EXPECT_EQ(0.02, facts.csv_time_step);
  EXPECT_EQ(std::vector<std::string>{"the sample interval 0.02 s is kept: multiply the CSV's time column "
                                     "by 4 (0.02 s/0.005 s)"},
            warnings);

  // 200 s at 0.005 s with one burst at 150 s on N90: the window holds it and
  // the peak is at its own time.
  auto burst = record_of(40001, 0.005);
  burst[1].samples[30000] = -500.0;
  facts = settle_time(burst, {IntervalChoice::kRefuse, WindowRequest{true, 0, 0}, false, std::nullopt}, warnings);
  ASSERT_TRUE(facts.window);
  EXPECT_EQ(32992u, burst[2].samples.size());
  EXPECT_LE(facts.window->first_sample, 30000u);
  EXPECT_EQ(-500.0, facts.components[1].peak.value);
  EXPECT_DOUBLE_EQ(150.0, facts.components[1].peak.time);
  EXPECT_TRUE(burst[1].data_lines.empty());
}

// A film record's last sample stays where it lies on the 0.005-s grid,
// although the even grid at its own median step ends before it.
TEST(SettleTime, ResamplingUnevenTimesKeepsTheLastInstant) {
  auto film = record_of(9, 0.0);
  for (Channel& ch : film) {
    ch.times = {0.0, 0.0014, 0.0028, 0.0042, 0.0056, 0.0070, 0.0084, 0.0098, 0.0100};
    ch.samples = {0, 0, 0, 0, 0, 0, 0, 0, -54.3};
  }
  std::vector<std::string> warnings;
  const RecordFacts facts =
      settle_time(film, {IntervalChoice::kResample, std::nullopt, false, ResampleMethod::kLinear}, warnings);
  ASSERT_EQ(3u, film[0].samples.size());  // 0, 0.005, 0.010
  EXPECT_NEAR(-54.3, film[0].samples[2], 1e-9);
  EXPECT_EQ(8u, facts.full.samples[0].size()) << "the grid at 0.01/7 s ends on 0.0100 s";
}

// A zeros N00 stays in its place, as long as the longest channel, and the
// record file says the horizontal is missing.
TEST(SettleTime, AHorizontalOfZerosKeepsItsPlace) {
  auto record = record_of(4, 0.005);
  record[0].samples.clear();
  record[2].samples.assign(6, 3.0);
  TimeOptions options;
  options.horizontal_zeros = 0;
  std::vector<std::string> warnings;
  const RecordFacts facts = settle_time(record, options, warnings);
  EXPECT_EQ(std::vector<double>(6, 0.0), record[0].samples);
  EXPECT_EQ(std::vector<double>(4, 2.0), record[1].samples);
  EXPECT_EQ(nullptr, facts.components[0].channel);
  EXPECT_EQ(&record[2], facts.components[2].channel);
  EXPECT_EQ(std::vector<double>(6, 0.0), facts.full.samples[0]);
  EXPECT_EQ(std::vector<double>(6, 3.0), facts.full.samples[2]);
  const JsonDoc json(record_json(facts));
  EXPECT_EQ("zeros", json.text("/done/missing_horizontal"));
  EXPECT_TRUE(json.is_null("/done/missing_vertical"));
}

TEST(SettleTime, ChoosesTheResamplingMethodAndWarnsOfPeaks) {
  using M = ResampleMethod;
  struct Case {
    double interval;
    bool uneven;  // the same instants as film pairs
    std::optional<M> forced;
    M method;
    const char* warning;  // about N00's peak; "" for none
  };
  for (const Case& c : std::vector<Case>{
           {0.01, false, std::nullopt, M::kLinear, ""},
           {0.02, false, std::nullopt, M::kLinear, ""},
           {0.025, false, std::nullopt, M::kLinear, ""},
           {0.05, false, std::nullopt, M::kLinear, ""},
           {0.004, false, std::nullopt, M::kBandLimited, "(band-limited resampling)"},
           {0.001, false, std::nullopt, M::kBandLimited, "(band-limited resampling)"},
           {0.01, true, std::nullopt, M::kBandLimited, "(band-limited resampling)"},
           {0.004, false, M::kLinear, M::kLinear, ""},
           {0.02, false, M::kBandLimited, M::kBandLimited,
            "(band-limited resampling; --resample=linear keeps the record's own samples)"},
       }) {
    auto chosen = record_of(400, c.interval);
    chosen[0].samples = zigzag(400);
    chosen[2].samples.assign(400, 0.0);
    chosen[2].samples[7] = -0.004;
    chosen[2].samples[9] = 0.0041;
    for (Channel& ch : chosen) {
      if (!c.uneven) continue;
      for (std::size_t k = 0; k < 400; ++k) ch.times.push_back(0.01 * static_cast<double>(k));
      ch.interval = 0;
    }
    std::vector<std::string> warnings;
    RecordFacts facts = settle_time(chosen, {IntervalChoice::kResample, std::nullopt, false, c.forced}, warnings);
    EXPECT_EQ(c.method, facts.resampled) << c.interval;
    ASSERT_FALSE(warnings.empty());
    if (c.method == M::kLinear && !c.forced) {  // UP's own samples kept
      EXPECT_EQ("UP: the peak is 0.004 cm/s²; the CSV's 0.001 cm/s² steps give it only 9 levels", warnings.back());
    }
    const bool warned = warnings.size() > 1 && warnings[0].rfind("N00: the peak written, ", 0) == 0;
    EXPECT_EQ(*c.warning != '\0', warned) << c.interval << ": " << warnings[0];
    if (warned) { EXPECT_NE(std::string::npos, warnings[0].find(c.warning)) << warnings[0]; }
  }
}

}  // namespace
