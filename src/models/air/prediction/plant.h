// A plant for a further air-quality prediction and its run through the dispersion program
// (US EPA, AERMOD User's Guide, EPA-454/B-23-008, the keywords of the CO, SO, RE, ME and OU
// pathways): the control file ("deck") written from the page's tables, the summary of a year of
// AERMET surface and profile files, and the results read back from the program's files into the
// air chapter's tables of HJ 2.2-2018 (8.7, 8.8): per group the highest 1-hour value with its
// hour (PLOTFILE 1 FIRST), the daily means (POSTFILE 24) and the period mean (PLOTFILE PERIOD).
//
// Every (case, pollutant) is one source group: a source appears once per pollutant it emits,
// with that pollutant's rate, under an identifier "<N|A><pollutant><source>" (N normal, A
// abnormal emission). The daily and period means are the program's own (calms policy: a day's
// sum over its valid hours, at least 18 of 24; the period over all valid hours); an abnormal
// case needs only its 1-hour maxima.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "core/calculator.h"
#include "models/air/prediction/rules.h"

namespace models::air::prediction {

enum class SourceKind { Point, Area, Volume, Line, Circle };
// How a stack releases: upwards, under a rain cap, or sideways.
enum class Release { Vertical, Capped, Horizontal };
// The units a stack's exit state and a source's emissions are typed in.
enum class TempUnit { Kelvin, Celsius };
enum class ExitUnit { Velocity, Flow };  // exit velocity, m/s, or exit flow at stack state, m³/h
enum class RateUnit { GramsPerSecond, KilogramsPerHour };

struct Source {
  std::string name;
  SourceKind kind = SourceKind::Point;
  std::vector<Point> at;  // point, volume, circular area (centre): 1; area polygon: ≥ 3; line: 2
  double base_m = 0;      // base elevation
  double height_m = 0;    // release height
  double diameter_m = 0;  // stack inner diameter
  double temp = 0;        // exit temperature as typed (0 K: ambient)
  double exit = 0;        // exit velocity or flow as typed
  Release release = Release::Vertical;   // stack
  double sigma_y = 0, sigma_z = 0;       // volume: initial σ
  double width_m = 0;                    // line: width; circular area: radius
  std::vector<double> normal, abnormal;  // per pollutant as typed (area, line: the whole source)
  TempUnit temp_unit = TempUnit::Kelvin;
  ExitUnit exit_unit = ExitUnit::Velocity;
  RateUnit rate_unit = RateUnit::GramsPerSecond;

  // The values the dispersion program takes: K (0 stays ambient), m/s and g/s.
  // T = t + 273.15;  v = Q / 3600 / (π·d²/4);  q = 1000·Q / 3600
  double exitTempK() const;
  double exitVelocity() const;
  double rateGs(size_t pollutant, bool abnormal_case) const;
};

// A CSV of daily background concentrations (one row a day): an optional date column first
// (yyyy-mm-dd, yyyy/mm/dd or yyyymmdd), then one value column for every receptor, or with a header
// one column per protection target named in it (a column "全部" serves the targets without one).
struct BackgroundTable {
  std::vector<long> dates;                   // yyyymmdd per row (empty: no date column)
  std::vector<std::string> names;            // the value columns' header ("" without a header)
  std::vector<std::vector<double>> columns;  // per value column, per row
  bool empty() const { return columns.empty(); }
};
// The table, or a message naming the file and the line that does not read.
std::string readBackgroundCsv(const std::string& text, const std::string& file,
                              BackgroundTable& out);

struct PollutantSpec {
  std::string name;
  Limits limits;                // µg/m³, for the grid's function class
  double percentile = 0;        // p of the guaranteed-rate daily value (0: daily max instead)
  double bg_daily = 0;          // a single daily background, µg/m³
  double bg_annual = 0;         // annual background, µg/m³
  bool bg_annual_given = true;  // false: the annual background is the mean of the daily series
  // Daily backgrounds of the met year, one per day of the met period: for every receptor, and a
  // protection target's own. Either overrides bg_daily.
  std::vector<double> bg_series;
  std::vector<std::pair<std::string, std::vector<double>>> bg_target_series;
  std::string bg_file;       // the CSV the series come from (as typed), and its table as read
  BackgroundTable bg_table;  // applied to the met period by applyBackground()
  double hourly() const { return hourlyReference(limits); }
};

struct TargetSpec {
  std::string name;
  Point at;
  double height_m = 0;  // flagpole
  int grade = 0;        // function class: 1 一类区, 2 二类区 (0: the grid's)
};

struct Plant {
  std::vector<Source> sources;
  std::vector<PollutantSpec> pollutants;
  std::vector<TargetSpec> targets;
  std::vector<Point> boundary;    // plant boundary ring (may be empty)
  std::vector<Point> grid;        // grid receptors
  long grid_nx = 0, grid_ny = 0;  // > 0 when the grid is regular (row by row, x fastest)
  std::vector<Point> protection;  // protection-distance cells (outside the boundary)
  int grid_grade = 2;             // function class of the grid and the plant's surroundings
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
  // Result files, one per group (same order); daily and period are empty for abnormal groups.
  std::vector<std::string> max1h;   // PLOTFILE 1 FIRST
  std::vector<std::string> daily;   // POSTFILE 24
  std::vector<std::string> period;  // PLOTFILE PERIOD
};

// The deck. `surface`/`profile` as written into it (relative to the deck's folder or absolute).
DeckText writeDeck(const Plant& plant, const std::string& surface, const std::string& profile);

// The sources as the dispersion program takes them: the typed exit state and rates converted
// to K, m/s and g/s ("源参数（计算取值）").
core::Table sourceValuesTable(const Plant& plant);
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

// Reads the result files of a run; `met` gives the days of the period. Returns a message on
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

// The pollutant's daily series for the days of `met` from its table: by date when the table has
// dates, else row by row; a message when the year or the number of days differs, a day is
// missing or a column names no protection target.
std::string applyBackground(const MetSummary& met, const std::vector<TargetSpec>& targets,
                            PollutantSpec& p);

// The limits that apply at a receptor: the pollutant's own, except at a protection target of the
// other function class, which takes the ambient standard's limits of its grade when the pollutant
// is in it. The background series at a receptor (one value per day) and its annual background.
Limits limitsAt(const Plant& plant, size_t pollutant, size_t receptor);
std::vector<double> backgroundAt(const Plant& plant, size_t pollutant, size_t receptor,
                                 size_t days);
double annualBackgroundAt(const Plant& plant, size_t pollutant, size_t receptor);

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
