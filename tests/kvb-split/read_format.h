// Runs one format's reader on bytes held in memory.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "readers/format.h"
#include "readers/line_reader.h"
#include "record/split_error.h"

namespace kvb_test {

using namespace kvb;

struct ReadResult {
  std::vector<Channel> channels;
  std::string error;  // the SplitError's message; empty when the read succeeded
};

inline ReadResult read_as(const AgencyFormat& format, const std::string& bytes, const std::string& path = "rec") {
  ReadResult result;
  TextFile file(path, bytes);  // as kvb-split reads a file: whole, its size known
  try {
    format.read(file, result.channels);
  } catch (const SplitError& e) { result.error = e.what(); }
  return result;
}

// The first lines of bytes, as a format's recognise sees them.
inline std::vector<std::string> head_of(const std::string& bytes) {
  std::vector<std::string> head;
  std::FILE* in = fmemopen(const_cast<char*>(bytes.data()), bytes.size(), "r");
  LineReader lines(in);
  std::string line;
  while (head.size() < kHeadLines && lines.next(line) == LineStatus::kLine) head.push_back(line);
  std::fclose(in);
  return head;
}

// A file of components in columns read as one channel a column: the
// column's samples as written, and its azimuth (-1 for a vertical).
inline void expect_columns(const ReadResult& r, const std::vector<std::vector<double>>& columns,
                           const std::vector<int>& azimuths) {
  ASSERT_EQ("", r.error);
  ASSERT_EQ(columns.size(), r.channels.size());
  for (std::size_t k = 0; k < columns.size(); ++k) {
    EXPECT_EQ(columns[k], r.channels[k].samples) << "column " << k + 1;
    EXPECT_EQ(azimuths[k], r.channels[k].orientation.azimuth) << "column " << k + 1;
  }
}

}  // namespace kvb_test
