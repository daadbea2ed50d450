// One component file on unit 11: its header records (one of them the
// title), then data records until the end of the file (component_layout.h).
#pragma once

#include <string_view>

#include "component_layout.h"

constexpr int kComponentUnit = 11;                   // the unit of every component file, and of the CSV
constexpr int kFieldLength = layout::kTitleColumns;  // a file name field, and the title, are 80 columns

// Opens the component file named by an 80-column name field; it must exist.
void open_component(const char* name_field);
// Closes it.
void close_component();
// Skips n header records.
void skip_records(int n);
// Reads the title record into the 80-column field `line`.
void read_title(char* line);
// Reads data records into samples 1, 2, ... until the end of the file and
// returns how many records were read completely (ended by a line feed). `in`
// is left at the position where the read that met the end started.
int read_data(const char* name_field, float* samples, int& in);
