#include "split_support.h"

#include <cstdio>
#include <cstdlib>
#include <vector>

#include "component_file.h"
#include "split_error.h"

using namespace kvb_split;

const AgencyFormat* pick_format(std::uint8_t choice, std::string& bytes) {
  const std::vector<AgencyFormat>& all = formats();
  if (choice != 0) return &all[(choice - 1u) % all.size()];
  std::vector<std::string> head;
  if (std::FILE* in = fmemopen(bytes.data(), bytes.size(), "rb")) {
    LineReader lines(in);
    std::string line;
    while (head.size() < kHeadLines && lines.next(line) == LineStatus::kLine) head.push_back(line);
    std::fclose(in);
  }
  for (const AgencyFormat& f : all)
    if (f.recognise(head)) return &f;
  return nullptr;
}

void check_writable(const Channel& ch) {
  if (!ch.times.empty() && ch.times.size() != ch.samples.size()) std::abort();
  for (double v : ch.samples)
    if (!fits_component_field(v)) std::abort();
  char* text = nullptr;
  std::size_t size = 0;
  std::FILE* out = open_memstream(&text, &size);
  if (!out) return;
  try {
    write_component(ch, out);
  } catch (const SplitError&) {
    std::abort();  // a sample let through does not fit
  }
  std::fclose(out);
  std::free(text);
}
