#include "measure.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <optional>
#include <span>

#include "component_layout.h"
#include "record/split_error.h"
#include "steps/fourier.h"
#include "steps/measure/motion.h"
#include "steps/measure/rotd.h"
#include "steps/resample.h"
#include "writers/record_file.h"
#include "writers/replace_file.h"

using namespace kvb;

namespace {

using nlohmann::ordered_json;

constexpr std::size_t kN00 = 0, kN90 = 1;

// A corrected record that starts from rest comes back to rest: a velocity
// from rest left at the end above this share of the PGV says the record
// started moving (or keeps a baseline), and its PGV and PGD from rest are
// not the ground's.
constexpr double kVelocityLeft = 0.05;
constexpr double kDisplacementLeft = 0.1;

// The periods measured on the record's own samples and those below 10 steps
// measured on its band-limited upsampling (none unless asked for).
struct PeriodSplit {
  std::vector<double> own, fine;
  std::vector<bool> on_fine;  // for each period in order
  std::size_t factor = 1;     // the upsampling's
};

PeriodSplit split_periods(const std::vector<double>& periods, double dt, ShortPeriods mode) {
  PeriodSplit s;
  for (double p : periods) {
    const bool fine = mode == ShortPeriods::kBandLimited && p < kStepsAPeriod * dt;
    s.on_fine.push_back(fine);
    (fine ? s.fine : s.own).push_back(p);
  }
  s.factor = upsampling_factor(dt, s.fine);
  return s;
}

template <class T>
std::vector<T> merged(const PeriodSplit& s, const std::vector<T>& own, const std::vector<T>& fine) {
  std::vector<T> out;
  std::size_t i = 0, j = 0;
  for (bool f : s.on_fine) out.push_back(f ? fine[j++] : own[i++]);
  return out;
}

struct Measured {
  Motion motion;
  std::vector<std::vector<ResponsePeaks>> spectra;  // [damping][period], in cm/s², cm/s, cm
  double si = 0.0;                                  // cm
  std::optional<std::string> not_meaningful;        // why PGV and PGD are not, per component
};

// RotD of the two horizontals, or why there is none.
struct Horizontal {
  std::optional<std::string> refused;
  std::vector<RotD> psa;  // cm/s², 5 %
  RotD pga;               // cm/s²
  RotD pgv;               // cm/s
};

struct Measures {
  std::vector<double> dampings;  // those asked for, then 5 % when it is not among them
  std::size_t five = 0;          // 5 %'s place in dampings
  PeriodSplit split;
  std::array<Measured, 3> components;
  Horizontal rotd;
};

std::vector<std::vector<ResponsePeaks>> spectra_of(const std::vector<double>& a, double dt, const Measures& m) {
  std::vector<std::vector<ResponsePeaks>> own = response_spectra(a, dt, m.split.own, m.dampings);
  if (m.split.fine.empty()) return own;
  const std::vector<double> up = upsampled(a, m.split.factor);
  const auto fine = response_spectra(up, dt / static_cast<double>(m.split.factor), m.split.fine, m.dampings);
  for (std::size_t d = 0; d < own.size(); ++d) own[d] = merged(m.split, own[d], fine[d]);
  return own;
}

const ordered_json* at(const ordered_json& doc, const std::string& pointer) {
  const ordered_json::json_pointer where(pointer);
  return doc.contains(where) ? &doc.at(where) : nullptr;
}

std::string text_at(const ordered_json& doc, const std::string& pointer) {
  const ordered_json* v = at(doc, pointer);
  return v && v->is_string() ? v->get<std::string>() : "";
}

std::string number_text(const char* format, double value) {
  char text[64];
  std::snprintf(text, sizeof text, format, value);
  return text;
}

// Why the two horizontals give no RotD, or nothing when they do.
std::optional<std::string> rotd_refusal(const RecordFolder& r) {
  for (std::size_t c : {kN00, kN90}) {
    const std::string& name = r.components[c].name;
    const ordered_json* vertical = at(r.record, "/components/" + std::to_string(c) + "/vertical");
    if (r.components[c].zeros) return name + " is a component of zeros: RotD needs two horizontals of one recording";
    if (vertical && vertical->is_boolean() && vertical->get<bool>())
      return name + " is a vertical: RotD needs two horizontals of one recording";
    if (r.components[c].samples.empty()) return name + " has no samples";
  }
  const ordered_json* a1 = at(r.record, "/components/0/azimuth");
  const ordered_json* a2 = at(r.record, "/components/1/azimuth");
  if (a1 && a2 && a1->is_number() && a2->is_number()) {
    const double apart = std::fmod(std::fabs(a1->get<double>() - a2->get<double>()), 180.0);
    if (std::fabs(apart - 90.0) > 1.0)
      return "N00 and N90 are not at right angles (azimuths " + shortest(a1->get<double>()) + " and " +
             shortest(a2->get<double>()) + ")";
  }
  return std::nullopt;
}

Horizontal horizontal_of(const RecordFolder& r, const Measures& m) {
  Horizontal h;
  h.refused = rotd_refusal(r);
  if (h.refused) return h;
  const std::size_t n = std::min(r.components[kN00].samples.size(), r.components[kN90].samples.size());
  const std::span<const double> a1 = std::span(r.components[kN00].samples).first(n);
  const std::span<const double> a2 = std::span(r.components[kN90].samples).first(n);
  h.psa = rotd_spectrum(a1, a2, r.time_step, m.split.own);
  if (!m.split.fine.empty()) {
    const std::vector<double> u1 = upsampled(a1, m.split.factor), u2 = upsampled(a2, m.split.factor);
    h.psa =
        merged(m.split, h.psa, rotd_spectrum(u1, u2, r.time_step / static_cast<double>(m.split.factor), m.split.fine));
  }
  h.pga = rotd_of(a1, a2);
  h.pgv = rotd_of(velocity_of(a1, r.time_step), velocity_of(a2, r.time_step));
  return h;
}

// Why a component's PGV and PGD by integration from rest are not the
// ground's, or nothing: initial_velocity is the agency's (cm/s), where
// stated; it matters where left out of the integration it changes the PGV
// by more than kVelocityLeft, or over the record's duration (s) moves the
// displacement by more than kDisplacementLeft of the PGD. (A header's
// -0.001 cm/s, its rounding of rest, does not.)
std::optional<std::string> not_meaningful(const std::string& level, const Motion& mo,
                                          const ordered_json* initial_velocity, double duration) {
  if (level == "uncorrected") return "uncorrected data";
  if (level != "corrected" && level != "processed")
    return level.empty() ? "the processing level is not stated" : "processing level \"" + level + "\"";
  const double v0 = initial_velocity && initial_velocity->is_number() ? initial_velocity->get<double>() : 0.0;
  if (std::fabs(v0) > kVelocityLeft * mo.pgv || std::fabs(v0) * duration > kDisplacementLeft * mo.pgd)
    return "the record starts at " + number_text("%.3g", initial_velocity->get<double>()) +
           " cm/s (its header), not from rest";
  if (std::fabs(mo.final_velocity) > kVelocityLeft * mo.pgv)
    return "the velocity from rest ends at " + number_text("%.3g", mo.final_velocity) + " cm/s, " +
           number_text("%.0f", 100 * std::fabs(mo.final_velocity) / mo.pgv) +
           " % of the PGV: the record does not start (or end) at rest";
  return std::nullopt;
}

Measures measures_of(const RecordFolder& r, const MeasureOptions& opt) {
  Measures m;
  m.dampings = opt.dampings;
  const auto five = std::find(m.dampings.begin(), m.dampings.end(), kDamping);
  m.five = static_cast<std::size_t>(five - m.dampings.begin());
  if (five == m.dampings.end()) m.dampings.push_back(kDamping);
  m.split = split_periods(opt.periods, r.time_step, opt.short_periods);
  const std::string level = text_at(r.record, "/processing/level");
  for (std::size_t c = 0; c < m.components.size(); ++c) {
    const Component& comp = r.components[c];
    Measured& out = m.components[c];
    out.motion = motion_of(comp.samples, r.time_step);
    if (comp.zeros) {
      out.spectra.assign(m.dampings.size(), std::vector<ResponsePeaks>(opt.periods.size()));
      continue;
    }
    out.spectra = spectra_of(comp.samples, r.time_step, m);
    out.si = housner_intensity(comp.samples, r.time_step);
    out.not_meaningful =
        not_meaningful(level, out.motion, at(r.record, "/components/" + std::to_string(c) + "/initial_velocity_cm_s"),
                       static_cast<double>(comp.samples.size()) * r.time_step);
  }
  m.rotd = horizontal_of(r, m);
  return m;
}

// ---------------------------------------------------------------- files

std::string damping_text(double d) { return "d" + shortest(d); }

std::string spectrum_text(const std::vector<double>& periods, const Measures& m) {
  struct Column {
    std::string name;
    std::size_t component, damping;
    double ResponsePeaks::*peak;
    double scale;  // from the unit of the samples
  };
  std::vector<Column> columns;
  for (std::size_t c = 0; c < 3; ++c)
    columns.push_back(
        {std::string(layout::kComponents[c]) + "_g", c, m.five, &ResponsePeaks::psa, 1 / kStandardGravity});
  const struct {
    const char* name;
    double ResponsePeaks::*peak;
    double scale;
  } kinds[] = {{"psa_g", &ResponsePeaks::psa, 1 / kStandardGravity},
               {"sa_g", &ResponsePeaks::sa, 1 / kStandardGravity},
               {"sd_cm", &ResponsePeaks::sd, 1.0},
               {"sv_cm_s", &ResponsePeaks::sv, 1.0}};
  std::string out = "period_s";
  for (const Column& col : columns) out += "," + col.name;
  if (!m.rotd.refused) out += ",RotD50_g,RotD100_g";
  std::vector<Column> more;
  for (std::size_t d = 0; d < m.dampings.size(); ++d)
    for (const auto& kind : kinds) {
      if (d == m.five && kind.peak == &ResponsePeaks::psa) continue;  // N00_g and its kin
      for (std::size_t c = 0; c < 3; ++c)
        more.push_back({std::string(layout::kComponents[c]) + "_" + kind.name + "_" + damping_text(m.dampings[d]), c, d,
                        kind.peak, kind.scale});
    }
  for (const Column& col : more) out += "," + col.name;
  out += "\n";
  for (std::size_t p = 0; p < periods.size(); ++p) {
    out += shortest(periods[p]);
    for (const Column& col : columns)
      out += "," + shortest(m.components[col.component].spectra[col.damping][p].*col.peak * col.scale);
    if (!m.rotd.refused)
      out += "," + shortest(m.rotd.psa[p].rotd50 / kStandardGravity) + "," +
             shortest(m.rotd.psa[p].rotd100 / kStandardGravity);
    for (const Column& col : more)
      out += "," + shortest(m.components[col.component].spectra[col.damping][p].*col.peak * col.scale);
    out += "\n";
  }
  return out;
}

struct Fourier {
  std::vector<double> frequency;                 // Hz
  std::array<std::vector<double>, 3> amplitude;  // cm/s
};

// Each component's amplitude spectrum, all of one length; smoothed at 50
// frequencies a decade from the lowest above zero to the Nyquist frequency
// when b is given.
Fourier fourier_of(const RecordFolder& r, std::optional<double> b) {
  std::size_t n = 0;
  for (const Component& c : r.components) n = std::max(n, c.samples.size());
  Fourier f;
  for (std::size_t c = 0; c < 3; ++c) {
    const AmplitudeSpectrum s = amplitude_spectrum(r.components[c].samples, r.time_step, n);
    if (b && f.frequency.empty() && s.frequency.size() > 1) {
      const double low = std::log10(s.frequency[1]), high = std::log10(s.frequency.back());
      const int count = std::max(2, static_cast<int>(std::ceil(50 * (high - low))) + 1);
      for (int k = 0; k < count; ++k) f.frequency.push_back(std::pow(10.0, low + (high - low) * k / (count - 1)));
      f.frequency.back() = s.frequency.back();
    } else if (!b) {
      f.frequency = s.frequency;
    }
    f.amplitude[c] = b ? konno_ohmachi(s, f.frequency, *b) : s.amplitude;
  }
  return f;
}

std::string fourier_text(const Fourier& f) {
  std::string out = "frequency_hz";
  for (const char* name : layout::kComponents) out += std::string(",") + name + "_cm_s";
  out += "\n";
  for (std::size_t k = 0; k < f.frequency.size(); ++k) {
    out += shortest(f.frequency[k]);
    for (const std::vector<double>& a : f.amplitude) out += "," + shortest(a[k]);
    out += "\n";
  }
  return out;
}

// ---------------------------------------------------------------- the summary

// The same reason for every measured component, or nothing.
std::optional<std::string> common_reason(const RecordFolder& r, const Measures& m) {
  std::optional<std::string> reason;
  for (std::size_t c = 0; c < 3; ++c) {
    if (r.components[c].zeros) continue;
    if (!m.components[c].not_meaningful || (reason && *reason != *m.components[c].not_meaningful)) return std::nullopt;
    reason = m.components[c].not_meaningful;
  }
  return reason;
}

ordered_json or_null(const std::optional<std::string>& text) {
  return text ? ordered_json(*text) : ordered_json(nullptr);
}

ordered_json values_of(const std::vector<ResponsePeaks>& peaks, double ResponsePeaks::*peak, double scale) {
  ordered_json out = ordered_json::array();
  for (const ResponsePeaks& p : peaks) out.push_back(p.*peak * scale);
  return out;
}

ordered_json method_json(const RecordFolder& r, const MeasureOptions& opt, const Measures& m) {
  const std::string step = shortest(r.time_step) + " s";
  return {
      {"integration", "trapezoidal rule, from rest"},
      {"baseline_correction", "none applied"},
      {"arias", "trapezoidal rule; D5-95 between 5 % and 95 % of it, linear between samples"},
      {"spectrum",
       "exact piecewise-linear recurrence (acceleration linear between samples), from rest, "
       "over the record's samples"},
      {"damping", kDamping},
      {"samples",
       r.full ? "every measure is of the record as the agency gave it (KVB-full.csv): each component's own samples "
                "at the record's own step of " +
                    step + ", the whole record, without the resampling or window that read-KVB's CSV needs"
              : "every measure is of the component files' samples at " + step +
                    " (a folder written before KVB-full.csv): read-KVB's grid and any window; split the record "
                    "again for its own samples"},
      {"short_periods", opt.short_periods == ShortPeriods::kExact
                            ? "exact: every period on the record's own samples"
                            : "band-limited: periods below 10 steps (" + shortest(kStepsAPeriod * r.time_step) +
                                  " s) on the record upsampled " + std::to_string(m.split.factor) +
                                  " times by Fourier interpolation, the others on its own samples"},
      {"response_spectra",
       "PSA = w^2 SD; SA the peak absolute acceleration |u'' + a|; SD the peak relative displacement; SV the peak "
       "relative velocity (not the pseudo-velocity w SD); at each damping ratio, from rest"},
      {"rotd",
       "Boore (2010): the 5 %-damped oscillators of N00 and N90 (their common length) projected onto 180 directions "
       "1 degree apart; RotD100 the largest of the 180 peaks, RotD50 their median (the mean of the 90th and 91st); "
       "PGA and PGV the same on the acceleration and on the velocity from rest (trapezoidal rule)"},
      {"cav", "integral of |a| over the whole record, a linear between samples"},
      {"d5_75", "between 5 % and 75 % of the Arias integral, linear between samples"},
      {"si",
       "Housner intensity: integral of the 5 %-damped pseudo-velocity w SD over 0.1 to 2.5 s (Simpson's rule, "
       "49 periods 0.05 s apart), cm"},
      {"fas", "|X(f)| dt of each component (FFTW, zero-padded to a fast length common to the three)" +
                  std::string(opt.konno_ohmachi_b ? ", Konno-Ohmachi smoothed (b = " + shortest(*opt.konno_ohmachi_b) +
                                                        ") at 50 frequencies a decade"
                                                  : ", unsmoothed at every frequency of the transform")},
      {"pgv_pgd",
       "meaningful only for corrected or processed records that start from rest: an initial velocity in the "
       "agency's header no more than " +
           shortest(100 * kVelocityLeft) + " % of the PGV, nor over the record's duration " +
           shortest(100 * kDisplacementLeft) + " % of the PGD, and the velocity from rest back within " +
           shortest(100 * kVelocityLeft) + " % of the PGV at the record's end"}};
}

ordered_json rotd_json(const Horizontal& h) {
  ordered_json out = {{"components", {"N00", "N90"}}, {"damping", kDamping}, {"refused", or_null(h.refused)}};
  if (h.refused) {
    for (const char* key :
         {"rotd50_g", "rotd100_g", "pga_rotd50_g", "pga_rotd100_g", "pgv_rotd50_cm_s", "pgv_rotd100_cm_s"})
      out[key] = nullptr;
    return out;
  }
  ordered_json r50 = ordered_json::array(), r100 = ordered_json::array();
  for (const RotD& r : h.psa) {
    r50.push_back(r.rotd50 / kStandardGravity);
    r100.push_back(r.rotd100 / kStandardGravity);
  }
  out["rotd50_g"] = r50;
  out["rotd100_g"] = r100;
  out["pga_rotd50_g"] = h.pga.rotd50 / kStandardGravity;
  out["pga_rotd100_g"] = h.pga.rotd100 / kStandardGravity;
  out["pgv_rotd50_cm_s"] = h.pgv.rotd50;
  out["pgv_rotd100_cm_s"] = h.pgv.rotd100;
  return out;
}

ordered_json summary_json(const RecordFolder& r, const MeasureOptions& opt, const Measures& m) {
  ordered_json s;
  s["method"] = method_json(r, opt, m);
  bool meaningful = true;
  std::string why;
  for (std::size_t c = 0; c < 3; ++c) {
    if (r.components[c].zeros || !m.components[c].not_meaningful) continue;
    meaningful = false;
    why += std::string(why.empty() ? "" : "; ") + r.components[c].name + ": " + *m.components[c].not_meaningful;
  }
  s["pgv_pgd_meaningful"] = meaningful;
  const std::optional<std::string> common = common_reason(r, m);
  s["pgv_pgd_note"] = meaningful ? ordered_json(nullptr)
                      : common && *common == "uncorrected data"
                          ? ordered_json("uncorrected data: PGV and PGD by integration are not meaningful")
                          : ordered_json("PGV and PGD by integration from rest are not meaningful: " + why);
  s["spectrum_file"] = kSpectrumFile;
  s["periods_s"] = opt.periods;
  ordered_json components = ordered_json::array();
  for (std::size_t c = 0; c < m.components.size(); ++c) {
    const Measured& mc = m.components[c];
    const Motion& mo = mc.motion;
    ordered_json spectra = ordered_json::array();
    for (std::size_t d = 0; d < m.dampings.size(); ++d)
      spectra.push_back({{"damping", m.dampings[d]},
                         {"psa_g", values_of(mc.spectra[d], &ResponsePeaks::psa, 1 / kStandardGravity)},
                         {"sa_g", values_of(mc.spectra[d], &ResponsePeaks::sa, 1 / kStandardGravity)},
                         {"sd_cm", values_of(mc.spectra[d], &ResponsePeaks::sd, 1.0)},
                         {"sv_cm_s", values_of(mc.spectra[d], &ResponsePeaks::sv, 1.0)}});
    const bool zeros = r.components[c].zeros;
    components.push_back({{"component", r.components[c].name},
                          {"zeros", zeros},
                          {"pga_g", mo.pga / kStandardGravity},
                          {"pga_cm_s2", mo.pga},
                          {"pga_time_s", r.start + mo.pga_time},
                          {"pgv_cm_s", mo.pgv},
                          {"pgd_cm", mo.pgd},
                          {"arias_m_s", mo.arias},
                          {"d5_95_s", mo.d5_95 ? ordered_json(*mo.d5_95) : ordered_json(nullptr)},
                          {"psa_g", values_of(mc.spectra[m.five], &ResponsePeaks::psa, 1 / kStandardGravity)},
                          {"pgv_pgd_meaningful", zeros ? ordered_json(nullptr) : ordered_json(!mc.not_meaningful)},
                          {"pgv_pgd_note", or_null(mc.not_meaningful)},
                          {"velocity_at_end_cm_s", mo.final_velocity},
                          {"d5_75_s", mo.d5_75 ? ordered_json(*mo.d5_75) : ordered_json(nullptr)},
                          {"cav_cm_s", mo.cav},
                          {"si_cm", mc.si},
                          {"spectra", spectra}});
  }
  s["components"] = components;
  s["dampings"] = m.dampings;
  s["short_periods"] = {
      {"method", opt.short_periods == ShortPeriods::kExact ? "exact" : "band-limited"},
      {"below_s",
       opt.short_periods == ShortPeriods::kExact ? ordered_json(nullptr) : ordered_json(kStepsAPeriod * r.time_step)},
      {"upsampling", m.split.fine.empty() ? ordered_json(nullptr) : ordered_json(m.split.factor)}};
  s["rotd"] = rotd_json(m.rotd);
  s["fas_file"] = kFourierFile;
  s["fas_smoothing"] = opt.konno_ohmachi_b ? ordered_json({{"method", "konno-ohmachi"}, {"b", *opt.konno_ohmachi_b}})
                                           : ordered_json(nullptr);
  return s;
}

// ---------------------------------------------------------------- the line

std::string component_words(const Component& c, const Motion& m) {
  if (c.zeros) return c.name + " zeros";
  char text[256];
  std::snprintf(text, sizeof text, "%s PGA %.4g g (%.4g cm/s²) PGV %.4g cm/s PGD %.4g cm Ia %.4g m/s D5-95 %.4g s",
                c.name.c_str(), m.pga / kStandardGravity, m.pga, m.pgv, m.pgd, m.arias, m.d5_95.value_or(0.0));
  return text;
}

std::string measure_line(const RecordFolder& r, const Measures& m) {
  std::string line = escaped(r.dir);
  for (std::size_t c = 0; c < 3; ++c) line += " | " + component_words(r.components[c], m.components[c].motion);
  if (const std::optional<std::string> common = common_reason(r, m)) {
    line += " | PGV and PGD not meaningful (" + *common + ")";
  } else {
    for (std::size_t c = 0; c < 3; ++c)
      if (m.components[c].not_meaningful)
        line += " | " + r.components[c].name + " PGV and PGD not meaningful (" + *m.components[c].not_meaningful + ")";
  }
  if (m.rotd.refused) {
    line += " | no RotD: " + *m.rotd.refused;
  } else {
    char text[128];
    std::snprintf(text, sizeof text, " | RotD50 PGA %.4g g PGV %.4g cm/s", m.rotd.pga.rotd50 / kStandardGravity,
                  m.rotd.pgv.rotd50);
    line += text;
  }
  return line + " | " + kSpectrumFile + " | " + kFourierFile;
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
      if (r.components[c].zeros) continue;  // a component the record lacks is not written as if recorded
      files.push_back(at2_file_name(r, r.components[c]));
      replace_file(r.dir, files.back(), at2_text(r, c));
      line += " | " + files.back().get<std::string>();
    }
    exports["at2"] = {{"unit", "g"}, {"files", files}};
  }
}

}  // namespace

