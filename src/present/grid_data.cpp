#include "present/grid_data.h"

#include <algorithm>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <new>
#include <system_error>
#include <type_traits>

#include "core/file_io.h"
#include "core/format.h"

namespace present {
namespace {

// Shortest text that reads back as the same double ("38512345", "0.1", "1e-05").
std::string fullText(double v) {
  char buf[32];
  return std::string(buf, std::to_chars(buf, buf + sizeof buf, v).ptr);
}

// Text gathered in blocks and handed to the atomic file a block at a time, so a large grid
// never sits in memory as one string; the first failed write is kept.
class GridWriter {
 public:
  explicit GridWriter(core::AtomicFile& f) : m_file(f) {}
  void put(const std::string& s) {
    m_buf += s;
    if (m_buf.size() >= (1u << 20)) flush();
  }
  void putValue(double v) {
    char buf[32];
    const int n = std::snprintf(buf, sizeof buf, "%g ", v);
    m_buf.append(buf, static_cast<std::size_t>(n));
    if (m_buf.size() >= (1u << 20)) flush();
  }
  void flush() {
    if (m_error.empty() && !m_buf.empty()) m_error = m_file.write(m_buf);
    m_buf.clear();
  }
  const std::string& error() const { return m_error; }

 private:
  core::AtomicFile& m_file;
  std::string m_buf;
  std::string m_error;
};

// Header lines 1 to 5; the z minimum is always written as 0, x and y limits in full.
void writeHeader(GridWriter& w, int nx, int ny, double xmin, double xmax, double ymin, double ymax,
                 float zmax) {
  w.put("DSAA\n" + std::to_string(nx) + ' ' + std::to_string(ny) + '\n');
  w.put(fullText(xmin) + ' ' + fullText(xmax) + '\n');
  w.put(fullText(ymin) + ' ' + fullText(ymax) + '\n');
  w.put(core::cformat("%g %g\n", 0.0, static_cast<double>(zmax)));
}

// Opens, fills through `body` and commits; false with `error` set on any failure.
template <class Body>
bool writeAtomically(const std::string& path, std::string* error, Body body) {
  core::AtomicFile f;
  std::string why = f.open(path);
  if (why.empty()) {
    GridWriter w(f);
    body(w);
    w.flush();
    why = w.error().empty() ? f.commit() : w.error();
  }
  if (why.empty()) return true;
  if (error) *error = why;
  return false;
}

}  // namespace

std::pair<float, float> finiteRange(const std::vector<float>& z) {
  bool any = false;
  float lo = 0, hi = 0;
  for (float v : z) {
    if (!std::isfinite(v)) continue;
    lo = any ? std::min(lo, v) : v;
    hi = any ? std::max(hi, v) : v;
    any = true;
  }
  return {lo, hi};
}

bool writeGrdFile(const core::Table& table, const std::string& path, double xmin, double xmax,
                  double ymin, double ymax, float zmax, std::string* error) {
  return writeAtomically(path, error, [&](GridWriter& w) {
    const int columns = static_cast<int>(table.headers.size());
    const int nx = columns > 0 ? columns - 1 : 0;  // the y column holds no data
    const int ny = static_cast<int>(table.rows.size());
    writeHeader(w, nx, ny, xmin, xmax, ymin, ymax, zmax);
    for (const auto& row : table.rows) {
      for (int j = 1; j <= nx; ++j) {
        const auto c = static_cast<std::size_t>(j);
        // A cell that is missing or not a number is written as 0, like atof would read it.
        w.putValue(c < row.size() ? std::strtod(row[c].c_str(), nullptr) : 0.0);
      }
      w.put("\n\n");
    }
  });
}

bool writeGrdFile(const GridData& grid, const std::string& path, std::string* error) {
  return writeAtomically(path, error, [&](GridWriter& w) {
    writeHeader(w, grid.nx, grid.ny, grid.xmin, grid.xmax, grid.ymin, grid.ymax, grid.zmax);
    for (int i = 0; i < grid.ny; ++i) {
      const float* r = grid.row(i);
      // A node not computed (NaN) is Surfer's blank.
      for (int j = 0; j < grid.nx; ++j)
        w.putValue(std::isnan(r[j]) ? kGrdBlank : static_cast<double>(r[j]));
      w.put("\n\n");
    }
  });
}

std::string grdReadMessage(GrdReadStatus status, const std::string& path,
                           const GrdReadDetails* details) {
  switch (status) {
    case GrdReadStatus::Ok: return {};
    case GrdReadStatus::CannotOpen: return "Open" + path + "error!!";
    case GrdReadStatus::NotDsaa: return "不能打开文件。";
    case GrdReadStatus::AllocFailed: return "内存分配失败，数据读取没有成功!";
    case GrdReadStatus::NotRegular:
      return path + " 不是网格文件（它是" + (details ? details->kind : std::string("特殊文件")) +
             "）";
    case GrdReadStatus::BadHeader: return grdHeaderMessage(path);
    case GrdReadStatus::BadLimits: return path + "：网格范围不是有限的数（x、y应在±1e9 m以内）";
    case GrdReadStatus::BadCount:
      return details ? grdCountMessage(path, *details) : path + "：数值的个数与 nx × ny 不符";
  }
  return {};
}

namespace {

bool isSpace(char c) {
  return c == ' ' || c == '\n' || c == '\t' || c == '\r' || c == '\v' || c == '\f';
}

// White-space separated numbers of a text held in memory, scanned the way "%lld" and "%f" scan
// them (a leading '+', "inf", "nan", out-of-range values saturating) but with std::from_chars:
// no locale and no stream state, which the 35 MB grids of a fine receptor net need.
class NumberScanner {
 public:
  NumberScanner(const char* begin, const char* end) : m_p(begin), m_end(end) {}

