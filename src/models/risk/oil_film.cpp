#include "models/risk/oil_film.h"

#include <cmath>

#include "core/binding.h"
#include "core/format.h"
#include "models/risk/risk_common.h"

namespace models::risk {

core::Check checkOilFilm(const OilFilmInput& in) {
  if (auto f = requireNotNegative(in.v0_m3, "V0", "溢油量V0")) return f;
  if (auto f = requireNotNegative(in.d0_m, "D0", "油膜初始时刻直径D0")) return f;
  if (auto f = requirePositive(in.gw_kg_m3, "gw", "水比重γ")) return f;
  if (auto f = requirePositive(in.go_kg_m3, "go", "石油比重γ0")) return f;
  if (!(in.go_kg_m3 < in.gw_kg_m3))
    return core::fail("石油比重γ0必须小于水比重γ，请重新输入！", "go");
  if (auto f = requireNotNegative(in.k_per_min, "K", "常数K")) return f;
  if (auto f = requireNotNegative(in.t_min, "t", "扩展时间t")) return f;
  return std::nullopt;
}

OilFilmResult computeOilFilm(const OilFilmInput& in) {
  OilFilmResult r;
  const double d0 = in.d0_m, gw = in.gw_kg_m3, go = in.go_kg_m3;
  const double cube = d0 * d0 * d0 + 24 * static_cast<double>(in.k_per_min) * (gw - go) *
                                         (go / gw) * in.v0_m3 * in.t_min / kPi;
  // The power 1/3 of a negative bracket is not a number, as the method's root is taken.
  r.dt_m = std::pow(cube, 1.0 / 3.0);
  r.text = core::cformat("%g分钟后油膜直径为%f[m]", static_cast<double>(in.t_min), r.dt_m);
  return r;
}

const core::CalculatorDesc& oilFilmDesc() {
  static const core::CalculatorDesc d = [] {
    core::CalculatorDesc c;
    c.id = "oil_film";
    c.method = "油膜扩展的 Fay 公式";
    c.formulas = "Dt³ = D0³ + (24/π)·K·(γ − γ0)·(γ0/γ)·V0·t";
    c.title = "油膜扩展直径计算";
    c.category = kCategory;
    c.command = 32822;
    c.page = 32;
    c.template_id = 222;
    c.class_name = "COilFilmDlg";
    using In = OilFilmInput;
    core::Form<In> form("油膜扩展直径计算");
    form.bind("V0", &In::v0_m3, 1001, "溢油量V0", "m³");
    form.bind("D0", &In::d0_m, 1002, "油膜初始时刻直径D0", "m");
    form.bind("gw", &In::gw_kg_m3, 1003, "水比重γ", "kg/m³");
    form.bind("go", &In::go_kg_m3, 1004, "石油比重γ0", "kg/m³");
    form.bind("K", &In::k_per_min, 1005, "常数K", "min^-1");
    form.bind("t", &In::t_min, 1006, "扩展时间t", "min");
    c.fields = form.fields();
    c.actions = {{"compute", "计算结果", 1007}};
    c.result_text_id = 1237;
    c.compute = form.compute([](const In& in, const std::string&) {
      if (auto f = checkOilFilm(in)) return core::failed(*f);
      core::Outcome o;
      o.text = computeOilFilm(in).text;
      return o;
    });
    return c;
  }();
  return d;
}

}  // namespace models::risk
