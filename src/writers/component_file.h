// The component files read-KVB reads (component_layout.h): the header records
// (the title on its record, the acceleration descriptor on the last), then the
// samples in cm/s² in data records of 10-column fields.
#pragma once

#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "component_layout.h"
#include "record/channel.h"
#include "record/sample_limits.h"

namespace kvb {

// One value as a field: right-justified, with the most decimals (three at
// least) that fit in 10 columns and that read-KVB, which keeps a sample in
// single precision, reads back to the same digits. A leading zero is dropped
// ("-.1234567"). Nothing when the value does not fit with three decimals
// (from 10^6 cm/s², or 10^5 below zero).
std::optional<std::string> component_field(double value);

// The title record, at most 80 columns: station name and code, channel number
// and orientation as the file gives them, and the azimuth where the words do
// not show it: "Cedar Flat, station 12345, channel 1: 360 Deg". Control
// characters of the input show as '?'.
std::string component_title(const Channel& ch);

// The header records (layout::kHeaderRecords): the channel's header lines 1 to 5, the title, its
// header lines 6 to 40 (empty records where it has fewer), the descriptor.
std::vector<std::string> header_records(const std::vector<std::string>& header, const std::string& title,
                                        const std::string& descriptor);

// Writes the component file of ch to out. Where the channel kept the file's
// own data lines (already eight 10-column fields in cm/s²) they are copied
// byte for byte; otherwise the samples are written as component fields.
// An empty data line closes the file: read-KVB counts it as eight zeros and
// leaves out the last record's eight samples, so its CSV holds every real one.
// Throws SplitError for a sample that does not fit. Write errors are the
// caller's to find (ferror).
void write_component(const Channel& ch, std::FILE* out);

}  // namespace kvb
