// CSMIP/CDMG Volume 2: corrected accelerograms in cm/s², one channel or all
// channels of a station a file, each with velocity and displacement blocks.
#include "readers/csmip_v2.h"

#include <cctype>

#include "readers/csmip.h"
#include "readers/numbers.h"

namespace kvb {

namespace {

// "Corrected accelerogram   89146-L2500-12044.02       Chan  1: 360 Deg"
// with "Chan" in columns 53 to 56.
bool recognise(const std::vector<std::string>& head) {
  if (!first_line_starts(head, "corrected accelerogram")) return false;
  std::string chan(columns(head[0], 53, 4));
  for (char& c : chan) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return chan == "chan";
}

void read(TextFile& file, std::vector<Channel>& channels) { read_csmip(file, CsmipVolume::kTwo, "csmip-v2", channels); }

}  // namespace

const AgencyFormat kCsmipV2Format{"csmip-v2", "CSMIP/CDMG Volume 2 (.V2), corrected, cm/s²", recognise, read};

}  // namespace kvb
