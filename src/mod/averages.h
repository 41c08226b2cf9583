// Everything after the hourly value of each source: which hours count, the sums of source
// groups, 2…24-hour and monthly block averages under EPA's calms policy (a block needs 75 % of its
// hours valid, else its sum is divided by the 75 % count; US EPA, Guideline on Air Quality Models,
// 40 CFR Part 51 Appendix W, 2017, section 8.4.5), PERIOD and ANNUAL means, the ranked high values
// per receptor and overall, and the daily design values of PM2.5, NO2 and SO2 (the k-th highest
// daily value averaged over the years of the run; HJ 2.2-2018, 8.8).
//
// Memory grows with receptors × groups × ranks, never with hours: each hour's values are folded
// into running sums and ranked lists as they arrive.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "mod/deck.h"

namespace mod {

// Calendar.
bool isLeap(int year);
int daysInMonth(int year, int month);
int julianDay(int year, int month, int day);
// 0 Sunday, 1 Monday … 6 Saturday (Zeller-type congruence of the Gregorian calendar).
int dayOfWeek(int year, int month, int day);
// Winter (Dec–Feb) 1, spring 2, summer 3, autumn 4.
inline int season(int month) { return month == 12 || month <= 2 ? 1 : month / 3 + 1; }

// The day a year ending on `month`/`day` ends on in `year`: 28 February in place of the 29th in a
// common year, the day itself otherwise.
int yearEndDay(int month, int day, int year);

// The emission factor of an hour (hour of day 1…24).
double emissionFactor(const EmissionFactors& e, int year, int month, int day, int hour,
                      double windSpeed, const double windCats[5]);

// The divisor of a block of n hours with c calm and m missing: the valid hours, but at least
// 75 % of n rounded to the nearest hour.
int blockDivisor(int n, int calm, int missing);
// ' ' no calm or missing hour, 'c' calm only, 'm' missing only, 'b' both.
char blockFlag(int calm, int missing);

// One ranked value: the block's average, its end date (YYMMDDHH) and calm/missing flag, and the
// receptor (for the overall lists).
struct RankEntry {
  double v = 0;
  long date = 0;
  char flag = ' ';
  size_t receptor = 0;
};
// Offers `e` to a list of n entries sorted from the highest: it enters only when strictly
// greater than the last entry, below every entry at least as large (an earlier value keeps the
// better rank on a tie).
bool offer(RankEntry* list, size_t n, const RankEntry& e);

// "  1ST", "  2ND", " 19TH", " 21ST" … (five columns).
std::string rankLabel(int rank);

// One hour as the averaging sees it.
struct HourStamp {
  int year = 0, month = 0, day = 0, hour = 0;  // four-digit year, hour ending 1…24
  long kurdat() const {
    return ((static_cast<long>(year % 100) * 100 + month) * 100 + day) * 100 + hour;
  }
  long key() const { return ((static_cast<long>(year) * 100 + month) * 100 + day) * 100 + hour; }
};
enum class HourKind { Computed, Calm, Missing };

class OutputFiles;

// Counters of a run, for the report.
struct RunCounts {
  long processed = 0, calm = 0, missing = 0, skipped = 0;
  long years = 0, droppedHours = 0;
  long firstKey = 0, lastKey = 0;
};

class Averager {
 public:
  // `files` receives every line as blocks end; it must outlive the averager.
  Averager(const Deck& d, OutputFiles& files, std::vector<std::string>& messages);
  ~Averager();

  // A processed hour. `conc[s]` holds source s's values at every receptor (already scaled by
  // its emission factor); sources with `on[s]` false emitted nothing this hour.
  void hour(const HourStamp& t, HourKind kind, const std::vector<std::vector<double>>& conc,
            const std::vector<char>& on);
  // Every hour read from the start of the run, processed or not: the year-end test.
  void clock(const HourStamp& t);
  // An hour inside the window on a day DAYRANGE leaves out.
  void skipped() { ++counts_.skipped; }
  // The end of the run: means, PLOTFILEs, RANKFILEs, the summary; throws InputError when a
  // result needs a whole year and none was complete.
  void finish();

  const RunCounts& counts() const { return counts_; }

  // Results for the report and the summary file.
  struct PeriodResult {
    int period;
    std::vector<RankEntry> high;  // [(g·nr + r)·N + k]
    std::vector<RankEntry> top;   // [g·M + i]
    int maxLength = 0;
  };
  const std::vector<PeriodResult>& shortTerm() const { return results_; }
  const std::vector<double>& longTerm() const { return longValue_; }  // [g·nr + r]
  const std::vector<double>& design() const { return design_; }       // [(g·nr + r)·N + k]

 private:
  struct State;
  const Deck& d_;
  OutputFiles& files_;
  std::vector<std::string>& messages_;
  std::unique_ptr<State> s_;
  RunCounts counts_;
  std::vector<PeriodResult> results_;
  std::vector<double> longValue_, design_;

  void endBlock(size_t p, const HourStamp& t, bool computed);
  void endDay(const HourStamp& t);
  void endYear();
  void yearStart(const HourStamp& t);
};

}  // namespace mod
