// kvb-measure run as a program on a record folder that the test writes.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "child_process.h"
#include "component_files.h"
#include "json_doc.h"
#include "temp_dir.h"

namespace {

using test_support::ComponentFile;
using test_support::RunResult;
using test_support::TempDir;

// KVB-record.json as kvb-split lays it out (two-space indent).
const char kRecord[] = R"({
  "station": {
    "code": "12345",
    "name": "Test Flat"
  },
  "csv_time_step": 0.01,
  "done": {
    "window": {
      "start": 2.5
    }
  },
  "processing": {
    "level": "uncorrected"
  },
  "components": [
    {
      "file": "KVB-N00.txt",
      "azimuth": 360,
      "samples": 5
    },
    {
      "file": "KVB-N90.txt",
      "azimuth": 90,
      "samples": 5
    },
    {
      "file": "KVB-UP.txt",
      "zeros": true,
      "samples": 5
    }
  ]
}
)";

// rec/: five samples a component, each file closed by its empty line; the
// record file with each edit's first words replaced by its second.
void write_record(const TempDir& dir, std::vector<double> n90 = {1.25, -2.5, 0.5, 0, 0},
                  const std::vector<std::pair<std::string, std::string>>& edits = {}) {
  const std::vector<double> samples[3] = {{0, 10, -20, 0, 5}, n90, {0, 0, 0, 0, 0}};
  std::filesystem::create_directories(dir.file("rec"));
  for (int c = 0; c < 3; ++c)
    dir.write(std::string("rec/") + layout::kNames[c], ComponentFile().header().values(samples[c]).record("").bytes());
  std::string record = kRecord;
  for (const auto& [from, to] : edits) record.replace(record.find(from), from.size(), to);
  dir.write("rec/KVB-record.json", record);
}

RunResult kvb_measure(const TempDir& dir, std::vector<std::string> args) {
  args.insert(args.begin(), KVB_MEASURE);
  return test_support::run_in(dir.path(), std::move(args));
}

TEST(MeasureE2e, ExportsSummaryAndLine) {
  TempDir dir;
  write_record(dir);
  const RunResult r =
      kvb_measure(dir, {"--export", "columns,csv,at2", "--units", "cm/s2", "--periods", "0.1,1", "rec"});
  EXPECT_TRUE(r.exited(0)) << r.describe() << r.err;
  EXPECT_EQ(r.err, "");
  // Worked by hand: N00 v 0 .05 0 -.1 -.075 cm/s, d 0 .00025 .0005 0 -.000875 cm, Husid 0 .5 3 5 5.125
  // (cm/s²)² s; N90 v 0 -.00625 -.01625 -.01375 -.01375, d down to -.00043125.
  EXPECT_EQ(r.out,
            "rec | N00 PGA 0.02039 g (20 cm/s²) PGV 0.1 cm/s PGD 0.000875 cm Ia 8.209e-05 m/s D5-95 0.02422 s"
            " | N90 PGA 0.002549 g (2.5 cm/s²) PGV 0.01625 cm/s PGD 0.0004312 cm Ia 1.166e-06 m/s D5-95 0.01833 s"
            " | UP zeros | PGV and PGD not meaningful (uncorrected data)"
            // By hand (1° apart, the mean of the 90th and 91st): 14.146 cm/s² and 0.071376 cm/s.
            " | RotD50 PGA 0.01443 g PGV 0.07138 cm/s | spectrum.csv | fas.csv"
            " | timeSeries Path 1 -dt 0.01 -filePath N00_cm_s2_dt0.01.txt -factor 0.01"
            " | timeSeries Path 2 -dt 0.01 -filePath N90_cm_s2_dt0.01.txt -factor 0.01"
            " | timeSeries Path 3 -dt 0.01 -filePath UP_cm_s2_dt0.01.txt -factor 0.01"
            " | accel_cm_s2.csv | N00.AT2 | N90.AT2\n");
  EXPECT_EQ(dir.read("rec/N00_cm_s2_dt0.01.txt"), "0\n10\n-20\n0\n5\n");
  EXPECT_EQ(dir.read("rec/accel_cm_s2.csv"),
            "time_s,N00_cm_s2,N90_cm_s2,UP_cm_s2\n2.50,0,1.25,0\n2.51,10,-2.5,0\n2.52,-20,0.5,0\n2.53,0,0,0\n"
            "2.54,5,0,0\n");
  EXPECT_EQ(dir.read("rec/N00.AT2"),
            "PEER layout: acceleration of the record, no further processing\nTest Flat, 360\n"
            "ACCELERATION TIME SERIES IN UNITS OF G\nNPTS= 5, DT= 0.01 SEC\n"
            "  0.0000000E+00  0.1019716E-01 -0.2039432E-01  0.0000000E+00  0.5098581E-02\n");
  const std::string spectrum = dir.read("rec/spectrum.csv").value_or("");
  EXPECT_EQ(spectrum.substr(0, 60), "period_s,N00_g,N90_g,UP_g,RotD50_g,RotD100_g,N00_sa_g_d0.05,") << spectrum;
  EXPECT_EQ(std::count(spectrum.begin(), spectrum.end(), '\n'), 3) << spectrum;

  // The record file keeps its keys and their order, and gains the summary.
  const std::string record = dir.read("rec/KVB-record.json").value_or("");
  const std::string kept(kRecord, sizeof kRecord - 4);
  EXPECT_EQ(record.substr(0, kept.size() + 16), kept + ",\n  \"summary\": {");
  const JsonDoc doc(record);
  EXPECT_FALSE(doc.flag("/summary/pgv_pgd_meaningful"));
  EXPECT_EQ(doc.number("/summary/periods_s/1"), 1.0);
  EXPECT_EQ(doc.number("/summary/components/0/pga_cm_s2"), 20.0);
  EXPECT_EQ(doc.number("/summary/components/0/pga_time_s"), 2.52);
  EXPECT_TRUE(doc.is_null("/summary/components/2/d5_95_s"));
  EXPECT_EQ(doc.number("/summary/components/2/psa_g/0"), 0.0);
  EXPECT_EQ(doc.text("/exports/columns/files/2"), "UP_cm_s2_dt0.01.txt");
  EXPECT_EQ(doc.text("/exports/at2/unit"), "g");

  // Measured again, the summary is replaced where it stands.
  EXPECT_TRUE(kvb_measure(dir, {"--periods", "0.1,1", "rec"}).exited(0));
  EXPECT_EQ(dir.read("rec/KVB-record.json"), record);
  EXPECT_EQ(dir.list("rec").size(), 12u) << "no temporary file left, no UP.AT2 of zeros";
}

