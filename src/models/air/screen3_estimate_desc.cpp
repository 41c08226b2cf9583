// The estimation-mode page's description: its fields, the three tables as text fields, and
// the compute used by the command line.
#include <nlohmann/json.hpp>

#include "core/binding.h"
#include "core/format.h"
#include "core/parse.h"
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

// The JSON forms of a table: [[cell, ...], ...] or [{"k": v, ...}, ...]; cells are strings or
// numbers (numbers keep their printed text). Keys of an object row keep their order.
std::vector<std::vector<std::string>> jsonRows(const std::string& text) {
  using Json = nlohmann::ordered_json;
  Json doc;
  if (core::jsonNestingDepth(text) > core::kMaxJsonNesting)
    throw TableTextError(core::cformat("表格的JSON文本嵌套超过%zu层", core::kMaxJsonNesting));
  try {
    doc = Json::parse(text);
  } catch (const Json::parse_error& e) {
    throw TableTextError(
        core::cformat("表格的JSON文本在第%zu个字符处无法解析（%s）", e.byte, e.what()));
  }
  if (!doc.is_array()) throw TableTextError("表格的JSON文本应是由行组成的数组");
  std::vector<std::vector<std::string>> rows;
  for (size_t i = 0; i < doc.size(); ++i) {
    const Json& row = doc[i];
    if (!row.is_array() && !row.is_object())
      throw TableTextError(core::cformat("表格的JSON文本第%zu行不是数组或对象", i + 1));
    std::vector<std::string> cells;
    size_t j = 0;
    for (const auto& cell : row) {
      ++j;
      if (cell.is_string())
        cells.push_back(cell.get<std::string>());
      else if (cell.is_number())
        cells.push_back(cell.dump());
      else
        throw TableTextError(core::cformat("表格的JSON文本第%zu行第%zu列不是文本或数字", i + 1, j));
    }
    rows.push_back(std::move(cells));
  }
  return rows;
}

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

constexpr const char* kOther = "其它参数";
constexpr const char* kSource = "污染源参数";
constexpr const char* kPoint = "点源参数";
constexpr const char* kBuilding = "建筑物与熏烟";
constexpr const char* kArea = "面源参数";
constexpr const char* kVolume = "体源参数";
constexpr const char* kFlare = "点源（火炬）参数";

using Source = screen::EstimateSource;

constexpr const char* kPollutantLabel = "污染物";
constexpr const char* kAutoLabel = "简单地形连续自动点输入";
constexpr const char* kPointsLabel = "任意地形任意点输入";

// The rows of a table field; a text that cannot be read gives no rows and its message (the
// first one) in *error.
std::vector<std::vector<std::string>> tableRows(const core::Values& v, const char* key,
                                                const char* label, std::string* error) {
  try {
    return parseTableText(v.text(key));
  } catch (const TableTextError& e) {
    if (error->empty()) *error = std::string(label) + e.what();
    return {};
  }
}

std::vector<screen::TerrainRow> terrainRows(const std::vector<std::vector<std::string>>& rows) {
  std::vector<screen::TerrainRow> out;
  for (const auto& cells : rows)
    out.push_back({cells.empty() ? "" : cells[0], cells.size() > 1 ? cells[1] : ""});
  return out;
}

// A field the page reads for itself (the volume-source helpers), with no member of the source.
core::FieldDesc pageField(const char* key, int id, const char* label, const char* unit, double def,
                          const char* group, FieldType type = FieldType::Float) {
  return core::inputField(key, id, label, unit, def, group, type);
}

core::FieldDesc tableField(const char* key, int id, const char* label, const char* def) {
  core::FieldDesc f = pageField(key, id, label, "", 0, "表格", FieldType::Text);
  f.default_text = def;
  return f;
}

