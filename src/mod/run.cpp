#include "mod/run.h"

#include <sys/stat.h>
#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <functional>
#include <mutex>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <exception>
#include <filesystem>
#include <memory>
#include <system_error>
#include <thread>
#include <vector>

#include "core/file_io.h"
#include "mod/averages.h"
#include "mod/deck.h"
#include "mod/errors.h"
#include "mod/met.h"
#include "mod/outputs_files.h"
#include "mod/profiles.h"
#include "mod/report.h"
#include "mod/urban.h"

namespace mod {

namespace {

std::string optionsWords(const Deck& d, const MetData& met) {
  std::string s = d.defaultOptions ? "RegDFAULT  CONC  ELEV" : "NonDFAULT  CONC  FLAT";
  s += d.urban.on ? "  URBAN" : "  RURAL";
  if (met.adjustedUstar) s += "  ADJ_U*";
  return s;
}

// Threads that share the receptors of each hour. They are started once per run; each hour the
// receptors are handed out in small blocks to whichever thread is free (the work per receptor
// varies a lot for area sources), and every value is computed the same way whichever thread
// computes it.
class Workers {
 public:
  explicit Workers(unsigned threads) {
    try {
      for (unsigned t = 1; t < threads; ++t) pool_.emplace_back([this] { serve(); });
    } catch (const std::system_error& e) {
      stop();
      throw std::runtime_error(std::string("cannot start a worker thread (") + e.what() +
                               "); try fewer threads with KUVAMOD_THREADS");
    }
  }
  Workers(const Workers&) = delete;
  Workers& operator=(const Workers&) = delete;
  ~Workers() { stop(); }

  // Calls job(i) for every i in [0, n), in parallel, handing out `block` items at a time (all in
  // this thread when n < least); returns when all are done.
  void run(size_t n, const std::function<void(size_t)>& job, size_t block = 4, size_t least = 16) {
    if (pool_.empty() || n < least) {
      for (size_t i = 0; i < n; ++i) job(i);
      return;
    }
    {
      std::lock_guard<std::mutex> lock(m_);
      job_ = &job;
      n_ = n;
      block_ = block;
      next_ = 0;
      busy_ = pool_.size();
      ++generation_;
    }
    start_.notify_all();
    work();
    std::unique_lock<std::mutex> lock(m_);
    done_.wait(lock, [this] { return busy_ == 0; });
    job_ = nullptr;
  }

 private:
  void work() {
    for (;;) {
      const size_t from = next_.fetch_add(block_);
      if (from >= n_) return;
      for (size_t i = from; i < std::min(n_, from + block_); ++i) (*job_)(i);
    }
  }
  void serve() {
    unsigned long seen = 0;
    for (;;) {
      {
        std::unique_lock<std::mutex> lock(m_);
        start_.wait(lock, [&] { return quit_ || generation_ != seen; });
        if (quit_) return;
        seen = generation_;
      }
      work();
      std::lock_guard<std::mutex> lock(m_);
      if (--busy_ == 0) done_.notify_one();
    }
  }
  void stop() {
    {
      std::lock_guard<std::mutex> lock(m_);
      quit_ = true;
    }
    start_.notify_all();
    for (std::thread& t : pool_) t.join();
    pool_.clear();
  }

