#include "generators/unam.h"

#include <cmath>

#include "generators/text.h"

namespace kvb_test {

namespace {

// The key padded to column 40 and its value.
std::string keyed(const std::string& key, const std::string& value) {
  std::string line = key;
  line.resize(39, ' ');
  return line + ": " + value;
}

// "/a/b/c" from one item per channel.
std::string slashed(const std::vector<std::string>& items) {
  std::string out;
  for (const std::string& item : items) out += "/" + item;
  return out;
}

}  // namespace

std::string unam_file(const std::vector<std::vector<double>>& columns, const UnamOptions& opt) {
  const std::size_t n = columns.size(), rows = n ? columns[0].size() : 0;
  std::vector<std::string> peaks, same_interval(n, opt.interval),
      same_count(n, opt.count.empty() ? std::to_string(rows) : opt.count);
  for (const auto& column : columns) {
    double peak = 0;
    for (double v : column) peak = std::fabs(v) > std::fabs(peak) ? v : peak;
    peaks.push_back(format("%.4f", peak));
  }
  const std::string rule(80, '='), ruler = "---------+---------+---------+---------+---------+---------+";
  const std::vector<std::string> lines = {std::string(86, '*'),
                                          "                       INSTITUTO DE INGENIERIA, UNAM",
                                          std::string(86, '*'),
                                          "ARCHIVO ESTANDAR DE ACELERACION:",
                                          keyed("VERSION DEL FORMATO", "2.0"),
                                          keyed("NOMBRE DEL ARCHIVO", "SYNT2401.021"),
                                          "",
                                          rule,
                                          "DATOS DE LA ESTACION:",
                                          keyed("NOMBRE DE LA ESTACION", "SYNTHETIC CENTRO"),
                                          keyed("CLAVE DE LA ESTACION", "SYNT"),
                                          keyed("LOCALIZACION DE LA ESTACION", "AV. SINTETICA"),
                                          keyed("", "ACAPULCO, GUERRERO."),
                                          rule,
                                          "DATOS DEL ACELEROGRAFO: ",
                                          keyed("NUMERO DE CANALES", std::to_string(n)),
                                          keyed("ORIENTACION C1-C6 (rumbo;orientacion)", slashed(opt.directions)),
                                          keyed("ORIENTACION C7-C12 (rumbo;orientacion)", ""),
                                          keyed("INTERVALO DE MUESTREO, C1-C6 (s)", slashed(same_interval)),
                                          keyed("INTERVALO DE MUESTREO, C7-C12 (s)", ""),
                                          rule,
                                          "DATOS DEL SISMO:",
                                          keyed("FECHA DEL SISMO [GMT]", "2024/01/02"),
                                          keyed("HORA EPICENTRO (GMT)", opt.origin_time),
                                          keyed("MAGNITUD(ES)", "/M=7.1"),
                                          rule,
                                          "DATOS DE ESTE REGISTRO:",
                                          keyed("HORA DE LA PRIMERA MUESTRA (GMT)", opt.first_sample),
                                          keyed("NUM. TOTAL DE MUESTRAS, C1-C6", slashed(same_count)),
                                          keyed("NUM. TOTAL DE MUESTRAS, C7-C12", ""),
                                          keyed("ACEL. MAX.(Gal), C1-C6", slashed(peaks)),
                                          keyed("UNIDADES DE LOS DATOS", opt.units),
                                          keyed("FORMATO DATOS (FORTRAN,10 campos/dato)", format("%zuF10.4", n)),
                                          rule,
                                          "DATOS DE ACELERACION:",
                                          ruler,
                                          "   CANAL-1   CANAL-2   CANAL-3",
                                          ruler};
  std::string file;
  for (const std::string& line : lines) file += line + opt.eol;
  for (std::size_t i = 0; i < rows; ++i) {
    for (const auto& column : columns) file += format("%10.4f", column[i]);
    file += opt.eol;
  }
  return file;
}

}  // namespace kvb_test
