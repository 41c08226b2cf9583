#include "mod/outputs_files.h"

#include <algorithm>
#include <cmath>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <deque>
#include <exception>
#include <mutex>
#include <system_error>
#include <thread>

#ifdef __linux__
#include <fcntl.h>
#endif

#include "core/file_io.h"
#include "mod/errors.h"
#include "mod/output.h"

namespace mod {

namespace {

std::string fixed(double v, int width, int decimals) { return formatFixed(v, width, decimals); }

// Fortran Aw: a shorter text is right-justified, a longer one cut.
std::string aw(const std::string& s, size_t w) {
  return s.size() >= w ? s.substr(0, w) : std::string(w - s.size(), ' ') + s;
}
// Names (groups, networks) are 8-character texts padded on the right.
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
std::string intw(long v, int w) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%*ld", w, v);
  return buf;
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

const char* kPostTitles =
    "*        X             Y      AVERAGE CONC    ZELEV    ZHILL    ZFLAG    AVE     GRP       "
    "DATE     NET ID";
const char* kPostRules =
    "* ____________  ____________  ____________   ______   ______   ______  ______  ________  "
    "________  ________";
const char* kPlotTitles =
    "*        X             Y      AVERAGE CONC    ZELEV    ZHILL    ZFLAG    AVE     GRP       "
    "RANK     NET ID   DATE(CONC)";
const char* kPlotRules =
    "* ____________  ____________  ____________   ______   ______   ______  ______  ________  "
    "________  ________  ________";

}  // namespace

std::string formatG12(double v) {
  const double a = std::fabs(v);
  if (a >= 0.1 && a < 1.0e4) {
    int before = a < 1 ? 0 : (a < 10 ? 1 : (a < 100 ? 2 : (a < 1000 ? 3 : 4)));
    char buf[32];
    if (before == 4)
      std::snprintf(buf, sizeof buf, "%7.0f.", v);
    else
      std::snprintf(buf, sizeof buf, "%8.*f", 4 - before, v);
    return std::string(buf) + "    ";
  }
  if (v == 0.0) return "  0.0000E+00";
  char buf[32];
  std::snprintf(buf, sizeof buf, "%.3E", a);  // d.dddE±xx
  const int exponent = std::atoi(std::strchr(buf, 'E') + 1) + 1;
  char out[32];
  std::snprintf(out, sizeof out, "%s0.%c%c%c%cE%c%02d", v < 0 ? "-" : "", buf[0], buf[2], buf[3],
                buf[4], exponent < 0 ? '-' : '+', std::abs(exponent));
  return aw(out, 12);
}

// Formats the hourly lines and writes full buffers in the background, in the order they were
// handed over, while the run goes on; the run waits only when the disk falls behind. Each sink's
// text waits in its `pending` buffer, which only this thread touches until drain() has returned;
// a sink's error is set here and read by the run only after drain().
class OutputFiles::Writer {
 public:
  explicit Writer(const OutputFiles& files) : files_(files), thread_([this] { loop(); }) {}
  Writer(const Writer&) = delete;
  Writer& operator=(const Writer&) = delete;
  // Stops without writing what still waits (the run failed, or everything was drained).
  ~Writer() {
    {
      std::lock_guard<std::mutex> lock(m_);
      quit_ = true;
    }
    ready_.notify_one();
    thread_.join();
  }

  // Queues `bytes` for `s` and leaves `bytes` empty.
  void push(Sink& s, std::string& bytes) {
    Job job{&s, std::move(bytes), {}, {}};
    bytes.clear();
    queue(std::move(job));
  }
  // Queues one line per receptor with the values and the middle columns `mid` of a block end.
  void pushLines(Sink& s, std::string mid, const double* values, size_t n) {
    queue({&s, {}, std::move(mid), std::vector<double>(values, values + n)});
  }
  // Returns when everything queued is formatted and written, but for the last part of each
  // sink's text (in `pending`).
  void drain() {
    std::unique_lock<std::mutex> lock(m_);
    changed_.wait(lock, [this] { return queue_.empty() && !busy_; });
  }

