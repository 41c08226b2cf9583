#include "models/water/sewage.h"

namespace models::water {

namespace {
constexpr const char* kMsgNegative = "不能是负数，请重新输入";
constexpr const char* kMsgLogic = "逻辑常识错误，请重新输入";
// The method's unit factors are single-precision constants.
constexpr float kLitrePercentToTonne = 0.00001f;  // l -> t and percent in one factor
constexpr float kMgLToTonne = 0.000001f;          // t of water x mg/L -> t
constexpr float kKgToTonne = 0.001f;
}  // namespace

core::Check checkSewage(const SewageInput& in) {
  const float nonneg[] = {in.cod0_mg_l, in.cods_mg_l, in.staff,   in.resident,
                          in.days,      in.nh0_mg_l,  in.nhs_mg_l};
  for (float v : nonneg)
    if (v < 0) return core::fail(kMsgNegative, "N", core::kCaptionError);
  if (in.resident > in.staff) return core::fail(kMsgLogic, "Nr", core::kCaptionError);
  return std::nullopt;
}

SewageResult computeSewage(const SewageInput& in) {
  SewageResult r;
  const double n = in.staff, nr = in.resident, d = in.days;
  // Qd = ((N - Nr) wn + Nr wr) p 1e-5   t/day
  r.sewage_t_d = static_cast<float>(((n - nr) * in.water_nonres_l + nr * in.water_res_l) *
                                    in.sewage_pct * kLitrePercentToTonne);
  // The yearly sewage is stored first; the loads below use the stored value.
  r.sewage_t_y = static_cast<float>(static_cast<double>(r.sewage_t_d) * d);
  const double qy = r.sewage_t_y;
  r.water_t_y = static_cast<float>(qy * 100 / in.sewage_pct);
  r.cod_t_y = static_cast<float>(qy * in.cod0_mg_l * kMgLToTonne);
  r.cod_std_t_y = static_cast<float>(qy * in.cods_mg_l * kMgLToTonne);
  r.cod_cut_t_y = static_cast<float>(static_cast<double>(r.cod_t_y) - r.cod_std_t_y);
  // Garbage: 0.5 kg per non-resident and 1 kg per resident a day.
  r.garbage_kg_d = static_cast<float>((n - nr) * 0.5 + nr);
  r.garbage_t_y = static_cast<float>(static_cast<double>(r.garbage_kg_d) * d * kKgToTonne);
  r.nh_t_y = static_cast<float>(qy * in.nh0_mg_l * kMgLToTonne);
  r.nh_std_t_y = static_cast<float>(qy * in.nhs_mg_l * kMgLToTonne);
  r.nh_cut_t_y = static_cast<float>(static_cast<double>(r.nh_t_y) - r.nh_std_t_y);
  return r;
}

namespace {

core::Outcome run(const core::Values& v, const std::string&) {
  SewageInput in;
  in.staff = v.f("N");
  in.resident = v.f("Nr");
  in.days = v.f("d");
  in.water_nonres_l = v.f("wn");
  in.water_res_l = v.f("wr");
  in.sewage_pct = v.f("p");
  in.cod0_mg_l = v.f("COD0");
  in.cods_mg_l = v.f("CODs");
  in.nh0_mg_l = v.f("N0");
  in.nhs_mg_l = v.f("Ns");
  if (auto f = checkSewage(in)) return core::failed(*f);
  const SewageResult r = computeSewage(in);
  core::Outcome o;
  o.results.setNum("W", r.water_t_y);
  o.results.setNum("Qd", r.sewage_t_d);
  o.results.setNum("Qy", r.sewage_t_y);
  o.results.setNum("COD", r.cod_t_y);
  o.results.setNum("CODstd", r.cod_std_t_y);
  o.results.setNum("NH", r.nh_t_y);
  o.results.setNum("NHstd", r.nh_std_t_y);
  o.results.setNum("CODcut", r.cod_cut_t_y);
  o.results.setNum("NHcut", r.nh_cut_t_y);
  o.results.setNum("Gd", r.garbage_kg_d);
  o.results.setNum("Gy", r.garbage_t_y);
  return o;
}

core::FieldDesc input(const char* key, int id, const char* label, const char* unit, double def) {
  return core::inputField(key, id, label, unit, def, "生活污水和垃圾");
}

core::FieldDesc output(const char* key, int id, const char* label, const char* unit) {
  return core::resultField(key, id, label, unit, "计算结果");
}

}  // namespace

const core::CalculatorDesc& sewageDesc() {
  static const core::CalculatorDesc d = [] {
    core::CalculatorDesc c;
    c.id = "sewage";
    c.title = "生活污水和垃圾";
    c.category = "水预测工具";
    c.command = 32807;
    c.page = 1;
    c.template_id = 129;
    c.class_name = "CSewageDlg";
    c.fields = {
        input("N", 1005, "工人数", "", 0),
        input("Nr", 1006, "其中住宿人数", "", 0),
        input("d", 1007, "工作天数", "", 300),
        input("wn", 1008, "不住宿每人每日用水量以", "升计;", 50),
        input("wr", 1009, "住宿每人每日用水量以", "升计", 100),
        input("p", 1010, "排水量按照用水量的", "%计", 80),
        input("COD0", 1011, "COD初始浓度", "mg/L", 500),
        input("CODs", 1012, "COD达标浓度", "mg/L", 100),
        input("N0", 1013, "NH3-N初始浓度", "mg/L", 35),
        input("Ns", 1015, "NH3-N达标浓度", "mg/L", 15),
        output("W", 1014, "年用水量", "吨"),
        output("Qd", 1016, "日排放量", "吨"),
        output("Qy", 1017, "年排放量", "吨"),
        output("COD", 1018, "COD年排放量", "吨"),
        output("CODstd", 1019, "COD达标年排放量", "吨"),
        output("NH", 1020, "NH3-N年排放量", "吨"),
        output("NHstd", 1021, "NH3-N达标年排放量", "吨"),
        output("CODcut", 1022, "COD削减量", "吨"),
        output("NHcut", 1023, "NH3-N削减量", "吨"),
        output("Gd", 1024, "生活垃圾日产量", "千克"),
        output("Gy", 1025, "生活垃圾年产量", "吨"),
    };
    c.actions = {{"compute", "计算", 1026}};
    c.compute = run;
    return c;
  }();
  return d;
}

}  // namespace models::water
