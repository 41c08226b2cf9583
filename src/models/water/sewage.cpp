#include "models/water/sewage.h"

#include "core/binding.h"

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
  // The water used is the sewage divided by this share.
  if (!(in.sewage_pct > 0 && in.sewage_pct <= 100))
    return core::fail("排水量占用水量的比例p必须大于0且不大于100%，请重新输入！", "p",
                      core::kCaptionError);
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

const core::CalculatorDesc& sewageDesc() {
  static const core::CalculatorDesc d = [] {
    core::CalculatorDesc c;
    c.id = "sewage";
    c.method =
        "按用水定额与排水系数估算生活污水量，按浓度估算污染物排放量，按人均日产量估算生活垃圾";
    c.formulas =
        "Qd = ((N − Nr)·wn + Nr·wr)·p·10⁻⁵  [t/d]\n"
        "Qy = Qd·d,  W = Qy·100 / p\n"
        "COD = Qy·COD0·10⁻⁶,  CODstd = Qy·CODs·10⁻⁶,  CODcut = COD − CODstd\n"
        "NH = Qy·N0·10⁻⁶,  NHstd = Qy·Ns·10⁻⁶,  NHcut = NH − NHstd\n"
        "Gd = 0.5·(N − Nr) + 1.0·Nr  [kg/d],  Gy = Gd·d / 1000  [t/a]";
    c.title = "生活污水和垃圾";
    c.category = "水预测工具";
    c.command = 32807;
    c.page = 1;
    c.template_id = 129;
    c.class_name = "CSewageDlg";
    core::Form<SewageInput> form("生活污水和垃圾");
    form.bind("N", &SewageInput::staff, 1005, "工人数");
    form.bind("Nr", &SewageInput::resident, 1006, "其中住宿人数");
    form.bind("d", &SewageInput::days, 1007, "工作天数");
    form.bind("wn", &SewageInput::water_nonres_l, 1008, "不住宿每人每日用水量以", "升计;")
        .sym("wn", "L/(人·d)");
    form.bind("wr", &SewageInput::water_res_l, 1009, "住宿每人每日用水量以", "升计")
        .sym("wr", "L/(人·d)");
    form.bind("p", &SewageInput::sewage_pct, 1010, "排水量按照用水量的", "%计").sym("p", "%");
    form.bind("COD0", &SewageInput::cod0_mg_l, 1011, "COD初始浓度", "mg/L");
    form.bind("CODs", &SewageInput::cods_mg_l, 1012, "COD达标浓度", "mg/L");
    form.bind("N0", &SewageInput::nh0_mg_l, 1013, "NH3-N初始浓度", "mg/L");
    form.bind("Ns", &SewageInput::nhs_mg_l, 1015, "NH3-N达标浓度", "mg/L");
    core::Outputs<SewageResult> outs("计算结果");
    outs.bind("W", &SewageResult::water_t_y, 1014, "年用水量", "吨").nonNegative();
    outs.bind("Qd", &SewageResult::sewage_t_d, 1016, "日排放量", "吨").nonNegative();
    outs.bind("Qy", &SewageResult::sewage_t_y, 1017, "年排放量", "吨").nonNegative();
    outs.bind("COD", &SewageResult::cod_t_y, 1018, "COD年排放量", "吨").nonNegative();
    outs.bind("CODstd", &SewageResult::cod_std_t_y, 1019, "COD达标年排放量", "吨");
    outs.bind("NH", &SewageResult::nh_t_y, 1020, "NH3-N年排放量", "吨").nonNegative();
    outs.bind("NHstd", &SewageResult::nh_std_t_y, 1021, "NH3-N达标年排放量", "吨");
    outs.bind("CODcut", &SewageResult::cod_cut_t_y, 1022, "COD削减量", "吨");
    outs.bind("NHcut", &SewageResult::nh_cut_t_y, 1023, "NH3-N削减量", "吨");
    outs.bind("Gd", &SewageResult::garbage_kg_d, 1024, "生活垃圾日产量", "千克").nonNegative();
    outs.bind("Gy", &SewageResult::garbage_t_y, 1025, "生活垃圾年产量", "吨").nonNegative();
    c.fields = core::concat(form.fields(), outs.fields());
    c.actions = {{"compute", "计算", 1026}};
    c.compute = form.compute([outs](const SewageInput& in, const std::string&) {
      if (auto f = checkSewage(in)) return core::failed(*f);
      core::Outcome o;
      outs.write(computeSewage(in), o.results);
      return o;
    });
    return c;
  }();
  return d;
}

}  // namespace models::water