 private:
  static constexpr size_t kWaiting = 64;
  struct Job {
    Sink* sink;
    std::string bytes;
    std::string mid;  // with `values`: hourly lines to format
    std::vector<double> values;
  };
  void queue(Job&& job) {
    {
      std::unique_lock<std::mutex> lock(m_);
      changed_.wait(lock, [this] { return queue_.size() < kWaiting; });
      queue_.push_back(std::move(job));
    }
    ready_.notify_one();
  }
  void loop();

  const OutputFiles& files_;
  std::mutex m_;
  std::condition_variable ready_, changed_;
  std::deque<Job> queue_;
  bool busy_ = false, quit_ = false;
  std::thread thread_;  // last: started when everything above is ready
};

struct OutputFiles::Sink {
  OutputFile card;
  enum Kind { Post, Plot, Maxi, Rank, MaxDaily, Mxdy, Summ } kind = Post;
  core::AtomicFile file;
  std::string buf;
  std::string pending;  // text handed to the writer and not yet written
  std::string error;
  Writer* writer = nullptr;
  static constexpr off_t kStartWriting = off_t{8} << 20;
  off_t written = 0, started = 0;  // bytes written, and those the disk was asked to write

  void put(const std::string& s) {
    buf += s;
    if (buf.size() > (1u << 20)) flush();
  }
  void flush() {
    if (buf.empty()) return;
    if (writer) {
      writer->push(*this, buf);
      return;
    }
    write(buf);
  }
  void write(std::string& bytes) {
    if (error.empty() && !bytes.empty()) {
      error = file.write(bytes);
#ifdef __linux__
      // The disk starts on what is written while the run goes on, so that little is left for the
      // flush before the file is put in place (a hint only: a fault of the disk shows in the
      // writes and in that flush).
      written += static_cast<off_t>(bytes.size());
      if (error.empty() && written - started >= kStartWriting) {
        ::sync_file_range(file.fd(), started, written - started, SYNC_FILE_RANGE_WRITE);
        started = written;
      }
#endif
    }
    bytes.clear();
  }
};

void OutputFiles::Writer::loop() {
  for (;;) {
    Job job;
    {
      std::unique_lock<std::mutex> lock(m_);
      ready_.wait(lock, [this] { return quit_ || !queue_.empty(); });
      if (quit_) return;
      job = std::move(queue_.front());
      queue_.pop_front();
      busy_ = true;
    }
    changed_.notify_all();
    Sink& s = *job.sink;
    try {
      if (job.values.empty())
        s.pending += job.bytes;
      else
        files_.postLines(s.pending, job.mid, job.values.data());
      if (s.pending.size() > (1u << 20)) s.write(s.pending);
    } catch (const std::exception& e) {  // no memory left: the file is incomplete
      if (s.error.empty()) s.error = e.what();
      s.pending.clear();
    }
    {
      std::lock_guard<std::mutex> lock(m_);
      busy_ = false;
    }
    changed_.notify_all();
  }
}

OutputFiles::OutputFiles(const Deck& d, std::string options) : d_(d), options_(std::move(options)) {
  for (const ReceptorEntry& e : d.receptors) {
    receptorColumns_.push_back(" " + formatF13(e.r.x) + " " + formatF13(e.r.y));
    const double ze = d.defaultOptions ? e.zelev : d.profileBase;
    const double zh = d.defaultOptions ? e.zhill : d.profileBase;
    elevColumns_.push_back(" " + fixed(ze, 8, 2) + " " + fixed(zh, 8, 2) + " " +
                           fixed(e.r.zflag, 8, 2));
    networkColumns_.push_back(name8(e.network) + "\n");
  }
}

OutputFiles::~OutputFiles() = default;

void OutputFiles::useWriter() {
  if (writer_) return;
  try {
    writer_ = std::make_unique<Writer>(*this);
  } catch (const std::system_error&) {
    return;  // no thread to spare: the lines are written as they come
  }
  for (auto& sp : sinks_) sp->writer = writer_.get();
}

bool OutputFiles::fixOverflow() {
  if (writer_) writer_->drain();
  return overflow_.load();
}

void OutputFiles::postLines(std::string& out, const std::string& mid, const double* values) const {
  // Appended piece by piece: a year of 1-hour lines is millions of them.
  for (size_t r = 0; r < d_.receptors.size(); ++r) {
    out += receptorColumns_[r];
    out += ' ';
    out += conc(values[r]);
    out += elevColumns_[r];
    out += mid;
    out += networkColumns_[r];
  }
}

// A value too large for F13.5 is written as E13.6 in the same 13 columns instead of asterisks.
std::string OutputFiles::conc(double v) const {
  if (d_.expFormat) return formatE13(v);
  std::string f = formatF13(v);
  if (f[0] == '*' && std::isfinite(v)) {
    overflow_ = true;
    return formatE13(v);
  }
  return f;
}

void OutputFiles::header(Sink& s, const std::string& what, bool receptors,
                         const std::string& format, const std::string& titles,
                         const std::string& rules) {
  std::string h = padTo("* KUVAMOD:  " + d_.title1, 92) + stamp("%m/%d/%y") + "\n";
  h += padTo("* " + d_.title2, 92) + stamp("%H:%M:%S") + "\n";
  h += "* MODELING OPTIONS USED:   " + options_ + "\n";
  h += "*         " + what + "\n";
  if (receptors) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "*         FOR A TOTAL OF %5zu RECEPTORS.", d_.receptors.size());
    h += std::string(buf) + "\n";
  }
  h += "*         FORMAT: " + format + "\n" + titles + "\n" + rules + "\n";
  s.put(h);
}

