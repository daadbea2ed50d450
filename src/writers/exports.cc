#include "writers/exports.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

using namespace kvb;

namespace {

using nlohmann::ordered_json;

// The decimals of a time's shortest text: 3 for "0.005", 0 for "12".
int decimals_of(double value) {
  const std::string text = shortest(value);
  if (text.find('e') != std::string::npos) return 9;
  const std::size_t point = text.find('.');
  return point == std::string::npos ? 0 : static_cast<int>(text.size() - point - 1);
}

// The record file's text at pointer, or "".
std::string text_at(const ordered_json& doc, const char* pointer) {
  const ordered_json::json_pointer where(pointer);
  return doc.contains(where) && doc.at(where).is_string() ? doc.at(where).get<std::string>() : "";
}

// The component on the PEER second line: the vertical's "UP", a horizontal's
// azimuth where the record file gives it, else its name.
std::string at2_component(const RecordFolder& r, std::size_t component) {
  if (component == 2) return "UP";
  const ordered_json::json_pointer azimuth("/components/" + std::to_string(component) + "/azimuth");
  if (r.record.contains(azimuth) && r.record.at(azimuth).is_number_integer())
    return std::to_string(r.record.at(azimuth).get<int>());
  return r.components[component].name;
}

// The step in units of the time column's last decimal (0.005 s with three
// decimals: 5), where the times can be written from it: from 0, and rows × that
// below 2^51, so that printf's rounding of k × step can only give the digits of
// k × units. 0 where they cannot.
std::int64_t step_units(double step, double start, int decimals, std::size_t rows) {
  if (start != 0 || decimals > 9 || !(step > 0)) return 0;
  const double scaled = step * std::pow(10.0, decimals);
  const double units = std::round(scaled);
  if (!(units >= 1 && std::fabs(scaled - units) <= 1e-6 * units && units * static_cast<double>(rows) < 0x1p51))
    return 0;
  return static_cast<std::int64_t>(units);
}

// k × units with the point put before the last decimals digits: "0.005", "12.340".
char* time_text(char* p, std::int64_t whole, int decimals) {
  char digits[32];
  const char* end = std::to_chars(digits, digits + sizeof digits, whole).ptr;
  const std::ptrdiff_t n = end - digits, before = n - decimals;
  if (before <= 0) {
    *p++ = '0';
  } else {
    p = std::copy(digits, digits + before, p);
  }
  if (decimals == 0) return p;
  *p++ = '.';
  for (std::ptrdiff_t z = before; z < 0; ++z) *p++ = '0';
  return std::copy(end - std::min<std::ptrdiff_t>(n, decimals), end, p);
}

}  // namespace

const Unit* unit_named(std::string_view option) {
  for (const Unit& u : kUnits)
    if (option == u.option) return &u;
  return nullptr;
}

std::string shortest(double value) {
  char text[32];
  const auto result = std::to_chars(text, text + sizeof text, value);
  return std::string(text, result.ptr);
}

std::string column_file_name(const Component& c, const Unit& unit, double dt) {
  return c.name + "_" + unit.token + "_dt" + shortest(dt) + ".txt";
}

std::string column_text(const Component& c, const Unit& unit) {
  std::string out;
  out.reserve(c.samples.size() * 12);
  for (double a : c.samples) out += shortest(a / unit.cm_s2) + "\n";
  return out;
}

std::string opensees_line(int tag, const std::string& file, const Unit& unit, double dt) {
  return "timeSeries Path " + std::to_string(tag) + " -dt " + shortest(dt) + " -filePath " + file + " -factor " +
         shortest(unit.cm_s2 / 100);
}

std::string csv_file_name(const Unit& unit) { return std::string("accel_") + unit.token + ".csv"; }

std::string csv_text(const RecordFolder& r, const Unit& unit) {
  return csv_table(r.components, r.time_step, r.start, unit);
}

