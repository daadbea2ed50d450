// What the newer text formats share: header lines of a key, a colon and a
// value ("NDATA: 19128", "SAMPLING INTERVAL (sec) : 0.01", "#SampleRate(Hz): 50"),
// and data lines of numbers separated by blanks, so many to a line.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "readers/identity.h"
#include "readers/text_file.h"
#include "record/channel.h"

namespace kvb {

// A header line's key and value, each without the blanks around it.
struct KeyedLine {
  std::string_view key, value;
};

// The key before the line's first colon and the value after it; nothing for
// a line without a colon or with nothing before it.
std::optional<KeyedLine> keyed(std::string_view line);

// The value of the first of lines whose key is key, compared in any case,
// and where it stands (0-based) in at; nothing when no line has that key.
std::optional<std::string_view> value_of(const std::vector<std::string>& lines, std::string_view key,
                                         std::size_t* at = nullptr);

// The numbers of line, separated by blanks (or tabs), appended to values;
// false, with why naming the word, for a word that is not a number.
bool read_words(std::string_view line, std::vector<double>& values, std::string& why);

// Reads the rest of the file as lines of columns.size() numbers, appending
// each to its column; blank lines are skipped. Fails naming the line for a
// word that is not a number or a line of another count. lines, when not
// null, gets the line number of each row. With a width, the numbers are
// fields of that many columns (which may touch) instead of words.
void read_columns(TextFile& file, std::vector<std::vector<double>>& columns, std::vector<long>* lines = nullptr,
                  std::size_t width = 0);

// The field width of a data layout stated without parentheses ("4F10.3")
// when it has per_line fields a line; 0 (read words) for anything else.
std::size_t stated_width(std::string_view layout, std::size_t per_line);

// The count a header states, checked against what the data hold: fails at
// the header's line when they differ.
void check_stated_count(const TextFile& file, long line, std::size_t stated, std::size_t read);

// A clock time written as numbers in the order order gives ('y' year, 'm'
// month, 'd' day, 'h' hour, 'n' minute, 's' second, which may have a
// fraction), separated by anything but digits: "2018/02/06-23:50:29.000" with
// "ymdhns", "20/07/2017 22:30:58.000000 (GMT)" with "dmyhns". Text after the
// last number does not matter. Nothing for a field out of range or missing.
std::optional<StatedTime> clock_time(std::string_view text, std::string_view order);

// The channel's start as the file gives it (start_time) and in ISO 8601.
void set_start(Channel& ch, const StatedTime& t);

}  // namespace kvb
