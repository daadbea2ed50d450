// Adding a sample to a channel, in cm/s², as every reader does.
#pragma once

#include <cmath>
#include <cstdio>
#include <string>

#include "readers/text_file.h"
#include "record/channel.h"
#include "record/sample_limits.h"

namespace kvb {

// Appends value (in the file's unit) times ch.to_cm_s2 to ch.samples. Fails
// at line (add_sample: at the file's current line) when the result cannot be
// written in a 10-column field with three decimals.
inline void add_sample_at(Channel& ch, double value, const TextFile& file, long line) {
  double cm_s2 = value * ch.to_cm_s2;
  if (!fits_component_field(cm_s2)) {
    char text[64];
    std::snprintf(text, sizeof text, "%.6g", cm_s2);
    file.fail_at(line, "the sample " + std::string(text) +
                           " cm/s² does not fit in a 10-column field with three "
                           "decimals (|value| below 10^6 cm/s², 10^5 when negative)");
  }
  ch.samples.push_back(cm_s2);
}
inline void add_sample(Channel& ch, double value, const TextFile& file) {
  add_sample_at(ch, value, file, file.line_number());
}

}  // namespace kvb
