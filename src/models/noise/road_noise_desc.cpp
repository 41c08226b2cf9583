// The road traffic noise page's fields, bound to RoadNoiseInput.
#include "core/acoustics.h"
#include "models/noise/road_noise.h"

namespace models::noise {

namespace {
constexpr const char* kClassNames[] = {"大型车", "中型车", "小型车"};
}  // namespace

const core::CalculatorDesc& roadNoiseDesc() {
  static const core::CalculatorDesc d = [] {
    core::CalculatorDesc c;
    c.id = "road_noise";
    c.method = "HJ 2.4-2009《环境影响评价技术导则 声环境》附录A：公路（道路）交通运输噪声预测模式";
    c.formulas =
        "Leq,i = L0,i + 10lg(Ni/Vi) + 10lg(7.5/r) + 10lg(ψ/180) + ΔL3 + ΔL路面,i + ΔL坡度,i − Atot "
        "− 16\n"
        "Leq(T) = 10lg(10^(0.1Leq,大) + 10^(0.1Leq,中) + 10^(0.1Leq,小))\n"
        "Atot = Aatm + Agr + Abar + Amisc\n"
        "叠加背景：L = 10lg(10^(0.1Leq) + 10^(0.1Lbg))";
    c.title = "公路交通噪声预测模式[09新导则]";
    c.category = "噪声预测工具";
    c.command = 32832;
    c.page = 38;
    c.template_id = 239;
    c.class_name = "CRoadNoiseDlg";
    using In = RoadNoiseInput;
    core::Form<In> form("各类型车参数输入");
    // The vehicle table: one field per cell, keys V/N/Lo with the class letter L, M, S.
    const In defaults{};
    int id = 1001;
    for (int k = 0; k < 3; ++k) {
      const auto cls = static_cast<VehicleClass>(k);
      const std::string name = kClassNames[k];
      const std::string v = vehicleKey("V", cls), n = vehicleKey("N", cls),
                        lo = vehicleKey("Lo", cls);
      form.extra(
          core::inputField(v, id++, name + "V[km/h]平均车速", "km/h", defaults.v_kmh[k]).sym(v),
          [v, k](const core::Values& vals, In& in) { in.v_kmh[k] = vals.f(v); });
      form.extra(
          core::inputField(n, id++, name + "N[辆/h]平均小时车流量", "辆/h", defaults.n_per_h[k])
              .sym(n),
          [n, k](const core::Values& vals, In& in) { in.n_per_h[k] = vals.f(n); });
      form.extra(core::inputField(lo, id++, name + "Lo[dBA]水平距离为7.5米处能量平均A声级", "dBA",
                                  defaults.lo_dba[k])
                     .sym("Lo," + lo.substr(2)),
                 [lo, k](const core::Values& vals, In& in) { in.lo_dba[k] = vals.f(lo); });
    }
    form.group("参数输入");
    form.bind("r", &In::r_m, 1010, "预测点距声源距离r[m]", "m");
    form.bind("Lbg", &In::lbg_dba, 1011, "背景A声级[dBA]", "dBA");
    form.bind("f", &In::f_hz, 1012, "中心频率f[Hz]", "Hz");
    form.bind("t", &In::t_c, 1013, "大气温度T[℃]", "℃");
    form.bind("psi", &In::psi_deg, 1014, "预测点到有限长路段两端张角Ψ[°]", "°");
    form.bind("beta", &In::beta_pct, 1015, "公路纵坡坡度β[%]", "%");
    form.choice("pave", &In::pavement, 1016, "路面类型", {"沥青混凝土", "水泥混凝土"});
    form.group("衰减");
    form.check("bar", &In::barrier, 1017, "考虑屏障衰减Abar");
    form.bind("Abar", &In::abar_db, 1018, "无限长声屏障衰减量Abar[dB]", "dB");
    form.bind("delta1", &In::delta1_m, 1019, "声程差δ1[m]", "m");
    form.check("emb", &In::embankment, 1020, "考虑高路堤或低路堑衰减Abar");
    form.bind("Aemb", &In::aemb_db, 1021, "高路堤或低路堑衰减量Abar[dB]", "dB").sym("Aemb");
    form.check("house", &In::houses, 1022, "考虑农村房屋噪声附加衰减Abar");
    form.bind("Ahouse", &In::ahouse_db, 1023, "衰减量[dB]", "dB");
    form.check("atm", &In::air, 1024, "考虑空气吸收衰减Aatm");
    form.bind("alpha", &In::alpha_db_km, 1025, "大气吸收衰减系数a[dB/km]", "dB/km");
    form.bind("hr", &In::hr_pct, 1026, "空气相对湿度h[%]", "%");
    form.bind("pa", &In::pa_kpa, 1027, "环境大气压pa[kPa]", "kPa");
    form.check("gr", &In::ground, 1028, "考虑地面衰减Agr");
    form.bind("hm", &In::hm_m, 1029, "声源到预测点平均离地高度hm[m]", "m");
    form.check("cross", &In::intersection, 1030, "考虑交叉路口噪声修正△L3");
    form.choice("dist", &In::crossing, 1031, "预测点距最近快车道中轴线交叉点距离[m]",
                {"≤40", "40～70", "70～100", ">100"});
    c.fields = form.fields();
    c.actions = {
        {"compute", "预测结果 ", 0}, {"alpha", "自动计算", 1032}, {"barrier", "声程差计算", 1033}};
    c.compute = form.compute([](const In& in, const std::string& action) {
      core::Outcome o;
      if (action == "alpha") {
        if (!(in.pa_kpa > 0))
          return core::failed(core::fail("环境大气压pa必须大于0，请重新输入！", "pa"));
        o.updated_inputs.setNum("alpha",
                                core::airAbsorption_dB_km(in.f_hz, in.t_c, in.hr_pct, in.pa_kpa));
        return o;
      }
      if (action == "barrier") {
        o.updated_inputs.setNum("Abar", lineBarrierAttenuation(in.delta1_m, in.f_hz, in.t_c));
        return o;
      }
      if (auto f = checkRoadNoise(in)) return core::failed(*f);
      o.text = computeRoadNoise(in).text;
      return o;
    });
    return c;
  }();
  return d;
}

}  // namespace models::noise
