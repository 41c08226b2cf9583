#include <cmath>
#include <cstdio>
#include <set>
#include <sstream>

#include "core/parse.h"
#include "models/noise/propagation/scene_file.h"
#include "tools/unit_table.h"

namespace models::noise::propagation {

namespace {

// Fields of one CSV line; a quoted field may hold commas and doubled quotes.
std::vector<std::string> splitCsv(const std::string& line) {
  std::vector<std::string> out;
  std::string cur;
  bool quoted = false;
  for (std::size_t i = 0; i < line.size(); ++i) {
    const char c = line[i];
    if (quoted) {
      if (c == '"' && i + 1 < line.size() && line[i + 1] == '"') {
        cur += '"';
        ++i;
      } else if (c == '"') {
        quoted = false;
      } else {
        cur += c;
      }
    } else if (c == '"') {
      quoted = true;
    } else if (c == ',') {
      out.push_back(cur);
      cur.clear();
    } else {
      cur += c;
    }
  }
  out.push_back(cur);
  return out;
}

std::string trim(const std::string& s) {
  const auto b = s.find_first_not_of(" \t\r");
  if (b == std::string::npos) return {};
  return s.substr(b, s.find_last_not_of(" \t\r") - b + 1);
}

std::string lower(std::string s) {
  for (auto& c : s)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return s;
}

std::string csvField(const std::string& s) {
  if (s.find_first_of(",\"\n") == std::string::npos) return s;
  std::string q = "\"";
  for (char c : s) q += c == '"' ? std::string("\"\"") : std::string(1, c);
  return q + "\"";
}

}  // namespace

SpectraReadResult parseSpectraCsv(const std::string& bytes) {
  SpectraReadResult r;
  std::istringstream in(bytes);
  std::string raw;
  int line_no = 0;
  std::set<std::string> ids;
  while (std::getline(in, raw)) {
    ++line_no;
    const std::string line = trim(tools::decodeLine(raw));
    if (line.empty()) continue;
    auto f = splitCsv(line);
    for (auto& s : f) s = trim(s);
    if (line_no == 1 && lower(f[0]) == "id") continue;  // the header
    const std::string where = "第" + std::to_string(line_no) + "行";
    if (f.size() != 3 + kBands) {
      r.error = where + "：有 " + std::to_string(f.size()) +
                " 个字段，应为11个（id,name,kind,63,…,8000）";
      return r;
    }
    Spectrum s;
    s.id = f[0];
    s.name = f[1];
    if (s.id.empty()) {
      r.error = where + "：编号id为空";
      return r;
    }
    const std::string kind = lower(f[2]);
    if (kind == "lw") {
      s.kind = Spectrum::Kind::Lw;
    } else if (kind == "tl") {
      s.kind = Spectrum::Kind::TL;
    } else {
      r.error = where + "：类型kind“" + f[2] + "”应为Lw或TL";
      return r;
    }
    for (int b = 0; b < kBands; ++b) {
      const auto v = core::parseNumber(f[static_cast<std::size_t>(3 + b)]);
      if (!v.ok() || !std::isfinite(v.value)) {
        r.error = where + "：“" + f[static_cast<std::size_t>(3 + b)] + "”不是数";
        return r;
      }
      s.values[static_cast<std::size_t>(b)] = v.value;
    }
    if (!ids.insert(s.id).second) {
      r.error = where + "：编号“" + s.id + "”重复";
      return r;
    }
    r.spectra.push_back(std::move(s));
  }
  return r;
}

std::string spectraToCsv(const std::vector<Spectrum>& spectra) {
  std::string out = "id,name,kind,63,125,250,500,1000,2000,4000,8000\n";
  for (const auto& s : spectra) {
    out += csvField(s.id) + "," + csvField(s.name) + "," +
           (s.kind == Spectrum::Kind::Lw ? "Lw" : "TL");
    for (double v : s.values) {
      char buf[32];
      std::snprintf(buf, sizeof buf, ",%.17g", v);
      out += buf;
    }
    out += "\n";
  }
  return out;
}

}  // namespace models::noise::propagation
