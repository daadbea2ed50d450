// Runs one format's reader on bytes held in memory.
#pragma once

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

}  // namespace kvb_test