void OutputFiles::open() {
  auto add = [&](const OutputFile& f, Sink::Kind k) {
    auto s = std::make_unique<Sink>();
    s->card = f;
    s->kind = k;
    s->writer = writer_.get();
    const std::string err = s->file.open(f.path);
    if (!err.empty()) throw InputError("cannot write the output file \"" + f.path + "\": " + err);
    sinks_.push_back(std::move(s));
    return sinks_.back().get();
  };
  const bool e = d_.expFormat;
  const std::string postFmt = postFormat(e);
  for (const OutputFile& f : d_.postFiles) {
    Sink* s = add(f, Sink::Post);
    if (f.period != kLongTerm)
      header(*s,
             "POST/PLOT FILE OF CONCURRENT " + periodLabel(f.period) +
                 " VALUES FOR SOURCE GROUP: " + name8(d_.groups[f.group].id),
             true, postFmt, kPostTitles, kPostRules);
    else if (d_.period)
      header(*s,
             "POST/PLOT FILE OF PERIOD VALUES FOR SOURCE GROUP: " + name8(d_.groups[f.group].id),
             true, postFmt,
             "*        X             Y      AVERAGE CONC    ZELEV    ZHILL    ZFLAG    AVE     "
             "GRP      NUM HRS   NET ID",
             kPostRules);
  }
  for (const OutputFile& f : d_.plotFiles) add(f, Sink::Plot);
  for (const OutputFile& f : d_.maxiFiles) {
    Sink* s = add(f, Sink::Maxi);
    const std::string p = f.period == kMonth ? "MONTH" : intw(f.period, 2) + "-HR";
    header(*s,
           "MAXI-FILE FOR " + p + " VALUES >= A THRESHOLD OF " + formatG12(f.threshold) +
               "\n*         FOR SOURCE GROUP: " + name8(d_.groups[f.group].id),
           false,
           e ? "(1X,I3,1X,A8,1X,I8.8,2(1X,F13.5),3(1X,F7.2),1X,E13.6)"
             : "(1X,I3,1X,A8,1X,I8.8,2(1X,F13.5),3(1X,F7.2),1X,F13.5)",
           "*AVE   GRP     DATE           X             Y        ZELEV   ZHILL   ZFLAG  AVERAGE "
           "CONC",
           "*___ ________ ________  ____________  ____________  ______  ______  ______  "
           "____________");
  }
  for (const OutputFile& f : d_.rankFiles) add(f, Sink::Rank);
  const std::string dailyFmt =
      e ? "(2(1X,F13.5),1X,E13.6,3(1X,F8.2),2X,A6,2X,A8,2X,I4,2X,I3,2X,I8.8,2X,A8)"
        : "(3(1X,F13.5),3(1X,F8.2),2X,A6,2X,A8,2X,I4,2X,I3,2X,I8.8,2X,A8)";
  const std::string dailyRules =
      "* ____________  ____________  ____________   ______   ______   ______  ______  ________  "
      "____  ___  ________  ________";
  const std::string label = d_.special == 24 ? "24-HR" : "1-HR";
  for (const OutputFile& f : d_.maxDaily)
    header(*add(f, Sink::MaxDaily),
           "MAXDAILY FILE OF DAILY MAXIMUM " + label +
               " VALUES BY DAY FOR SOURCE GROUP: " + name8(d_.groups[f.group].id),
           true, dailyFmt,
           "*        X             Y      AVERAGE CONC    ZELEV    ZHILL    ZFLAG    AVE     GRP "
           "    JDAY   HR    DATE     NET ID",
           dailyRules);
  for (const OutputFile& f : d_.mxdyByYear)
    header(*add(f, Sink::Mxdy),
           "MXDYBYYR FILE OF RANKED DAILY MAXIMUM " + label +
               "  VALUES BY YEAR FOR SOURCE GROUP: " + name8(d_.groups[f.group].id),
           true, dailyFmt,
           "*        X             Y      AVERAGE CONC    ZELEV    ZHILL    ZFLAG    RANK    GRP "
           "    JDAY   HR    DATE     NET ID",
           dailyRules);
  if (!d_.summFile.empty()) summ_ = add({0, 0, 0, 0, d_.summFile, d_.summLine}, Sink::Summ);
}

