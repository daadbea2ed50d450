// One Volume 1 or Volume 2 file, channel by channel: each channel's header and
// acceleration data become one component file, written to a temporary file.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "channel_header.h"
#include "descriptor.h"
#include "orientation.h"
#include "output_files.h"

// Header records of a component file; the title is record 6, the descriptor 42.
inline constexpr int kHeaderRecords = 42;
inline constexpr int kTitleRecord = 6;

struct Channel {
  std::string source;  // the input file's name as given
  long line = 0;       // line of the input where the channel's header starts
  ChannelHeader header;
  Orientation orientation;
  Descriptor descriptor;
  std::size_t temp = 0;  // the OutputDir temporary file holding the component file
};

// Reads every channel of the file at path and appends it to channels. Throws
// SplitError naming the file and line when the file cannot be understood.
void read_volume(const std::string& path, OutputDir& out, std::vector<Channel>& channels);

// The 42 header records for a channel: header lines 1 to 5, the title, header
// lines 6 to 40, empty records where the header is shorter, the descriptor.
// Header lines after the 40th do not fit and are left out.
std::vector<std::string> header_records(const std::vector<std::string>& header,
                                        const std::string& title, const std::string& descriptor);
