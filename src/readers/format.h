// The agency file formats kvb-split reads (not to be confused with the
// run-time's format texts): each recognises its files from their first
// lines and turns a file into channels.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "readers/text_file.h"
#include "record/channel.h"

namespace kvb {

struct AgencyFormat {
  std::string_view name;         // the --format name: "csmip-v2", "cosmos", "peer", ...
  std::string_view description;  // one line for --help: "PEER NGA .AT2"
  // True when the file's first lines (up to kHeadLines of them, without line
  // ends; fewer when the file is shorter) are this format's.
  bool (*recognise)(const std::vector<std::string>& head);
  // Reads every channel of the file and appends it to channels; throws
  // SplitError (through file.fail) naming file and line when it cannot.
  void (*read)(TextFile& file, std::vector<Channel>& channels);
};

inline constexpr std::size_t kHeadLines = 64;

// Every format, in the order they are tried.
const std::vector<AgencyFormat>& formats();

// The first lines of text (up to kHeadLines of them), as recognise sees them.
std::vector<std::string> head_lines(std::string_view text);
// The first format that recognises head; null when none does.
const AgencyFormat* recognised(const std::vector<std::string>& head);
// The format of a file from its first bytes (all of them, or at least the
// head's worth): a binary format by its fixed header, else by the head's lines.
const AgencyFormat* recognised(std::string_view bytes);

}  // namespace kvb