TEST(MeasureE2e, DampingsShortPeriodsSmoothingAndHonesty) {
  TempDir dir;
  // A corrected record: N00 ends moving (from rest, -0.075 cm/s of a PGV of 0.1), N90 comes back to rest.
  const std::pair<std::string, std::string> corrected = {"\"uncorrected\"", "\"corrected\""};
  write_record(dir, {0, 10, -10, 0, 0}, {corrected});
  const RunResult r = kvb_measure(dir, {"--damping", "0.02,0.05,0.02", "--short-periods", "band-limited",
                                        "--fas-smoothing", "konno-ohmachi:20", "--periods", "0.01,1", "rec"});
  EXPECT_TRUE(r.exited(0)) << r.describe() << r.err;
  EXPECT_NE(r.out.find(" | N00 PGV and PGD not meaningful (the velocity from rest ends at -0.075 cm/s, 75 % of the "
                       "PGV: the record does not start (or end) at rest) | RotD50 PGA "),
            std::string::npos)
      << r.out;
  const std::string spectrum = dir.read("rec/spectrum.csv").value_or("");
  EXPECT_EQ(spectrum.substr(0, spectrum.find('\n')),
            "period_s,N00_g,N90_g,UP_g,RotD50_g,RotD100_g,N00_psa_g_d0.02,N90_psa_g_d0.02,UP_psa_g_d0.02,"
            "N00_sa_g_d0.02,N90_sa_g_d0.02,UP_sa_g_d0.02,N00_sd_cm_d0.02,N90_sd_cm_d0.02,UP_sd_cm_d0.02,"
            "N00_sv_cm_s_d0.02,N90_sv_cm_s_d0.02,UP_sv_cm_s_d0.02,N00_sa_g_d0.05,N90_sa_g_d0.05,UP_sa_g_d0.05,"
            "N00_sd_cm_d0.05,N90_sd_cm_d0.05,UP_sd_cm_d0.05,N00_sv_cm_s_d0.05,N90_sv_cm_s_d0.05,UP_sv_cm_s_d0.05");
  const std::string fas = dir.read("rec/fas.csv").value_or("");
  EXPECT_EQ(fas.substr(0, fas.find('\n')), "frequency_hz,N00_cm_s,N90_cm_s,UP_cm_s");
  const JsonDoc doc(dir.read("rec/KVB-record.json").value_or(""));
  EXPECT_EQ(doc.text("/summary/short_periods/method"), "band-limited");
  EXPECT_EQ(doc.number("/summary/short_periods/upsampling"), 10.0) << "0.01 s brought to 10 steps of 0.01 s";
  EXPECT_EQ(doc.number("/summary/dampings/1"), 0.05);
  EXPECT_TRUE(doc.is_null("/summary/dampings/2")) << "0.02 once";
  EXPECT_EQ(doc.number("/summary/fas_smoothing/b"), 20.0);
  EXPECT_FALSE(doc.flag("/summary/pgv_pgd_meaningful"));
  EXPECT_FALSE(doc.flag("/summary/components/0/pgv_pgd_meaningful"));
  EXPECT_TRUE(doc.flag("/summary/components/1/pgv_pgd_meaningful"));
  EXPECT_TRUE(doc.is_null("/summary/components/2/pgv_pgd_meaningful")) << "zeros";
  EXPECT_TRUE(doc.is_null("/summary/rotd/refused"));
  // |a| over 10 to -20: two triangles, (10² + 20²) / (2·30) cm/s² on average.
  EXPECT_NEAR(doc.number("/summary/components/0/cav_cm_s"), 0.01 * (5 + 500.0 / 60 + 10 + 2.5), 1e-12);

  // N90's header gives it an initial velocity.
  write_record(dir, {0, 10, -10, 0, 0},
               {corrected, {"\"azimuth\": 90,", "\"azimuth\": 90, \"initial_velocity_cm_s\": 2.5,"}});
  const RunResult moving = kvb_measure(dir, {"rec"});
  EXPECT_NE(moving.out.find(" | N90 PGV and PGD not meaningful (the record starts at 2.5 cm/s (its header), not from "
                            "rest) | RotD50"),
            std::string::npos)
      << moving.out;

  // N90 a vertical: no RotD, and why.
  write_record(dir, {0, 10, -10, 0, 0}, {{"\"azimuth\": 90,", "\"vertical\": true,"}});
  const RunResult v = kvb_measure(dir, {"rec"});
  EXPECT_TRUE(v.exited(0)) << v.describe() << v.err;
  EXPECT_NE(v.out.find(" | no RotD: N90 is a vertical: RotD needs two horizontals of one recording | spectrum.csv"),
            std::string::npos)
      << v.out;
  EXPECT_EQ(dir.read("rec/spectrum.csv").value_or("").substr(0, 41), "period_s,N00_g,N90_g,UP_g,N00_sa_g_d0.05,");
  const JsonDoc refused(dir.read("rec/KVB-record.json").value_or(""));
  EXPECT_EQ(refused.text("/summary/rotd/refused"), "N90 is a vertical: RotD needs two horizontals of one recording");
  EXPECT_TRUE(refused.is_null("/summary/rotd/rotd50_g"));
  EXPECT_EQ(refused.number("/summary/periods_s/116"), 10.0) << "117 periods by default";
}

