#include "mod/report.h"

#include <algorithm>
#include <cstdio>
#include <ctime>

#include "mod/output.h"

namespace mod {

namespace {

std::string fmt(const char* f, double v) {
  char buf[64];
  std::snprintf(buf, sizeof buf, f, v);
  return buf;
}
std::string name8(const std::string& s) {
  std::string t = s.substr(0, 8);
  t.resize(8, ' ');
  return t;
}
std::string digits8(long v) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%08ld", v);
  return buf;
}

// "(      x,       y,  zelev,  zhill, zflag)  TY  NETWORK" of a receptor; zeros without a receptor.
std::string where(const Deck& d, const RankEntry* e) {
  if (!e) return "(       0.00,        0.00,     0.00,     0.00,    0.00)";
  const ReceptorEntry& r = d.receptors[e->receptor];
  const double ze = d.defaultOptions ? r.zelev : d.profileBase;
  const double zh = d.defaultOptions ? r.zhill : d.profileBase;
  return "(" + fmt("%11.2f", r.r.x) + ", " + fmt("%11.2f", r.r.y) + ", " + fmt("%8.2f", ze) + ", " +
         fmt("%8.2f", zh) + ", " + fmt("%7.2f", r.r.zflag) + ")  " + r.type + "  " +
         name8(r.network);
}

// The ten highest receptors of one group (ties: the first receptor in receptor order).
std::vector<RankEntry> topTen(const double* values, size_t n, size_t stride) {
  std::vector<RankEntry> top(10);
  for (size_t r = 0; r < n; ++r) offer(top.data(), 10, {values[r * stride], 0, ' ', r});
  return top;
}

void topTenLines(std::string& out, const Deck& d, const std::string& group,
                 const std::vector<RankEntry>& top) {
  for (int k = 0; k < 10; ++k) {
    const RankEntry& e = top[static_cast<size_t>(k)];
    out += (k == 0 ? "\n" + name8(group) : std::string(8, ' ')) + rankLabel(k + 1) +
           " HIGHEST VALUE IS" + fmt("%14.5f", e.v) + " AT " + where(d, e.v > 0 ? &e : nullptr) +
           "\n";
  }
}

std::string title(const std::string& t) { return "\n                    *** " + t + " ***\n"; }

std::string units(const Deck& d) {
  return "                    ** CONC OF " + d.pollutant + " IN " + d.outputLabel + " **\n";
}

}  // namespace

std::string summaryTables(const ReportInput& in) {
  const Deck& d = in.deck;
  const Averager& a = in.results;
  const size_t nr = d.receptors.size(), N = static_cast<size_t>(d.nhival);
  std::string out;
  char buf[160];
  if (d.period || d.annual) {
    if (d.period)
      std::snprintf(buf, sizeof buf, "THE SUMMARY OF MAXIMUM PERIOD (%6ld HRS) RESULTS",
                    a.counts().processed);
    else
      std::snprintf(buf, sizeof buf,
                    "THE SUMMARY OF MAXIMUM ANNUAL RESULTS AVERAGED OVER %3ld YEARS",
                    a.counts().years);
    out += title(buf) + units(d);
    for (size_t g = 0; g < d.groups.size(); ++g)
      topTenLines(out, d, d.groups[g].id, topTen(a.longTerm().data() + g * nr, nr, 1));
  }
  for (size_t p = 0; p < d.periods.size(); ++p) {
    const std::vector<bool>& want = d.ranksWanted[p];
    if (want.empty()) continue;
    const int period = d.periods[p];
    if (d.special == period) {
      // The k-th highest daily value averaged over the years, ten highest receptors.
      for (size_t k = 1; k < want.size(); ++k) {
        if (!want[k]) continue;
        std::snprintf(buf, sizeof buf,
                      "THE SUMMARY OF MAXIMUM %s-HIGHEST %s%s RESULTS AVERAGED OVER %3ld YEARS",
                      rankLabel(static_cast<int>(k)).c_str(), period == 1 ? "MAX DAILY " : "",
                      periodLabel(period).c_str(), a.counts().years);
        out += title(buf) + units(d);
        for (size_t g = 0; g < d.groups.size(); ++g)
          topTenLines(out, d, d.groups[g].id,
                      topTen(a.design().data() + g * nr * N + (k - 1), nr, N));
      }
      continue;
    }
    out += title("THE SUMMARY OF HIGHEST " + periodLabel(period) + " RESULTS") + units(d);
    const std::vector<RankEntry>& high = a.shortTerm()[p].high;
    for (size_t g = 0; g < d.groups.size(); ++g) {
      bool first = true;
      for (size_t k = 1; k < want.size(); ++k) {
        if (!want[k]) continue;
        // The largest k-th value over the receptors; the first receptor wins a tie.
        const RankEntry* best = nullptr;
        for (size_t r = 0; r < nr; ++r) {
          const RankEntry& e = high[(g * nr + r) * N + (k - 1)];
          if (e.v > (best ? best->v : 0.0)) best = &e;
        }
        out += (first ? "\n" + name8(d.groups[g].id) : std::string(8, ' ')) + " HIGH " +
               rankLabel(static_cast<int>(k)) + " HIGH VALUE IS" +
               fmt("%14.5f", best ? best->v : 0.0) + (best ? best->flag : ' ') + " ON " +
               digits8(best ? best->date : 0) + ": AT " + where(d, best) + "\n";
        first = false;
      }
    }
  }
  out +=
      "\n *** RECEPTOR TYPES:  GC = GRIDCART\n                      GP = GRIDPOLR\n"
      "                      DC = DISCCART\n                      DP = DISCPOLR\n";
  return out;
}

