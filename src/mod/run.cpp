#include "mod/run.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <functional>
#include <memory>
#include <mutex>
#include <sstream>
#include <system_error>
#include <thread>
#include <vector>

#include "core/file_io.h"
#include "mod/deck.h"
#include "mod/errors.h"
#include "mod/met.h"
#include "mod/output.h"
#include "mod/profiles.h"
#include "mod/urban.h"

namespace mod {

namespace {

// An output file under construction: written to a temporary file beside the target and put in
// place only when the whole run has succeeded, so that a failed run leaves every file as it was.
class Output {
 public:
  explicit Output(const std::string& path) {
    if (std::string e = file_.open(path); !e.empty()) throw InputError(e);
  }
  std::string& buffer() { return buffer_; }
  // Writes the buffer out once it holds a few megabytes (or always, with `all`).
  void flush(bool all = false) {
    if (!all && buffer_.size() < (4u << 20)) return;
    if (std::string e = file_.write(buffer_); !e.empty()) throw InputError(e);
    buffer_.clear();
  }
  void commit() {
    flush(true);
    if (std::string e = file_.commit(); !e.empty()) throw InputError(e);
  }

 private:
  core::AtomicFile file_;
  std::string buffer_;
};

std::string stamp(const char* format) {
  char buf[32];
  const std::time_t now = std::time(nullptr);
  std::tm tm{};
  localtime_r(&now, &tm);
  std::strftime(buf, sizeof buf, format, &tm);
  return buf;
}

std::string padTo(std::string s, size_t width) {
  s.resize(std::max(s.size(), width), ' ');
  return s;
}

std::string optionsLine(const Deck& d, const MetData& met) {
  std::string s = "* MODELING OPTIONS USED:   ";
  s += d.defaultOptions ? "RegDFAULT  CONC  ELEV" : "NonDFAULT  CONC  FLAT";
  s += d.urban.on ? "  URBAN" : "  RURAL";
  if (met.adjustedUstar) s += "  ADJ_U*";
  return s;
}

void writeHeader(std::string& out, const Deck& d, const MetData& met, const std::string& what,
                 const std::string& format, bool plot) {
  std::ostringstream o;
  o << padTo("* KUVAMOD:  " + d.title1, 92) << stamp("%m/%d/%y") << '\n';
  o << padTo("* " + d.title2, 92) << stamp("%H:%M:%S") << '\n';
  o << optionsLine(d, met) << '\n';
  o << "*         " << what << '\n';
  char buf[64];
  std::snprintf(buf, sizeof buf, "*         FOR A TOTAL OF %5zu RECEPTORS.", d.receptors.size());
  o << buf << '\n';
  o << "*         FORMAT: " << format << '\n';
  if (plot) {
    o << "*        X             Y      AVERAGE CONC    ZELEV    ZHILL    ZFLAG    AVE     GRP "
         "      RANK     NET ID   DATE(CONC)\n"
      << "* ____________  ____________  ____________   ______   ______   ______  ______  "
         "________  ________  ________  ________\n";
  } else {
    o << "*        X             Y      AVERAGE CONC    ZELEV    ZHILL    ZFLAG    AVE     GRP "
         "      DATE     NET ID\n"
      << "* ____________  ____________  ____________   ______   ______   ______  ______  "
         "________  ________  ________\n";
  }
  out += o.str();
}

long printedDate(const SurfaceRecord& s) {
  return ((static_cast<long>(s.year % 100) * 100 + s.month) * 100 + s.day) * 100 + s.hour;
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

  // Calls job(i) for every i in [0, n), in parallel; returns when all are done.
  void run(size_t n, const std::function<void(size_t)>& job) {
    if (pool_.empty() || n < 16) {
      for (size_t i = 0; i < n; ++i) job(i);
      return;
    }
    {
      std::lock_guard<std::mutex> lock(m_);
      job_ = &job;
      n_ = n;
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
  static constexpr size_t kBlock = 4;

  void work() {
    for (;;) {
      const size_t from = next_.fetch_add(kBlock);
      if (from >= n_) return;
      for (size_t i = from; i < std::min(n_, from + kBlock); ++i) (*job_)(i);
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
  size_t n_ = 0, busy_ = 0;
  std::atomic<size_t> next_{0};
  unsigned long generation_ = 0;
  bool quit_ = false;
};

// Concentrations of every source at every receptor for one hour. Urban sources see the urban
// profiles `hu` when the hour has an urban layer (else null).
void computeHour(const Deck& d, const HourProfiles& h, const HourProfiles* hu,
                 std::vector<std::vector<double>>& conc, Workers& workers) {
  std::vector<const HourProfiles*> hp;
  std::vector<SourceHour> sh;
  for (const PointSource& s : d.sources) {
    hp.push_back(hu && s.urban ? hu : &h);
    sh.push_back(setupSource(*hp.back(), s, d.profileBase));
  }
  workers.run(d.receptors.size(), [&](size_t r) {
    for (size_t i = 0; i < d.sources.size(); ++i)
      conc[i][r] = concentration(*hp[i], d.sources[i], sh[i], d.receptors[r].r);
  });
}

// The state of a run between hours: open hourly files, the running maxima per group.
class Run {
 public:
  // Every output is opened before the first hour, so that a file that cannot be written is
  // found before anything is computed.
  Run(const Deck& d, const MetData& met) : d_(d), met_(met), nr_(d.receptors.size()) {
    conc_.assign(d.sources.size(), std::vector<double>(nr_, 0.0));
    best_.assign(d.groups.size(), std::vector<double>(nr_, 0.0));
    bestDate_.assign(d.groups.size(), std::vector<long>(nr_, 0));
    groupValue_.resize(nr_);
    for (const OutputFile& f : d.postFiles) {
      std::vector<LineFields> columns;
      for (const ReceptorEntry& e : d.receptors) columns.push_back(fields(e, f.group, 0.0, 0));
      postLines_.emplace_back(columns, d.expFormat);
      posts_.push_back(std::make_unique<Output>(f.path));
      writeHeader(posts_.back()->buffer(), d, met,
                  "POST/PLOT FILE OF CONCURRENT  1-HR VALUES FOR SOURCE GROUP: " +
                      padTo(d.groups[f.group].id, 8),
                  postFormat(d.expFormat), false);
    }
    for (const OutputFile& f : d.plotFiles) plots_.push_back(std::make_unique<Output>(f.path));
    if (!d.errorFile.empty()) errors_ = std::make_unique<Output>(d.errorFile);
  }

  void hour(const MetHour& mh, RunSummary& sum, Workers& workers) {
    const HourProfiles h = prepareHour(mh, met_.adjustedUstar, d_.profileBase);
    if (h.status == HourStatus::Computed) {
      HourProfiles urban;
      const bool urbanHour = d_.urban.on && urbanProfiles(h, mh, d_.urban.population, d_.urban.z0,
                                                          d_.profileBase, d_.surfaceFile, urban);
      computeHour(d_, h, urbanHour ? &urban : nullptr, conc_, workers);
      for (size_t i = 0; i < conc_.size(); ++i)
        for (size_t r = 0; r < nr_; ++r)
          if (!std::isfinite(conc_[i][r]))
            throw fileError(d_.surfaceFile, mh.sfc.line,
                            "source " + d_.sources[i].id + ", receptor " + std::to_string(r + 1) +
                                ": no finite concentration from this hour's meteorology");
    } else {
      for (auto& c : conc_) std::fill(c.begin(), c.end(), 0.0);
      const bool calm = h.status == HourStatus::Calm;
      ++(calm ? sum.calm : sum.missing);
      messages_.push_back(std::string(calm ? "calm" : "missing") + " hour " +
                          std::to_string(dateKey(mh.sfc)) + " (surface file line " +
                          std::to_string(mh.sfc.line) + "): concentrations 0");
    }
    const long date = printedDate(mh.sfc);
    for (size_t g = 0; g < d_.groups.size(); ++g) {
      // A group is the sum of its sources in source order; ties keep the earlier maximum.
      for (size_t r = 0; r < nr_; ++r) {
        double v = 0.0;
        for (size_t i : d_.groups[g].members) v += conc_[i][r];
        groupValue_[r] = v;
        if (v > best_[g][r]) {
          best_[g][r] = v;
          bestDate_[g][r] = date;
        }
      }
      for (size_t p = 0; p < d_.postFiles.size(); ++p) {
        if (d_.postFiles[p].group != g) continue;
        postLines_[p].appendHour(posts_[p]->buffer(), groupValue_, date);
        posts_[p]->flush();
      }
    }
  }

  // Writes the highest values and the message file, then puts every output in place.
  void finish(const std::string& deckPath) {
    for (size_t p = 0; p < d_.plotFiles.size(); ++p) {
      const OutputFile& f = d_.plotFiles[p];
      std::string& o = plots_[p]->buffer();
      writeHeader(o, d_, met_,
                  "PLOT FILE OF  HIGH   1ST HIGH  1-HR VALUES FOR SOURCE GROUP: " +
                      padTo(d_.groups[f.group].id, 8),
                  plotFormat(d_.expFormat), true);
      for (size_t r = 0; r < nr_; ++r) {
        o += plotLine(fields(d_.receptors[r], f.group, best_[f.group][r], bestDate_[f.group][r]),
                      d_.expFormat);
        o += '\n';
      }
    }
    if (errors_) {
      std::string& o = errors_->buffer();
      o += "kuvamod messages for " + deckPath + '\n';
      for (const std::string& m : messages_) o += m + '\n';
    }
    for (auto& f : posts_) f->commit();
    for (auto& f : plots_) f->commit();
    if (errors_) errors_->commit();
  }

 private:
  // With flat terrain every elevation column shows the base of the met profile.
  LineFields fields(const ReceptorEntry& e, size_t group, double conc, long date) const {
    return {e.r.x,
            e.r.y,
            conc,
            d_.defaultOptions ? e.zelev : d_.profileBase,
            d_.defaultOptions ? e.zhill : d_.profileBase,
            e.r.zflag,
            d_.groups[group].id,
            e.network,
            date};
  }

  const Deck& d_;
  const MetData& met_;
  const size_t nr_;
  std::vector<std::unique_ptr<Output>> posts_, plots_;
  std::unique_ptr<Output> errors_;
  std::vector<PostLines> postLines_;
  std::vector<std::vector<double>> conc_, best_;
  std::vector<std::vector<long>> bestDate_;
  std::vector<double> groupValue_;
  std::vector<std::string> messages_;
};

}  // namespace

RunSummary runDeck(const std::string& deckPath, std::ostream& log, unsigned threads) {
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
    Run run(d, met);
    Workers workers(threads);
    // KUVAMOD_PROGRESS=1: a line "kuvamod: hour N of M" on standard error after every hour, for
    // a front end's progress bar.
    const bool progress = std::getenv("KUVAMOD_PROGRESS") != nullptr;
    for (const MetHour& mh : met.hours) {
      ++sum.hours;
      run.hour(mh, sum, workers);
      if (progress) std::fprintf(stderr, "kuvamod: hour %ld of %zu\n", sum.hours, met.hours.size());
    }
    run.finish(deckPath);
    log << "kuvamod: " << sum.hours << " hours (" << sum.calm << " calm, " << sum.missing
        << " missing), " << d.receptors.size() << " receptors, " << d.sources.size()
        << " sources\n";
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
