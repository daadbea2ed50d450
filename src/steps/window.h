// Which stretch of a record goes into the component files when the whole
// record is longer than read-KVB holds: the strongest shaking, or the
// seconds the user names.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kvb {

// "12.345 s": seconds as messages show them ("1e+308 s" for huge ones).
std::string seconds_text(double seconds);

// Samples first to first + count - 1 of every component.
struct Window {
  std::size_t first = 0;
  std::size_t count = 0;
};

// What --window asks for: "auto", or "START:END" in seconds from the record's
// first sample.
struct WindowRequest {
  bool automatic = false;
  double start = 0.0;
  double end = 0.0;
};

// Parses --window's argument; nothing (and why) when it is neither "auto" nor
// two numbers START:END with 0 <= START < END.
std::optional<WindowRequest> parse_window(std::string_view text, std::string& why);

// The earliest window of at most max samples whose components together hold
// the largest sum of squared acceleration to within 0.1 %. A
// component shorter than the others counts as zero past its end.
Window strongest_window(const std::vector<const std::vector<double>*>& components, std::size_t max);

// The samples from start to end seconds (both included where a sample falls
// on them) of a record of samples samples, one every interval seconds.
// Throws SplitError when the window is not inside the record or holds more
// than max samples.
Window window_in_seconds(const WindowRequest& request, double interval, std::size_t samples, std::size_t max);

}  // namespace kvb
