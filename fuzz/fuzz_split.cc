// Fuzz target: file bytes through kvb-split's format readers and the
// component writer. A reader may refuse the file (SplitError); what it hands
// over must be writable: every sample fits a component field, and a channel
// with sample times has one per sample.
// Input: byte 0 picks the reader: 0 the one the first lines recognise (as the
// program does), k another the k-th of the table, round; the rest is the file.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "formats/format.h"
#include "split_error.h"
#include "writer/component_file.h"

namespace {

std::vector<std::string> head_lines(std::string& bytes) {
  std::vector<std::string> head;
  std::FILE* in = fmemopen(bytes.data(), bytes.size(), "rb");
  if (!in) return head;
  LineReader lines(in);
  std::string line;
  while (head.size() < kHeadLines && lines.next(line) == LineStatus::kLine) head.push_back(line);
  std::fclose(in);
  return head;
}

const Format* pick(std::uint8_t choice, std::string& bytes) {
  const std::vector<Format>& all = formats();
  if (choice != 0) return &all[(choice - 1u) % all.size()];
  std::vector<std::string> head = head_lines(bytes);
  for (const Format& f : all)
    if (f.recognise(head)) return &f;
  return nullptr;
}

void check(const Channel& ch) {
  if (!ch.times.empty() && ch.times.size() != ch.samples.size()) std::abort();
  for (double v : ch.samples)
    if (!fits_component_field(v)) std::abort();
  char* text = nullptr;
  std::size_t size = 0;
  std::FILE* out = open_memstream(&text, &size);
  if (!out) return;
  try {
    write_component(ch, out);
  } catch (const SplitError&) {
    std::abort();  // a sample the reader let through does not fit
  }
  std::fclose(out);
  std::free(text);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return 0;
  std::string bytes(reinterpret_cast<const char*>(data) + 1, size - 1);
  const Format* format = pick(data[0], bytes);
  if (!format) return 0;
  std::FILE* in = fmemopen(bytes.data(), bytes.size(), "rb");
  if (!in) return 0;
  std::vector<Channel> channels;
  try {
    TextFile file("input", in);
    format->read(file, channels);
  } catch (const SplitError&) { channels.clear(); }
  std::fclose(in);
  for (const Channel& ch : channels) check(ch);
  return 0;
}
