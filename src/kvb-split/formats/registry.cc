// Every format kvb-split reads, in the order they are tried: look-alikes
// that begin the same way are told apart by the more particular test first.
#include "formats/cosmos.h"
#include "formats/csmip_v1.h"
#include "formats/csmip_v2.h"
#include "formats/format.h"
#include "formats/geonet.h"
#include "formats/knet.h"
#include "formats/peer.h"
#include "formats/smc.h"
#include "line_reader.h"

namespace kvb_split {

const std::vector<AgencyFormat>& formats() {
  // USGS SMC, COSMOS, K-NET, PEER and GeoNet come before the CSMIP volumes.
  static const std::vector<AgencyFormat> all = {
      kSmcFormat, kCosmosFormat, kKnetFormat, kPeerFormat, kGeonetFormat, kCsmipV2Format, kCsmipV1Format,
  };
  return all;
}

std::vector<std::string> head_lines(std::string_view text) {
  LineReader lines(text);
  std::vector<std::string> head;
  std::string line;
  while (head.size() < kHeadLines && lines.next(line) == LineStatus::kLine) head.push_back(line);
  return head;
}

const AgencyFormat* recognised(const std::vector<std::string>& head) {
  for (const AgencyFormat& f : formats())
    if (f.recognise(head)) return &f;
  return nullptr;
}

}  // namespace kvb_split
