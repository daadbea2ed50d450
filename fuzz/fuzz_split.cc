// Fuzz target: file bytes through kvb-split's format readers and the
// component writer. A reader may refuse the file (SplitError); what it hands
// over must be writable: every sample fits a component field, and a channel
// with sample times has one per sample.
// A miniSEED file takes the responses of the seeds' stations.
// Input: byte 0 picks the reader: 0 the one the first lines recognise (as the
// program does), k another the k-th of the table, round; the rest is the file.
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "record/split_error.h"
#include "split_support.h"

using namespace kvb;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return 0;
  std::string bytes(reinterpret_cast<const char*>(data) + 1, size - 1);
  const AgencyFormat* format = pick_format(data[0], bytes);
  if (!format) return 0;
  std::FILE* in = fmemopen(bytes.data(), bytes.size(), "rb");
  if (!in) return 0;
  std::vector<Channel> channels;
  try {
    TextFile file("input", in);
    read_with(*format, file, {}, channels);
  } catch (const SplitError&) { channels.clear(); }
  std::fclose(in);
  for (const Channel& ch : channels) check_writable(ch);
  return 0;
}
