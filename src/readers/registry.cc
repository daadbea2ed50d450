// Every format kvb-split reads, in the order they are tried: look-alikes
// that begin the same way are told apart by the more particular test first.
#include "readers/afad.h"
#include "readers/bhrc.h"
#include "readers/cosmos.h"
#include "readers/csmip_v1.h"
#include "readers/csmip_v2.h"
#include "readers/cwb.h"
#include "readers/esm.h"
#include "readers/format.h"
#include "readers/geonet.h"
#include "readers/knet.h"
#include "readers/line_reader.h"
#include "readers/mseed.h"
#include "readers/peer.h"
#include "readers/sac.h"
#include "readers/smc.h"
#include "readers/stationxml.h"
#include "readers/unam.h"
#include "readers/usc.h"

namespace kvb {

const std::vector<AgencyFormat>& formats() {
  // USGS SMC, COSMOS, K-NET, PEER, GeoNet and USC come before the CSMIP volumes.
  static const std::vector<AgencyFormat> all = {
      kSmcFormat,     kCosmosFormat,  kKnetFormat,  kPeerFormat,       kGeonetFormat, kUscFormat,
      kCsmipV2Format, kCsmipV1Format, kEsmFormat,   kAfadFormat,       kCwbFormat,    kUnamFormat,
      kSacFormat,     kBhrcFormat,    kMseedFormat, kStationXmlFormat,
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

const AgencyFormat* recognised(std::string_view bytes) {
  if (is_sac(bytes)) return &kSacFormat;
  if (is_mseed(bytes)) return &kMseedFormat;
  if (is_stationxml(bytes)) return &kStationXmlFormat;
  return recognised(head_lines(bytes));
}

const AgencyFormat* recognised(const std::vector<std::string>& head) {
  for (const AgencyFormat& f : formats())
    if (f.recognise(head)) return &f;
  return nullptr;
}

}  // namespace kvb
