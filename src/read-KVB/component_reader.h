// One component file on unit 11: 42 header records (the title on record 6),
// then data records of eight 10-column fields until the end of the file.
#pragma once

#include <string_view>

constexpr int kComponentUnit = 11;  // the unit of every component file, and of the CSV
constexpr int kFieldLength = 80;    // a file name field, and the title, are 80 columns
constexpr int kSamples = 33000;     // samples one component buffer holds

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
