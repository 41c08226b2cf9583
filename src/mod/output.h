// Text of the hourly (POSTFILE) and highest-value (PLOTFILE) result files: one line per receptor
// and hour in Fortran fixed columns, so that files can be compared line by line with those of
// other programs writing the same layout.
#pragma once

#include <string>
#include <vector>

namespace mod {

// Fortran E13.6: "0.dddddd" mantissa in [0.1, 1), six significant digits, right-aligned in 13.
std::string formatE13(double v);
// Fortran F13.5 (asterisks when the value does not fit).
std::string formatF13(double v);
// Fortran Fw.d: right-aligned in `width`, asterisks when the value does not fit.
std::string formatFixed(double v, int width, int decimals);

struct LineFields {
  double x = 0, y = 0, conc = 0, zelev = 0, zhill = 0, zflag = 0;
  std::string group, network;
  long date = 0;  // YYMMDDHH; 0 for "never"
};

// (2(1X,F13.5),1X,E13.6,3(1X,F8.2),2X,A6,2X,A8,2X,I8.8,2X,A8) or with F13.5 concentrations.
std::string postLine(const LineFields& f, bool expFormat);
// (2(1X,F13.5),1X,E13.6,3(1X,F8.2),3X,A5,2X,A8,2X,A5,5X,A8,2X,I8)
std::string plotLine(const LineFields& f, bool expFormat);

// The hourly file's lines for many hours: the receptor columns are formatted once, so that each
// line costs one number conversion.
class PostLines {
 public:
  // `receptors` gives every column but the concentration and the date.
  PostLines(const std::vector<LineFields>& receptors, bool expFormat);
  // Appends one line per receptor for the hour `date` (YYMMDDHH).
  void appendHour(std::string& out, const std::vector<double>& conc, long date) const;

 private:
  std::vector<std::string> head_, middle_, tail_;
  bool exp_;
};

std::string postFormat(bool expFormat);
std::string plotFormat(bool expFormat);

}  // namespace mod