  bool integer(long long& v) {
    if (!skipSpaceAndPlus()) return false;
    const auto [ptr, ec] = std::from_chars(m_p, m_end, v);
    if (ptr == m_p) return false;
    if (ec == std::errc::result_out_of_range) v = *m_p == '-' ? LLONG_MIN : LLONG_MAX;
    m_p = ptr;
    return true;
  }

  template <class Real>
  bool real(Real& v) {
    if (!skipSpaceAndPlus()) return false;
    const char* digits = m_p + (*m_p == '-' ? 1 : 0);
    if (m_end - digits > 1 && digits[0] == '0' && (digits[1] == 'x' || digits[1] == 'X'))
      return slowReal(v);  // hexadecimal floats: rare, left to strtof
    const auto [ptr, ec] = std::from_chars(m_p, m_end, v);
    if (ptr == m_p) return false;
    if (ec == std::errc::result_out_of_range) return slowReal(v);  // overflow and underflow
    m_p = ptr;
    return true;
  }

 private:
  bool skipSpaceAndPlus() {
    while (m_p != m_end && isSpace(*m_p)) ++m_p;
    if (m_p != m_end && *m_p == '+') {
      if (m_end - m_p < 2 || m_p[1] == '-' || m_p[1] == '+') return false;
      ++m_p;
    }
    return m_p != m_end;
  }

  // strtof / strtod on a copy of the item, for the forms from_chars leaves to it.
  template <class Real>
  bool slowReal(Real& v) {
    const char* e = m_p;
    while (e != m_end && !isSpace(*e)) ++e;
    const std::string item(m_p, e);
    char* stop = nullptr;
    if constexpr (std::is_same_v<Real, float>)
      v = std::strtof(item.c_str(), &stop);
    else
      v = std::strtod(item.c_str(), &stop);
    if (stop == item.c_str()) return false;
    m_p += stop - item.c_str();
    return true;
  }

