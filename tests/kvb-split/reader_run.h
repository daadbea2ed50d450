// Runs one format reader on text held in memory, as kvb-split runs it on a file.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "formats/format.h"
#include "split_error.h"

namespace kvb_test {

struct ReadResult {
  std::vector<Channel> channels;
  std::string error;  // the SplitError's message; "" when the read succeeded
};

inline ReadResult read_with(const Format& format, std::string text, const std::string& path = "rec") {
  ReadResult result;
  text.push_back('\0');  // fmemopen wants a buffer of at least one byte
  std::FILE* in = fmemopen(text.data(), text.size() - 1, "rb");
  try {
    TextFile file(path, in);
    format.read(file, result.channels);
  } catch (const SplitError& e) {
    result.error = e.what();
  }
  std::fclose(in);
  return result;
}

// Head lines for recognise(), as kvb-split collects them.
inline std::vector<std::string> head_of(const std::string& text) {
  std::vector<std::string> head;
  std::size_t at = 0;
  while (at < text.size() && head.size() < kHeadLines) {
    std::size_t end = text.find('\n', at);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(at, end - at);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    head.push_back(line);
    at = end + 1;
  }
  return head;
}

}  // namespace kvb_test
