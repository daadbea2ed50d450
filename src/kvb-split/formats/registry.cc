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

namespace kvb_split {

const std::vector<AgencyFormat>& formats() {
  // USGS SMC, COSMOS, K-NET, PEER and GeoNet come before the CSMIP volumes.
  static const std::vector<AgencyFormat> all = {
      kSmcFormat, kCosmosFormat, kKnetFormat, kPeerFormat, kGeonetFormat, kCsmipV2Format, kCsmipV1Format,
  };
  return all;
}

}  // namespace kvb_split
