#include "present/grid_data.h"

#include <charconv>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <new>
#include <system_error>

#include <sys/stat.h>

namespace present {
namespace {

struct FileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

// Header lines 1 to 5; the z minimum is always written as 0.
void writeHeader(std::FILE* f, int nx, int ny, float xmin, float xmax, float ymin, float ymax,
                 float zmax) {
  std::fprintf(f, "DSAA\n");
  std::fprintf(f, "%d %d\n", nx, ny);
  std::fprintf(f, "%g %g\n", static_cast<double>(xmin), static_cast<double>(xmax));
  std::fprintf(f, "%g %g\n", static_cast<double>(ymin), static_cast<double>(ymax));
  std::fprintf(f, "%g %g\n", 0.0, static_cast<double>(zmax));
}

File createForWriting(const std::string& path) {
  File f(std::fopen(path.c_str(), "w"));
  if (!f) std::printf("   open file error!!!!!!!!!!!!\n");
  return f;
}

}  // namespace

bool writeGrdFile(const core::Table& table, const std::string& path, float xmin, float xmax,
                  float ymin, float ymax, float zmax) {
  File f = createForWriting(path);
  if (!f) return false;
  const int columns = static_cast<int>(table.headers.size());
  const int nx = columns > 0 ? columns - 1 : 0;  // the y column holds no data
  const int ny = static_cast<int>(table.rows.size());
  writeHeader(f.get(), nx, ny, xmin, xmax, ymin, ymax, zmax);
  for (const auto& row : table.rows) {
    for (int j = 1; j <= nx; ++j) {
      const auto c = static_cast<std::size_t>(j);
      // A cell that is missing or not a number is written as 0, like atof would read it.
      const double v = c < row.size() ? std::strtod(row[c].c_str(), nullptr) : 0.0;
      std::fprintf(f.get(), "%g ", v);
    }
    std::fprintf(f.get(), "\n\n");
  }
  return std::ferror(f.get()) == 0;
}

bool writeGrdFile(const GridData& grid, const std::string& path) {
  File f = createForWriting(path);
  if (!f) return false;
  writeHeader(f.get(), grid.nx, grid.ny, grid.xmin, grid.xmax, grid.ymin, grid.ymax, grid.zmax);
  for (int i = 0; i < grid.ny; ++i) {
    const float* r = grid.row(i);
    for (int j = 0; j < grid.nx; ++j) std::fprintf(f.get(), "%g ", static_cast<double>(r[j]));
    std::fprintf(f.get(), "\n\n");
  }
  return std::ferror(f.get()) == 0;
}

std::string grdReadMessage(GrdReadStatus status, const std::string& path) {
  switch (status) {
    case GrdReadStatus::Ok: return {};
    case GrdReadStatus::CannotOpen: return "Open" + path + "error!!";
    case GrdReadStatus::NotDsaa: return "不能打开文件。";
    case GrdReadStatus::AllocFailed: return "内存分配失败，数据读取没有成功!";
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

  bool real(float& v) {
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

  // strtof on a copy of the item, for the forms from_chars leaves to it.
  bool slowReal(float& v) {
    const char* e = m_p;
    while (e != m_end && !isSpace(*e)) ++e;
    const std::string item(m_p, e);
    char* stop = nullptr;
    v = std::strtof(item.c_str(), &stop);
    if (stop == item.c_str()) return false;
    m_p += stop - item.c_str();
    return true;
  }

  const char* m_p;
  const char* m_end;
};

// Longest grid text read: far beyond the largest grid (kMaxGridValues values), and a bound for
// endless input such as a pipe or a device.
constexpr std::size_t kMaxGridTextBytes = std::size_t{1} << 31;

enum class ReadAll { Ok, Failed, TooLong };

// The whole file in one read (a regular file), or block by block (anything else).
ReadAll readAll(std::FILE* f, std::string& text) {
  struct stat st {};
  if (::fstat(::fileno(f), &st) == 0 && S_ISREG(st.st_mode)) {
    const auto size = static_cast<std::size_t>(st.st_size);
    if (size > kMaxGridTextBytes) return ReadAll::TooLong;
    text.resize(size);
    text.resize(std::fread(text.data(), 1, size, f));
  }
  char block[65536];
  std::size_t n;
  while ((n = std::fread(block, 1, sizeof block, f)) > 0) {
    if (text.size() + n > kMaxGridTextBytes) return ReadAll::TooLong;
    text.append(block, n);
    if (text.size() >= 4 && text.compare(0, 4, "DSAA") != 0) break;  // refused anyway
  }
  return std::ferror(f) == 0 ? ReadAll::Ok : ReadAll::Failed;
}

}  // namespace

GrdReadStatus readGrdFile(const std::string& path, GridData& grid, GrdReadDetails* details) {
  File f(std::fopen(path.c_str(), "rb"));
  if (!f) return GrdReadStatus::CannotOpen;
  std::string text;
  try {
    const ReadAll r = readAll(f.get(), text);
    if (r == ReadAll::Failed) return GrdReadStatus::CannotOpen;  // a directory, a read error
    if (r == ReadAll::TooLong) return GrdReadStatus::AllocFailed;
  } catch (const std::bad_alloc&) {
    return GrdReadStatus::AllocFailed;
  }
  f.reset();
  if (text.size() < 4 || text.compare(0, 4, "DSAA") != 0) return GrdReadStatus::NotDsaa;

  // The reader does not depend on line breaks: everything is white-space separated. A number
  // the file lacks or that cannot be scanned stays 0, and so does everything after it.
  NumberScanner scan(text.data() + 4, text.data() + text.size());
  GrdReadDetails found;
  long long nx = 0, ny = 0;
  float limits[6] = {};
  bool scanning = true;
  for (long long* v : {&nx, &ny})
    if (scanning && (scanning = scan.integer(*v))) ++found.header_items;
  for (float& v : limits)
    if (scanning && (scanning = scan.real(v))) ++found.header_items;

  grid = GridData{};
  if (nx < 0 || ny < 0 || nx > kMaxGridValues || ny > kMaxGridValues || nx * ny > kMaxGridValues)
    return GrdReadStatus::AllocFailed;
  try {
    grid.z.assign(static_cast<std::size_t>(nx * ny), 0.0f);
  } catch (const std::bad_alloc&) {
    grid.z.clear();
    return GrdReadStatus::AllocFailed;
  }
  grid.nx = static_cast<int>(nx);
  grid.ny = static_cast<int>(ny);
  grid.xmin = limits[0];
  grid.xmax = limits[1];
  grid.ymin = limits[2];
  grid.ymax = limits[3];
  grid.zmin = limits[4];
  grid.zmax = limits[5];
  found.values_expected = grid.z.size();
  if (scanning) {
    for (float& v : grid.z) {
      if (!scan.real(v)) {
        v = 0;
        break;
      }
      ++found.values_read;
    }
  }
  if (details) *details = found;
  return GrdReadStatus::Ok;
}

std::string grdHeaderMessage(const std::string& path) {
  return path +
         ": the grid header cannot be read (after DSAA: nx ny, xmin xmax, ymin ymax, "
         "zmin zmax)";
}

std::string grdShortBodyMessage(const std::string& path, const GrdReadDetails& details) {
  return path + ": " + std::to_string(details.values_read) + " of " +
         std::to_string(details.values_expected) +
         " values could be read; the missing values are taken as 0";
}

}  // namespace present
