#include "screen/report.h"

#include <cmath>
#include <cstdlib>

#include "core/format.h"

namespace screen {

namespace {

constexpr const char* kAutomatedMarker = "SCREEN AUTOMATED DISTANCES";
constexpr const char* kDiscreteMarker = "SCREEN DISCRETE DISTANCES";
constexpr const char* kValleyMarker = "*VALLEY 24-HR CALCS*   **SIMPLE TERRAIN 24-HR CALCS**";
constexpr const char* kSummaryMarker = "SUMMARY OF SCREEN MODEL RESULTS";
constexpr const char* kRunMarker = "***  SCREEN3 MODEL RUN  ***";

// Printed field positions (0-based column, width). A row of a distance table is
// " %#7.0f  " followed by the concentration in an 11-character general field; the summary line
// is a 20-character label, the concentration field, then distance and terrain height.
constexpr size_t kRowDistCol = 0, kRowDistLen = 9;
constexpr size_t kRowConcCol = 10, kRowConcLen = 11;
constexpr size_t kBlockTerrainCol = 22, kBlockTerrainLen = 6;
constexpr size_t kSumConcCol = 19, kSumConcLen = 12;
constexpr size_t kSumDistCol = 33, kSumDistLen = 7;
constexpr size_t kSumTerrainCol = 43, kSumTerrainLen = 7;
constexpr size_t kCxTerrainCol = 0, kCxTerrainLen = 7;
constexpr size_t kCxDistCol = 7, kCxDistLen = 7;
// The controlling 24-hour concentration ("MAX 24-HR CONC"), the larger of the valley and the
// simple-terrain 24-hour values that follow it on the line.
constexpr size_t kCxConcCol = 14, kCxConcLen = 12;
// Summary result lines start after the column captions and the dashes under them.
constexpr int kSummaryFirstRow = 6;
constexpr size_t kSumLabelLen = 19;
// The banner of stars that closes the summary (a result line starts with its label).
constexpr char kSummaryEnd = '*';
constexpr const char* kNoTerrain = "--";
// Offsets from a block marker to its terrain line and its first result line.
constexpr int kTerrainOffset = 3;
constexpr int kFirstRowOffset = 8;
// Offsets from the valley header to its first result line, and the lines between its last
// result line and the next run banner.
constexpr int kValleyFirstRow = 5;
constexpr int kValleyTrailer = 7;

bool contains(const std::string& line, const char* marker) {
  return line.find(marker) != std::string::npos;
}

bool isBlank(const std::string& line) { return line.find_first_not_of(" \t") == std::string::npos; }

const std::string& lineAt(const Report& r, int i) {
  static const std::string kEmpty;
  if (i < 0 || i >= static_cast<int>(r.lines.size())) return kEmpty;
  return r.lines[static_cast<size_t>(i)];
}

}  // namespace

double numberAt(const std::string& line, size_t column, size_t length) {
  if (column >= line.size()) return 0;
  const std::string field = line.substr(column, length);
  return std::strtod(field.c_str(), nullptr);
}

namespace {

// The first word inside a column window ("" when the window holds none).
std::string wordAt(const std::string& line, size_t column, size_t length) {
  if (column >= line.size()) return {};
  const std::string field = line.substr(column, length);
  const size_t a = field.find_first_not_of(' ');
  if (a == std::string::npos) return {};
  const size_t b = field.find(' ', a);
  return field.substr(a, b == std::string::npos ? std::string::npos : b - a);
}

[[noreturn]] void unreadable(const std::string& word, size_t line_no) {
  throw ReportError(core::cformat("SCREEN.OUT第%zu行的数字无法读取：“%s”", line_no,
                                  word.empty() ? "（空）" : word.c_str()));
}

}  // namespace

double fieldAt(const std::string& line, size_t column, size_t length, size_t line_no) {
  const std::string word = wordAt(line, column, length);
  if (word.empty()) unreadable(word, line_no);
  char* end = nullptr;
  const double v = std::strtod(word.c_str(), &end);
  if (end != word.c_str() + word.size() || !std::isfinite(v)) unreadable(word, line_no);
  return v;
}

ResultLine distanceLine(const std::string& line, size_t line_no) {
  ResultLine l;
  l.distance_m = fieldAt(line, kRowDistCol, kRowDistLen, line_no);
  l.conc_ug_m3 = fieldAt(line, kRowConcCol, kRowConcLen, line_no);
  return l;
}

Report parseReport(const std::string& text) {
  Report r;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    r.lines.push_back(std::move(line));
    start = end + 1;
  }
  int valley_seen = -1;
  for (size_t i = 0; i < r.lines.size(); ++i) {
    const std::string& l = r.lines[i];
    const int idx = static_cast<int>(i);
    if (contains(l, kAutomatedMarker)) r.automated.push_back(idx);
    if (contains(l, kDiscreteMarker)) r.discrete.push_back(idx);
    if (contains(l, kValleyMarker)) r.valley = valley_seen = idx;
    if (contains(l, kSummaryMarker)) {
      r.summary = idx;
      r.has_summary = true;
    }
    // The valley table ends where the next run banner begins, seven lines before it.
    if (valley_seen >= 0 && contains(l, kRunMarker))
      r.complex_count = (idx + 1) - (valley_seen + 1) - kValleyTrailer;
    r.text += l;
    r.text += '\n';
  }
  if (r.complex_count < 0) r.complex_count = 0;
  return r;
}

