// Samples given with their own times, as film records digitised by hand give
// them (time/value pairs): what the CSMIP film reader and the SMC reader share.
#pragma once

#include <cstddef>

#include "readers/text_file.h"
#include "record/channel.h"

namespace kvb {

class TimedSamples {
 public:
  TimedSamples(Channel& ch, const TextFile& file) : ch_(ch), file_(file) {}

  // The sample value (in the file's unit) at time t seconds, written at line
  // to within a unit of its last digit (0.001 for "22.200"). A time equal to
  // the one before is the same instant: see add. A time before it fails.
  void add(double t, double unit, double value, long line);

  // After the last pair: times at one even step, to within the rounding of
  // their printing, make an even record (ch.interval, no ch.times).
  void finish(long first_line);

 private:
  Channel& ch_;
  const TextFile& file_;
  std::size_t at_instant_ = 0;  // samples read at the last time
  double sum_ = 0;              // their sum, in cm/s²
  double half_unit_ = 0;        // the largest rounding of a printed time
  double finest_unit_ = 0;      // the smallest unit of a printed time's last digit
};

}  // namespace kvb