MeasuredRecord measure_record(const RecordFolder& r, const MeasureOptions& opt) {
  const Measures m = measures_of(r, opt);
  return {measure_line(r, m), spectrum_text(opt.periods, m), fourier_text(fourier_of(r, opt.konno_ohmachi_b)),
          summary_json(r, opt, m)};
}

std::string measure_folder(const std::string& dir, const MeasureOptions& opt) {
  RecordFolder r = read_record_folder(dir);
  MeasuredRecord m = measure_record(r, opt);
  replace_file(dir, kSpectrumFile, m.spectrum);
  replace_file(dir, kFourierFile, m.fourier);
  r.record["summary"] = std::move(m.summary);
  if (opt.columns || opt.csv || opt.at2) {
    ordered_json& exports = r.record["exports"];
    if (opt.export_step && !same_interval(*opt.export_step, r.time_step)) {
      // The exports on another grid; the measures stay of the record's own samples.
      RecordFolder grid = r;
      const double from = r.time_step, to = *opt.export_step;
      const bool linear = whole_multiple(from, to);
      for (Component& c : grid.components)
        c.samples = linear ? resample_linear(c.samples, from, to) : resample(c.samples, from, to);
      grid.time_step = to;
      write_exports(grid, opt, exports, m.line);
      exports["resampled"] = {{"from", from}, {"to", to}, {"method", linear ? "linear" : "band-limited"}};
    } else {
      write_exports(r, opt, exports, m.line);
      exports["resampled"] = nullptr;
    }
  }
  replace_file(dir, kRecordFileName, r.record.dump(2) + "\n");
  return m.line;
}
