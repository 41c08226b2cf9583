#include "mod/averages.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "mod/errors.h"
#include "mod/outputs_files.h"

namespace mod {

bool isLeap(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

int daysInMonth(int y, int m) {
  static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return days[m - 1] + (m == 2 && isLeap(y) ? 1 : 0);
}

int julianDay(int y, int m, int d) {
  int j = d;
  for (int k = 1; k < m; ++k) j += daysInMonth(y, k);
  return j;
}

int yearEndDay(int month, int day, int year) {
  return month == 2 && day == 29 && !isLeap(year) ? 28 : day;
}

int dayOfWeek(int year, int month, int day) {
  const int a = (14 - month) / 12, y = year - a, m = month + 12 * a - 2;
  return (day + y + y / 4 - y / 100 + y / 400 + (31 * m) / 12) % 7;
}

double emissionFactor(const EmissionFactors& e, int year, int month, int day, int hour,
                      double windSpeed, const double windCats[5]) {
  const int s = season(month), i = dayOfWeek(year, month, day);
  const int dow3 = i == 0 ? 3 : (i == 6 ? 2 : 1);  // weekday, Saturday, Sunday
  const int dow7 = i == 0 ? 7 : i;                 // Monday 1 … Sunday 7
  int k = 1;
  switch (e.type) {
    case FactorType::None: return 1.0;
    case FactorType::Month: k = month; break;
    case FactorType::Season: k = s; break;
    case FactorType::HourOfDay: k = hour; break;
    case FactorType::WindSpeed:
      k = 6;
      for (int c = 0; c < 5; ++c)
        if (windSpeed <= windCats[c]) {
          k = c + 1;
          break;
        }
      break;
    case FactorType::SeasonHour: k = hour + 24 * (s - 1); break;
    case FactorType::HourDow: k = hour + 24 * (dow3 - 1); break;
    case FactorType::HourDow7: k = hour + 24 * (dow7 - 1); break;
    case FactorType::SeasonHourDow: k = hour + 24 * (s - 1) + 96 * (dow3 - 1); break;
    case FactorType::SeasonHourDow7: k = hour + 24 * (s - 1) + 96 * (dow7 - 1); break;
    case FactorType::MonthHourDow: k = hour + 24 * (month - 1) + 288 * (dow3 - 1); break;
    case FactorType::MonthHourDow7: k = hour + 24 * (month - 1) + 288 * (dow7 - 1); break;
  }
  return e.f[static_cast<size_t>(k - 1)];
}

int blockDivisor(int n, int calm, int missing) {
  const int valid = n - calm - missing;
  const int least = static_cast<int>(std::round(0.75 * n + 0.4));
  return std::max(valid, least);
}

char blockFlag(int calm, int missing) {
  if (calm > 0 && missing > 0) return 'b';
  if (calm > 0) return 'c';
  if (missing > 0) return 'm';
  return ' ';
}

bool offer(RankEntry* list, size_t n, const RankEntry& e) {
  if (n == 0 || !(e.v > list[n - 1].v)) return false;
  size_t at = n - 1;
  while (at > 0 && list[at - 1].v < e.v) --at;
  for (size_t i = n - 1; i > at; --i) list[i] = list[i - 1];
  list[at] = e;
  return true;
}

std::string rankLabel(int k) {
  char buf[16];
  static const char* words[] = {"1ST", "2ND", "3RD", "4TH", "5TH",
                                "6TH", "7TH", "8TH", "9TH", "10TH"};
  if (k >= 1 && k <= 10) {
    std::snprintf(buf, sizeof buf, "%5s", words[k - 1]);
  } else if (k % 100 >= 11 && k % 100 <= 19) {
    std::snprintf(buf, sizeof buf, "%2d%1dTH", k / 10, k % 10);
  } else {
    static const char* suffix[] = {"TH", "ST", "ND", "RD", "TH", "TH", "TH", "TH", "TH", "TH"};
    std::snprintf(buf, sizeof buf, "%2d%1d%s", k / 10, k % 10, suffix[k % 10]);
  }
  return std::string(buf).substr(0, 5);
}

struct Averager::State {
  size_t nr = 0, ng = 0, N = 0, M = 0;
  std::vector<std::vector<char>> has;  // [g][s]
  struct Block {
    int period = 1;
    int n = 0, calm = 0, missing = 0;
    std::vector<double> sum;  // [g·nr + r]
    bool ranks = false, top = false;
    HourStamp last;  // the last processed hour in the block
  };
  std::vector<Block> blocks;
  std::vector<double> avg;

  bool longTerm = false;
  std::vector<double> sumP, sumYears;
  long n = 0, calm = 0, missing = 0, total = 0;  // PERIOD prints every processed hour
  long sinceYearEnd = 0;

  std::vector<double> daily;  // [g·nr + r]
  std::vector<int> dailyHour;
  std::vector<RankEntry> yearList;  // [(g·nr + r)·N + k]
  std::vector<double> designSum;
  std::vector<std::vector<RankEntry>> perYear;
  size_t specialPeriod = 0;

  bool yearEnds = false, started = false;
  int endMonth = 12, endDay = 31, endHour = 24;
};

Averager::Averager(const Deck& d, OutputFiles& files, std::vector<std::string>& messages)
    : d_(d), files_(files), messages_(messages), s_(std::make_unique<State>()) {
  State& s = *s_;
  s.nr = d.receptors.size();
  s.ng = d.groups.size();
  s.N = static_cast<size_t>(d.nhival);
  s.M = static_cast<size_t>(d.nmxval);
  s.has.assign(s.ng, std::vector<char>(d.sources.size(), 0));
  for (size_t g = 0; g < s.ng; ++g)
    for (size_t i : d.groups[g].members) s.has[g][i] = 1;
  const size_t cells = s.ng * s.nr;
  for (size_t p = 0; p < d.periods.size(); ++p) {
    State::Block b;
    b.period = d.periods[p];
    b.sum.assign(cells, 0.0);
    b.ranks = !d.ranksWanted[p].empty();
    // The overall list is kept for a RANKFILE too, even without a MAXTABLE card.
    b.top = d.maxTable[p] > 0;
    for (const OutputFile& f : d.rankFiles) b.top = b.top || f.period == b.period;
    s.blocks.push_back(b);
    PeriodResult r;
    r.period = b.period;
    if (b.ranks) r.high.assign(cells * s.N, RankEntry{});
    if (b.top) r.top.assign(s.ng * s.M, RankEntry{});
    r.maxLength = static_cast<int>(s.M);
    results_.push_back(std::move(r));
  }
  s.avg.resize(s.nr);
  s.longTerm = d.period || d.annual;
  if (s.longTerm) s.sumP.assign(cells, 0.0);
  if (d.annual) s.sumYears.assign(cells, 0.0);
  if (d.special) {
    s.daily.assign(cells, 0.0);
    s.dailyHour.assign(cells, 0);
    s.yearList.assign(cells * s.N, RankEntry{});
    s.designSum.assign(cells * s.N, 0.0);
    s.specialPeriod = d.periodIndex(d.special);
  }
  s.yearEnds = d.annual || d.special;
  // With STARTEND the years count from its start, even before the first hour of the file.
  if (s.yearEnds && d.start)
    yearStart({static_cast<int>(d.start / 1000000), static_cast<int>(d.start / 10000 % 100),
               static_cast<int>(d.start / 100 % 100), static_cast<int>(d.start % 100)});
}

Averager::~Averager() = default;

void Averager::hour(const HourStamp& t, HourKind kind, const std::vector<std::vector<double>>& conc,
                    const std::vector<char>& on) {
  State& s = *s_;
  ++counts_.processed;
  if (counts_.firstKey == 0) counts_.firstKey = t.key();
  counts_.lastKey = t.key();
  const bool computed = kind == HourKind::Computed;
  if (counts_.processed == 1 && t.hour != 1 &&
      std::any_of(d_.periods.begin(), d_.periods.end(), [](int p) { return p != 1; }))
    messages_.push_back("the first processed hour is hour " + std::to_string(t.hour) +
                        ": the first blocks of the longer periods are short");
  if (kind == HourKind::Calm) ++counts_.calm;
  if (kind == HourKind::Missing) ++counts_.missing;

  // A month block whose month's last hour was not processed (a DAYRANGE gap or the window)
  // closes at its last processed hour instead of running on into the next month.
  for (size_t p = 0; p < s.blocks.size(); ++p) {
    State::Block& b = s.blocks[p];
    if (b.period == kMonth && b.n > 0 && (b.last.year != t.year || b.last.month != t.month)) {
      char buf[160];
      std::snprintf(buf, sizeof buf,
                    "the month ending %04d-%02d-%02d hour %02d closes at its last processed hour "
                    "(the rest of the month is not processed)",
                    b.last.year, b.last.month, b.last.day, b.last.hour);
      messages_.push_back(buf);
      endBlock(p, b.last, true);
    }
  }

  for (State::Block& b : s.blocks) {
    ++b.n;
    if (kind == HourKind::Calm) ++b.calm;
    if (kind == HourKind::Missing) ++b.missing;
    b.last = t;
  }
  if (s.longTerm) {
    ++s.n;
    ++s.total;
    if (kind == HourKind::Calm) ++s.calm;
    if (kind == HourKind::Missing) ++s.missing;
  }
  ++s.sinceYearEnd;

  // Sums hour by hour, within the hour source by source in source order.
  if (computed)
    for (size_t src = 0; src < conc.size(); ++src) {
      if (!on[src]) continue;
      const double* x = conc[src].data();
      for (size_t g = 0; g < s.ng; ++g) {
        if (!s.has[g][src]) continue;
        for (State::Block& b : s.blocks) {
          double* a = b.sum.data() + g * s.nr;
          for (size_t r = 0; r < s.nr; ++r) a[r] = x[r] + a[r];
        }
        if (s.longTerm) {
          double* a = s.sumP.data() + g * s.nr;
          for (size_t r = 0; r < s.nr; ++r) a[r] = x[r] + a[r];
        }
      }
    }

  for (size_t p = 0; p < s.blocks.size(); ++p) {
    const int period = s.blocks[p].period;
    const bool ends = period == kMonth ? t.hour == 24 && t.day == daysInMonth(t.year, t.month)
                                       : t.hour % period == 0;
    if (ends) endBlock(p, t, computed);
  }
  if (d_.special && t.hour == 24) endDay(t);
}

void Averager::endBlock(size_t p, const HourStamp& t, bool computed) {
  State& s = *s_;
  State::Block& b = s.blocks[p];
  PeriodResult& res = results_[p];
  const bool oneHour = b.period == 1;
  const bool enters = !oneHour || computed;  // a calm or missing hour enters no 1-hour table
  const double divisor = oneHour ? 1.0 : blockDivisor(b.n, b.calm, b.missing);
  const char flag = blockFlag(b.calm, b.missing);
  const long date = t.kurdat();
  for (size_t g = 0; g < s.ng; ++g) {
    const double* sum = b.sum.data() + g * s.nr;
    for (size_t r = 0; r < s.nr; ++r) s.avg[r] = oneHour ? sum[r] : sum[r] / divisor;
    if (enters) {
      if (b.ranks)
        for (size_t r = 0; r < s.nr; ++r) {
          RankEntry* list = res.high.data() + (g * s.nr + r) * s.N;
          if (s.avg[r] > list[s.N - 1].v) offer(list, s.N, {s.avg[r], date, flag, r});
        }
      if (b.top) {
        RankEntry* list = res.top.data() + g * s.M;
        for (size_t r = 0; r < s.nr; ++r)
          if (s.avg[r] > list[s.M - 1].v) offer(list, s.M, {s.avg[r], date, flag, r});
      }
    }
    if (d_.special == b.period) {
      double* daily = s.daily.data() + g * s.nr;
      int* hour = s.dailyHour.data() + g * s.nr;
      for (size_t r = 0; r < s.nr; ++r)
        if (oneHour) {
          if (s.avg[r] > daily[r]) {
            daily[r] = s.avg[r];
            hour[r] = t.hour;
          }
        } else {
          daily[r] = s.avg[r];
          hour[r] = s.avg[r] > 0.0 ? t.hour : 0;
        }
    }
    files_.blockEnd(b.period, g, date, s.avg.data(), enters);
  }
  std::fill(b.sum.begin(), b.sum.end(), 0.0);
  b.n = b.calm = b.missing = 0;
}

void Averager::endDay(const HourStamp& t) {
  State& s = *s_;
  const long day = t.kurdat() - t.hour;
  for (size_t g = 0; g < s.ng; ++g) {
    const double* daily = s.daily.data() + g * s.nr;
    const int* hour = s.dailyHour.data() + g * s.nr;
    files_.maxDaily(g, t, daily, hour);
    for (size_t r = 0; r < s.nr; ++r) {
      RankEntry* list = s.yearList.data() + (g * s.nr + r) * s.N;
      if (daily[r] > list[s.N - 1].v) offer(list, s.N, {daily[r], day + hour[r], ' ', r});
    }
  }
  std::fill(s.daily.begin(), s.daily.end(), 0.0);
  std::fill(s.dailyHour.begin(), s.dailyHour.end(), 0);
}

// The year ends one year after its first hour, minus one hour.
void Averager::yearStart(const HourStamp& t) {
  State& s = *s_;
  s.started = true;
  if (t.hour > 1) {
    s.endMonth = t.month;
    s.endDay = t.day;
    s.endHour = t.hour - 1;
  } else {
    s.endHour = 24;
    s.endMonth = t.month;
    s.endDay = t.day - 1;
    if (s.endDay == 0) {
      s.endMonth = t.month == 1 ? 12 : t.month - 1;
      s.endDay = daysInMonth(t.year, s.endMonth);
    }
  }
}

void Averager::clock(const HourStamp& t) {
  State& s = *s_;
  if (!s.yearEnds) return;
  if (!s.started) {
    yearStart(t);
    return;
  }
  const int endDay = yearEndDay(s.endMonth, s.endDay, t.year);
  if (t.month == s.endMonth && t.day == endDay && t.hour == s.endHour) endYear();
}

void Averager::endYear() {
  State& s = *s_;
  const int year = static_cast<int>(++counts_.years);
  if (d_.annual) {
    const long valid = s.n - s.calm - s.missing;
    if (valid == 0)
      messages_.push_back("year " + std::to_string(year) +
                          " has no valid hour: its ANNUAL mean is taken as 0");
    std::vector<double> mean(s.nr);
    for (size_t g = 0; g < s.ng; ++g) {
      for (size_t r = 0; r < s.nr; ++r) {
        const size_t i = g * s.nr + r;
        mean[r] = valid > 0 ? s.sumP[i] / static_cast<double>(valid) : 0.0;
        s.sumYears[i] = s.sumYears[i] + mean[r];
      }
      files_.annualYear(g, year, mean.data());
    }
    std::fill(s.sumP.begin(), s.sumP.end(), 0.0);
    s.n = s.calm = s.missing = 0;
  }
  if (d_.special) {
    for (size_t i = 0; i < s.yearList.size(); ++i)
      s.designSum[i] = s.designSum[i] + s.yearList[i].v;
    const std::vector<bool>& want = d_.ranksWanted[s.specialPeriod];
    for (size_t g = 0; g < s.ng; ++g)
      for (size_t k = 1; k < want.size(); ++k)
        if (want[k])
          files_.mxdyByYear(g, static_cast<int>(k), s.yearList.data() + g * s.nr * s.N + (k - 1),
                            s.N);
    s.perYear.push_back(s.yearList);
    std::fill(s.yearList.begin(), s.yearList.end(), RankEntry{});
  }
  s.sinceYearEnd = 0;
}

void Averager::finish() {
  State& s = *s_;
  if (s.yearEnds) {
    if (counts_.years == 0)
      throw InputError(
          "no complete year was processed: ANNUAL means and the daily values of PM2.5, NO2 "
          "and SO2 need at least one whole year of meteorology");
    if (s.sinceYearEnd > 0) {
      counts_.droppedHours = s.sinceYearEnd;
      messages_.push_back(std::to_string(s.sinceYearEnd) +
                          " processed hours after the last complete year are left out of the "
                          "yearly results");
    }
  }
  if (d_.period) {
    const long valid = s.n - s.calm - s.missing;
    if (valid == 0)
      messages_.push_back("no processed hour was valid (all calm or missing): PERIOD values are 0");
    longValue_.resize(s.sumP.size());
    for (size_t i = 0; i < s.sumP.size(); ++i)
      longValue_[i] = valid > 0 ? s.sumP[i] / static_cast<double>(valid) : 0.0;
    for (size_t g = 0; g < s.ng; ++g) files_.longTerm(g, s.total, longValue_.data() + g * s.nr);
  } else if (d_.annual) {
    longValue_.resize(s.sumYears.size());
    for (size_t i = 0; i < s.sumYears.size(); ++i)
      longValue_[i] = s.sumYears[i] / static_cast<double>(counts_.years);
    for (size_t g = 0; g < s.ng; ++g)
      files_.longTerm(g, counts_.years, longValue_.data() + g * s.nr);
  }
  if (d_.special) {
    design_.resize(s.designSum.size());
    for (size_t i = 0; i < s.designSum.size(); ++i)
      design_[i] = s.designSum[i] / static_cast<double>(counts_.years);
  }
  for (const OutputFile& f : d_.plotFiles) {
    if (f.period == kLongTerm) continue;
    const size_t p = d_.periodIndex(f.period);
    const size_t at = f.group * s.nr * s.N + static_cast<size_t>(f.rank - 1);
    if (d_.special == f.period) {
      files_.plotDesign(f, design_.data() + at, s.N, s.perYear, at);
    } else {
      files_.plot(f, results_[p].high.data() + at, s.N);
    }
  }
  for (const OutputFile& f : d_.rankFiles)
    files_.rankFile(f, results_[d_.periodIndex(f.period)].top, s.M);
}

}  // namespace mod
