// Synthetic miniSEED files (packed by libmseed: a fixed header, blockette
// 1000 and the data, in the encoding and byte order asked for) and the
// StationXML text that gives their channels' responses.
#pragma once

#include <string>
#include <vector>

namespace kvb_test {

// One channel's run of samples: the records of a piece follow each other.
struct MseedPiece {
  std::string network = "XX", station = "STA", location = "", channel = "HNE";
  double rate = 100;                                 // samples a second
  std::string start = "2024-01-02T18:00:05.250000";  // the first sample, UTC
  std::vector<double> counts;                        // written as the encoding's type
};

// SEED's codes of the encodings.
enum Encoding { kInt16 = 1, kInt32 = 3, kFloat32 = 4, kFloat64 = 5, kSteim1 = 10, kSteim2 = 11 };

struct MseedOptions {
  int encoding = kSteim2;
  bool big_endian = true;
  int record_length = 512;
};

// The pieces' records, one piece after another.
std::string mseed_file(const std::vector<MseedPiece>& pieces, const MseedOptions& opt = {});

// One channel epoch of a StationXML file.
struct XmlChannel {
  std::string network = "XX", station = "STA", location = "", channel = "HNE";
  std::string azimuth = "90", dip = "0";
  std::string sensitivity = "213945", frequency = "1", input_units = "M/S**2";
  std::vector<std::string> stage_gains = {"1.0", "213945"};  // none: no stages
  std::string start_date = "2020-01-01T00:00:00";
};

// A StationXML document of the channels, each under its network and station
// (at 35.5 N, 117.25 W, named "Test Site").
std::string stationxml(const std::vector<XmlChannel>& channels);

}  // namespace kvb_test