SummaryMax summaryMax(const Report& r) {
  SummaryMax m;
  if (!r.has_summary) return m;
  bool found = false;
  for (int i = r.summary + kSummaryFirstRow; i < static_cast<int>(r.lines.size()); ++i) {
    const std::string& l = lineAt(r, i);
    const size_t first = l.find_first_not_of(' ');
    if (first != std::string::npos && l[first] == kSummaryEnd) break;
    // Blank lines, and the second line of a building-cavity pair (no label, no
    // concentration), carry no result.
    if (isBlank(l.substr(0, kSumLabelLen))) continue;
    const size_t line_no = static_cast<size_t>(i) + 1;
    const double c = fieldAt(l, kSumConcCol, kSumConcLen, line_no);
    const double d = fieldAt(l, kSumDistCol, kSumDistLen, line_no);
    const std::string terrain = wordAt(l, kSumTerrainCol, kSumTerrainLen);
    const double h =
        terrain == kNoTerrain ? 0 : fieldAt(l, kSumTerrainCol, kSumTerrainLen, line_no);
    if (!found || c > m.conc_ug_m3) {
      m.conc_ug_m3 = c;
      m.distance_m = d;
      m.terrain_m = h;
      found = true;
    }
  }
  // A summary without a single result line is a report cut short, not a maximum of 0.
  if (!found) throw ReportError("SCREEN.OUT的计算结果汇总中没有任何结果行");
  return m;
}

namespace {

// Every result line from the eighth line after a block marker until the first blank line.
std::vector<Block> blocksAt(const Report& r, const std::vector<int>& markers) {
  std::vector<Block> out;
  for (int k : markers) {
    Block b;
    const int terrain_line = k + kTerrainOffset;
    b.terrain_m = fieldAt(lineAt(r, terrain_line), kBlockTerrainCol, kBlockTerrainLen,
                          static_cast<size_t>(terrain_line) + 1);
    for (int i = k + kFirstRowOffset; i < static_cast<int>(r.lines.size()); ++i) {
      const std::string& l = lineAt(r, i);
      if (isBlank(l)) break;
      ResultLine row = distanceLine(l, static_cast<size_t>(i) + 1);
      row.terrain_m = b.terrain_m;
      b.rows.push_back(row);
    }
    out.push_back(std::move(b));
  }
  return out;
}

}  // namespace

std::vector<Block> automatedBlocks(const Report& r) { return blocksAt(r, r.automated); }

std::vector<Block> discreteBlocks(const Report& r) { return blocksAt(r, r.discrete); }

std::vector<ResultLine> complexLines(const Report& r) {
  std::vector<ResultLine> out;
  if (r.complex_count <= 0) return out;
  for (int i = 0; i < r.complex_count; ++i) {
    const int at = r.valley + kValleyFirstRow + i;
    const std::string& l = lineAt(r, at);
    const size_t line_no = static_cast<size_t>(at) + 1;
    ResultLine row;
    row.terrain_m = fieldAt(l, kCxTerrainCol, kCxTerrainLen, line_no);
    row.distance_m = fieldAt(l, kCxDistCol, kCxDistLen, line_no);
    row.conc_ug_m3 = fieldAt(l, kCxConcCol, kCxConcLen, line_no);
    out.push_back(row);
  }
  return out;
}

}  // namespace screen
