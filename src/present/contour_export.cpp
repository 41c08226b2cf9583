#include "present/contour_export.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <memory>
#include <new>
#include <sstream>
#include <string_view>

#include "core/file_io.h"
#include "core/format.h"
#include "core/parse.h"

namespace present {

namespace {

// Writes `v` as printf's "%.Pg" with the smallest P from 6 up that reads back as the same float:
// the digits are the shortest round-trip digits (std::to_chars), laid out the way %g lays them
// out. Returns the end of the text; at most 16 characters.
char* putFloatShortest(char* p, float v) {
  if (!std::isfinite(v)) {
    std::memcpy(p, "null", 4);
    return p + 4;
  }
  if (v != 0 && std::fabs(v) < std::numeric_limits<float>::min()) {
    // Subnormals carry fewer digits than %.6g prints: keep the printf text for these rare values.
    for (int digits = 6; digits <= 9; ++digits) {
      const int n = std::snprintf(p, 24, "%.*g", digits, static_cast<double>(v));
      if (digits == 9 || std::strtof(p, nullptr) == v) return p + n;
    }
  }
  char sci[32];
  const char* end = std::to_chars(sci, sci + sizeof sci, v, std::chars_format::scientific).ptr;
  const char* q = sci;
  if (*q == '-') *p++ = *q++;
  char digits[12];
  int k = 0;
  for (; q != end && *q != 'e'; ++q)
    if (*q != '.') digits[k++] = *q;
  int exp = 0;
  std::from_chars(q + 1 + (q[1] == '+' ? 1 : 0), end, exp);
  const int precision = std::max(6, k);
  if (exp < -4 || exp >= precision) {  // d.ddde+XX
    *p++ = digits[0];
    if (k > 1) {
      *p++ = '.';
      for (int i = 1; i < k; ++i) *p++ = digits[i];
    }
    *p++ = 'e';
    *p++ = exp < 0 ? '-' : '+';
    const int a = exp < 0 ? -exp : exp;
    if (a < 10) *p++ = '0';
    return std::to_chars(p, p + 4, a).ptr;
  }
  if (exp < 0) {  // 0.000ddd
    *p++ = '0';
    *p++ = '.';
    for (int i = -1; i > exp; --i) *p++ = '0';
    for (int i = 0; i < k; ++i) *p++ = digits[i];
    return p;
  }
  for (int i = 0; i <= exp; ++i) *p++ = i < k ? digits[i] : '0';  // integer part
  if (k > exp + 1) {
    *p++ = '.';
    for (int i = exp + 1; i < k; ++i) *p++ = digits[i];
  }
  return p;
}

// A coordinate in full: the shortest text that reads back as the same double ("38512376.5",
// "0.1"), "null" when not finite. At most 24 characters.
char* putDoubleShortest(char* p, double v) {
  if (!std::isfinite(v)) {
    std::memcpy(p, "null", 4);
    return p + 4;
  }
  return std::to_chars(p, p + 24, v).ptr;
}

// Text gathered in a large block and handed to the stream a block at a time.
class BlockWriter {
 public:
  explicit BlockWriter(std::ostream& out) : m_out(out), m_buf(new char[kBlock]), m_p(m_buf.get()) {}
  ~BlockWriter() { flush(); }
  BlockWriter(const BlockWriter&) = delete;
  BlockWriter& operator=(const BlockWriter&) = delete;

  void put(std::string_view text) {
    if (text.size() > room()) {
      flush();
      if (text.size() > kBlock) {
        m_out.write(text.data(), static_cast<std::streamsize>(text.size()));
        return;
      }
    }
    std::memcpy(m_p, text.data(), text.size());
    m_p += text.size();
  }
  void putFloat(float v) {
    if (room() < kMaxFloatText) flush();
    m_p = putFloatShortest(m_p, v);
  }
  void putPoint(const ContourPoint& pt) {
    if (room() < 2 * kMaxFloatText + 4) flush();
    *m_p++ = '[';
    m_p = putDoubleShortest(m_p, pt.x);
    *m_p++ = ',';
    *m_p++ = ' ';
    m_p = putDoubleShortest(m_p, pt.y);
    *m_p++ = ']';
  }
  void flush() {
    m_out.write(m_buf.get(), m_p - m_buf.get());
    m_p = m_buf.get();
  }

