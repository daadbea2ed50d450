// The record's acceleration for analysis programs: one column a component,
// a CSV with a time column, and the PEER layout.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "readers/record_folder.h"

struct Unit {
  const char* option;  // as --units names it: "g", "m/s2", "cm/s2"
  const char* token;   // in file names and CSV headers: "g", "m_s2", "cm_s2"
  double cm_s2;        // cm/s² in one of it
};
inline constexpr Unit kUnits[] = {{"g", "g", kvb::kStandardGravity}, {"m/s2", "m_s2", 100.0}, {"cm/s2", "cm_s2", 1.0}};

// The unit --units names, or null.
const Unit* unit_named(std::string_view option);

// The shortest decimal that reads back as value ("0.005", "1e-07").
std::string shortest(double value);

// "N00_g_dt0.005.txt": the component, the unit and the time step in the
// name, as the file holds values alone (OpenSees reads every number in it).
std::string column_file_name(const Component& c, const Unit& unit, double dt);
// One value a line, in the unit.
std::string column_text(const Component& c, const Unit& unit);
// What reads the column file into OpenSees, with a factor to m/s² (a model
// in metres and seconds): "timeSeries Path 1 -dt 0.005 -filePath
// N00_g_dt0.005.txt -factor 9.80665".
std::string opensees_line(int tag, const std::string& file, const Unit& unit, double dt);

// "accel_g.csv": time_s and the three components, a row a sample.
std::string csv_file_name(const Unit& unit);
std::string csv_text(const RecordFolder& r, const Unit& unit);
// The same table of any components step seconds apart from start: the
// header "time_s,N00_g,...", the time with as many decimals as step and start
// need, the values in their shortest text; a shorter component ends in zeros.
std::string csv_table(const std::array<Component, 3>& components, double step, double start, const Unit& unit);
// The same handed to put in pieces, of columns named and held elsewhere.
struct Column {
  std::string_view name;               // "N00"
  const std::vector<double>* samples;  // cm/s²
};
void csv_table(const std::array<Column, 3>& columns, double step, double start, const Unit& unit,
               const std::function<void(std::string_view)>& put);

// "N00.AT2", or "RSN763_N00.AT2" for a record the agency names (PEER's record
// number, which a PEER reader takes from the file's name): four header lines,
// the second "event, date (MM/DD/YYYY), station, component" as PEER writes it,
// then the values in g, five a line as E15.7.
std::string at2_file_name(const RecordFolder& r, const Component& c);
std::string at2_text(const RecordFolder& r, std::size_t component);
// One E15.7 field: " 0.1234567E-01".
std::string e15_7(double value);
