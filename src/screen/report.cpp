#include "screen/report.h"

#include <cstdlib>

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
constexpr size_t kCxConcCol = 27, kCxConcLen = 12;
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

ResultLine distanceLine(const std::string& line) {
  ResultLine l;
  l.distance_m = numberAt(line, kRowDistCol, kRowDistLen);
  l.conc_ug_m3 = numberAt(line, kRowConcCol, kRowConcLen);
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
  const std::string& first = lineAt(r, r.summary + 6);
  const std::string& second = lineAt(r, r.summary + 8);
  const double c1 = numberAt(first, kSumConcCol, kSumConcLen);
  const double c2 = numberAt(second, kSumConcCol, kSumConcLen);
  const std::string& chosen = c1 >= c2 ? first : second;
  SummaryMax m;
  m.conc_ug_m3 = c1 >= c2 ? c1 : c2;
  m.distance_m = numberAt(chosen, kSumDistCol, kSumDistLen);
  m.terrain_m = numberAt(chosen, kSumTerrainCol, kSumTerrainLen);
  return m;
}

namespace {

// Every result line from the eighth line after a block marker until the first blank line.
std::vector<Block> blocksAt(const Report& r, const std::vector<int>& markers) {
  std::vector<Block> out;
  for (int k : markers) {
    Block b;
    b.terrain_m = numberAt(lineAt(r, k + kTerrainOffset), kBlockTerrainCol, kBlockTerrainLen);
    for (int i = k + kFirstRowOffset; i < static_cast<int>(r.lines.size()); ++i) {
      const std::string& l = lineAt(r, i);
      if (isBlank(l)) break;
      ResultLine row = distanceLine(l);
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
    const std::string& l = lineAt(r, r.valley + kValleyFirstRow + i);
    ResultLine row;
    row.terrain_m = numberAt(l, kCxTerrainCol, kCxTerrainLen);
    row.distance_m = numberAt(l, kCxDistCol, kCxDistLen);
    row.conc_ug_m3 = numberAt(l, kCxConcCol, kCxConcLen);
    out.push_back(row);
  }
  return out;
}

}  // namespace screen
