#include "generators/esm.h"

#include <cmath>

#include "generators/text.h"

namespace kvb_test {

std::string esm_file(const std::vector<double>& samples, const EsmOptions& opt) {
  double peak = 0;
  for (double v : samples) peak = std::fmax(peak, std::fabs(v));
  const std::string count = opt.count.empty() ? std::to_string(samples.size()) : opt.count;
  const std::vector<std::pair<const char*, std::string>> header = {
      {"EVENT_NAME", "SYNTHETIC"},
      {"EVENT_ID", "EMSC-20240102_0000001"},
      {"EVENT_DATE_YYYYMMDD", "20240102"},
      {"EVENT_TIME_HHMMSS", "180000"},
      {"EVENT_LATITUDE_DEGREE", "38.1000"},
      {"EVENT_LONGITUDE_DEGREE", "23.5400"},
      {"EVENT_DEPTH_KM", "9.0"},
      {"HYPOCENTER_REFERENCE", "EMSC-CSEM"},
      {"MAGNITUDE_W", ""},
      {"MAGNITUDE_W_REFERENCE", ""},
      {"MAGNITUDE_L", "4.6"},
      {"MAGNITUDE_L_REFERENCE", "EMSC-CSEM"},
      {"FOCAL_MECHANISM", ""},
      {"NETWORK", "XX"},
      {"STATION_CODE", "SYN1"},
      {"STATION_NAME", "Town Hall,Synthetic"},
      {"STATION_LATITUDE_DEGREE", "37.634900"},
      {"STATION_LONGITUDE_DEGREE", "22.729300"},
      {"STATION_ELEVATION_M", "34"},
      {"LOCATION", opt.location},
      {"SENSOR_DEPTH_M", "0.0"},
      {"VS30_M/S", ""},
      {"SITE_CLASSIFICATION_EC8", ""},
      {"MORPHOLOGIC_CLASSIFICATION", ""},
      {"EPICENTRAL_DISTANCE_KM", "88.1"},
      {"EARTHQUAKE_BACKAZIMUTH_DEGREE", "53.9"},
      {"DATE_TIME_FIRST_SAMPLE_YYYYMMDD_HHMMSS", opt.first_sample},
      {"DATE_TIME_FIRST_SAMPLE_PRECISION", "milliseconds"},
      {"SAMPLING_INTERVAL_S", opt.interval},
      {"NDATA", count},
      {"DURATION_S", "1.000"},
      {"STREAM", opt.stream},
      {"UNITS", opt.units},
      {"INSTRUMENT", "sensor = SYNTHETIC [Unknown] | digitizer = Unknown [Unknown]"},
      {"INSTRUMENT_ANALOG/DIGITAL", "D"},
      {"INSTRUMENTAL_FREQUENCY_HZ", ""},
      {"INSTRUMENTAL_DAMPING", ""},
      {"FULL_SCALE_G", ""},
      {"N_BIT_DIGITAL_CONVERTER", ""},
      {"PGA_CM/S^2", format("%f", peak)},
      {"TIME_PGA_S", "0.100000"},
      {"BASELINE_CORRECTION", "BASELINE REMOVED"},
      {"FILTER_TYPE", "BUTTERWORTH"},
      {"FILTER_ORDER", "2"},
      {"LOW_CUT_FREQUENCY_HZ", "0.100"},
      {"HIGH_CUT_FREQUENCY_HZ", "30.000"},
      {"LATE/NORMAL_TRIGGERED", "NT"},
      {"DATABASE_VERSION", "DYNA 1.0"},
      {"HEADER_FORMAT", "DYNA 1.2"},
      {"DATA_TYPE", opt.data_type},
      {"PROCESSING", opt.processing},
      {"DATA_TIMESTAMP_YYYYMMDD_HHMMSS", "20240103_115604.782"},
      {"DATA_LICENSE", ""},
      {"DATA_CITATION", ""},
      {"DATA_CREATOR", ""},
      {"ORIGINAL_DATA_MEDIATOR_CITATION", ""},
      {"ORIGINAL_DATA_MEDIATOR", "http://example.org/"},
      {"ORIGINAL_DATA_CREATOR_CITATION", ""},
      {"ORIGINAL_DATA_CREATOR", ""},
      {"USER1", ""},
      {"USER2", ""},
      {"USER3", ""},
      {"USER4", ""},
      {"USER5", ""}};
  std::string file;
  for (const auto& [key, value] : header) file += std::string(key) + ": " + value + opt.eol;
  for (double v : samples) file += format("%f", v) + opt.eol;
  return file;
}

}  // namespace kvb_test
