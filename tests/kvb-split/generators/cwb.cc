#include "generators/cwb.h"

#include <cmath>
#include <cstdlib>

#include "generators/text.h"

namespace kvb_test {

std::string cwb_file(const std::vector<std::vector<double>>& columns, const CwbOptions& opt) {
  const std::vector<std::string> lines = {"#Earthquake Information",
                                          "#Origin Time(GMT+08): 2024/01/03-01:59:58",
                                          "#EpicenterLongitude(E): 121.69",
                                          "#EpicenterLatitude(N): 24.14",
                                          "#Depth(km): 10.0",
                                          "#Magnitude(Ml): 6.0",
                                          "",
                                          "#Station Information",
                                          "#StationCode: SYN",
                                          "#StationName: Synthetic",
                                          "#StationLongitude(E): 120.857",
                                          "#StationLatitude(N): 22.381",
                                          "#InstrumentKind: FBA",
                                          "#StartTime(GMT+08): 2024/01/03-02:00:05.250",
                                          "#RecordLength(sec): 120",
                                          "#SampleRate(Hz): " + opt.rate,
                                          "#AmplitudeUnit:  " + opt.unit,
                                          "#AmplitudeMAX. U:    0.658~   -0.837",
                                          "#AmplitudeMAX. N:    1.256~   -2.273",
                                          "#AmplitudeMAX. E:    1.017~   -0.778",
                                          "#DataSequence: " + opt.sequence,
                                          "#Data: 4F10.3 "};
  std::string file;
  for (const std::string& line : lines) file += line + opt.eol;
  const double step = opt.time_step > 0 ? opt.time_step : 1 / std::atof(opt.rate.c_str());
  for (std::size_t i = 0; !columns.empty() && i < columns[0].size(); ++i) {
    file += format("%10.3f", static_cast<double>(i) * step);
    for (const auto& column : columns) file += format("%10.3f", column[i]);
    file += opt.eol;
  }
  return file;
}

}  // namespace kvb_test
