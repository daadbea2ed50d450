// Fuzz target: files through the whole of kvb-split but the placing of the
// files: the readers, the choice of components, the record's time
// (resampling, --keep-interval, windows, read-KVB's limits), the component
// files and the record file, all in memory. A refusal (SplitError) is an
// answer; anything else that escapes, a sanitizer's report, a hang or a
// memory blow-up is a finding. What is written must be what read-KVB holds:
// at most 32992 samples a component, each fitting its field, a real time
// step, the record file valid JSON, and the full record (KVB-full.csv) read
// back by kvb-measure's reader as the very samples written.
// Input: byte 0 the options (bit 0 --resample, bit 1 --keep-interval, bit 2
// --window auto, bit 3 --window 1:END with END = 2 + byte 2 seconds, bit 4
// --channels with the numbers of byte 3: two bits each, 1 to 4; bits 5 and 6
// --filter none, auto, 0.1:20, 0.1:20 with --process-corrected); byte 1 the
// reader, as byte 0 of fuzz_split; then the input files (StationXML among
// them giving the miniSEED files their responses), each ended by the
// line kFileEnd (the last one by the end of the input).
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "readers/format.h"
#include "readers/record_folder.h"
#include "record/split_error.h"
#include "split_support.h"
#include "steps/process/chain.h"
#include "steps/selection.h"
#include "steps/timing.h"
#include "writers/component_file.h"
#include "writers/full_record_file.h"
#include "writers/record_file.h"

using namespace kvb;

namespace {

constexpr std::string_view kFileEnd = "\n--next file--\n";

TimeOptions time_options(const std::uint8_t* head) {
  TimeOptions time;
  if (head[0] & 1) time.interval = IntervalChoice::kResample;
  if (head[0] & 2) time.interval = IntervalChoice::kKeep;  // both: keep, a usage error in the program
  std::string why;
  if (head[0] & 4) time.window = parse_window("auto", why);
  if (head[0] & 8) time.window = parse_window("1:" + std::to_string(2 + head[2]), why);
  return time;
}

ProcessOptions process_options(const std::uint8_t* head) {
  ProcessOptions process;
  std::string why;
  const int mode = head[0] >> 5 & 3;
  parse_filter(mode == 0 ? "none" : mode == 1 ? "auto" : "0.1:20", process, why);
  process.corrected_too = mode == 3;
  return process;
}

std::vector<long> channel_numbers(const std::uint8_t* head) {
  if (!(head[0] & 16)) return {};
  return {1 + (head[3] & 3), 1 + (head[3] >> 2 & 3), 1 + (head[3] >> 4 & 3)};
}

void read_file(std::string bytes, std::uint8_t reader, const Responses& given, std::vector<Channel>& channels) {
  if (bytes.empty()) throw SplitError("the file is empty");  // as the program refuses it
  const AgencyFormat* format = pick_format(reader, bytes);
  if (!format) throw SplitError("no format");
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> in(fmemopen(bytes.data(), bytes.size(), "rb"), &std::fclose);
  if (!in) throw SplitError("fmemopen");
  TextFile file("input", in.get());
  read_with(*format, file, given, channels);
}

void run(const std::uint8_t* head, std::string_view files) {
  std::vector<std::string_view> each;
  for (std::size_t at = 0; at <= files.size();) {
    std::size_t end = std::min(files.find(kFileEnd, at), files.size());
    each.push_back(files.substr(at, end - at));
    at = end + kFileEnd.size();
  }
  // The StationXML files among them give the miniSEED files their responses, as in the program.
  Responses given;
  for (std::string_view f : each) {
    if (!is_stationxml(f)) continue;
    try {
      Responses rs = read_stationxml("input", f);
      given.insert(given.end(), rs.begin(), rs.end());
    } catch (const SplitError&) {}
  }
  std::vector<Channel> channels;
  for (std::string_view f : each) read_file(std::string(f), head[1], given, channels);
  auto pick = select_components(channels, channel_numbers(head));
  std::array<Channel, 3> chosen = {channels[pick[kN00]], channels[pick[kN90]], channels[pick[kUp]]};
  std::vector<std::string> warnings;
  std::optional<ProcessingFacts> processed;
  RecordFacts facts =
      settle_time(chosen, time_options(head), warnings, [&](auto& placed, const std::array<bool, 3>& own) {
        processed = process_record(placed, own, process_options(head));
        return processed.has_value();
      });
  facts.processing = std::move(processed);
  if (!(facts.csv_time_step > 0 && std::isfinite(facts.csv_time_step))) std::abort();
  for (std::size_t c = 0; c < 3; ++c) {
    if (chosen[c].samples.size() > layout::kRealSamples) std::abort();
    // Band-limited resampling and the processing filter may overshoot a
    // sample that fitted; the writer must then refuse it.
    check_writable(chosen[c], facts.resampled == ResampleMethod::kBandLimited || facts.processing.has_value());
    facts.components[c].file = layout::kNames[c];
  }
  if (!nlohmann::json::accept(record_json(facts))) std::abort();
  // The full record reads back sample for sample.
  const std::array<std::size_t, 3> counts = {facts.full.samples[0].size(), facts.full.samples[1].size(),
                                             facts.full.samples[2].size()};
  if (read_full_samples(full_record_text(facts.full), counts, "full") != facts.full.samples) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 5) return 0;
  try {
    run(data, std::string_view(reinterpret_cast<const char*>(data) + 4, size - 4));
  } catch (const SplitError&) {}
  return 0;
}