  const char* m_p;
  const char* m_end;
};

// Longest grid text read: far beyond the largest grid (kMaxGridValues values).
constexpr std::uintmax_t kMaxGridTextBytes = std::uintmax_t{1} << 31;

bool limitsSound(const GridData& g) {
  for (double v : {g.xmin, g.xmax, g.ymin, g.ymax})
    if (!(std::fabs(v) <= kMaxGridCoordinate)) return false;
  return std::isfinite(g.zmin) && std::isfinite(g.zmax);
}

}  // namespace

GrdReadStatus readGrdFile(const std::string& path, GridData& grid, GrdReadDetails* details) {
  GrdReadDetails found;
  const auto report = [&](GrdReadStatus s) {
    if (details) *details = found;
    return s;
  };
  std::string text;
  try {
    // Only a regular file: a FIFO or a device would block or never end.
    const core::FileRead r = core::readRegularFile(path, text, kMaxGridTextBytes);
    switch (r.status) {
      case core::ReadStatus::Ok: break;
      case core::ReadStatus::NotRegular:
        found.kind = r.kind;
        return report(GrdReadStatus::NotRegular);
      case core::ReadStatus::TooLarge: return report(GrdReadStatus::AllocFailed);
      case core::ReadStatus::Missing:
      case core::ReadStatus::Unreadable: return report(GrdReadStatus::CannotOpen);
    }
  } catch (const std::bad_alloc&) {
    return report(GrdReadStatus::AllocFailed);
  }
  if (text.size() < 4 || text.compare(0, 4, "DSAA") != 0) return report(GrdReadStatus::NotDsaa);

  // The reader does not depend on line breaks: everything is white-space separated.
  NumberScanner scan(text.data() + 4, text.data() + text.size());
  long long nx = 0, ny = 0;
  double limits[6] = {};
  bool scanning = true;
  for (long long* v : {&nx, &ny})
    if (scanning && (scanning = scan.integer(*v))) ++found.header_items;
  for (double& v : limits)
    if (scanning && (scanning = scan.real(v))) ++found.header_items;

  grid = GridData{};
  if (found.header_items >= 2 &&
      (nx < 0 || ny < 0 || nx > kMaxGridValues || ny > kMaxGridValues || nx * ny > kMaxGridValues))
    return report(GrdReadStatus::AllocFailed);
  if (!found.headerComplete()) return report(GrdReadStatus::BadHeader);
  grid.xmin = limits[0];
  grid.xmax = limits[1];
  grid.ymin = limits[2];
  grid.ymax = limits[3];
  // z limits are single precision like the values (out of range saturates to infinity).
  grid.zmin = static_cast<float>(limits[4]);
  grid.zmax = static_cast<float>(limits[5]);
  if (!limitsSound(grid)) {
    grid = GridData{};
    return report(GrdReadStatus::BadLimits);
  }
  try {
    grid.z.assign(static_cast<std::size_t>(nx * ny), 0.0f);
  } catch (const std::bad_alloc&) {
    grid = GridData{};
    return report(GrdReadStatus::AllocFailed);
  }
  found.values_expected = grid.z.size();
  for (float& v : grid.z) {
    if (!scan.real(v)) break;
    ++found.values_read;
  }
  float extra = 0;
  found.extra_values = found.values_read == found.values_expected && scan.real(extra);
  if (found.values_read != found.values_expected || found.extra_values) {
    grid = GridData{};
    return report(GrdReadStatus::BadCount);
  }
  grid.nx = static_cast<int>(nx);
  grid.ny = static_cast<int>(ny);
  return report(GrdReadStatus::Ok);
}

std::string grdHeaderMessage(const std::string& path) {
  return path + "：无法读取网格文件头（DSAA之后应为 nx ny、xmin xmax、ymin ymax、zmin zmax）";
}

std::string grdCountMessage(const std::string& path, const GrdReadDetails& details) {
  if (details.extra_values)
    return path + "：数值多于 nx × ny = " + std::to_string(details.values_expected) + " 个";
  return path + "：只读到 " + std::to_string(details.values_read) +
         " 个数值，应为 nx × ny = " + std::to_string(details.values_expected) + " 个";
}

}  // namespace present