  std::vector<std::thread> pool_;
  std::mutex m_;
  std::condition_variable start_, done_;
  const std::function<void(size_t)>* job_ = nullptr;
  size_t n_ = 0, block_ = 1, busy_ = 0;
  std::atomic<size_t> next_{0};
  unsigned long generation_ = 0;
  bool quit_ = false;
};

// The days DAYRANGE selects, one table for common years and one for leap years (index 1…366).
// Julian numbers mean the same number in both; a calendar date is converted with the first year
// of the run and flagged so that it means the same date in either kind of year.
std::vector<std::vector<char>> dayTables(const Deck& d, int firstYear) {
  std::vector<std::vector<char>> t(2, std::vector<char>(367, d.dayRange.empty() ? 1 : 0));
  const bool leap = isLeap(firstYear);
  for (const DayRangeField& f : d.dayRange) {
    if (!f.dates) {
      for (int j = f.a; j <= f.b; ++j)
        t[0][static_cast<size_t>(j)] = t[1][static_cast<size_t>(j)] = 1;
      continue;
    }
    if (f.b > daysInMonth(firstYear, f.a) || f.d > daysInMonth(firstYear, f.c))
      throw InputError(d.path + ": DAYRANGE " + std::to_string(f.a) + "/" + std::to_string(f.b) +
                       " names a day that does not exist in " + std::to_string(firstYear));
    const int j1 = julianDay(firstYear, f.a, f.b), j2 = julianDay(firstYear, f.c, f.d);
    if (f.a == f.c && f.b == f.d) {
      // One date: the same calendar day in both tables.
      const int common = leap ? (f.a > 2 ? j1 - 1 : j1) : j1;
      const int inLeap = leap ? j1 : (f.a > 2 ? j1 + 1 : j1);
      if (!(leap && f.a == 2 && f.b == 29)) t[0][static_cast<size_t>(common)] = 1;
      t[1][static_cast<size_t>(inLeap)] = 1;
      continue;
    }
    for (int j = j1; j <= j2; ++j) t[0][static_cast<size_t>(j)] = t[1][static_cast<size_t>(j)] = 1;
    if (!leap && j2 == 365) t[1][366] = 1;
  }
  return t;
}

// True when two names reach the same file (by name, through links, or as hard links).
bool sameFile(const std::string& a, const std::string& b) {
  namespace fs = std::filesystem;
  std::error_code e1, e2;
  if (fs::weakly_canonical(a, e1) == fs::weakly_canonical(b, e2) && !e1 && !e2) return true;
  struct stat sa, sb;
  return ::stat(a.c_str(), &sa) == 0 && ::stat(b.c_str(), &sb) == 0 && sa.st_dev == sb.st_dev &&
         sa.st_ino == sb.st_ino;
}

// The main output file must not replace an input or another result of the run.
void refuseReportPath(const Deck& d, const std::string& report) {
  std::vector<std::string> names = {d.path, d.surfaceFile, d.profileFile, d.errorFile, d.summFile};
  for (const auto* v :
       {&d.postFiles, &d.plotFiles, &d.maxiFiles, &d.rankFiles, &d.maxDaily, &d.mxdyByYear})
    for (const OutputFile& f : *v) names.push_back(f.path);
  for (const std::string& n : names)
    if (!n.empty() && sameFile(n, report))
      throw InputError("the main output file \"" + report +
                       "\" is an input or result file of the deck");
}

// The wind directions of an hour turned by WDROTATE (after a 0° direction has become 360°).
MetHour rotated(const MetHour& mh, double theta) {
  MetHour h = mh;
  double& w = h.sfc.wdref;
  if (w <= 900.0 && w > -9.0) {
    if (w == 0.0) w = 360.0;
    w -= theta;
    if (w <= 0.0) w += 360.0;
  }
  for (ProfileLevel& l : h.levels)
    if (l.wd > 0.0) {
      l.wd -= theta;
      if (l.wd <= 0.0) l.wd += 360.0;
    }
  return h;
}

// An hour computed together with the next few: its meteorology, the emitting sources and their
// values for the hour, and the result per source and receptor. Urban sources see the urban
// profiles when the hour has an urban layer.
struct HourSlot {
  const MetHour* raw = nullptr;
  HourStamp t;
  HourKind kind = HourKind::Computed;
  std::exception_ptr fault;  // a fault of this hour's meteorology, reported in its turn
  HourProfiles h, urban;
  bool urbanHour = false;
  std::vector<PointSource> hourly;
  std::vector<char> on;
  std::vector<SourceHour> sh;
  std::vector<std::vector<double>> conc;  // [source][receptor]

