#include "split_support.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "readers/mseed.h"
#include "record/split_error.h"
#include "writers/component_file.h"

using namespace kvb;

const AgencyFormat* pick_format(std::uint8_t choice, std::string& bytes) {
  const std::vector<AgencyFormat>& all = formats();
  if (choice != 0) return &all[(choice - 1u) % all.size()];
  return recognised(std::string_view(bytes));
}

namespace {

// The responses of the seeds' miniSEED channels (network XX, station STA,
// location blank or 00): accelerometers of 213945 counts per m/s².
const Responses& fuzz_responses() {
  static const Responses responses = [] {
    std::string xml = "<FDSNStationXML><Network code=\"XX\"><Station code=\"STA\">";
    for (const char* location : {"", "00"})
      for (const char* channel : {"HNE", "HNN", "HNZ", "HN1", "HN2"})
        xml += std::string("<Channel code=\"") + channel + "\" locationCode=\"" + location +
               "\"><Azimuth>30</Azimuth><Dip>0</Dip><Response><InstrumentSensitivity><Value>213945</Value>"
               "<Frequency>1</Frequency><InputUnits><Name>M/S**2</Name></InputUnits></InstrumentSensitivity>"
               "</Response></Channel>";
    return read_stationxml("fuzz.xml", xml + "</Station></Network></FDSNStationXML>");
  }();
  return responses;
}

}  // namespace

void read_with(const AgencyFormat& format, TextFile& file, const Responses& given, std::vector<Channel>& channels) {
  if (&format == &kMseedFormat) return read_mseed(file, given.empty() ? fuzz_responses() : given, channels);
  format.read(file, channels);
}

void check_writable(const Channel& ch, bool overshoot) {
  if (!ch.times.empty() && ch.times.size() != ch.samples.size()) std::abort();
  const bool fits = std::all_of(ch.samples.begin(), ch.samples.end(), fits_component_field);
  if (!fits && !overshoot) std::abort();  // a reader let through a sample that does not fit
  char* text = nullptr;
  std::size_t size = 0;
  std::FILE* out = open_memstream(&text, &size);
  if (!out) return;
  bool refused = false;
  try {
    write_component(ch, out);
  } catch (const SplitError&) { refused = true; }
  if (refused == fits) std::abort();  // the writer refuses exactly what does not fit
  std::fclose(out);
  std::free(text);
}