bool OutputFiles::wantsPost(int period, size_t g) const {
  for (const auto& s : sinks_)
    if (s->kind == Sink::Post && s->card.period == period && s->card.group == g) return true;
  return false;
}

void OutputFiles::blockEnd(int period, size_t g, long date, const double* values, bool maxi) {
  for (auto& sp : sinks_) {
    Sink& s = *sp;
    if (s.card.period != period || s.card.group != g) continue;
    if (s.kind == Sink::Post) {
      const std::string mid = "  " + aw(periodLabel(period), 6) + "  " + name8(d_.groups[g].id) +
                              "  " + digits8(date) + "  ";
      if (writer_) {
        s.flush();  // what the sink holds comes first
        writer_->pushLines(s, mid, values, d_.receptors.size());
        continue;
      }
      postLines(s.buf, mid, values);
      s.put("");
    } else if (s.kind == Sink::Maxi && maxi) {
      const std::string head =
          " " + intw(period, 3) + " " + name8(d_.groups[g].id) + " " + digits8(date);
      for (size_t r = 0; r < d_.receptors.size(); ++r) {
        if (!(values[r] >= s.card.threshold)) continue;
        const ReceptorEntry& e = d_.receptors[r];
        const double ze = d_.defaultOptions ? e.zelev : d_.profileBase;
        const double zh = d_.defaultOptions ? e.zhill : d_.profileBase;
        s.put(head + receptorColumns_[r] + " " + fixed(ze, 7, 2) + " " + fixed(zh, 7, 2) + " " +
              fixed(e.r.zflag, 7, 2) + " " + conc(values[r]) + "\n");
      }
    }
  }
}