namespace {

std::string stampNow() {
  char buf[64];
  const std::time_t now = std::time(nullptr);
  std::tm tm{};
  localtime_r(&now, &tm);
  std::strftime(buf, sizeof buf, "%Y-%m-%d %H:%M:%S", &tm);
  return buf;
}

std::string runSummary(const ReportInput& in) {
  const Deck& d = in.deck;
  const RunCounts& c = in.results.counts();
  std::string o;
  o += "kuvamod run of " + d.path + "   " + stampNow() + "\n";
  o += "  " + d.title1 + "\n";
  if (!d.title2.empty()) o += "  " + d.title2 + "\n";
  o += "\nOptions: " + in.options + "\n";
  o += "Pollutant: " + (d.pollutant.empty() ? std::string("(not named)") : d.pollutant);
  if (d.special == 24) o += "  (daily 24-hour means ranked per year and averaged over the years)";
  if (d.special == 1)
    o += "  (daily maximum 1-hour values ranked per year and averaged over the years)";
  o += "\nAveraging periods:";
  for (int p : d.periods) o += " " + periodLabel(p);
  if (d.period) o += " PERIOD";
  if (d.annual) o += " ANNUAL";
  o += "\nEmission units " + d.emissionLabel + ", concentrations in " + d.outputLabel +
       " (factor " + fmt("%g", d.emissionUnit) + ")\n";
  char buf[200];
  std::snprintf(buf, sizeof buf, "\n%zu source(s), %zu source group(s), %zu receptor(s)\n",
                d.sources.size(), d.groups.size(), d.receptors.size());
  o += buf;
  o += "\n  Source        X (m)           Y (m)      Q (g/s)   Hs (m)   Ts (K)  Vs (m/s)  Ds (m)  "
       "Factors\n";
  static const char* kinds[] = {"-",     "MONTH",  "SEASON", "HROFDY",  "WSPEED", "SEASHR",
                                "HRDOW", "HRDOW7", "SHRDOW", "SHRDOW7", "MHRDOW", "MHRDOW7"};
  for (size_t i = 0; i < d.sources.size(); ++i) {
    const PointSource& s = d.sources[i];
    std::snprintf(buf, sizeof buf, "  %-8s %15.3f %15.3f %10.4g %8.2f %8.2f %9.2f %7.2f  %s\n",
                  s.id.c_str(), s.x, s.y, s.q, s.hs, s.ts < 0 ? 0.0 : s.ts, s.vs, s.ds,
                  kinds[static_cast<int>(d.factors[i].type)]);
    o += buf;
  }
  o += "\n  Group     Sources\n";
  for (const SourceGroup& g : d.groups) {
    o += "  " + name8(g.id) + " ";
    for (size_t i : g.members) o += " " + d.sources[i].id;
    o += "\n";
  }
  o += "\nMeteorology: " + d.surfaceFile + ", " + d.profileFile + "\n";
  if (d.start)
    o += "  Window (STARTEND): " + std::to_string(d.start) + " to " + std::to_string(d.end) + "\n";
  if (!d.dayRange.empty()) o += "  Days limited by DAYRANGE\n";
  if (d.wdRotate != 0)
    o += "  Wind directions rotated by " + fmt("%.2f", d.wdRotate) + " degrees\n";
  std::snprintf(buf, sizeof buf, "  Wind-speed classes up to %.2f, %.2f, %.2f, %.2f, %.2f m/s\n",
                d.windCats[0], d.windCats[1], d.windCats[2], d.windCats[3], d.windCats[4]);
  o += buf;
  std::snprintf(buf, sizeof buf,
                "  %ld hours processed (%ld calm, %ld missing) from %ld to %ld; %ld hours outside "
                "the window or the days selected\n",
                c.processed, c.calm, c.missing, c.firstKey, c.lastKey, c.skipped);
  o += buf;
  if (d.annual || d.special) {
    std::snprintf(buf, sizeof buf, "  %ld complete year(s)", c.years);
    o += buf;
    if (c.droppedHours)
      o += ", " + std::to_string(c.droppedHours) + " hours after the last left out";
    o += "\n";
  }
  return o;
}

}  // namespace

