// The result files of a run in Fortran fixed columns (so that they can be compared line by line
// with those of other programs writing the same layout): POSTFILEs of every averaging period,
// PLOTFILEs of ranked and long-term values, MAXIFILE, RANKFILE, MAXDAILY, MXDYBYYR and the result
// lines of the summary file. Every file is written to a temporary file beside its target and put
// in place only when the whole run succeeds.
#pragma once

#include <atomic>
#include <memory>
#include <string>
#include <vector>

#include "mod/averages.h"
#include "mod/deck.h"

namespace mod {

// Fortran G12.4 (the MAXIFILE threshold).
std::string formatG12(double v);

class OutputFiles {
 public:
  // `options` is the words of the run's options ("NonDFAULT  CONC  FLAT  RURAL  ADJ_U*").
  OutputFiles(const Deck& d, std::string options);
  ~OutputFiles();

  // Creates every temporary file and writes the headers known at the start.
  void open();

  // Hands the hourly lines and full buffers to a thread that formats and writes them while the
  // run goes on (a run with more than one thread).
  void useWriter();

  // A block of `period` ends: POSTFILE and MAXIFILE lines of group g (`values` per receptor).
  void blockEnd(int period, size_t g, long date, const double* values, bool maxi);
  bool wantsPost(int period, size_t g) const;
  // The mean of year k (1…) of group g.
  void annualYear(size_t g, int year, const double* values);
  // Daily maxima at hour 24 (`hours` per receptor, 0 when no positive value).
  void maxDaily(size_t g, const HourStamp& day, const double* values, const int* hours);
  // The year's rank-k daily value per receptor with its date YYMMDDHH.
  void mxdyByYear(size_t g, int rank, const RankEntry* entries, size_t stride);
  bool wantsMaxDaily(size_t g) const;
  bool wantsMxdy(size_t g) const;

  // End of the run.
  void longTerm(size_t g, long hoursOrYears, const double* values);
  void plot(const OutputFile& f, const RankEntry* entries, size_t stride);
  // PLOTFILE of the k-th daily value averaged over the years, with each year's value and date.
  // `perYear[y][offset + r·stride]` is year y's entry of receptor r.
  void plotDesign(const OutputFile& f, const double* design, size_t stride,
                  const std::vector<std::vector<RankEntry>>& perYear, size_t offset);
  void rankFile(const OutputFile& f, const std::vector<RankEntry>& top, size_t maxLength);
  void summary(const std::string& text);
  // The message file and the main output file: created with the others at the start, so that
  // one that cannot be written stops the run before anything is computed.
  void openText(const std::string& path, int which);
  void text(int which, const std::string& content);

  // True when a value did not fit FILEFORM FIX and was written in exponent form (once every line
  // handed to the writer is formatted).
  bool fixOverflow();

  // Puts every file in place; throws InputError naming the file that could not be written.
  void commit();

 private:
  struct Sink;
  class Writer;
  const Deck& d_;
  std::string options_;
  std::vector<std::unique_ptr<Sink>> sinks_;
  Sink* summ_ = nullptr;
  Sink* texts_[2] = {nullptr, nullptr};
  mutable std::atomic<bool> overflow_{false};
  std::vector<std::string> receptorColumns_;  // " x y " per receptor (F13.5 pairs)
  std::vector<std::string> elevColumns_;      // " zelev zhill zflag" per receptor (F8.2)
  std::vector<std::string> networkColumns_;   // network name (A8) and the end of the line
  // Last: stopped before anything it uses is destroyed.
  std::unique_ptr<Writer> writer_;

  Sink* find(const OutputFile& f);
  void header(Sink& s, const std::string& what, bool receptors, const std::string& format,
              const std::string& titles, const std::string& rules);
  std::string conc(double v) const;
  // Appends the lines of a POSTFILE block end: the columns of each receptor around `mid`.
  void postLines(std::string& out, const std::string& mid, const double* values) const;
};

}  // namespace mod
