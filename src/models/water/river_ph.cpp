#include "models/water/river_ph.h"

#include <cmath>

#include "core/binding.h"
#include "core/format.h"

namespace models::water {

namespace {
constexpr const char* kGroupParams = "河流pH模式 参数输入";

// Interpolation between tabulated values (x 1e-7): 0: 2.65, 5: 3.04, 10: 3.43, 15: 3.8,
// 20: 4.15, 25: 4.45, 30: 4.71, 40: 5.06. Each interval is closed at its upper end; the
// factor 0.02 (0.01 on the 10-degree interval) folds the interval width and the scale.
double interpolatedKa1(double t) {
  if (t < 0) t = 0;  // no tabulated value below freezing: the 0 deg C value
  if (t <= 5) return ((5 - t) * 2.65 + t * 3.04) * 0.02;
  if (t <= 10) return ((10 - t) * 3.04 + (t - 5) * 3.43) * 0.02;
  if (t <= 15) return ((15 - t) * 3.43 + (t - 10) * 3.8) * 0.02;
  if (t <= 20) return ((t - 15) * 4.15 + (20 - t) * 3.8) * 0.02;
  if (t <= 25) return ((25 - t) * 4.15 + (t - 20) * 4.45) * 0.02;
  if (t <= 30) return ((t - 25) * 4.71 + (30 - t) * 4.45) * 0.02;
  if (t <= 40) return ((t - 30) * 5.06 + (40 - t) * 4.71) * 0.01;
  return 0.506;
}
// Ka1·10^pHh with Ka1 = K·1e-6 (K as tabulated above, x 1e6): the bicarbonate formed per unit
// of acid added, relative to the carbonic acid, at the background pH.
double carbonateBuffer(float k, float ph_h) {
  return static_cast<double>(k) * std::pow(10.0, static_cast<double>(ph_h) - 6);
}
}  // namespace

float defaultWasteStrength(WasteKind kind) { return kind == WasteKind::Acid ? 10.0f : 0.5f; }

float carbonicKa1(float t_c) {
  const double t = t_c;
  if (std::isnan(t)) return core::storeFloat(t);
  return core::storeFloat(interpolatedKa1(t));
}

core::Check checkRiverPh(const RiverPhInput& in) {
  if (!(in.qh_m3_s > 0)) return core::fail("河水流量Qh必须大于0，请重新输入！", "Qh");
  if (!(in.qp_m3_s >= 0)) return core::fail("污水排放量Qp必须大于等于0，请重新输入！", "Qp");
  if (!(in.ph_h > 0 && in.ph_h <= 14))
    return core::fail("本底pH值pHh必须大于0且不大于14，请重新输入！", "pHh");
  if (!(in.cbh_mgn_l > 0)) return core::fail("本底碱度Cbh必须大于0，请重新输入！", "Cbh");
  const bool acid = in.kind == WasteKind::Acid;
  if (!(in.cw_mgn_l >= 0))
    return core::fail(
        std::string(acid ? "废水酸度Cap" : "废水碱度Cbp") + "必须大于等于0，请重新输入！", "Cw");
  const double qh = in.qh_m3_s, qp = in.qp_m3_s, cw = in.cw_mgn_l;
  const double river = (qh + qp) * in.cbh_mgn_l;
  const double buffer = carbonateBuffer(carbonicKa1(in.t_c), in.ph_h) * qp * cw;
  if (!((acid ? river - qp * cw : river - buffer) > 0))
    return core::fail(std::string(acid ? "废水酸度Cap" : "废水碱度Cbp") +
                          "超过河水的缓冲能力，模式不适用，请重新输入！",
                      "Cw");
  return std::nullopt;
}

RiverPhResult computeRiverPh(const RiverPhInput& in) {
  RiverPhResult r;
  r.ka1 = carbonicKa1(in.t_c);
  const double qh = in.qh_m3_s, qp = in.qp_m3_s, cbh = in.cbh_mgn_l, cw = in.cw_mgn_l;
  const double phh = in.ph_h;
  const double river = (qh + qp) * cbh;  // alkalinity carried by the mixed flow
  const double buffer = carbonateBuffer(r.ka1, in.ph_h) * qp * cw;
  // Carbonate balance of the mixed flow (HJ/T 2.3-93 river pH model), Ka1 = K·1e-6:
  // acid:     pH = pHh + lg(((Qh+Qp) Cbh - Qp Ca) / ((Qh+Qp) Cbh + Ka1 10^pHh Qp Ca))
  // alkaline: pH = pHh + lg(((Qh+Qp) Cbh + Qp Cb) / ((Qh+Qp) Cbh - Ka1 10^pHh Qp Cb))
  if (in.kind == WasteKind::Acid)
    r.ph = phh + std::log10((river - qp * cw) / (river + buffer));
  else
    r.ph = phh + std::log10((river + qp * cw) / (river - buffer));
  return r;
}

std::string riverPhText(WasteKind kind, const RiverPhResult& r) {
  const char* fmt =
      kind == WasteKind::Acid
          ? "河--10 河流酸碱污染物(pH)充分混合段(适用于pH<=9的情况):\n污染物为酸性物质\n"
            "碳酸一级平衡常数 Ka1 =%g\n完全混合后河流中的pH值 pH =%g"
          : "河--10 河流酸碱污染物(pH)充分混合段(适用于pH<=9的情况):\n污染物为碱性物质\n"
            "碳酸一级平衡常数 Ka1 =%g\n完全混合后河流中的pH值 pH =%g";
  return core::cformat(fmt, static_cast<double>(r.ka1), r.ph);
}

const core::CalculatorDesc& riverPhDesc() {
  static const core::CalculatorDesc d = [] {
    core::CalculatorDesc c;
    c.id = "riverph";
    c.method = "HJ/T 2.3-93《环境影响评价技术导则 地面水环境》：河流 pH 模式（完全混合段，pH ≤ 9）";
    c.formulas =
        "酸性废水：pH = pHh + lg[((Qh + Qp)·Cbh − Qp·Ca) / ((Qh + Qp)·Cbh + Ka1·10^pHh·Qp·Ca)]\n"
        "碱性废水：pH = pHh + lg[((Qh + Qp)·Cbh + Qp·Cb) / ((Qh + Qp)·Cbh − Ka1·10^pHh·Qp·Cb)]\n"
        "Ka1 = K×10⁻⁶：碳酸一级平衡常数，K 按水温 T 查表内插，"
        "故 Ka1·10^pHh = K·10^(pHh−6)";
    c.title = "导则河流pH模式";
    c.category = "水预测工具";
    c.command = 32829;
    c.page = 35;
    c.template_id = 233;
    c.class_name = "CRiverPhDlg";
    // The labels carry their units in brackets, as the form shows them.
    core::Form<RiverPhInput> form(kGroupParams);
    form.radio("kind", &RiverPhInput::kind, 1413, "", {"废水呈酸性", "废水呈碱性"});
    form.bind("Qh", &RiverPhInput::qh_m3_s, 1283, "河水流量Qh [m³/s]");
    form.bind("Qp", &RiverPhInput::qp_m3_s, 1284, "污水排放量Qp[m³/s]");
    form.bind("pHh", &RiverPhInput::ph_h, 1285, "本底pH值pHh[     ]");
    form.bind("Cbh", &RiverPhInput::cbh_mgn_l, 1415, "本底碱度Cbh[mgN/L]");
    // label 1416 reads "废水碱度Cbp[mgN/L]" while the alkaline kind is chosen
    form.bind("Cw", &RiverPhInput::cw_mgn_l, 1417, "废水酸度Cap[mgN/L]");
    form.bind("T", &RiverPhInput::t_c, 1209, "河流平均水温T[ ℃] ");
    c.fields = form.fields();
    c.actions = {{"compute", "计算结果", 1293}};
    c.result_text_id = 1237;
    c.compute = form.compute([](const RiverPhInput& in, const std::string&) {
      if (auto f = checkRiverPh(in)) return core::failed(*f);
      core::Outcome o;
      o.text = riverPhText(in.kind, computeRiverPh(in));
      return o;
    });
    return c;
  }();
  return d;
}

}  // namespace models::water
