// The control file ("deck") of a run: pathways CO, SO, RE, ME and OU with the keywords a run of
// point sources over flat terrain needs. Anything else is refused with its line, never skipped.
#pragma once

#include <string>
#include <vector>

#include "mod/plume.h"

namespace mod {

constexpr long long kMaxDeckBytes = 64ll * 1024 * 1024;
constexpr double kMaxTableBytes = 4.0 * 1024 * 1024 * 1024;  // ranked values kept in memory
constexpr size_t kMaxReceptors = 1000000;  // keeps the per-receptor tables of a run in memory

struct ReceptorEntry {
  Receptor r;
  double zelev = 0, zhill = 0;  // as given (printed under the elevated-terrain option)
  std::string network;          // grid name; empty for a discrete receptor
  std::string type = "DC";      // GC, GP (networks), DC, DP (discrete Cartesian, polar)
};

// Averaging periods: 1…24 hours, the calendar month, and the whole run (PERIOD) or each year
// (ANNUAL).
constexpr int kMonth = 720;    // the month's code among the short-term periods
constexpr int kLongTerm = -1;  // PERIOD or ANNUAL where an output names a period

// Variable emission factors of one source: the hour's rate is Q times the factor picked by the
// month, season, hour of day, day of week or wind-speed class of the hour.
enum class FactorType {
  None,
  Month,
  Season,
  HourOfDay,
  WindSpeed,
  SeasonHour,
  HourDow,
  HourDow7,
  SeasonHourDow,
  SeasonHourDow7,
  MonthHourDow,
  MonthHourDow7
};
struct EmissionFactors {
  FactorType type = FactorType::None;
  std::vector<double> f;
  long line = 0;
};

struct SourceGroup {
  std::string id;
  std::vector<size_t> members;  // source indices, in source order
};

struct OutputFile {
  int period = 1;  // hours, kMonth or kLongTerm
  size_t group = 0;
  int rank = 1;          // PLOTFILE rank; RANKFILE length
  double threshold = 0;  // MAXIFILE
  std::string path;
  long line = 0;  // deck line
};

// One field of ME DAYRANGE: Julian days j1…j2, or calendar dates m1/d1…m2/d2.
struct DayRangeField {
  bool dates = false;
  int a = 0, b = 0, c = 0, d = 0;  // j1, j2 or m1, d1, m2, d2
};

// CO URBANOPT: one urban area.
struct UrbanOption {
  bool on = false;
  double population = 0;
  double z0 = 1.0;  // urban roughness length, m
  long line = 0;    // deck line
};

struct Deck {
  std::string path, dir;
  std::string title1, title2;
  bool defaultOptions = false;  // "DFAULT CONC": elevated terrain with every elevation zero
  bool run = true;              // RUNORNOT RUN
  std::string pollutant, errorFile;
  UrbanOption urban;
  std::vector<PointSource> sources;
  std::vector<SourceGroup> groups;
  std::vector<ReceptorEntry> receptors;
  std::string surfaceFile, profileFile;  // resolved against the deck's folder
  double profileBase = 0;                // elevation of the base of the met profile, m
  bool expFormat = false;                // FILEFORM EXP
  std::vector<OutputFile> postFiles, plotFiles;

  // Averaging.
  std::vector<int> periods;  // short-term periods in card order (hours or kMonth)
  bool period = false, annual = false;
  int special = 0;  // daily-value processing: 24 (PM2.5 daily means), 1 (NO2/SO2 daily maxima)
  std::vector<EmissionFactors> factors;  // per source
  double emissionUnit = 1.0e6;           // output units per g/s over m³ (EMISUNIT)
  std::string emissionLabel = "GRAMS/SEC", outputLabel = "MICROGRAMS/M**3";
  long start = 0, end = 0;              // STARTEND, yyyymmddhh (0: open)
  std::vector<DayRangeField> dayRange;  // empty: every day
  double wdRotate = 0;                  // degrees
  double windCats[5] = {1.54, 3.09, 5.14, 8.23, 10.8};
  std::vector<std::vector<bool>> ranksWanted;  // per short-term period: RECTABLE ranks (1-based)
  int nhival = 0;                              // largest RECTABLE rank
  std::vector<int> maxTable;                   // per short-term period: MAXTABLE length (0: none)
  int nmxval = 0;                              // length of the overall lists kept
  std::vector<OutputFile> maxiFiles, rankFiles, maxDaily, mxdyByYear;
  std::string summFile;
  long summLine = 0;
  std::vector<std::string> notes;  // warnings about the deck, for the message file

  size_t periodIndex(int p) const;  // position of a short-term period; periods.size() if absent
};

// "1-HR", "24-HR", "MONTH" right-justified in five columns.
std::string periodLabel(int period);

// Reads and checks a deck; throws InputError "deck:line: message" on the first fault.
Deck readDeck(const std::string& path);

}  // namespace mod
