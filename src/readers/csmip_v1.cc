// CSMIP/CDMG Volume 1: uncorrected accelerograms in g, equally spaced, or
// from the film era as time/value pairs in g/10.
#include "readers/csmip_v1.h"

#include "readers/csmip.h"

namespace kvb {

namespace {

bool recognise(const std::vector<std::string>& head) {
  return first_line_starts(head, "uncorrected accelerogram data");
}

void read(TextFile& file, std::vector<Channel>& channels) { read_csmip(file, CsmipVolume::kOne, "csmip-v1", channels); }

}  // namespace

const AgencyFormat kCsmipV1Format{"csmip-v1", "CSMIP/CDMG Volume 1 (.V1, .RAW), uncorrected, g or g/10 pairs",
                                  recognise, read};

}  // namespace kvb