void OutputFiles::annualYear(size_t g, int year, const double* values) {
  for (auto& sp : sinks_) {
    Sink& s = *sp;
    if (s.kind != Sink::Post || s.card.period != kLongTerm || s.card.group != g) continue;
    header(s,
           "POST/PLOT FILE OF ANNUAL VALUES FOR YEAR " + intw(year, 3) +
               " FOR SOURCE GROUP: " + name8(d_.groups[g].id),
           true, postFormat(d_.expFormat),
           "*        X             Y      AVERAGE CONC    ZELEV    ZHILL    ZFLAG    AVE     "
           "GRP     YEAR NUM   NET ID",
           kPostRules);
    const std::string mid = "  ANNUAL  " + name8(d_.groups[g].id) + "  " + digits8(year) + "  ";
    for (size_t r = 0; r < d_.receptors.size(); ++r)
      s.put(receptorColumns_[r] + " " + conc(values[r]) + elevColumns_[r] + mid +
            name8(d_.receptors[r].network) + "\n");
  }
}

bool OutputFiles::wantsMaxDaily(size_t g) const {
  for (const auto& s : sinks_)
    if (s->kind == Sink::MaxDaily && s->card.group == g) return true;
  return false;
}
bool OutputFiles::wantsMxdy(size_t g) const {
  for (const auto& s : sinks_)
    if (s->kind == Sink::Mxdy && s->card.group == g) return true;
  return false;
}

void OutputFiles::maxDaily(size_t g, const HourStamp& day, const double* values, const int* hours) {
  const int jday = julianDay(day.year, day.month, day.day);
  const long date = day.kurdat() - day.hour;
  const std::string label = d_.special == 24 ? "24-HR" : "1-HR";
  for (auto& sp : sinks_) {
    Sink& s = *sp;
    if (s.kind != Sink::MaxDaily || s.card.group != g) continue;
    for (size_t r = 0; r < d_.receptors.size(); ++r)
      s.put(receptorColumns_[r] + " " + conc(values[r]) + elevColumns_[r] + "  " + aw(label, 6) +
            "  " + name8(d_.groups[g].id) + "  " + intw(jday, 4) + "  " + intw(hours[r], 3) + "  " +
            digits8(date + hours[r]) + "  " + name8(d_.receptors[r].network) + "\n");
  }
}

void OutputFiles::mxdyByYear(size_t g, int rank, const RankEntry* entries, size_t stride) {
  for (auto& sp : sinks_) {
    Sink& s = *sp;
    if (s.kind != Sink::Mxdy || s.card.group != g) continue;
    for (size_t r = 0; r < d_.receptors.size(); ++r) {
      const RankEntry& e = entries[r * stride];
      // The date is YYMMDDHH: its century is read as the met files are (00–49: 2000s).
      int jday = 0, hour = 0;
      if (e.date != 0) {
        const int yy = static_cast<int>(e.date / 1000000),
                  mm = static_cast<int>(e.date / 10000 % 100),
                  dd = static_cast<int>(e.date / 100 % 100);
        jday = julianDay((yy < 50 ? 2000 : 1900) + yy, mm, dd);
        hour = static_cast<int>(e.date % 100);
      }
      s.put(receptorColumns_[r] + " " + conc(e.v) + elevColumns_[r] + "  " +
            aw(rankLabel(rank), 6) + "  " + name8(d_.groups[g].id) + "  " + intw(jday, 4) + "  " +
            intw(hour, 3) + "  " + digits8(e.date) + "  " + name8(d_.receptors[r].network) + "\n");
    }
  }
}

