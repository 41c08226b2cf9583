#include "mod/run.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
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
    if (threads == 0) threads = std::max(1u, std::thread::hardware_concurrency());

    std::vector<OpenFile> posts, plots;
    std::vector<PostLines> postLines;
    for (const OutputFile& f : d.postFiles) {
      std::vector<LineFields> columns;
      for (const ReceptorEntry& e : d.receptors)
        columns.push_back({e.r.x, e.r.y, 0.0, d.defaultOptions ? e.zelev : d.profileBase,
                           d.defaultOptions ? e.zhill : d.profileBase, e.r.zflag,
                           d.groups[f.group].id, e.network, 0});
      postLines.emplace_back(columns, d.expFormat);
      posts.push_back(openOutput(f.path, created));
      writeHeader(*posts.back().out, d, met,
                  "POST/PLOT FILE OF CONCURRENT  1-HR VALUES FOR SOURCE GROUP: " +
                      padTo(d.groups[f.group].id, 8),
                  postFormat(d.expFormat), false);
    }
    const size_t nr = d.receptors.size(), ng = d.groups.size();
    std::vector<std::vector<double>> conc(d.sources.size(), std::vector<double>(nr, 0.0));
    std::vector<std::vector<double>> best(ng, std::vector<double>(nr, 0.0));
    std::vector<std::vector<long>> bestDate(ng, std::vector<long>(nr, 0));
    std::vector<std::string> messages;
    std::vector<double> groupValue(nr);
    std::string buffer;

    for (const MetHour& mh : met.hours) {
      ++sum.hours;
      const HourProfiles h = prepareHour(mh, met.adjustedUstar, d.profileBase);
      const long date = printedDate(mh.sfc);
      if (h.status == HourStatus::Computed) {
        computeHour(d, h, conc, threads);
        for (size_t i = 0; i < conc.size(); ++i)
          for (size_t r = 0; r < nr; ++r)
            if (!std::isfinite(conc[i][r]))
              throw fileError(d.surfaceFile, mh.sfc.line,
                              "source " + d.sources[i].id + ", receptor " + std::to_string(r + 1) +
                                  ": no finite concentration from this hour's meteorology");
      } else {
        for (auto& c : conc) std::fill(c.begin(), c.end(), 0.0);
        const bool calm = h.status == HourStatus::Calm;
        ++(calm ? sum.calm : sum.missing);
        messages.push_back(std::string(calm ? "calm" : "missing") + " hour " +
                           std::to_string(dateKey(mh.sfc)) + " (surface file line " +
                           std::to_string(mh.sfc.line) + "): concentrations 0");
      }
      for (size_t g = 0; g < ng; ++g) {
        for (size_t r = 0; r < nr; ++r) {
          double v = 0.0;
          for (size_t i : d.groups[g].members) v += conc[i][r];
          groupValue[r] = v;
          if (v > best[g][r]) {
            best[g][r] = v;
            bestDate[g][r] = date;
          }
        }
        for (size_t p = 0; p < d.postFiles.size(); ++p) {
          if (d.postFiles[p].group != g) continue;
          buffer.clear();
          postLines[p].appendHour(buffer, groupValue, date);
          posts[p].out->write(buffer.data(), static_cast<std::streamsize>(buffer.size()));
        }
      }
    }
    for (size_t p = 0; p < d.plotFiles.size(); ++p) {
      const size_t g = d.plotFiles[p].group;
      plots.push_back(openOutput(d.plotFiles[p].path, created));
      std::ostream& o = *plots.back().out;
      writeHeader(o, d, met,
                  "PLOT FILE OF  HIGH   1ST HIGH  1-HR VALUES FOR SOURCE GROUP: " +
                      padTo(d.groups[g].id, 8),
                  plotFormat(d.expFormat), true);
      for (size_t r = 0; r < nr; ++r) {
        const ReceptorEntry& e = d.receptors[r];
        const double zelev = d.defaultOptions ? e.zelev : d.profileBase;
        const double zhill = d.defaultOptions ? e.zhill : d.profileBase;
        o << plotLine({e.r.x, e.r.y, best[g][r], zelev, zhill, e.r.zflag, d.groups[g].id, e.network,
                       bestDate[g][r]},
                      d.expFormat)
          << '\n';
      }
    }
    for (auto* files : {&posts, &plots})
      for (OpenFile& f : *files) {
        f.out->flush();
        if (!*f.out) throw InputError("writing \"" + f.path + "\" failed (disk full?)");
      }
    if (!d.errorFile.empty()) {
      OpenFile f = openOutput(d.errorFile, created);
      *f.out << "kuvamod messages for " << deckPath << '\n';
      for (const std::string& m : messages) *f.out << m << '\n';
    }
    log << "kuvamod: " << sum.hours << " hours (" << sum.calm << " calm, " << sum.missing
        << " missing), " << nr << " receptors, " << d.sources.size() << " sources\n";
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
