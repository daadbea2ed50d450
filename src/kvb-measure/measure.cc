#include "measure.h"

#include <cstdio>

#include "component_layout.h"
#include "record/split_error.h"
#include "steps/measure/motion.h"
#include "writers/record_file.h"
#include "writers/replace_file.h"

using namespace kvb;

namespace {

using nlohmann::ordered_json;

struct Measured {
  Motion motion;
  std::vector<double> psa;  // g
};

std::string spectrum_text(const std::vector<double>& periods, const std::array<Measured, 3>& m) {
  std::string out = "period_s";
  for (const char* name : layout::kComponents) out += std::string(",") + name + "_g";
  out += "\n";
  for (std::size_t p = 0; p < periods.size(); ++p) {
    out += shortest(periods[p]);
    for (const Measured& c : m) out += "," + shortest(c.psa[p]);
    out += "\n";
  }
  return out;
}

ordered_json summary_json(const RecordFolder& r, const MeasureOptions& opt, const std::array<Measured, 3>& m) {
  ordered_json s;
  s["method"] = {{"integration", "trapezoidal rule, from rest"},
                 {"baseline_correction", "none applied"},
                 {"arias", "trapezoidal rule; D5-95 between 5 % and 95 % of it, linear between samples"},
                 {"spectrum",
                  "exact piecewise-linear recurrence (acceleration linear between samples), from rest, "
                  "over the record's samples"},
                 {"damping", kDamping}};
  s["pgv_pgd_meaningful"] = !r.uncorrected;
  s["pgv_pgd_note"] = r.uncorrected ? ordered_json("uncorrected data: PGV and PGD by integration are not meaningful")
                                    : ordered_json(nullptr);
  s["spectrum_file"] = kSpectrumFile;
  s["periods_s"] = opt.periods;
  ordered_json components = ordered_json::array();
  for (std::size_t c = 0; c < m.size(); ++c) {
    const Motion& mo = m[c].motion;
    components.push_back({{"component", r.components[c].name},
                          {"zeros", r.components[c].zeros},
                          {"pga_g", mo.pga / kStandardGravity},
                          {"pga_cm_s2", mo.pga},
                          {"pga_time_s", r.start + mo.pga_time},
                          {"pgv_cm_s", mo.pgv},
                          {"pgd_cm", mo.pgd},
                          {"arias_m_s", mo.arias},
                          {"d5_95_s", mo.d5_95 ? ordered_json(*mo.d5_95) : ordered_json(nullptr)},
                          {"psa_g", m[c].psa}});
  }
  s["components"] = components;
  return s;
}

std::string component_words(const Component& c, const Motion& m) {
  if (c.zeros) return c.name + " zeros";
  char text[256];
  std::snprintf(text, sizeof text, "%s PGA %.4g g (%.4g cm/s²) PGV %.4g cm/s PGD %.4g cm Ia %.4g m/s D5-95 %.4g s",
                c.name.c_str(), m.pga / kStandardGravity, m.pga, m.pgv, m.pgd, m.arias, m.d5_95.value_or(0.0));
  return text;
}

// Writes the exports asked for; their record file entries go into exports.
void write_exports(const RecordFolder& r, const MeasureOptions& opt, ordered_json& exports, std::string& line) {
  if (!exports.is_object()) exports = ordered_json::object();
  const Unit& unit = *opt.unit;
  if (opt.columns) {
    ordered_json files = ordered_json::array(), opensees = ordered_json::array();
    for (std::size_t c = 0; c < r.components.size(); ++c) {
      const std::string name = column_file_name(r.components[c], unit, r.time_step);
      replace_file(r.dir, name, column_text(r.components[c], unit));
      files.push_back(name);
      opensees.push_back(opensees_line(static_cast<int>(c) + 1, name, unit, r.time_step));
      line += " | " + opensees.back().get<std::string>();
    }
    exports["columns"] = {{"unit", unit.option}, {"files", files}, {"opensees", opensees}};
  }
  if (opt.csv) {
    const std::string name = csv_file_name(unit);
    replace_file(r.dir, name, csv_text(r, unit));
    exports["csv"] = {{"unit", unit.option}, {"file", name}};
    line += " | " + name;
  }
  if (opt.at2) {
    ordered_json files = ordered_json::array();
    for (std::size_t c = 0; c < r.components.size(); ++c) {
      files.push_back(at2_file_name(r.components[c]));
      replace_file(r.dir, files.back(), at2_text(r, c));
      line += " | " + files.back().get<std::string>();
    }
    exports["at2"] = {{"unit", "g"}, {"files", files}};
  }
}

}  // namespace

std::string measure_folder(const std::string& dir, const MeasureOptions& opt) {
  RecordFolder r = read_record_folder(dir);
  std::array<Measured, 3> m;
  std::string line = escaped(dir);
  for (std::size_t c = 0; c < m.size(); ++c) {
    const std::vector<double>& a = r.components[c].samples;
    m[c].motion = motion_of(a, r.time_step);
    m[c].psa = pseudo_spectrum(a, r.time_step, opt.periods);
    for (double& psa : m[c].psa) psa /= kStandardGravity;
    line += " | " + component_words(r.components[c], m[c].motion);
  }
  if (r.uncorrected) line += " | PGV and PGD not meaningful (uncorrected data)";
  replace_file(dir, kSpectrumFile, spectrum_text(opt.periods, m));
  line += std::string(" | ") + kSpectrumFile;
  r.record["summary"] = summary_json(r, opt, m);
  if (opt.columns || opt.csv || opt.at2) write_exports(r, opt, r.record["exports"], line);
  replace_file(dir, kRecordFileName, r.record.dump(2) + "\n");
  return line;
}
