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

// Threads that share the work of a run. They are started once; each job's items are handed out
// one at a time to whichever thread is free (the work per receptor varies a lot for area
// sources), and every value is computed the same way whichever thread computes it. A job runs
// while the thread that started it does other work, which joins it with finish().
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

  // Starts handing out job(0)…job(n−1) to the other threads and returns at once; with no other
  // thread, or fewer than `least` items, they all wait for finish(). The previous job must be
  // finished.
  void start(size_t n, std::function<void(size_t)> job, size_t least = 16) {
    job_ = std::move(job);
    n_ = n;
    next_.store(0);
    if (pool_.empty() || n < least) return;
    {
      std::lock_guard<std::mutex> lock(m_);
      open_ = true;
      ++generation_;
    }
    start_.notify_all();
  }
  // Takes part in the job and returns when all its items are done.
  void finish() {
    work();
    std::unique_lock<std::mutex> lock(m_);
    done_.wait(lock, [this] { return active_ == 0; });
    open_ = false;
  }
  // Hands out no more items and returns when those begun are done (a run that stops).
  void cancel() {
    next_.store(n_);
    finish();
  }

 private:
  void work() {
    for (;;) {
      const size_t i = next_.fetch_add(1);
      if (i >= n_) return;
      job_(i);
    }
  }
  void serve() {
    unsigned long seen = 0;
    for (;;) {
      {
        std::unique_lock<std::mutex> lock(m_);
        start_.wait(lock, [&] { return quit_ || (open_ && generation_ != seen); });
        if (quit_) return;
        seen = generation_;
        ++active_;  // only while the job is open: finish() then waits for this thread
      }
      work();
      std::lock_guard<std::mutex> lock(m_);
      if (--active_ == 0) done_.notify_one();
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
  std::function<void(size_t)> job_;
  size_t n_ = 0, active_ = 0;
  std::atomic<size_t> next_{0};
  unsigned long generation_ = 0;
  bool open_ = false, quit_ = false;
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
  std::exception_ptr fault;        // a fault of this hour's meteorology, reported in its turn
  std::atomic<bool> ready{false};  // the profiles and source values are set
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

// The receptors of an hour are handed out in blocks of this many.
constexpr size_t kReceptorBlock = 4;

// Hours computed together, and the hours read with them in the order of the meteorology (days
// left out have no slot).
struct Batch {
  static constexpr size_t kNone = ~size_t{0};
  struct Step {
    HourStamp t;
    size_t slot = kNone;
  };
  std::vector<HourSlot> slots;
  std::vector<Step> steps;
  size_t used = 0;

  // The items of the batch's job: the preparation of each hour, then its receptors by blocks.
  size_t items(size_t receptors) const {
    return used * (1 + (receptors + kReceptorBlock - 1) / kReceptorBlock);
  }
  // Item k of the job: it reaches the receptors of an hour only once that hour is prepared (by
  // a thread that took the hour's first item earlier).
  void compute(size_t k, const Deck& d, const MetData& met) {
    if (k < used) {
      prepareSlot(slots[k], d, met);
      slots[k].ready.store(true, std::memory_order_release);
      return;
    }
    const size_t nr = d.receptors.size(), blocks = (nr + kReceptorBlock - 1) / kReceptorBlock;
    k -= used;
    HourSlot& s = slots[k / blocks];
    while (!s.ready.load(std::memory_order_acquire)) std::this_thread::yield();
    if (s.fault || s.kind != HourKind::Computed) return;
    const size_t from = k % blocks * kReceptorBlock, to = std::min(nr, from + kReceptorBlock);
    for (size_t i = 0; i < s.on.size(); ++i)
      if (s.on[i])
        for (size_t r = from; r < to; ++r)
          s.conc[i][r] = concentration(s.profiles(i), s.hourly[i], s.sh[i], d.receptors[r].r);
  }
};

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
    // With several threads a batch of hours is computed while the one before is averaged, its
    // messages and checks following hour by hour, in order (each batch holds at most 16 MB of
    // results).
    const size_t batch =
        threads > 1 ? std::clamp<size_t>((size_t{1} << 21) / std::max<size_t>(1, ns * nr), 1, 64)
                    : 1;
    Batch batches[2];
    for (Batch& b : batches) {
      b.slots = std::vector<HourSlot>(batch);
      for (HourSlot& s : b.slots) {
        s.hourly = d.sources;
        s.on.assign(ns, 0);
        s.sh.resize(ns);
        s.conc.assign(ns, std::vector<double>(nr, 0.0));
      }
    }
    // A run that stops leaves no thread working on the batches.
    struct Cancel {
      Workers& w;
      ~Cancel() { w.cancel(); }
    } cancel{workers};
    // KUVAMOD_PROGRESS=1: a line "kuvamod: hour N of M" on standard error after every hour, for
    // a front end's progress bar.
    const bool progress = std::getenv("KUVAMOD_PROGRESS") != nullptr;
    // The averaging, checks and messages of a computed batch, hour by hour.
    auto consume = [&](Batch& b) {
      for (const Batch::Step& st : b.steps) {
        if (st.slot == Batch::kNone) {
          avg.skipped();
          avg.clock(st.t);
          continue;
        }
        const HourSlot& slot = b.slots[st.slot];
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
      b.steps.clear();
      b.used = 0;
    };
    // The batch being filled is computed while the one computed before is averaged.
    Batch* filling = &batches[0];
    Batch* computed = nullptr;
    auto cycle = [&] {
      Batch& b = *filling;
      workers.start(b.items(nr), [&b, &d, &met](size_t k) { b.compute(k, d, met); });
      if (computed) consume(*computed);
      workers.finish();
      filling = computed ? computed : &batches[1];
      computed = &b;
    };
    long lastKey = 0;
    for (const MetHour& raw : met.hours) {
      const long key = dateKey(raw.sfc);
      if (d.start && key < d.start) continue;
      if (d.end && key > d.end) break;
      lastKey = key;
      Batch::Step st;
      st.t = {static_cast<int>(key / 1000000), raw.sfc.month, raw.sfc.day, raw.sfc.hour};
      const int j = julianDay(st.t.year, st.t.month, st.t.day);
      if (days[isLeap(st.t.year) ? 1 : 0][static_cast<size_t>(j)]) {
        HourSlot& slot = filling->slots[filling->used];
        slot.raw = &raw;
        slot.t = st.t;
        slot.fault = nullptr;
        slot.ready.store(false, std::memory_order_relaxed);
        st.slot = filling->used++;
      }
      filling->steps.push_back(st);
      if (filling->used == batch) cycle();
    }
    if (!filling->steps.empty()) cycle();
    if (computed) consume(*computed);
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
