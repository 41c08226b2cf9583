// Description of the point-source dispersion page: the source tab, the meteorology tab and the
// result tab's buttons; the compute runs the whole model on the copied values.
#include "core/binding.h"
#include "models/air/point_source.h"

namespace models::air {

namespace {

constexpr const char* kSourceGroup = "污染源相关参数";
constexpr const char* kMetGroup = "气象相关参数";
constexpr const char* kResultGroup = "计算结果";

const std::vector<std::string> kAutoOrTyped = {"自动计算", "手工输入"};

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

using In = PointSourceInput;
using Res = PointSourceResult;

const core::Form<In>& pointSourceForm() {
  static const core::Form<In> form = [] {
    const auto radio = core::FieldType::Radio;
    core::Form<In> f(kSourceGroup);
    // Source tab.
    f.bind("H", &In::stack_height_m, 1001, "烟筒距地面几何高度 H", "[m]");
    f.bind("Q", &In::emission_mg_s, 1002, "点源排放量 Q", "[mg/s]").nonNegative();
    f.bind("Xmin", &In::xmin_m, 1003, "下风向相对坐标(X,Y)[(m,m)]: Xmin").sym("Xmin", "m");
    f.bind("Xmax", &In::xmax_m, 1004, "Xmax").sym("Xmax", "m");
    f.bind("Ymin", &In::ymin_m, 1005, ",Ymin").sym("Ymin", "m");
    f.bind("Ymax", &In::ymax_m, 1006, ",Ymax").sym("Ymax", "m");
    f.bind("step", &In::step_m, 1007, "步长", "[m]").sym("Δx");
    f.choice("grade", &In::grade, 1008, "评价等级", {"一级", "二级", "三级"});
    f.bind("Umode", &In::exit_wind_typed, 1009, "烟筒出口风速 U [m/s]", "", radio).choices =
        kAutoOrTyped;
    f.bind("U", &In::exit_wind_m_s, 1010, "烟筒出口风速 U", "[m/s]");
    f.bind("dHmode", &In::rise_typed, 1011, "烟气抬升高度ΔH [m]", "", radio).choices = kAutoOrTyped;
    f.bind("dH", &In::rise_m, 1012, "烟气抬升高度ΔH", "[m]");
    f.bind("Qv", &In::gas_flow_m3_s, 1013, "烟筒出口烟气量Qv", "[m³/s]").nonNegative();
    f.bind("Ts", &In::gas_temp_c, 1014, "烟气出口温度Ts", "[℃]");
    f.bind("D", &In::diameter_m, 1015, "烟筒出口直径D", "[m]");
    f.bind("dTdz", &In::lapse_k_m, 1016, "烟筒几何高度以上的大气温度梯度dT/dZ", "[K/m]");
    f.bind("Ta", &In::air_temp_c, 1017, "环境大气温度Ta", "[℃]");
    f.bind("Pa", &In::pressure_kpa, 1018, "大气压力Pa", "[kPa]");
    // Meteorology tab.
    f.group(kMetGroup);
    f.bind("U10", &In::u10_m_s, 1021, "地面10m高风速 U10", "[m/s]");
    f.choice("class", &In::stability, 1022, "大气稳定度等级", {"A", "B", "C", "D", "E", "F"});
    f.choice("surface", &In::surface, 1023, "地表状况",
             {"平原地区农村或城市远郊区", "平原地区工业区、城市及近郊区"});
    f.bind("hmode", &In::mixing_typed, 1024, "混合层厚度 h [m]", "", radio).choices = kAutoOrTyped;
    f.bind("lat", &In::latitude_deg, 1025, "地理纬度", "[°]").sym("φ");
    f.choice("region", &In::region, 1026, "所在地区", regions());
    f.bind("h", &In::mixing_m, 1027, "混合层厚度 h", "[m]");
    f.bind("sigmode", &In::sigma_typed, 1028, "扩散参数选取", "", radio).choices = kAutoOrTyped;
    f.bind("t", &In::sampling_h, 1029, "取样时间 t", "[h]");
    f.bind("ay", &In::ay, 1030, "回归指数αy");
    f.bind("az", &In::az, 1031, "回归指数αz");
    f.bind("gy", &In::gy, 1032, "回归系数γy");
    f.bind("gz", &In::gz, 1033, "回归系数γz");
    return f;
  }();
  return form;
}

// Values the computation used (the result tab's report shows them).
core::Outputs<Res> pointSourceOutputs() {
  core::Outputs<Res> outs(kResultGroup);
  outs.bind("cm", &Res::cm_mg_m3, 0, "烟筒下风向一次最大地面浓度cm", "mg/m³").nonNegative();
  outs.bind("Xm", &Res::xm_m, 0, "距烟筒距离Xm", "m");
  outs.bind("U_used", &Res::exit_wind_m_s, 0, "烟筒出口风速U", "m/s");
  outs.bind("He", &Res::he_m, 0, "烟筒有效高度He", "m");
  outs.bind("dH_used", &Res::rise_m, 0, "烟气抬升高度ΔH", "m");
  outs.bind("h_used", &Res::mixing_m, 0, "混合层厚度h", "m");
  outs.bind("ay_used", &Res::sigma, &SigmaSet::ay, 0, "回归指数αy");
  outs.bind("az_used", &Res::sigma, &SigmaSet::az, 0, "回归指数αz");
  outs.bind("gy_used", &Res::sigma, &SigmaSet::gy, 0, "回归系数γy");
  outs.bind("gz_used", &Res::sigma, &SigmaSet::gz, 0, "回归系数γz");
  outs.bind("g01", &Res::light, &LightWindSet::g01, 0, "小风和静风回归系数γ01");
  outs.bind("g02", &Res::light, &LightWindSet::g02, 0, "小风和静风回归系数γ02");
  outs.bind("Qh", &Res::heat_kj_s, 0, "烟气热释放率Qh", "kJ/s");
  return outs;
}

}  // namespace

PointSourceInput pointSourceInput(const core::Values& v) { return pointSourceForm().read(v); }

const core::CalculatorDesc& pointSourceDesc() {
  static const core::CalculatorDesc d = [] {
    core::CalculatorDesc c;
    c.id = "pointsource";
    c.method = "HJ/T 2.2-93《环境影响评价技术导则 大气环境》：点源高斯扩散模式";
    c.formulas =
        "有风（U10 ≥ 1.5 m/s）：C = Q·F·exp(−y²/(2σy²)) / (2π·U·σy·σz)，F 为地面及混合层反射项\n"
        "小风和静风（U10 < 1.5 m/s）：C = 2Q·G(s) / ((2π)^1.5·γ02·η²)\n"
        "U = U10·(H/10)^p,  Qh = 3.5·Pa·Qv·(Ts − Ta) / (Ts + 273),  He = H + ΔH\n"
        "σy = γy·x^αy,  σz = γz·x^αz\n"
        "cm = 2Q / (e·π·U·He²·P1),  Xm = (He/γz)^(1/αz)·(1 + αy/αz)^(−1/(2αz))";
    c.title = "点源扩散模式计算";
    c.category = "大气预测工具";
    c.command = 32803;
    c.page = 18;
    c.template_id = 175;
    c.class_name = "CPointSourceDlg";
    core::Outputs<Res> outs = pointSourceOutputs();
    c.fields = core::concat(pointSourceForm().fields(), outs.fields());
    for (auto& f : c.fields)
      if (f.result) f.format = "%f";
    c.actions = {{"compute", "计算结果", 1100},
                 {"excel", "结果导入EXCEL", 1102},
                 {"curve", "X-C图", 1103},
                 {"contour", "等值线图", 1104}};
    c.compute = pointSourceForm().compute([outs](const In& in, const std::string&) {
      if (auto f = checkPointSource(in)) return core::failed(*f);
      const PointSourceResult r = computePointSource(in);
      core::Outcome o;
      outs.write(r, o.results);
      o.text = pointSourceReport(r);
      o.tables.push_back(pointSourceTable(r));
      o.grid = pointSourceGrid(r, o.tables.front());
      return o;
    });
    c.result_text_id = 1237;
    return c;
  }();
  return d;
}

}  // namespace models::air