void OutputFiles::longTerm(size_t g, long count, const double* values) {
  const std::string what = d_.annual ? "ANNUAL" : "PERIOD";
  for (auto& sp : sinks_) {
    Sink& s = *sp;
    if (s.card.period != kLongTerm || s.card.group != g) continue;
    if (s.kind == Sink::Plot) {
      header(s,
             "PLOT FILE OF " + what + " VALUES AVERAGED ACROSS " + intw(d_.annual ? count : 0, 3) +
                 " YEARS FOR SOURCE GROUP: " + name8(d_.groups[g].id),
             true, postFormat(d_.expFormat),
             std::string("*        X             Y      AVERAGE CONC    ZELEV    ZHILL    ZFLAG "
                         "   AVE     GRP      ") +
                 (d_.annual ? "NUM YRS" : "NUM HRS") + "   NET ID",
             kPostRules);
    } else if (s.kind != Sink::Post || d_.annual) {
      continue;  // ANNUAL POSTFILEs were written year by year
    }
    const std::string mid =
        "  " + what + "  " + name8(d_.groups[g].id) + "  " + digits8(count) + "  ";
    for (size_t r = 0; r < d_.receptors.size(); ++r)
      s.put(receptorColumns_[r] + " " + conc(values[r]) + elevColumns_[r] + mid +
            name8(d_.receptors[r].network) + "\n");
  }
}

OutputFiles::Sink* OutputFiles::find(const OutputFile& f) {
  for (auto& s : sinks_)
    if (s->card.path == f.path && s->card.line == f.line) return s.get();
  return nullptr;
}

void OutputFiles::plot(const OutputFile& f, const RankEntry* entries, size_t stride) {
  Sink* s = find(f);
  if (!s) return;
  header(*s,
         "PLOT FILE OF  HIGH " + rankLabel(f.rank) + " HIGH " + periodLabel(f.period) +
             " VALUES FOR SOURCE GROUP: " + name8(d_.groups[f.group].id),
         true, plotFormat(d_.expFormat), kPlotTitles, kPlotRules);
  const std::string mid = "   " + periodLabel(f.period) + "  " + name8(d_.groups[f.group].id) +
                          "  " + rankLabel(f.rank) + "     ";
  for (size_t r = 0; r < d_.receptors.size(); ++r) {
    const RankEntry& e = entries[r * stride];
    s->put(receptorColumns_[r] + " " + conc(e.v) + elevColumns_[r] + mid +
           name8(d_.receptors[r].network) + "  " + intw(e.date, 8) + "\n");
  }
}

void OutputFiles::plotDesign(const OutputFile& f, const double* design, size_t stride,
                             const std::vector<std::vector<RankEntry>>& perYear, size_t offset) {
  Sink* s = find(f);
  if (!s) return;
  const size_t years = perYear.size();
  const std::string label = periodLabel(f.period);
  std::string titles =
      "*        X             Y      AVERAGE CONC    ZELEV    ZHILL    ZFLAG    AVE     GRP       "
      "RANK     NET ID ";
  std::string rules = kPostRules;
  for (size_t y = 1; y <= std::min<size_t>(years, 10); ++y) {
    titles += "  AVER CONC YR" + std::to_string(y) + "  DATE YR" + std::to_string(y);
    rules += "  _____________  ________";
  }
  header(*s,
         "PLOT FILE OF " + rankLabel(f.rank) + "-HIGHEST MAX DAILY " + label +
             " VALUES AVERAGED OVER " + intw(static_cast<long>(years), 3) +
             " YEARS FOR SOURCE GROUP: " + name8(d_.groups[f.group].id),
         true,
         std::string(d_.expFormat ? "(2(1X,F13.5),1X,E13.6" : "(3(1X,F13.5)") +
             ",3(1X,F8.2),2X,A6,2X,A8,2X,A5,5X,A8,2X,10(E13.6,2X,I8.8,2X:))",
         titles, rules);
  const std::string mid = "  " + aw(label, 6) + "  " + name8(d_.groups[f.group].id) + "  " +
                          rankLabel(f.rank) + "     ";
  for (size_t r = 0; r < d_.receptors.size(); ++r) {
    std::string line = receptorColumns_[r] + " " + conc(design[r * stride]) + elevColumns_[r] +
                       mid + name8(d_.receptors[r].network);
    // More than ten years do not fit the line's layout; the average covers them all.
    for (size_t y = 0; y < std::min<size_t>(years, 10); ++y) {
      const RankEntry& e = perYear[y][offset + r * stride];
      line += (y == 0 ? "  " : "  ") + formatE13(e.v) + "  " + digits8(e.date);
    }
    s->put(line + "\n");
  }
}