  const HourProfiles& profiles(size_t i) const { return urbanHour && hourly[i].urban ? urban : h; }
};

// The profiles of the hour and the values of its emitting sources.
void prepareSlot(HourSlot& s, const Deck& d, const MetData& met) {
  try {
    const MetHour mh = d.wdRotate != 0.0 ? rotated(*s.raw, d.wdRotate) : *s.raw;
    s.h = prepareHour(mh, met.adjustedUstar, d.profileBase);
    if (s.h.status != HourStatus::Computed) {
      s.kind = s.h.status == HourStatus::Calm ? HourKind::Calm : HourKind::Missing;
      return;
    }
    s.kind = HourKind::Computed;
    // The hour's emission rate is Q times the source's factor; a source emitting nothing is not
    // computed.
    for (size_t i = 0; i < d.sources.size(); ++i) {
      s.hourly[i].q = d.sources[i].q * emissionFactor(d.factors[i], s.t.year, s.t.month, s.t.day,
                                                      s.t.hour, s.raw->sfc.uref, d.windCats);
      s.on[i] = s.hourly[i].q != 0.0;
    }
    s.urbanHour = d.urban.on && urbanProfiles(s.h, mh, d.urban.population, d.urban.z0,
                                              d.profileBase, d.surfaceFile, s.urban);
    for (size_t i = 0; i < d.sources.size(); ++i)
      if (s.on[i]) s.sh[i] = setupSource(s.profiles(i), s.hourly[i], d.profileBase);
  } catch (...) {
    s.fault = std::current_exception();
  }
}

// Concentrations of the emitting sources at every receptor for the first `n` slots: the hours
// are prepared side by side, then their receptors are shared out together, so that the threads
// meet twice for several hours.
void computeHours(std::vector<HourSlot>& slots, size_t n, const Deck& d, const MetData& met,
                  Workers& workers) {
  const size_t ns = d.sources.size(), nr = d.receptors.size();
  workers.run(
      n, [&](size_t b) { prepareSlot(slots[b], d, met); }, 1, 2);
  workers.run(n * nr, [&](size_t k) {
    HourSlot& s = slots[k / nr];
    if (s.fault || s.kind != HourKind::Computed) return;
    const size_t r = k % nr;
    for (size_t i = 0; i < ns; ++i)
      if (s.on[i])
        s.conc[i][r] = concentration(s.profiles(i), s.hourly[i], s.sh[i], d.receptors[r].r);
  });
}

}  // namespace

RunSummary runDeck(const std::string& deckPath, std::ostream& log, unsigned threads,
                   const std::string& reportPath) {
  RunSummary sum;
  try {
    const Deck d = readDeck(deckPath);
    if (!d.run) {
      log << "kuvamod: " << deckPath << ": deck checked (RUNORNOT NOT), nothing computed\n";
      return sum;
    }
    const MetData met = readMet(d.surfaceFile, d.profileFile);
    // The regulatory default options do not allow the adjusted u* together with measured
    // turbulence.
    if (d.defaultOptions && met.adjustedUstar && met.turbulenceLine > 0)
      throw fileError(d.profileFile, met.turbulenceLine,
                      "measured turbulence with ADJ_U* meteorology is not allowed under DFAULT");
    if (threads == 0) threads = std::thread::hardware_concurrency();
    threads = std::clamp(threads, 1u, static_cast<unsigned>(kMaxThreads));
    if (!reportPath.empty()) refuseReportPath(d, reportPath);
    const std::string options = optionsWords(d, met);
    Workers workers(threads);
    OutputFiles files(d, options);
    if (threads > 1) files.useWriter();
    files.open();
    if (!d.errorFile.empty()) files.openText(d.errorFile, 0);
    if (!reportPath.empty()) files.openText(reportPath, 1);
    std::vector<std::string> messages = d.notes;
    Averager avg(d, files, messages);
    const int firstYear =
        static_cast<int>((d.start ? d.start : dateKey(met.hours.front().sfc)) / 1000000);
    const std::vector<std::vector<char>> days = dayTables(d, firstYear);
    const size_t ns = d.sources.size(), nr = d.receptors.size();
    // With several threads a few hours are computed at a time (as many as fit in 32 MB of
    // results); their averaging, messages and checks then follow hour by hour, in order.
    const size_t batch =
        threads > 1 ? std::clamp<size_t>((size_t{1} << 22) / std::max<size_t>(1, ns * nr), 1, 16)
                    : 1;
    std::vector<HourSlot> slots(batch);
    for (HourSlot& s : slots) {
      s.hourly = d.sources;
      s.on.assign(ns, 0);
      s.sh.resize(ns);
      s.conc.assign(ns, std::vector<double>(nr, 0.0));
    }
    // The hours read since the last computation, in the order of the meteorology: days left out
    // (slot none) and hours in `slots`.
    constexpr size_t kNone = ~size_t{0};
    struct Step {
      HourStamp t;
      size_t slot = kNone;
    };
    std::vector<Step> steps;
    size_t used = 0;
    // KUVAMOD_PROGRESS=1: a line "kuvamod: hour N of M" on standard error after every hour, for
    // a front end's progress bar.
    const bool progress = std::getenv("KUVAMOD_PROGRESS") != nullptr;
    auto flush = [&] {
      computeHours(slots, used, d, met, workers);
      for (const Step& st : steps) {
        if (st.slot == kNone) {
          avg.skipped();
          avg.clock(st.t);
          continue;
        }
        const HourSlot& slot = slots[st.slot];
        if (slot.fault) std::rethrow_exception(slot.fault);
        const long line = slot.raw->sfc.line;
        if (slot.kind == HourKind::Computed) {
          for (size_t i = 0; i < ns; ++i)
            if (slot.on[i])
              for (size_t r = 0; r < nr; ++r)
                if (!std::isfinite(slot.conc[i][r]))
                  throw fileError(d.surfaceFile, line,
                                  "source " + d.sources[i].id + ", receptor " +
                                      std::to_string(r + 1) +
                                      ": no finite concentration from this hour's meteorology");
        } else {
          messages.push_back(std::string(slot.kind == HourKind::Calm ? "calm" : "missing") +
                             " hour " + std::to_string(slot.t.key()) + " (surface file line " +
                             std::to_string(line) + "): concentrations 0");
        }
        ++sum.hours;
        avg.hour(st.t, slot.kind, slot.conc, slot.on);
        avg.clock(st.t);
        if (progress)
          std::fprintf(stderr, "kuvamod: hour %ld of %zu\n", sum.hours, met.hours.size());
      }
      steps.clear();
      used = 0;
    };
    long lastKey = 0;
    for (const MetHour& raw : met.hours) {
      const long key = dateKey(raw.sfc);
      if (d.start && key < d.start) continue;
      if (d.end && key > d.end) break;
      lastKey = key;
      Step st;
      st.t = {static_cast<int>(key / 1000000), raw.sfc.month, raw.sfc.day, raw.sfc.hour};
      const int j = julianDay(st.t.year, st.t.month, st.t.day);
      if (days[isLeap(st.t.year) ? 1 : 0][static_cast<size_t>(j)]) {
        HourSlot& slot = slots[used];
        slot.raw = &raw;
        slot.t = st.t;
        slot.fault = nullptr;
        st.slot = used++;
      }
      steps.push_back(st);
      if (used == batch) flush();
    }
    flush();
    if (d.end && lastKey < d.end)
      throw InputError(d.path + ": STARTEND ends at " + std::to_string(d.end) +
                       ", after the last hour of the meteorology (" +
                       std::to_string(dateKey(met.hours.back().sfc)) + ")");
    if (avg.counts().processed == 0)
      throw InputError(d.path +
                       ": no hour of the meteorology lies in the STARTEND window and "
                       "the days of DAYRANGE");
    avg.finish();
    sum.hours = avg.counts().processed;
    sum.calm = avg.counts().calm;
    sum.missing = avg.counts().missing;
    if (files.fixOverflow())
      messages.push_back(
          "values of 1E7 or more do not fit FILEFORM FIX; they are written as E13.6 "
          "(use FILEFORM EXP)");
    ReportInput report{d, avg, options, messages};
    files.summary(summaryFile(report));
    std::string text = "kuvamod messages for " + deckPath + "\n";
    for (const std::string& m : messages) text += m + "\n";
    files.text(0, text);
    if (!reportPath.empty()) files.text(1, mainReport(report));
    files.commit();
    log << "kuvamod: " << avg.counts().processed << " hours processed (" << sum.calm << " calm, "
        << sum.missing << " missing), " << nr << " receptors, " << ns << " sources\n";
  } catch (const InputError& e) {
    sum.exitCode = 1;
    sum.error = std::string("kuvamod: ") + e.what();
  } catch (const std::exception& e) {
    sum.exitCode = 3;
    sum.error = std::string("kuvamod: the run stopped: ") + e.what();
  }
  return sum;
}

}  // namespace mod
