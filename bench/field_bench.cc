// Nanoseconds per field for the two conversions every sample goes through:
// reading one E10.4 input field and editing one value with Fw.3.
// Run by hand (build-bench/bench/field_bench); bench/run.sh times the whole
// program.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "component_layout.h"
#include "field.h"

namespace {

using layout::kFieldsPerRecord;
constexpr std::size_t kRecordWidth = layout::kFieldsPerRecord * layout::kFieldWidth;
// Distinct records, so that branches are not learned from a single one.
constexpr std::size_t kPool = 4096;

// Accelerogram-like values: mostly small, a few hundred cm/s/s at most.
std::vector<double> sample_values(std::size_t n) {
  std::vector<double> values(n);
  std::uint64_t s = 0x9E3779B97F4A7C15u;
  for (double& v : values) {
    s ^= s << 13;
    s ^= s >> 7;
    s ^= s << 17;
    const double u = static_cast<double>(s >> 11) / 9007199254740992.0;  // [0, 1)
    const double magnitude = 400.0 * u * u * u;
    v = (s & 1) != 0 ? -magnitude : magnitude;
  }
  return values;
}

// kPool records of eight 10-column fields, back to back: "  -12.3456"
// style, or "1.2346E+01" / "-1.235E+01" when `exponent` is set.
std::string records(bool exponent) {
  const std::vector<double> values = sample_values(kPool * kFieldsPerRecord);
  std::string text;
  text.reserve(values.size() * 10);
  char field[32];
  for (double v : values) {
    if (exponent) {
      std::snprintf(field, sizeof field, v < 0 ? "%10.3E" : "%10.4E", v);
    } else {
      std::snprintf(field, sizeof field, "%10.4f", v);
    }
    text += field;
  }
  return text;
}

void read_records(benchmark::State& state, bool exponent) {
  const std::string text = records(exponent);
  const std::string_view all(text);
  std::size_t r = 0;
  for (auto _ : state) {
    std::string_view rest = all.substr(r * kRecordWidth, kRecordWidth);
    for (int j = 0; j < kFieldsPerRecord; ++j) {
      const kvb::RealField f = kvb::read_real(rest, kvb::RecordEnd::kLineFeed, 10, 4);
      benchmark::DoNotOptimize(f.value);
      rest.remove_prefix(f.used);
    }
    r = (r + 1) % kPool;
  }
  state.counters["per_field"] =
      benchmark::Counter(kFieldsPerRecord, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

// One data record of the largest input's kind: eight "  -12.3456" fields.
void BM_ReadRealFixedPoint(benchmark::State& state) { read_records(state, false); }
BENCHMARK(BM_ReadRealFixedPoint);

// The same values, all in exponent form: the slower path.
void BM_ReadRealExponent(benchmark::State& state) { read_records(state, true); }
BENCHMARK(BM_ReadRealExponent);

// One CSV line's fields: the time with F7.3, three samples with F10.3.
void BM_WriteFixedLine(benchmark::State& state) {
  std::vector<float> values;
  for (double v : sample_values(kPool * 3)) values.push_back(static_cast<float>(v));
  const float dt = 0.005f;
  char line[41];
  std::size_t i = 0;
  for (auto _ : state) {
    kvb::write_fixed(static_cast<float>(static_cast<double>(i) * dt), 7, 3, line);
    kvb::write_fixed(values[3 * i], 10, 3, line + 8);
    kvb::write_fixed(values[3 * i + 1], 10, 3, line + 19);
    kvb::write_fixed(values[3 * i + 2], 10, 3, line + 30);
    benchmark::DoNotOptimize(line);
    benchmark::ClobberMemory();
    i = (i + 1) % kPool;
  }
  state.counters["per_field"] =
      benchmark::Counter(4, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_WriteFixedLine);

}  // namespace

BENCHMARK_MAIN();
