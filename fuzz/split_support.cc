#include "split_support.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "record/split_error.h"
#include "writers/component_file.h"

using namespace kvb;

const AgencyFormat* pick_format(std::uint8_t choice, std::string& bytes) {
  const std::vector<AgencyFormat>& all = formats();
  if (choice != 0) return &all[(choice - 1u) % all.size()];
  return recognised(std::string_view(bytes));
}

void check_writable(const Channel& ch, bool overshoot) {
  if (!ch.times.empty() && ch.times.size() != ch.samples.size()) std::abort();
  const bool fits = std::all_of(ch.samples.begin(), ch.samples.end(), fits_component_field);
  if (!fits && !overshoot) std::abort();  // a reader let through a sample that does not fit
  char* text = nullptr;
  std::size_t size = 0;
  std::FILE* out = open_memstream(&text, &size);
  if (!out) return;
  bool refused = false;
  try {
    write_component(ch, out);
  } catch (const SplitError&) { refused = true; }
  if (refused == fits) std::abort();  // the writer refuses exactly what does not fit
  std::fclose(out);
  std::free(text);
}