 private:
  static constexpr std::size_t kBlock = std::size_t{1} << 20;
  static constexpr std::size_t kMaxFloatText = 24;
  std::size_t room() const { return kBlock - static_cast<std::size_t>(m_p - m_buf.get()); }

  std::ostream& m_out;
  std::unique_ptr<char[]> m_buf;
  char* m_p;
};

void putPoints(BlockWriter& w, const ContourLine& line) {
  w.put("[");
  for (std::size_t p = 0; p < line.points.size(); ++p) {
    if (p) w.put(", ");
    w.putPoint(line.points[p]);
  }
  w.put("]");
}

// {"levels": [...], "lines": [[line, ...], ...]}, written level by level as the lines come.
class JsonSink : public ContourSink {
 public:
  JsonSink(std::ostream& out, const ContourLevels& levels) : m_w(out) {
    m_w.put("{\"levels\": [");
    for (int k = 0; k < levels.count(); ++k) {
      if (k) m_w.put(", ");
      m_w.putFloat(levels.at(k));
    }
    m_w.put("], \"lines\": [");
  }
  void beginLevel(int k, float) override {
    m_w.put(k ? ", [" : "[");
    m_first = true;
  }
  void line(const ContourLine& line) override {
    if (!m_first) m_w.put(", ");
    m_first = false;
    putPoints(m_w, line);
  }
  void endLevel(int) override { m_w.put("]"); }
  void finish() { m_w.put("]}\n"); }

 private:
  BlockWriter m_w;
  bool m_first = true;
};

// A GeoJSON FeatureCollection, one LineString feature per line, written as the lines come.
class GeoJsonSink : public ContourSink {
 public:
  explicit GeoJsonSink(std::ostream& out) : m_w(out) {
    m_w.put("{\"type\": \"FeatureCollection\", \"features\": [");
  }
  void beginLevel(int, float level) override {
    // The feature text up to the coordinates is the same for every line of the level.
    char num[32];
    const std::string_view value(num, static_cast<std::size_t>(putFloatShortest(num, level) - num));
    m_prefix = "{\"type\": \"Feature\", \"properties\": {\"level\": ";
    m_prefix += value;
    m_prefix += "}, \"geometry\": {\"type\": \"LineString\", \"coordinates\": ";
  }
  void line(const ContourLine& line) override {
    m_w.put(m_first ? "\n" : ",\n");
    m_first = false;
    m_w.put(m_prefix);
    putPoints(m_w, line);
    m_w.put("}}");
  }
  void endLevel(int) override {}
  void finish() { m_w.put("\n]}\n"); }

