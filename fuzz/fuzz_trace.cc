// Fuzz target: bytes through kvb-trace's reading of read-KVB's CSV and its
// reduction. Every value read must be what strtod makes of its field (NaN
// for asterisks), a reduced trace a subsequence of the samples of at most
// 2 * columns + 2 points, and the peak of no smaller magnitude than any.
// Input: byte 0 the columns (0 to 255); the rest is the CSV.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "trace.h"

namespace {

[[noreturn]] void mismatch(const char* what) {
  std::fprintf(stderr, "MISMATCH: %s\n", what);
  std::abort();
}

// The fields of the text, split at commas and line ends, as strtod reads them.
void check_values(std::string_view text, const kvb::trace::Csv& csv) {
  std::size_t row = 0;
  for (std::size_t at = 0; at < text.size(); ++row) {
    for (int k = 0; k < 4; ++k) {
      std::size_t end = at;
      while (end < text.size() && text[end] != ',' && text[end] != '\n' && text[end] != '\r') ++end;
      const std::string field(text.substr(at, end - at));
      const double want = field[0] == '*' ? NAN : std::strtod(field.c_str(), nullptr);
      const double got = k == 0 ? csv.time[row] : csv.value[k - 1][row];
      if (!(got == want || (std::isnan(got) && std::isnan(want)))) mismatch("a value is not its field's");
      at = end + 1;
    }
    at += at - 1 < text.size() && text[at - 1] == '\r';
  }
  if (row != csv.time.size()) mismatch("rows");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  const std::size_t columns = data[0];
  const std::string_view text(reinterpret_cast<const char*>(data + 1), size - 1);
  long bad = 0;
  const auto csv = kvb::trace::parse(text, bad);
  if (!csv) {
    if (bad < 1) mismatch("a refusal without its line");
    return 0;
  }
  check_values(text, *csv);
  for (const auto& value : csv->value) {
    const auto out = kvb::trace::reduced(csv->time, value, columns);
    if (columns > 0 && out.time.size() > 2 * columns + 2) mismatch("too many points");
    std::size_t k = 0;  // each point drawn is a later sample than the one before
    for (std::size_t i = 0; i < out.time.size(); ++i, ++k) {
      while (k < value.size() && !(csv->time[k] == out.time[i] && value[k] == out.value[i])) ++k;
      if (k == value.size()) mismatch("a point that is no sample, or out of order");
    }
    if (const auto p = kvb::trace::peak(value)) {
      for (const double v : value)
        if (std::fabs(v) > std::fabs(value[*p])) mismatch("a larger magnitude than the peak");
    }
  }
  return 0;
}