TEST(MeasureE2e, FailuresAndUsage) {
  TempDir dir;
  write_record(dir);
  const RunResult r = kvb_measure(dir, {"missing", "rec"});
  EXPECT_TRUE(r.exited(1)) << r.describe();
  EXPECT_EQ(r.err, "kvb-measure: missing/KVB-record.json: No such file or directory\n");
  EXPECT_EQ(r.out.substr(0, 10), "rec | N00 ") << "the next folder is still measured";

  const struct {
    std::vector<std::string> args;
    const char* message;
  } cases[] = {
      {{"--export", "pdf", "rec"}, "--export takes columns, csv or at2, separated by commas, not pdf"},
      {{"--units", "gal", "rec"}, "--units takes g, m/s2 or cm/s2, not gal"},
      {{"--periods", "0.1,0", "rec"}, "--periods takes positive seconds separated by commas, not 0.1,0"},
      {{"--periods", "1,", "rec"}, "--periods takes positive seconds separated by commas, not 1,"},
      {{"--damping", "1", "rec"}, "--damping takes ratios from 0 to below 1 separated by commas, not 1"},
      {{"--short-periods", "fine", "rec"}, "--short-periods takes exact or band-limited, not fine"},
      {{"--fas-smoothing", "konno-ohmachi:0", "rec"},
       "--fas-smoothing takes konno-ohmachi or konno-ohmachi:B (B above 0), not konno-ohmachi:0"},
      {{"--bogus", "rec"}, "unknown option --bogus"},
      {{"--units"}, "option --units needs a value"},
      {{}, "no record folder"},
  };
  for (const auto& c : cases) {
    const RunResult u = kvb_measure(dir, c.args);
    EXPECT_TRUE(u.exited(2)) << c.message << ": " << u.describe();
    EXPECT_EQ(u.out, "");
    EXPECT_EQ(u.err, std::string("kvb-measure: ") + c.message + "\nTry 'kvb-measure --help' for more information.\n");
  }
}

