// The estimation-mode page's description: its fields, the three tables as text fields, and
// the compute used by the command line.
#include <cctype>

#include "core/format.h"
#include "models/air/screen3_estimate.h"

namespace models::air {

namespace {

using core::FieldType;

void trim(std::string& s) {
  const auto a = s.find_first_not_of(" \t\r\n");
  if (a == std::string::npos) {
    s.clear();
    return;
  }
  s = s.substr(a, s.find_last_not_of(" \t\r\n") - a + 1);
}

// A small reader for the JSON forms of a table: [[cell, ...], ...] or [{"k": v, ...}, ...];
// cells are strings or numbers (numbers keep their text).
class JsonTable {
 public:
  explicit JsonTable(const std::string& s) : s_(s) {}
  bool read(std::vector<std::vector<std::string>>* rows) {
    if (!take('[')) return false;
    if (take(']')) return end();
    do {
      std::vector<std::string> row;
      if (!readRow(&row)) return false;
      rows->push_back(std::move(row));
    } while (take(','));
    return take(']') && end();
  }

 private:
  void blanks() {
    while (i_ < s_.size() && std::isspace(static_cast<unsigned char>(s_[i_]))) ++i_;
  }
  bool take(char c) {
    blanks();
    if (i_ < s_.size() && s_[i_] == c) {
      ++i_;
      return true;
    }
    return false;
  }
  bool end() {
    blanks();
    return i_ == s_.size();
  }
  bool readRow(std::vector<std::string>* row) {
    const bool object = take('{');
    if (!object && !take('[')) return false;
    const char close = object ? '}' : ']';
    if (take(close)) return true;
    do {
      std::string cell;
      if (object && !(readValue(&cell) && take(':'))) return false;
      if (!readValue(&cell)) return false;
      row->push_back(cell);
    } while (take(','));
    return take(close);
  }
  bool readValue(std::string* out) {
    blanks();
    out->clear();
    if (take('"')) {
      while (i_ < s_.size() && s_[i_] != '"') {
        if (s_[i_] == '\\' && i_ + 1 < s_.size()) ++i_;
        *out += s_[i_++];
      }
      return take('"');
    }
    while (i_ < s_.size() && std::string(",]}: \t\r\n").find(s_[i_]) == std::string::npos)
      *out += s_[i_++];
    return !out->empty();
  }
  const std::string& s_;
  size_t i_ = 0;
};

std::vector<std::string> splitCells(const std::string& line) {
  std::vector<std::string> cells;
  std::string cur;
  for (char ch : line) {
    if (ch == '\t' || ch == ',') {
      trim(cur);
      cells.push_back(cur);
      cur.clear();
    } else {
      cur += ch;
    }
  }
  trim(cur);
  cells.push_back(cur);
  return cells;
}

bool isHeaderCell(const std::string& s) { return s == "污染物" || s == "距离[m]"; }

std::vector<screen::TerrainRow> terrainRows(const std::string& text) {
  std::vector<screen::TerrainRow> out;
  for (const auto& cells : parseTableText(text))
    out.push_back({cells.empty() ? "" : cells[0], cells.size() > 1 ? cells[1] : ""});
  return out;
}

core::FieldDesc field(const char* key, int id, const char* label, const char* unit, double def,
                      const char* group, FieldType type = FieldType::Float) {
  return core::inputField(key, id, label, unit, def, group, type);
}

core::FieldDesc choice(const char* key, int id, const char* label, const char* group,
                       std::vector<std::string> choices) {
  core::FieldDesc f = field(key, id, label, "", 0, group, FieldType::Choice);
  f.choices = std::move(choices);
  return f;
}

core::FieldDesc text(const char* key, int id, const char* label, const char* def) {
  core::FieldDesc f = field(key, id, label, "", 0, "表格", FieldType::Text);
  f.default_text = def;
  return f;
}

core::Outcome run(const core::Values& v, const std::string&) {
  const Screen3Result r = computeScreen3(screen3InputFromValues(v), screen::defaultRunOptions());
  if (r.stop) return core::failed(*r.stop);
  core::Outcome o;
  o.text = r.summary;
  o.tables.push_back(r.table);
  return o;
}

constexpr const char* kOther = "其它参数";
constexpr const char* kSource = "污染源参数";

std::vector<core::FieldDesc> fields() {
  return {
      choice("type", 1300, "类型", kSource, {"点源", "面源", "体源", "点源（火炬）"}),
      choice("site", 1301, "项目位置", kOther, {"乡村", "城市"}),
      choice("met", 1302, "气象筛选法", kOther, {"自动筛选", "指定稳定度", "指定稳定度和10米风速"}),
      choice("stab", 1303, "稳定度", kOther, {"A", "B", "C", "D", "E", "F"}),
      field("u10", 1304, "10m风速", "[m/s]", 2, kOther),
      field("Ta", 1305, "环境温度", "[℃]", 20, kOther),
      field("zr", 1306, "计算点离地高度", "[m]", 0, kSource),
      field("H", 1307, "烟囱几何高度", "[m]", 30, "点源参数"),
      field("Ts", 1308, "烟气排放温度", "[℃]", 100, "点源参数"),
      field("D", 1309, "烟囱内径", "[m]", 0.5, "点源参数"),
      field("Vs", 1310, "烟气流速", "[m/s]", 12, "点源参数"),
      field("downwash", 1311, "考虑建筑物下洗", "", 0, "建筑物与熏烟", FieldType::CheckBox),
      field("bl", 1312, "建筑物长", "[m]", 100, "建筑物与熏烟"),
      field("bw", 1313, "宽", "[m]", 100, "建筑物与熏烟"),
      field("bh", 1314, "高", "[m]", 50, "建筑物与熏烟"),
      field("fumi", 1315, "考虑熏烟", "", 0, "建筑物与熏烟", FieldType::CheckBox),
      field("shore", 1316, "海岸线熏烟", "", 0, "建筑物与熏烟", FieldType::CheckBox),
      field("shore_d", 1317, "海岸线离源最短距离", "[m]", 200, "建筑物与熏烟"),
      field("area_he", 1318, "面源有效高度", "[m]", 10, "面源参数"),
      field("area_w", 1319, "面源宽度", "[m]", 10, "面源参数"),
      field("area_l", 1320, "面源长度", "[m]", 20, "面源参数"),
      choice("search", 1321, "角度搜索", "面源参数", {"自动搜索", "特定角度"}),
      field("angle", 1322, "相对长边角度", "[度]", 15, "面源参数"),
      field("vol_he", 1323, "体源有效高度", "[m]", 15, "体源参数"),
      field("vol_w", 1324, "体源宽度", "[m]", 100, "体源参数"),
      field("vol_l", 1325, "体源长度", "[m]", 100, "体源参数"),
      [] {
        auto f = field("vol_on", 1326, "体源位于", "", 0, "体源参数", FieldType::Radio);
        f.choices = {"平地上", "高地上", "建筑物上"};
        return f;
      }(),
      field("vol_bh", 1327, "建筑物高度", "[m]", 10, "体源参数"),
      field("sz0_on", 1328, "初始垂直扩散参数σz0", "", 0, "体源参数", FieldType::CheckBox),
      field("sz0", 1329, "初始垂直扩散参数σz0", "[m]", 6.97674, "体源参数"),
      field("sy0_on", 1330, "初始横向扩散参数σy0", "", 0, "体源参数", FieldType::CheckBox),
      field("sy0", 1331, "初始横向扩散参数σy0", "[m]", 23.2558, "体源参数"),
      field("flare_h", 1332, "烟囱几何高度", "[m]", 30, "点源（火炬）参数"),
      field("heat", 1333, "总的热释放率", "[Cal/s]", 100000, "点源（火炬）参数"),
      text("pollutants", 1334, "污染物", "SO2\t1\t0.5"),
      text("auto", 1335, "简单地形连续自动点输入", "5000\t0"),
      text("points", 1336, "任意地形任意点输入", ""),
  };
}

}  // namespace

std::vector<std::vector<std::string>> parseTableText(const std::string& text) {
  std::vector<std::vector<std::string>> rows;
  std::string t = text;
  trim(t);
  if (t.empty()) return rows;
  if (t[0] == '[') {
    if (!JsonTable(t).read(&rows)) rows.clear();
  } else {
    std::string line;
    for (size_t i = 0; i <= t.size(); ++i) {
      if (i == t.size() || t[i] == '\n' || t[i] == ';') {
        trim(line);
        if (!line.empty()) rows.push_back(splitCells(line));
        line.clear();
      } else {
        line += t[i];
      }
    }
  }
  if (!rows.empty() && !rows[0].empty() && isHeaderCell(rows[0][0])) rows.erase(rows.begin());
  return rows;
}

std::string tableText(const std::vector<std::vector<std::string>>& rows) {
  std::string out;
  for (const auto& row : rows) {
    if (!out.empty()) out += '\n';
    for (size_t j = 0; j < row.size(); ++j) out += (j ? "\t" : "") + row[j];
  }
  return out;
}

Screen3Input screen3InputFromValues(const core::Values& v) {
  Screen3Input in;
  auto& s = in.source;
  s.type = static_cast<screen::SourceType>(v.i("type"));
  s.urban = v.i("site") == 1;
  s.met = static_cast<screen::MetMode>(v.i("met"));
  s.stability = v.i("stab");
  s.wind10_m_s = v.f("u10");
  s.ambient_c = v.f("Ta");
  s.receptor_m = v.f("zr");
  s.stack_m = v.f("H");
  s.gas_c = v.f("Ts");
  s.diameter_m = v.f("D");
  s.velocity_m_s = v.f("Vs");
  s.downwash = v.i("downwash") != 0;
  s.building_length_m = v.f("bl");
  s.building_width_m = v.f("bw");
  s.building_height_m = v.f("bh");
  s.fumigation = v.i("fumi") != 0;
  s.shoreline = v.i("shore") != 0;
  s.shore_distance_m = v.f("shore_d");
  s.area_height_m = v.f("area_he");
  s.area_width_m = v.f("area_w");
  s.area_length_m = v.f("area_l");
  s.area_search = v.i("search") == 0;
  s.area_angle_deg = v.f("angle");
  s.volume_height_m = v.f("vol_he");
  s.sigma_y0_m = v.f("sy0");
  s.sigma_z0_m = v.f("sz0");
  s.flare_stack_m = v.f("flare_h");
  s.heat_cal_s = v.f("heat");
  s.automated = terrainRows(v.text("auto"));
  s.points = terrainRows(v.text("points"));
  for (const auto& cells : parseTableText(v.text("pollutants"))) {
    Screen3Pollutant p;
    p.name = cells.empty() ? "" : cells[0];
    p.q_text = cells.size() > 1 ? cells[1] : "";
    p.standard_text = cells.size() > 2 ? cells[2] : "";
    in.pollutants.push_back(std::move(p));
  }
  return in;
}

const core::CalculatorDesc& screen3EstimateDesc() {
  static const core::CalculatorDesc d = [] {
    core::CalculatorDesc c;
    c.id = "screen3";
    c.title = "估算模式SCREEN3计算08新导则";
    c.category = "大气预测工具";
    c.command = 32824;
    c.page = 34;
    c.template_id = 230;
    c.class_name = "CScreen3Dlg";
    c.fields = fields();
    c.actions = {{"compute", "预测结果", 0}};
    c.result_text_id = 1237;
    c.compute = run;
    return c;
  }();
  return d;
}

}  // namespace models::air
