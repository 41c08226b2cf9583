// A plant for a further air-quality prediction and its run through the dispersion program
// (US EPA, AERMOD User's Guide, EPA-454/B-23-008, the keywords of the CO, SO, RE, ME and OU
// pathways): the control file ("deck") written from the page's tables, the summary of a year of
// AERMET surface and profile files, and the results read back from the hourly result files
// (POSTFILE) into the air chapter's tables of HJ 2.2-2018 (8.7, 8.8).
//
// Every (case, pollutant) is one source group: a source appears once per pollutant it emits,
// with that pollutant's rate, under an identifier "<N|A><pollutant><source>" (N normal, A
// abnormal emission). Daily and annual means are taken from the hourly series: the daily mean
// divides the day's sum by its valid (neither calm nor missing) hours, at least 18 of 24; the
// annual mean divides by all valid hours (US EPA calms policy, as in the dispersion program).
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "models/air/prediction/rules.h"

namespace models::air::prediction {

enum class SourceKind { Point, Area, Volume, Line };

struct Source {
  std::string name;
  SourceKind kind = SourceKind::Point;
  std::vector<Point> at;                       // point: 1; area polygon: ≥ 3; line: 2; volume: 1
  double base_m = 0;                           // base elevation
  double height_m = 0;                         // release height
  double diameter_m = 0;                       // stack inner diameter
  double temp_K = 0;                           // exit temperature (0: ambient)
  double velocity = 0;                         // exit velocity, m/s
  double sigma_y = 0, sigma_z = 0;             // volume: initial σ
  double width_m = 0;                          // line: width
  std::vector<double> normal_gs, abnormal_gs;  // per pollutant, g/s (area, line: g/s total)
};

struct PollutantSpec {
  std::string name;
  Limits limits;                  // µg/m³
  double percentile = 0;          // p of the guaranteed-rate daily value (0: daily max instead)
  double bg_daily = 0;            // a single daily background, µg/m³
  double bg_annual = 0;           // annual background, µg/m³
  std::vector<double> bg_series;  // daily backgrounds of the met year (overrides bg_daily)
  double hourly() const { return hourlyReference(limits); }
};

struct TargetSpec {
  std::string name;
  Point at;
  double height_m = 0;  // flagpole
  std::string cls;      // function class (一类/二类)
};

struct Plant {
  std::vector<Source> sources;
  std::vector<PollutantSpec> pollutants;
  std::vector<TargetSpec> targets;
  std::vector<Point> boundary;    // plant boundary ring (may be empty)
  std::vector<Point> grid;        // grid receptors
  long grid_nx = 0, grid_ny = 0;  // > 0 when the grid is regular (row by row, x fastest)
  std::vector<Point> protection;  // protection-distance cells (outside the boundary)
  std::string surface_file, profile_file;
  bool urban = false;
  double urban_population = 0, urban_roughness = 1;
  std::string title;
};

// One row of the deck written for the plant: which table row a deck line came from.
struct DeckOrigin {
  long line = 0;
  std::string what;  // "排气筒 P1", "预测点 村庄", "气象", ...
};

struct DeckText {
  std::string text;
  std::vector<DeckOrigin> origins;
  std::vector<std::string> groups;  // group ids: N1, N2, ..., A1, ...
  std::vector<std::string> posts;   // POSTFILE names, one per group (same order)
};

// The deck. `surface`/`profile` as written into it (relative to the deck's folder or absolute).
DeckText writeDeck(const Plant& plant, const std::string& surface, const std::string& profile);
// The table row of a message "deck:LINE: text" of the dispersion program, or "".
std::string originOf(const DeckText& deck, const std::string& message);

// The meteorology as read: period, hours, calm and missing hours.
struct MetSummary {
  long first = 0, last = 0;  // yyyymmddhh
  long hours = 0, calm = 0, missing = 0;
  int year = 0;             // four-digit year of the first hour
  std::vector<long> dates;  // yyyymmddhh per hour
  std::vector<char> valid;  // per hour: neither calm nor missing
  std::string error;        // set when a file does not read (file and line named)
  bool ok() const { return error.empty(); }
};
MetSummary readMetSummary(const std::string& surface, const std::string& profile);

// The results of one (case, pollutant) at every receptor (targets, grid, protection cells).
struct GroupResult {
  std::string group;
  std::vector<double> max1h;
  std::vector<long> max1h_date;            // yyyymmddhh (two-digit year as written)
  std::vector<std::vector<double>> daily;  // per receptor, per day of the met period
  std::vector<double> annual;
  std::vector<long> day_dates;  // yymmdd per day
};

struct Results {
  std::vector<GroupResult> normal, abnormal;  // per pollutant (abnormal may be empty)
  size_t n_targets = 0, n_grid = 0, n_protection = 0;
};

// Reads the hourly result files of a run; `met` gives the valid hours. Returns a message on
// failure (a file missing or a line that does not read). `cancelled` is polled.
std::string readResults(const Plant& plant, const DeckText& deck, const std::string& dir,
                        const MetSummary& met, Results& out,
                        const std::function<bool()>& cancelled = {});

// One row of a result table.
struct TableRow {
  std::string pollutant, place, average;  // average: "1小时", "日平均", "年平均"
  double value = 0;                       // µg/m³
  std::string when;                       // yymmddhh / yymmdd / "年"
  double limit = 0;                       // µg/m³ (0: none)
  double share_pct = 0;
  bool exceeds = false;
  double background = 0;  // the superposed tables
  double total = 0;
};

// Contributions: per pollutant, each target and the grid maximum, 1-hour, daily, annual.
std::vector<TableRow> contributionTable(const Plant& plant, const Results& r);
// With the background: the guaranteed-rate daily value and the annual mean.
std::vector<TableRow> superposedTable(const Plant& plant, const Results& r);
// Abnormal emissions: 1-hour maxima.
std::vector<TableRow> abnormalTable(const Plant& plant, const Results& r);
// The protection distance: per protection cell the largest ratio of a short-term value (1 h,
// daily) of any pollutant to its limit.
ProtectionResult protectionOf(const Plant& plant, const Results& r);

}  // namespace models::air::prediction