std::string summaryFile(const ReportInput& in) {
  std::string o = runSummary(in);
  o += summaryTables(in);
  o += "\nMessages: " + std::to_string(in.messages.size()) + "\n";
  for (const std::string& m : in.messages) o += "  " + m + "\n";
  return o;
}

std::string mainReport(const ReportInput& in) {
  const Deck& d = in.deck;
  const Averager& a = in.results;
  const size_t nr = d.receptors.size(), N = static_cast<size_t>(d.nhival);
  std::string o = runSummary(in);
  o += "\nReceptors\n   No.  Type  Network            X (m)            Y (m)   Flagpole (m)\n";
  char buf[200];
  for (size_t r = 0; r < nr; ++r) {
    const ReceptorEntry& e = d.receptors[r];
    std::snprintf(buf, sizeof buf, "  %4zu  %-4s  %-8s %16.3f %16.3f %14.2f\n", r + 1,
                  e.type.c_str(), e.network.c_str(), e.r.x, e.r.y, e.r.zflag);
    o += buf;
  }
  auto receptorHead = [&](const std::string& t) {
    return "\n" + t + "\n     X (m)            Y (m)    ";
  };
  if (d.period || d.annual) {
    for (size_t g = 0; g < d.groups.size(); ++g) {
      o += receptorHead(std::string(d.period ? "PERIOD" : "ANNUAL") + " values of group " +
                        d.groups[g].id + " (" + d.outputLabel + ")") +
           "    Value\n";
      for (size_t r = 0; r < nr; ++r) {
        std::snprintf(buf, sizeof buf, "  %15.2f %15.2f  %14.5f\n", d.receptors[r].r.x,
                      d.receptors[r].r.y, a.longTerm()[g * nr + r]);
        o += buf;
      }
    }
  }
  for (size_t p = 0; p < d.periods.size(); ++p) {
    const std::vector<bool>& want = d.ranksWanted[p];
    const int period = d.periods[p];
    if (!want.empty()) {
      for (size_t g = 0; g < d.groups.size(); ++g) {
        const bool design = d.special == period;
        o +=
            receptorHead(std::string(design ? "Daily design values (rank averaged over the years), "
                                            : "Highest ") +
                         periodLabel(period) + " values of group " + d.groups[g].id +
                         " (value, flag c calm / m missing / b both, date YYMMDDHH)");
        for (size_t k = 1; k < want.size(); ++k)
          if (want[k]) o += "        " + rankLabel(static_cast<int>(k)) + "              ";
        o += "\n";
        for (size_t r = 0; r < nr; ++r) {
          std::snprintf(buf, sizeof buf, "  %15.2f %15.2f", d.receptors[r].r.x, d.receptors[r].r.y);
          o += buf;
          for (size_t k = 1; k < want.size(); ++k) {
            if (!want[k]) continue;
            const size_t i = (g * nr + r) * N + (k - 1);
            if (design) {
              std::snprintf(buf, sizeof buf, "  %14.5f            ", a.design()[i]);
            } else {
              const RankEntry& e = a.shortTerm()[p].high[i];
              std::snprintf(buf, sizeof buf, "  %14.5f%c (%08ld)", e.v, e.flag, e.date);
            }
            o += buf;
          }
          o += "\n";
        }
      }
    }
    if (d.maxTable[p] > 0) {
      const Averager::PeriodResult& res = a.shortTerm()[p];
      for (size_t g = 0; g < d.groups.size(); ++g) {
        o += "\nThe " + std::to_string(d.maxTable[p]) + " highest " + periodLabel(period) +
             " values of group " + d.groups[g].id +
             " over all receptors\n"
             "  Rank           Value   Date         X (m)            Y (m)  Type Network\n";
        for (int i = 0; i < d.maxTable[p]; ++i) {
          const RankEntry& e =
              res.top[g * static_cast<size_t>(res.maxLength) + static_cast<size_t>(i)];
          if (e.date == 0) {
            std::snprintf(buf, sizeof buf, "  %4d  %14.5f\n", i + 1, 0.0);
          } else {
            const ReceptorEntry& re = d.receptors[e.receptor];
            std::snprintf(buf, sizeof buf, "  %4d  %14.5f%c  %08ld %15.2f %15.2f  %-4s %s\n", i + 1,
                          e.v, e.flag, e.date, re.r.x, re.r.y, re.type.c_str(), re.network.c_str());
          }
          o += buf;
        }
      }
    }
  }
  o += "\nSummary of the highest values\n" + summaryTables(in);
  o += "\nMessages: " + std::to_string(in.messages.size()) + "\n";
  for (const std::string& m : in.messages) o += "  " + m + "\n";
  return o;
}

}  // namespace mod
