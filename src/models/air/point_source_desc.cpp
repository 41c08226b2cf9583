// Description of the point-source dispersion page: the source tab, the meteorology tab and the
// result tab's buttons; the compute runs the whole model on the copied values.
#include "models/air/point_source.h"

namespace models::air {

namespace {

constexpr const char* kSourceGroup = "污染源相关参数";
constexpr const char* kMetGroup = "气象相关参数";
constexpr const char* kResultGroup = "计算结果";

const std::vector<std::string> kAutoOrTyped = {"自动计算", "手工输入"};

core::FieldDesc field(const char* key, int id, const char* label, const char* unit, double def,
                      const char* group) {
  return core::inputField(key, id, label, unit, def, group);
}

core::FieldDesc choice(const char* key, int id, const char* label, std::vector<std::string> items,
                       int def, const char* group, core::FieldType type = core::FieldType::Choice) {
  core::FieldDesc f = field(key, id, label, "", def, group);
  f.type = type;
  f.choices = std::move(items);
  return f;
}

core::FieldDesc result(const char* key, const char* label, const char* unit) {
  core::FieldDesc f = field(key, 0, label, unit, 0, kResultGroup);
  f.result = true;
  f.format = "%f";
  return f;
}

std::vector<std::string> regions() {
  return {"浙江",
          "江苏",
          "上海",
          "广东",
          "广西",
          "湖南",
          "湖北",
          "安徽",
          "海南",
          "台湾",
          "福建",
          "江西",
          "黑龙江",
          "吉林",
          "辽宁",
          "内蒙古",
          "北京",
          "天津",
          "河北",
          "河南",
          "山东",
          "山西",
          "陕西（秦岭以北）",
          "陕西（秦岭以南）",
          "宁夏",
          "甘肃（渭河以北）",
          "甘肃（渭河以南）",
          "云南",
          "贵州",
          "四川",
          "新疆",
          "西藏",
          "青海"};
}

core::Outcome run(const core::Values& v, const std::string&) {
  const PointSourceInput in = pointSourceInput(v);
  if (auto f = checkPointSource(in)) return core::failed(*f);
  const PointSourceResult r = computePointSource(in);
  core::Outcome o;
  o.results.setNum("cm", r.cm_mg_m3);
  o.results.setNum("Xm", r.xm_m);
  o.results.setNum("U_used", r.exit_wind_m_s);
  o.results.setNum("He", r.he_m);
  o.results.setNum("dH_used", r.rise_m);
  o.results.setNum("h_used", r.mixing_m);
  o.results.setNum("ay_used", r.sigma.ay);
  o.results.setNum("az_used", r.sigma.az);
  o.results.setNum("gy_used", r.sigma.gy);
  o.results.setNum("gz_used", r.sigma.gz);
  o.results.setNum("g01", r.light.g01);
  o.results.setNum("g02", r.light.g02);
  o.results.setNum("Qh", r.heat_kj_s);
  o.text = pointSourceReport(r);
  o.tables.push_back(pointSourceTable(r));
  o.grid = pointSourceGrid(r, o.tables.front());
  return o;
}

}  // namespace

PointSourceInput pointSourceInput(const core::Values& v) {
  PointSourceInput in;
  in.stack_height_m = v.f("H");
  in.emission_mg_s = v.f("Q");
  in.xmin_m = v.f("Xmin");
  in.xmax_m = v.f("Xmax");
  in.ymin_m = v.f("Ymin");
  in.ymax_m = v.f("Ymax");
  in.step_m = v.f("step");
  in.grade = v.i("grade");
  in.exit_wind_typed = v.i("Umode") == 1;
  in.exit_wind_m_s = v.f("U");
  in.rise_typed = v.i("dHmode") == 1;
  in.rise_m = v.f("dH");
  in.gas_flow_m3_s = v.f("Qv");
  in.gas_temp_c = v.f("Ts");
  in.diameter_m = v.f("D");
  in.lapse_k_m = v.f("dTdz");
  in.air_temp_c = v.f("Ta");
  in.pressure_kpa = v.f("Pa");
  in.u10_m_s = v.f("U10");
  in.stability = v.i("class");
  in.surface = v.i("surface");
  in.mixing_typed = v.i("hmode") == 1;
  in.latitude_deg = v.f("lat");
  in.region = v.i("region");
  in.mixing_m = v.f("h");
  in.sigma_typed = v.i("sigmode") == 1;
  in.sampling_h = v.f("t");
  in.ay = v.f("ay");
  in.az = v.f("az");
  in.gy = v.f("gy");
  in.gz = v.f("gz");
  return in;
}

const core::CalculatorDesc& pointSourceDesc() {
  static const core::CalculatorDesc d = [] {
    core::CalculatorDesc c;
    c.id = "pointsource";
    c.title = "点源扩散模式计算";
    c.category = "大气预测工具";
    c.command = 32803;
    c.page = 18;
    c.template_id = 175;
    c.class_name = "CPointSourceDlg";
    const auto radio = core::FieldType::Radio;
    c.fields = {
        // Source tab.
        field("H", 1001, "烟筒距地面几何高度 H", "[m]", 50, kSourceGroup),
        field("Q", 1002, "点源排放量 Q", "[mg/s]", 1000, kSourceGroup),
        field("Xmin", 1003, "下风向相对坐标(X,Y)[(m,m)]: Xmin", "", 0, kSourceGroup),
        field("Xmax", 1004, "Xmax", "", 1000, kSourceGroup),
        field("Ymin", 1005, ",Ymin", "", -500, kSourceGroup),
        field("Ymax", 1006, ",Ymax", "", 500, kSourceGroup),
        field("step", 1007, "步长", "[m]", 100, kSourceGroup),
        choice("grade", 1008, "评价等级", {"一级", "二级", "三级"}, 2, kSourceGroup),
        choice("Umode", 1009, "烟筒出口风速 U [m/s]", kAutoOrTyped, 0, kSourceGroup, radio),
        field("U", 1010, "烟筒出口风速 U", "[m/s]", 3, kSourceGroup),
        choice("dHmode", 1011, "烟气抬升高度ΔH [m]", kAutoOrTyped, 0, kSourceGroup, radio),
        field("dH", 1012, "烟气抬升高度ΔH", "[m]", 20, kSourceGroup),
        field("Qv", 1013, "烟筒出口烟气量Qv", "[m^3/s]", 10, kSourceGroup),
        field("Ts", 1014, "烟气出口温度Ts", "[℃]", 100, kSourceGroup),
        field("D", 1015, "烟筒出口直径D", "[m]", 1, kSourceGroup),
        field("dTdz", 1016, "烟筒几何高度以上的大气温度梯度dT/dZ", "[K/m]", 0.01, kSourceGroup),
        field("Ta", 1017, "环境大气温度Ta", "[℃]", 20, kSourceGroup),
        field("Pa", 1018, "大气压力Pa", "[KPa]", 101.325, kSourceGroup),
        // Meteorology tab.
        field("U10", 1021, "地面10m高风速 U10", "[m/s]", 2, kMetGroup),
        choice("class", 1022, "大气稳定度等级", {"A", "B", "C", "D", "E", "F"}, 0, kMetGroup),
        choice("surface", 1023, "地表状况",
               {"平原地区农村或城市远郊区", "平原地区工业区、城市及近郊区"}, 0, kMetGroup),
        choice("hmode", 1024, "混合层厚度 h [m]", kAutoOrTyped, 0, kMetGroup, radio),
        field("lat", 1025, "地理纬度", "[度]", 27, kMetGroup),
        choice("region", 1026, "所在地区", regions(), 0, kMetGroup),
        field("h", 1027, "混合层厚度 h", "[m]", 350, kMetGroup),
        choice("sigmode", 1028, "扩散参数选取", kAutoOrTyped, 0, kMetGroup, radio),
        field("t", 1029, "取样时间 t", "[h]", 1, kMetGroup),
        field("ay", 1030, "回归指数αy", "", 0.901074, kMetGroup),
        field("az", 1031, "回归指数αz", "", 1.12154, kMetGroup),
        field("gy", 1032, "回归系数γy", "", 0.425809, kMetGroup),
        field("gz", 1033, "回归系数γz", "", 0.0799904, kMetGroup),
        // Values the computation used (the result tab's report shows them).
        result("cm", "烟筒下风向一次最大地面浓度cm", "mg/m^3"),
        result("Xm", "距烟筒距离Xm", "m"),
        result("U_used", "烟筒出口风速U", "m/s"),
        result("He", "烟筒有效高度He", "m"),
        result("dH_used", "烟气抬升高度ΔH", "m"),
        result("h_used", "混合层厚度h", "m"),
        result("ay_used", "回归指数αy", ""),
        result("az_used", "回归指数αz", ""),
        result("gy_used", "回归系数γy", ""),
        result("gz_used", "回归系数γz", ""),
        result("g01", "小风和静风回归系数γ01", ""),
        result("g02", "小风和静风回归系数γ02", ""),
        result("Qh", "烟气热释放率Qh", "KJ/s"),
    };
    c.actions = {{"compute", "计算结果", 1100},
                 {"excel", "结果导入EXCEL", 1102},
                 {"curve", "X-C图", 1103},
                 {"contour", "等值线图", 1104}};
    c.compute = run;
    c.result_text_id = 1237;
    return c;
  }();
  return d;
}

}  // namespace models::air