void csv_table(const std::array<Column, 3>& columns, double step, double start, const Unit& unit,
               const std::function<void(std::string_view)>& put) {
  std::string out = "time_s";
  std::size_t rows = 0;
  for (const Column& c : columns) {
    out += "," + std::string(c.name) + "_" + unit.token;
    rows = std::max(rows, c.samples->size());
  }
  out += "\n";
  const int decimals = std::max(decimals_of(step), decimals_of(start));
  // A row at a time in one buffer: the time as printf's "%.*f" writes it (from
  // whole units of the last decimal, or to_chars with a precision, which is
  // printf's rounding without the format's parsing: up to 320 characters for the
  // largest double); each sample's shortest text, at most 24. The rows go to
  // put in pieces of some 64 KiB.
  constexpr std::size_t kPiece = 1 << 16;
  out.reserve(kPiece + 512);
  char row[512];
  const std::int64_t units = step_units(step, start, decimals, rows);
  for (std::size_t k = 0; k < rows; ++k) {
    char* p = units > 0 ? time_text(row, static_cast<std::int64_t>(k) * units, decimals)
                        : std::to_chars(row, row + 350, start + static_cast<double>(k) * step, std::chars_format::fixed,
                                        decimals)
                              .ptr;
    for (const Column& c : columns) {
      *p++ = ',';
      p = std::to_chars(p, p + 32, k < c.samples->size() ? (*c.samples)[k] / unit.cm_s2 : 0.0).ptr;
    }
    *p++ = '\n';
    out.append(row, p);
    if (out.size() >= kPiece) {
      put(out);
      out.clear();
    }
  }
  put(out);
}

std::string csv_table(const std::array<Component, 3>& components, double step, double start, const Unit& unit) {
  std::string out;
  csv_table({Column{components[0].name, &components[0].samples}, Column{components[1].name, &components[1].samples},
             Column{components[2].name, &components[2].samples}},
            step, start, unit, [&](std::string_view piece) { out += piece; });
  return out;
}

std::string at2_file_name(const RecordFolder& r, const Component& c) {
  const std::string id = text_at(r.record, "/record_id");
  const bool named =
      id.size() > 3 && id.compare(0, 3, "RSN") == 0 && id.find_first_not_of("0123456789", 3) == std::string::npos;
  return (named ? id + "_" : "") + c.name + ".AT2";
}

std::string e15_7(double value) {
  if (value == 0) return "  0.0000000E+00";
  char mantissa[32];
  std::snprintf(mantissa, sizeof mantissa, "%.6E", std::fabs(value));  // "1.234567E-02"
  const int exponent = std::atoi(mantissa + 9) + 1;
  const std::string digits = std::string(1, mantissa[0]) + std::string(mantissa + 2, 6);
  char field[32];
  // Fortran drops the E of a three-digit exponent.
  std::snprintf(field, sizeof field, std::abs(exponent) < 100 ? "%s0.%sE%c%02d" : "%s0.%s%c%03d",
                value < 0 ? " -" : "  ", digits.c_str(), exponent < 0 ? '-' : '+', std::abs(exponent));
  return field;
}

std::string at2_text(const RecordFolder& r, std::size_t component) {
  const Component& c = r.components[component];
  std::string date = text_at(r.record, "/event/date");
  int year = 0, month = 0, day = 0;
  char tail = 0;
  if (std::sscanf(date.c_str(), "%4d-%2d-%2d%c", &year, &month, &day, &tail) == 3) {
    char us[16];
    std::snprintf(us, sizeof us, "%02d/%02d/%04d", month, day, year);  // as PEER writes it, and reads back
    date = us;
  }
  std::string where;
  for (const std::string& part : {text_at(r.record, "/event/name"), date, text_at(r.record, "/station/name")})
    if (!part.empty()) where += part + ", ";
  std::string out = "PEER layout: acceleration of the record, no further processing\n" + where +
                    at2_component(r, component) +
                    "\nACCELERATION TIME SERIES IN UNITS OF G\nNPTS= " + std::to_string(c.samples.size()) +
                    ", DT= " + shortest(r.time_step) + " SEC\n";
  for (std::size_t k = 0; k < c.samples.size(); ++k) {
    out += e15_7(c.samples[k] / kStandardGravity);
    if (k % 5 == 4 || k + 1 == c.samples.size()) out += "\n";
  }
  return out;
}