void OutputFiles::rankFile(const OutputFile& f, const std::vector<RankEntry>& top,
                           size_t maxLength) {
  Sink* s = find(f);
  if (!s) return;
  const bool e = d_.expFormat;
  header(*s,
         "RANK-FILE OF UP TO " + intw(f.rank, 5) + " TOP " + periodLabel(f.period) +
             " VALUES FOR " + intw(static_cast<long>(d_.groups.size()), 5) +
             " SOURCE GROUPS\n*         INCLUDES OVERALL MAXIMUM VALUES WITH DUPLICATE DATA "
             "PERIODS REMOVED",
         false,
         e ? "(1X,I6,1X,E13.6,1X,I8.8,2(1X,F13.5),3(1X,F7.2),2X,A8)"
           : "(1X,I6,1X,F13.5,1X,I8.8,2(1X,F13.5),3(1X,F7.2),2X,A8)",
         "*  RANK  AVERAGE CONC   DATE          X             Y        ZELEV   ZHILL   ZFLAG     "
         "GRP",
         "*_______ ____________ ________  ____________  ____________  ______  ______  ______  "
         "________");
  for (size_t g = 0; g < d_.groups.size(); ++g) {
    std::vector<long> printed;
    int rank = 0;
    for (size_t i = 0; i < static_cast<size_t>(f.rank) && i < maxLength; ++i) {
      const RankEntry& t = top[g * maxLength + i];
      if (t.date == 0) continue;
      if (std::find(printed.begin(), printed.end(), t.date) != printed.end()) continue;
      printed.push_back(t.date);
      const ReceptorEntry& re = d_.receptors[t.receptor];
      const double ze = d_.defaultOptions ? re.zelev : d_.profileBase;
      const double zh = d_.defaultOptions ? re.zhill : d_.profileBase;
      s->put(" " + intw(++rank, 6) + " " + conc(t.v) + " " + digits8(t.date) +
             receptorColumns_[t.receptor] + " " + fixed(ze, 7, 2) + " " + fixed(zh, 7, 2) + " " +
             fixed(re.r.zflag, 7, 2) + "  " + name8(d_.groups[g].id) + "\n");
    }
  }
}

void OutputFiles::summary(const std::string& text) {
  if (summ_) summ_->put(text);
}

void OutputFiles::openText(const std::string& path, int which) {
  auto s = std::make_unique<Sink>();
  s->card.path = path;
  s->kind = Sink::Summ;
  s->writer = writer_.get();
  const std::string err = s->file.open(path);
  if (!err.empty()) throw InputError("cannot write the output file \"" + path + "\": " + err);
  texts_[which] = s.get();
  sinks_.push_back(std::move(s));
}

void OutputFiles::text(int which, const std::string& content) {
  if (texts_[which]) texts_[which]->put(content);
}

void OutputFiles::commit() {
  // Every file is written out before the first is put in place.
  for (auto& s : sinks_) s->flush();
  if (writer_) {
    writer_->drain();
    for (auto& s : sinks_) s->write(s->pending);
  }
  for (auto& s : sinks_)
    if (!s->error.empty()) throw InputError("writing \"" + s->card.path + "\" failed: " + s->error);
  for (auto& s : sinks_) {
    s->error = s->file.commit();
    if (!s->error.empty()) throw InputError("writing \"" + s->card.path + "\" failed: " + s->error);
  }
}

}  // namespace mod
