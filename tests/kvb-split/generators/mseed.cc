#include "generators/mseed.h"

#include <libmseed.h>

#include <cstdint>
#include <cstring>
#include <stdexcept>

namespace kvb_test {

namespace {

void append_record(char* record, int length, void* out) {
  static_cast<std::string*>(out)->append(record, static_cast<std::size_t>(length));
}

void copy_code(char* to, const std::string& code) {
  std::strncpy(to, code.c_str(), 10);
  to[10] = '\0';
}

}  // namespace

std::string mseed_file(const std::vector<MseedPiece>& pieces, const MseedOptions& opt) {
  std::string bytes;
  for (const MseedPiece& piece : pieces) {
    MSRecord* msr = msr_init(nullptr);
    copy_code(msr->network, piece.network);
    copy_code(msr->station, piece.station);
    copy_code(msr->location, piece.location);
    copy_code(msr->channel, piece.channel);
    msr->dataquality = 'D';
    msr->starttime = ms_timestr2hptime(const_cast<char*>(piece.start.c_str()));
    msr->samprate = piece.rate;
    msr->encoding = static_cast<std::int8_t>(opt.encoding);
    msr->byteorder = opt.big_endian ? 1 : 0;
    msr->reclen = opt.record_length;
    std::vector<std::int32_t> ints;
    std::vector<float> floats;
    std::vector<double> doubles;
    for (double v : piece.counts) {
      ints.push_back(static_cast<std::int32_t>(v));
      floats.push_back(static_cast<float>(v));
      doubles.push_back(v);
    }
    switch (opt.encoding) {
      case DE_FLOAT32: msr->datasamples = floats.data(), msr->sampletype = 'f'; break;
      case DE_FLOAT64: msr->datasamples = doubles.data(), msr->sampletype = 'd'; break;
      default: msr->datasamples = ints.data(), msr->sampletype = 'i'; break;
    }
    msr->numsamples = static_cast<std::int64_t>(piece.counts.size());
    std::int64_t packed = 0;
    const int records = msr_pack(msr, append_record, &bytes, &packed, 1, 0);
    msr->datasamples = nullptr;  // the vectors' own
    msr_free(&msr);
    if (records < 0 || packed != static_cast<std::int64_t>(piece.counts.size()))
      throw std::runtime_error("mseed_file: libmseed did not pack the samples");
  }
  return bytes;
}

std::string stationxml(const std::vector<XmlChannel>& channels) {
  std::string xml =
      "<?xml version='1.0' encoding='UTF-8'?>\n"
      "<FDSNStationXML xmlns=\"http://www.fdsn.org/xml/station/1\" schemaVersion=\"1.0\">\n"
      "  <Source>test</Source>\n";
  for (const XmlChannel& c : channels) {
    xml += "  <Network code=\"" + c.network + "\">\n    <Station code=\"" + c.station +
           "\">\n      <Latitude>35.5</Latitude>\n      <Longitude>-117.25</Longitude>\n"
           "      <Site><Name>Test Site</Name></Site>\n      <Channel code=\"" +
           c.channel + "\" locationCode=\"" + c.location + "\" startDate=\"" + c.start_date + "\">\n        <Azimuth>" +
           c.azimuth + "</Azimuth>\n        <Dip>" + c.dip +
           "</Dip>\n        <Response>\n          <InstrumentSensitivity>\n            <Value>" + c.sensitivity +
           "</Value>\n            <Frequency>" + c.frequency + "</Frequency>\n            <InputUnits><Name>" +
           c.input_units +
           "</Name></InputUnits>\n            <OutputUnits><Name>COUNTS</Name></OutputUnits>\n"
           "          </InstrumentSensitivity>\n";
    for (std::size_t k = 0; k < c.stage_gains.size(); ++k)
      xml += "          <Stage number=\"" + std::to_string(k + 1) + "\"><StageGain><Value>" + c.stage_gains[k] +
             "</Value><Frequency>1</Frequency></StageGain></Stage>\n";
    xml += "        </Response>\n      </Channel>\n    </Station>\n  </Network>\n";
  }
  return xml + "</FDSNStationXML>\n";
}

}  // namespace kvb_test