// --step: the exports on another grid (here 0.0025 s, linear: every sample
// kept and one between), the measures still of the record's own samples.
TEST(MeasureE2e, ExportsOnAnotherStep) {
  TempDir dir;
  write_record(dir);
  const RunResult r = kvb_measure(dir, {"--export", "columns", "--units", "cm/s2", "--step", "0.005", "rec"});
  ASSERT_TRUE(r.exited(0)) << r.describe() << r.err;
  const std::string n00 = dir.read("rec/N00_cm_s2_dt0.005.txt").value_or("");
  EXPECT_EQ(n00.substr(0, 23), "0\n5\n10\n-5\n-20\n-10\n0\n2.5") << "every sample kept, one between";
  EXPECT_EQ(std::count(n00.begin(), n00.end(), '\n'), 9);
  const JsonDoc doc(dir.read("rec/KVB-record.json").value_or(""));
  EXPECT_EQ(doc.text("/exports/resampled/method"), "linear");
  EXPECT_EQ(doc.number("/summary/components/0/pga_cm_s2"), 20.0);
  EXPECT_TRUE(kvb_measure(dir, {"--step", "0", "rec"}).exited(2));
}

// A folder with the full record is measured on it, at its own step from its
// first sample, not on the component files (a window at 0.01 s here); a full
// record that does not hold what the record file says fails the folder.
TEST(MeasureE2e, MeasuresTheFullRecordWhereTheFolderHasIt) {
  const std::string full_json =
      R"(  "full_record": {"file": "KVB-full.csv", "time_step": 0.005, "samples": [4, 4, 4]},)";
  const std::string header = "time_s,N00_cm_s2,N90_cm_s2,UP_cm_s2\n";
  const struct {
    std::string record_line, table;
    const char* error;  // after "kvb-measure: rec/"
  } cases[] = {
      {full_json, header + "0,0,1,0\n0.005,-60,2,0\n0.01,30,0,0\n0.015,0,0,0\n", nullptr},
      {full_json, "time_s,N00_g\n", "KVB-full.csv: line 1 is not \"time_s,N00_cm_s2,N90_cm_s2,UP_cm_s2\""},
      {full_json, header + "0,0,1,0\n", "KVB-full.csv: 1 rows where KVB-record.json says 4"},
      {full_json, header + "0,0,1,0\n0.005,nan,2,0\n", "KVB-full.csv: line 3, column 2: not a number: \"nan\""},
      {full_json, header + "0,0,1\n", "KVB-full.csv: line 2, column 4: not a number: \"\""},
      {R"(  "full_record": {"file": "KVB-full.csv", "time_step": 0.005, "samples": [4, 4]},)", header,
       "KVB-record.json: full_record.samples is not three sample counts"},
      {R"(  "full_record": {"file": "KVB-full.csv", "time_step": -1, "samples": [1, 1, 1]},)", header,
       "KVB-record.json: no positive full_record.time_step"},
  };
  for (const auto& c : cases) {
    TempDir dir;
    write_record(dir);
    std::string record = kRecord;
    record.insert(record.find("  \"done\""), c.record_line + "\n");
    dir.write("rec/KVB-record.json", record);
    dir.write("rec/KVB-full.csv", c.table);
    const RunResult r = kvb_measure(dir, {"--periods", "0.1", "rec"});
    if (c.error) {
      EXPECT_TRUE(r.exited(1)) << r.describe();
      EXPECT_EQ(r.err, std::string("kvb-measure: rec/") + c.error + "\n");
      continue;
    }
    ASSERT_TRUE(r.exited(0)) << r.describe() << r.err;
    const JsonDoc doc(dir.read("rec/KVB-record.json").value_or(""));
    EXPECT_EQ(doc.number("/summary/components/0/pga_cm_s2"), 60.0);
    EXPECT_EQ(doc.number("/summary/components/0/pga_time_s"), 0.005);
    EXPECT_EQ(doc.number("/summary/components/1/pga_cm_s2"), 2.0);
  }
}

}  // namespace
