// Small pieces the readers share: keywords in any case, trimmed text, input
// quoted safely in messages, and a line of fixed-width numeric fields.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace kvb {

// True when text begins with prefix, letters compared in any case.
bool starts_with_nocase(std::string_view text, std::string_view prefix);
// Where needle first stands in text, letters compared in any case; npos when not.
std::size_t find_nocase(std::string_view text, std::string_view needle);

// text without the blanks around it.
std::string_view trim(std::string_view text);

// text in quotes for a message, its control bytes escaped (\x1b).
std::string quoted(std::string_view text);

// Appends the numbers of line, read as up to count fields of width columns,
// to values; returns how many it appended. Blank fields may only end the
// line, and columns past the last field must be blank. Returns -1 and sets
// why for anything else.
int read_fields(std::string_view line, std::size_t width, std::size_t count, std::vector<double>& values,
                std::string& why);

class TextFile;
struct Channel;

// The values of an integer header from index from up to to, read from line:
// whole numbers of at most nine digits, else fails at line.
void check_integers(const TextFile& file, long line, const std::vector<double>& values, std::size_t from,
                    std::size_t to);

// The intervals a record may state: a microsecond to ten seconds.
inline constexpr double kShortestInterval = 1e-6;
inline constexpr double kLongestInterval = 10.0;

// seconds as a sample interval: finite and from 1 µs to 10 s, else fails at line.
double checked_interval(const TextFile& file, long line, double seconds);

// value as a count of what is named: a whole number from least to most, else
// fails at line. Where the file's size is known, a count of values cannot
// pass it (each value takes at least one byte).
std::size_t checked_count(const TextFile& file, long line, double value, std::string_view what, double least = 1,
                          double most = 1e8);

// A channel of the named format whose header is the file's next count lines.
Channel start_channel(TextFile& file, std::string_view format, std::size_t count);

// A channel of the named format and number whose header begins with first,
// the file's current line.
Channel channel_from(const TextFile& file, std::string_view format, int number, const std::string& first);

// Reads lines until lines holds count of them; fails naming what the file
// ends inside when it ends first.
void read_lines(TextFile& file, std::size_t count, std::vector<std::string>& lines, std::string_view inside);

// Reads lines of fields of width columns, up to per_line a line, until
// count values have been read, handing each value to each while its line is
// the file's current one, and keeping the lines in lines when it is not null.
// Returns false when the file (or a line of NUL bytes, which ends some files)
// ends first; fails naming the line for a field that is not a number and for a
// line holding values past the count.
bool read_block(TextFile& file, std::size_t width, std::size_t per_line, std::size_t count,
                const std::function<void(double)>& each, std::vector<std::string>* lines = nullptr);

// "yyyy-mm-dd hh:mm:ss", then ".mmm" when millis is not negative. Fields out
// of range carry over (a day of the year as day with month 1, seconds below
// zero); empty when year is not plausible.
std::string civil_time(int year, int month, int day, int hour, int minute, int second, int millis = -1);

}  // namespace kvb