core::Form<Source> makeSourceForm() {
  core::Form<Source> f;
  f.group(kSource).choice("type", &Source::type, 1300, "类型",
                          {"点源", "面源", "体源", "点源（火炬）"});
  f.group(kOther).choice("site", &Source::urban, 1301, "项目位置", {"乡村", "城市"});
  f.choice("met", &Source::met, 1302, "气象筛选法",
           {"自动筛选", "指定稳定度", "指定稳定度和10米风速"});
  f.choice("stab", &Source::stability, 1303, "稳定度", {"A", "B", "C", "D", "E", "F"});
  f.bind("u10", &Source::wind10_m_s, 1304, "10m风速", "[m/s]");
  f.bind("Ta", &Source::ambient_c, 1305, "环境温度", "[℃]");
  f.group(kSource).bind("zr", &Source::receptor_m, 1306, "计算点离地高度", "[m]");
  f.group(kPoint).bind("H", &Source::stack_m, 1307, "烟囱几何高度", "[m]");
  f.bind("Ts", &Source::gas_c, 1308, "烟气排放温度", "[℃]");
  f.bind("D", &Source::diameter_m, 1309, "烟囱内径", "[m]");
  f.bind("Vs", &Source::velocity_m_s, 1310, "烟气流速", "[m/s]");
  f.group(kBuilding).check("downwash", &Source::downwash, 1311, "考虑建筑物下洗");
  f.bind("bl", &Source::building_length_m, 1312, "建筑物长", "[m]");
  f.bind("bw", &Source::building_width_m, 1313, "宽", "[m]");
  f.bind("bh", &Source::building_height_m, 1314, "高", "[m]");
  f.check("fumi", &Source::fumigation, 1315, "考虑熏烟");
  f.check("shore", &Source::shoreline, 1316, "海岸线熏烟");
  f.bind("shore_d", &Source::shore_distance_m, 1317, "海岸线离源最短距离", "[m]").sym("xs");
  f.group(kArea).bind("area_he", &Source::area_height_m, 1318, "面源有效高度", "[m]").sym("He");
  f.bind("area_w", &Source::area_width_m, 1319, "面源宽度", "[m]").sym("W");
  f.bind("area_l", &Source::area_length_m, 1320, "面源长度", "[m]").sym("L");
  f.choice("search", &Source::area_direction, 1321, "角度搜索", {"自动搜索", "特定角度"});
  f.bind("angle", &Source::area_angle_deg, 1322, "相对长边角度", "[°]").sym("θ");
  f.group(kVolume).bind("vol_he", &Source::volume_height_m, 1323, "体源有效高度", "[m]").sym("He");
  f.extra(pageField("vol_w", 1324, "体源宽度", "[m]", 100, kVolume).sym("W"));
  f.extra(pageField("vol_l", 1325, "体源长度", "[m]", 100, kVolume).sym("L"));
  core::FieldDesc on = pageField("vol_on", 1326, "体源位于", "", 0, kVolume, FieldType::Radio);
  on.choices = {"平地上", "高地上", "建筑物上"};
  f.extra(on);
  f.extra(pageField("vol_bh", 1327, "建筑物高度", "[m]", 10, kVolume).sym("hb"));
  f.extra(pageField("sz0_on", 1328, "初始垂直扩散参数σz0", "", 0, kVolume, FieldType::CheckBox));
  f.bind("sz0", &Source::sigma_z0_m, 1329, "初始垂直扩散参数σz0", "[m]");
  f.extra(pageField("sy0_on", 1330, "初始横向扩散参数σy0", "", 0, kVolume, FieldType::CheckBox));
  f.bind("sy0", &Source::sigma_y0_m, 1331, "初始横向扩散参数σy0", "[m]");
  f.group(kFlare).bind("flare_h", &Source::flare_stack_m, 1332, "烟囱几何高度", "[m]").sym("H");
  f.bind("heat", &Source::heat_cal_s, 1333, "总的热释放率", "[Cal/s]").sym("Qh");
  // The three tables as text; screen3InputFromValues reads them (a table that cannot be read
  // refuses the computation with its message).
  f.extra(tableField("pollutants", 1334, kPollutantLabel, "SO2\t1\t0.5"));
  f.extra(tableField("auto", 1335, kAutoLabel, "5000\t0"));
  f.extra(tableField("points", 1336, kPointsLabel, ""));
  return f;
}

const core::Form<Source>& sourceForm() {
  static const core::Form<Source> f = makeSourceForm();
  return f;
}

}  // namespace

std::vector<std::vector<std::string>> parseTableText(const std::string& text) {
  std::vector<std::vector<std::string>> rows;
  std::string t = text;
  trim(t);
  if (t.empty()) return rows;
  if (t[0] == '[') {
    rows = jsonRows(t);
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
  in.source = sourceForm().read(v);
  std::string& error = in.table_error;
  for (const auto& cells : tableRows(v, "pollutants", kPollutantLabel, &error)) {
    Screen3Pollutant p;
    p.name = cells.empty() ? "" : cells[0];
    p.q_text = cells.size() > 1 ? cells[1] : "";
    p.standard_text = cells.size() > 2 ? cells[2] : "";
    in.pollutants.push_back(std::move(p));
  }
  in.source.automated = terrainRows(tableRows(v, "auto", kAutoLabel, &error));
  in.source.points = terrainRows(tableRows(v, "points", kPointsLabel, &error));
  return in;
}

core::ComputeFn screen3Compute(screen::RunStep step) {
  return [step = std::move(step)](const core::Values& v, const std::string&) {
    const Screen3Result r = computeScreen3(screen3InputFromValues(v), step);
    if (r.stop) return core::failed(*r.stop);
    core::Outcome o;
    o.text = r.summary;
    o.tables.push_back(r.table);
    return o;
  };
}

const core::CalculatorDesc& screen3EstimateDesc() {
  static const core::CalculatorDesc d = [] {
    core::CalculatorDesc c;
    c.id = "screen3";
    c.method = "HJ 2.2-2008《环境影响评价技术导则 大气环境》：估算模式（SCREEN3）与评价等级";
    c.formulas =
        "Pi = Ci / C0i × 100%（Ci：估算模式计算的最大地面浓度，C0i：环境空气质量标准）\n"
        "评价等级按最大占标率 Pmax 与 D10% 判定";
    c.title = "估算模式SCREEN3计算08新导则";
    c.category = "大气预测工具";
    c.command = 32824;
    c.page = 34;
    c.template_id = 230;
    c.class_name = "CScreen3Dlg";
    c.fields = sourceForm().fields();
    c.actions = {{"compute", "预测结果", 0}};
    c.result_text_id = 1237;
    // Without a program chosen by the caller: kuvascreen beside the running executable.
    c.compute = screen3Compute(screen::programStep(screen::programOptions("")));
    return c;
  }();
  return d;
}

}  // namespace models::air