 private:
  BlockWriter m_w;
  std::string m_prefix;
  bool m_first = true;
};

// Hands the lines of a traced set to a sink, as tracing would have.
void replay(const ContourSet& set, ContourSink& sink) {
  const auto& all = set.lines();
  for (std::size_t k = 0; k < all.size(); ++k) {
    const int level = static_cast<int>(k);
    sink.beginLevel(level, set.levels().at(level));
    for (const ContourLine& line : all[k])
      if (line.points.size() >= 2) sink.line(line);
    sink.endLevel(level);
  }
}

}  // namespace

std::string formatFloatShortest(float v) {
  char text[32];
  return std::string(text, putFloatShortest(text, v));
}

std::string formatDoubleShortest(double v) {
  char text[32];
  return std::string(text, putDoubleShortest(text, v));
}

void writeContourJson(std::ostream& out, const ContourSet& set) {
  JsonSink sink(out, set.levels());
  replay(set, sink);
  sink.finish();
}

void writeContourGeoJson(std::ostream& out, const ContourSet& set) {
  GeoJsonSink sink(out);
  replay(set, sink);
  sink.finish();
}

void streamContourJson(std::ostream& out, const GridData& grid, const ContourLevels& levels) {
  JsonSink sink(out, levels);
  traceToSink(grid, levels, sink);
  sink.finish();
}

void streamContourGeoJson(std::ostream& out, const GridData& grid, const ContourLevels& levels) {
  GeoJsonSink sink(out);
  traceToSink(grid, levels, sink);
  sink.finish();
}

bool saveContourGeoJson(const ContourSet& set, const std::string& path, std::string* error) {
  std::ostringstream text;
  writeContourGeoJson(text, set);
  const std::string why = core::writeFileAtomic(path, text.str());
  if (why.empty()) return true;
  if (error) *error = why;
  return false;
}

void writeContourText(std::ostream& out, const ContourSet& set) {
  out << "levels:";
  for (float v : set.levels().values()) out << ' ' << formatFloatShortest(v);
  out << '\n';
  const auto& all = set.lines();
  for (std::size_t k = 0; k < all.size(); ++k) {
    out << "level " << formatFloatShortest(set.levels().at(static_cast<int>(k))) << ": "
        << all[k].size() << " lines\n";
    for (const ContourLine& line : all[k]) {
      for (std::size_t p = 0; p < line.points.size(); ++p)
        out << (p ? " " : "") << formatDoubleShortest(line.points[p].x) << ','
            << formatDoubleShortest(line.points[p].y);
      out << '\n';
    }
  }
}

namespace {

enum class Output { Text, Json, GeoJson };

struct ContourArgs {
  std::string path;
  bool has_levels = false;
  std::vector<float> levels;
  Output output = Output::Text;
};

constexpr const char* kUsage = "用法：contour 网格.grd [--levels v1,v2,...] [--json | --geojson]";

// "0.1,0.2,0.5" -> levels; an empty item or one that is not a finite number is refused.
bool parseLevels(const std::string& text, std::vector<float>& levels, std::ostream& err) {
  std::size_t begin = 0;
  while (true) {
    const std::size_t end = text.find(',', begin);
    const std::string item = text.substr(begin, end == std::string::npos ? end : end - begin);
    const core::ParsedNumber n = core::parseNumber(item);
    if (!n.ok() || !std::isfinite(static_cast<float>(n.value))) {
      err << "levels：“" << item << "”"
          << (n.ok() ? std::string("超出范围") : core::describe(n.error)) << '\n';
      return false;
    }
    levels.push_back(static_cast<float>(n.value));
    if (end == std::string::npos) return true;
    begin = end + 1;
  }
}

bool parseArgs(const std::vector<std::string>& args, ContourArgs& a, std::ostream& err) {
  bool output_given = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& w = args[i];
    if (w == "--levels") {
      if (a.has_levels) return err << "--levels 给出了不止一次\n", false;
      if (i + 1 >= args.size()) return err << "--levels 需要一列数值\n", false;
      a.has_levels = true;
      if (!parseLevels(args[++i], a.levels, err)) return false;
    } else if (w == "--json" || w == "--geojson") {
      if (output_given) return err << w << "：--json 与 --geojson 只能选一个\n", false;
      output_given = true;
      a.output = w == "--json" ? Output::Json : Output::GeoJson;
    } else if (w.size() > 1 && w[0] == '-') {
      return err << "未知选项：" << w << '\n', false;
    } else if (a.path.empty()) {
      a.path = w;
    } else {
      return err << "多余的参数：" << w << '\n', false;
    }
  }
  if (a.path.empty()) return err << "缺少网格文件\n", false;
  return true;
}

}  // namespace

int runContourCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  ContourArgs a;
  if (!parseArgs(args, a, err)) {
    err << kUsage << '\n';
    return 2;
  }
  GridData grid;
  GrdReadDetails details;
  const GrdReadStatus status = readGrdFile(a.path, grid, &details);
  if (status != GrdReadStatus::Ok) {
    err << "错误：" << grdReadMessage(status, a.path, &details) << '\n';
    return 1;
  }
  ContourSet set(grid);
  if (a.has_levels) {
    for (float v : a.levels) set.levels().insert(v);
  } else {
    set.buildDefaultLevels();
  }
  try {
    switch (a.output) {
      case Output::Text:
        if (!set.traceAll()) {
          err << "错误：" << kMsgTraceAllocFailed << '\n';
          return 1;
        }
        writeContourText(out, set);
        break;
      // written as traced: no line is kept once it is out
      case Output::Json: streamContourJson(out, grid, set.levels()); break;
      case Output::GeoJson: streamContourGeoJson(out, grid, set.levels()); break;
    }
  } catch (const std::bad_alloc&) {
    out.flush();
    err << "错误：" << kMsgTraceAllocFailed << '\n';
    return 1;
  }
  out.flush();
  if (!out) {
    err << "错误：无法写出等值线\n";
    return 1;
  }
  return 0;
}

}  // namespace present
