#include "tools/unit_table.h"

#include <iconv.h>

#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <unordered_set>

#include "core/file_io.h"
#include "core/format.h"

namespace models::tools {

namespace {

// The leading number of a field as the C library's text-to-number conversion reads it
// (blanks skipped, an optional sign), without depending on the process's locale.
float leadingNumber(const std::string& s) {
  size_t i = 0;
  while (i < s.size() && (s[i] == ' ' || s[i] == '\t')) ++i;
  if (i < s.size() && s[i] == '+') ++i;
  double v = 0;
  const auto r = std::from_chars(s.data() + i, s.data() + s.size(), v);
  if (r.ec != std::errc()) return 0;
  return static_cast<float>(v);
}

// Bytes 0x80..0xFF as Latin-1 would be wrong for a Chinese file; a line that is neither UTF-8
// nor GB18030 keeps its ASCII and marks every other byte with U+FFFD.
std::string asciiWithReplacements(const std::string& bytes) {
  std::string out;
  for (char c : bytes)
    if (static_cast<unsigned char>(c) < 0x80)
      out += c;
    else
      out += "\xEF\xBF\xBD";
  return out;
}

std::string fromGb18030(const std::string& bytes) {
  iconv_t cd = iconv_open("UTF-8", "GB18030");
  if (cd == reinterpret_cast<iconv_t>(-1)) return asciiWithReplacements(bytes);
  std::string out(bytes.size() * 2 + 8, '\0');
  std::string in = bytes;
  char* ip = in.data();
  size_t ileft = in.size();
  char* op = out.data();
  size_t oleft = out.size();
  bool ok = true;
  while (ileft > 0) {
    if (iconv(cd, &ip, &ileft, &op, &oleft) == static_cast<size_t>(-1)) {
      if (errno == E2BIG) {
        const auto used = static_cast<size_t>(op - out.data());
        out.resize(out.size() * 2);
        op = out.data() + used;
        oleft = out.size() - used;
        continue;
      }
      ok = false;
      break;
    }
  }
  iconv_close(cd);
  if (!ok) return asciiWithReplacements(bytes);
  out.resize(static_cast<size_t>(op - out.data()));
  return out;
}

// The text between the next '[' at or after `pos` and the ']' after it; pos moves past it.
bool nextField(const std::string& line, size_t& pos, std::string& field) {
  const size_t open = line.find('[', pos);
  if (open == std::string::npos) return false;
  const size_t close = line.find(']', open + 1);
  if (close == std::string::npos) return false;
  field = line.substr(open + 1, close - open - 1);
  pos = close + 1;
  return true;
}

bool isBlank(const std::string& s) {
  for (char c : s)
    if (c != ' ' && c != '\t' && c != '\r') return false;
  return true;
}

}  // namespace

bool isValidUtf8(const std::string& s) {
  size_t i = 0;
  while (i < s.size()) {
    const auto c = static_cast<unsigned char>(s[i]);
    size_t n = 0;
    unsigned min = 0;
    unsigned cp = 0;
    if (c < 0x80) {
      ++i;
      continue;
    } else if ((c & 0xE0) == 0xC0) {
      n = 1, min = 0x80, cp = c & 0x1Fu;
    } else if ((c & 0xF0) == 0xE0) {
      n = 2, min = 0x800, cp = c & 0x0Fu;
    } else if ((c & 0xF8) == 0xF0) {
      n = 3, min = 0x10000, cp = c & 0x07u;
    } else {
      return false;
    }
    if (i + n >= s.size()) return false;  // truncated sequence
    for (size_t k = 1; k <= n; ++k) {
      const auto t = static_cast<unsigned char>(s[i + k]);
      if ((t & 0xC0) != 0x80) return false;
      cp = (cp << 6) | (t & 0x3Fu);
    }
    // Overlong forms, surrogates and values beyond U+10FFFF are not UTF-8.
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return false;
    i += n + 1;
  }
  return true;
}

std::string decodeLine(const std::string& bytes) {
  std::string s = bytes;
  if (s.rfind("\xEF\xBB\xBF", 0) == 0) s.erase(0, 3);
  if (isValidUtf8(s)) return s;
  return fromGb18030(s);
}

namespace {

bool splitFields(const std::string& line, std::string (&f)[5]) {
  size_t pos = 0;
  for (auto& field : f)
    if (!nextField(line, pos, field)) return false;
  return true;
}

UnitLine lineOf(const std::string (&f)[5]) {
  UnitLine u;
  u.kind = f[0];
  u.base_amount = leadingNumber(f[1]);
  u.base_unit = f[2];
  u.amount = leadingNumber(f[3]);
  u.unit = f[4];
  return u;
}

// An amount a conversion can divide by: positive and finite once stored in single precision.
bool usableAmount(float a) { return std::isfinite(a) && a > 0; }

}  // namespace

std::optional<UnitLine> parseUnitLine(const std::string& line) {
  std::string f[5];
  if (!splitFields(line, f)) return std::nullopt;
  return lineOf(f);
}

UnitTable parseUnitTable(const std::string& bytes) {
  UnitTable t;
  std::unordered_set<std::string> kinds;
  std::istringstream in(bytes);
  std::string raw;
  int number = 0;
  while (std::getline(in, raw)) {
    ++number;
    if (isBlank(raw)) continue;
    std::string f[5];
    if (!splitFields(decodeLine(raw), f)) {
      ++t.skipped;
      continue;
    }
    UnitLine u = lineOf(f);
    const bool base_ok = usableAmount(u.base_amount);
    if (!base_ok || !usableAmount(u.amount)) {
      const std::string& name = base_ok ? u.unit : u.base_unit;
      const std::string& text = base_ok ? f[3] : f[1];
      t.refused.push_back({number, u.kind, u.base_unit, u.unit,
                           "第" + std::to_string(number) + "行：单位“" + name + "”的换算值“" +
                               text + "”不是正数，此行未读入"});
      continue;
    }
    kinds.insert(u.kind);
    if (kinds.size() > kMaxUnitKinds || t.lines.size() >= kMaxUnitLines) {
      t = UnitTable{};
      t.error = "单位表的单位种类超过" + std::to_string(kMaxUnitKinds) + "种或单位超过" +
                std::to_string(kMaxUnitLines) + "个，不是单位表文件";
      return t;
    }
    t.lines.push_back(std::move(u));
  }
  return t;
}

std::string refusedLinesText(const UnitTable& t, size_t max) {
  std::string out;
  for (size_t i = 0; i < t.refused.size() && i < max; ++i) out += t.refused[i].message + "\n";
  if (t.refused.size() > max)
    out += "……另有" + std::to_string(t.refused.size() - max) + "行未读入\n";
  return out;
}

const RefusedUnitLine* refusedLineOf(const UnitTable& t, const std::string& kind,
                                     const std::string& unit) {
  for (const auto& r : t.refused)
    if (r.kind == kind && (r.unit == unit || r.base_unit == unit)) return &r;
  return nullptr;
}

std::vector<std::string> unitKinds(const UnitTable& t) {
  std::vector<std::string> kinds;
  std::unordered_set<std::string> seen;
  for (const auto& l : t.lines)
    if (seen.insert(l.kind).second) kinds.push_back(l.kind);
  return kinds;
}

const UnitLine* firstLineOfKind(const UnitTable& t, const std::string& kind) {
  for (const auto& l : t.lines)
    if (l.kind == kind) return &l;
  return nullptr;
}

std::vector<std::string> unitsOfKind(const UnitTable& t, const std::string& kind) {
  std::vector<std::string> units;
  const UnitLine* first = firstLineOfKind(t, kind);
  if (!first) return units;
  units.push_back(first->base_unit);
  for (const auto& l : t.lines)
    if (l.kind == kind) units.push_back(l.unit);
  return units;
}

std::optional<float> unitFactor(const UnitTable& t, const std::string& kind,
                                const std::string& unit) {
  std::optional<float> factor;
  for (const auto& l : t.lines) {
    if (l.kind != kind) continue;
    if (l.base_unit == unit) factor = l.base_amount;
    if (l.unit == unit) factor = l.amount;
  }
  return factor;
}

float convertUnits(float v, float from, float to) {
  const double x = v;
  return static_cast<float>(x / from * to);
}

std::string zeroFactorMessage(const std::string& unit) {
  return "单位“" + unit + "”的换算值为0，无法换算，请在data.ini中修改！";
}

std::string formatUnitLine(const std::string& kind, const std::string& base_unit,
                           const std::string& amount, const std::string& unit) {
  return "[" + kind + "][1][" + base_unit + "]=[" + amount + "][" + unit + "]";
}

std::string appendUnitLine(const std::string& path, const std::string& line) {
  std::string eol = "\n";
  bool needs_break = false;
  std::string old;
  const core::FileRead f = core::readRegularFile(path, old);
  if (f.status == core::ReadStatus::NotRegular || f.status == core::ReadStatus::TooLarge)
    return core::describeRead(f, path, "单位表文件");
  if (f.status == core::ReadStatus::Ok) {
    if (old.find("\r\n") != std::string::npos) eol = "\r\n";
    needs_break = !old.empty() && old.back() != '\n';
  }
  std::ofstream out(path, std::ios::binary | std::ios::app);
  if (!out) return "无法打开文件 " + path + "：" + std::strerror(errno);
  if (needs_break) out << eol;
  out << line << eol;
  out.flush();
  if (!out) return "写入文件 " + path + " 失败：" + std::strerror(errno);
  return {};
}

LoadedUnitTable loadUnitTableFile(const std::string& path, const std::string& default_bytes) {
  namespace fs = std::filesystem;
  LoadedUnitTable r;
  std::error_code ec;
  const fs::path p(path);
  if (!fs::exists(p, ec)) {
    if (p.has_parent_path()) fs::create_directories(p.parent_path(), ec);
    std::ofstream out(p, std::ios::binary);
    out << default_bytes;
    out.flush();
    if (!out) {
      r.error = "无法创建文件 " + path + "：" + std::strerror(errno);
      r.table = parseUnitTable(default_bytes);
      return r;
    }
    r.created = true;
  }
  std::string bytes;
  if (const core::FileRead f = core::readRegularFile(path, bytes); f.status != core::ReadStatus::Ok)
    r.error = core::describeRead(f, path, "单位表文件");
  else if (r.table = parseUnitTable(bytes); !r.table.error.empty())
    r.error = path + "：" + r.table.error;
  if (!r.error.empty()) r.table = parseUnitTable(default_bytes);
  return r;
}

}  // namespace models::tools
