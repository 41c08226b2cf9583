#include "mod/run.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <memory>
#include <thread>
#include <vector>

#include "mod/deck.h"
#include "mod/errors.h"
#include "mod/met.h"
#include "mod/output.h"
#include "mod/profiles.h"

namespace mod {

namespace {

struct OpenFile {
  std::unique_ptr<std::ofstream> out;
  std::string path;
};

OpenFile openOutput(const std::string& path, std::vector<std::string>& created) {
  created.push_back(path);
  OpenFile f{std::make_unique<std::ofstream>(path, std::ios::binary | std::ios::trunc), path};
  if (!*f.out) throw InputError("cannot write the output file \"" + path + "\"");
  return f;
}

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
  s += d.defaultOptions ? "RegDFAULT  CONC  ELEV  RURAL" : "NonDFAULT  CONC  FLAT  RURAL";
  if (met.adjustedUstar) s += "  ADJ_U*";
  return s;
}

void writeHeader(std::ostream& o, const Deck& d, const MetData& met, const std::string& what,
                 const std::string& format, bool plot) {
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
}

long printedDate(const SurfaceRecord& s) {
  return ((static_cast<long>(s.year % 100) * 100 + s.month) * 100 + s.day) * 100 + s.hour;
}

// Concentrations of every source at every receptor for one hour, receptors split between
// threads (each value is computed the same way whichever thread computes it).
void computeHour(const Deck& d, const HourProfiles& h, std::vector<std::vector<double>>& conc,
                 unsigned threads) {
  std::vector<SourceHour> sh;
  for (const PointSource& s : d.sources) sh.push_back(setupSource(h, s, d.profileBase));
  const size_t nr = d.receptors.size();
  auto work = [&](size_t from, size_t to) {
    for (size_t i = 0; i < d.sources.size(); ++i)
      for (size_t r = from; r < to; ++r)
        conc[i][r] = concentration(h, d.sources[i], sh[i], d.receptors[r].r);
  };
  if (threads <= 1 || nr < 64) {
    work(0, nr);
    return;
  }
  std::vector<std::thread> pool;
  const size_t chunk = (nr + threads - 1) / threads;
  for (unsigned t = 1; t < threads; ++t) {
    const size_t from = std::min(nr, t * chunk), to = std::min(nr, (t + 1) * chunk);
    if (from < to) pool.emplace_back(work, from, to);
  }
  work(0, std::min(nr, chunk));
  for (std::thread& t : pool) t.join();
}

// The state of a run between hours: open hourly files, the running maxima per group.
class Run {
 public:
  Run(const Deck& d, const MetData& met, std::vector<std::string>& created)
      : d_(d), met_(met), created_(created), nr_(d.receptors.size()) {
    conc_.assign(d.sources.size(), std::vector<double>(nr_, 0.0));
    best_.assign(d.groups.size(), std::vector<double>(nr_, 0.0));
    bestDate_.assign(d.groups.size(), std::vector<long>(nr_, 0));
    groupValue_.resize(nr_);
    for (const OutputFile& f : d.postFiles) {
      std::vector<LineFields> columns;
      for (const ReceptorEntry& e : d.receptors) columns.push_back(fields(e, f.group, 0.0, 0));
      postLines_.emplace_back(columns, d.expFormat);
      posts_.push_back(openOutput(f.path, created));
      writeHeader(*posts_.back().out, d, met,
                  "POST/PLOT FILE OF CONCURRENT  1-HR VALUES FOR SOURCE GROUP: " +
                      padTo(d.groups[f.group].id, 8),
                  postFormat(d.expFormat), false);
    }
  }

  void hour(const MetHour& mh, RunSummary& sum, unsigned threads) {
    const HourProfiles h = prepareHour(mh, met_.adjustedUstar, d_.profileBase);
    if (h.status == HourStatus::Computed) {
      computeHour(d_, h, conc_, threads);
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
        buffer_.clear();
        postLines_[p].appendHour(buffer_, groupValue_, date);
        posts_[p].out->write(buffer_.data(), static_cast<std::streamsize>(buffer_.size()));
      }
    }
  }

  void finish(const std::string& deckPath) {
    std::vector<OpenFile> plots;
    for (const OutputFile& f : d_.plotFiles) {
      plots.push_back(openOutput(f.path, created_));
      std::ostream& o = *plots.back().out;
      writeHeader(o, d_, met_,
                  "PLOT FILE OF  HIGH   1ST HIGH  1-HR VALUES FOR SOURCE GROUP: " +
                      padTo(d_.groups[f.group].id, 8),
                  plotFormat(d_.expFormat), true);
      for (size_t r = 0; r < nr_; ++r)
        o << plotLine(fields(d_.receptors[r], f.group, best_[f.group][r], bestDate_[f.group][r]),
                      d_.expFormat)
          << '\n';
    }
    for (auto* files : {&posts_, &plots})
      for (OpenFile& f : *files) {
        f.out->flush();
        if (!*f.out) throw InputError("writing \"" + f.path + "\" failed (disk full?)");
      }
    if (!d_.errorFile.empty()) {
      OpenFile f = openOutput(d_.errorFile, created_);
      *f.out << "kuvamod messages for " << deckPath << '\n';
      for (const std::string& m : messages_) *f.out << m << '\n';
    }
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
  std::vector<std::string>& created_;
  const size_t nr_;
  std::vector<OpenFile> posts_;
  std::vector<PostLines> postLines_;
  std::vector<std::vector<double>> conc_, best_;
  std::vector<std::vector<long>> bestDate_;
  std::vector<double> groupValue_;
  std::vector<std::string> messages_;
  std::string buffer_;
};

}  // namespace

RunSummary runDeck(const std::string& deckPath, std::ostream& log, unsigned threads) {
  RunSummary sum;
  std::vector<std::string> created;  // removed again when the run fails part-way
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
    if (threads == 0) threads = std::max(1u, std::thread::hardware_concurrency());
    Run run(d, met, created);
    // KUVAMOD_PROGRESS=1: a line "kuvamod: hour N of M" on standard error after every hour, for
    // a front end's progress bar.
    const bool progress = std::getenv("KUVAMOD_PROGRESS") != nullptr;
    for (const MetHour& mh : met.hours) {
      ++sum.hours;
      run.hour(mh, sum, threads);
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
  if (sum.exitCode != 0)
    for (const std::string& p : created) std::remove(p.c_str());
  return sum;
}

}  // namespace mod
