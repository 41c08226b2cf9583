// The industrial noise page's fields, bound to IndustrialNoiseInput.
#include "core/acoustics.h"
#include "models/noise/industrial_noise.h"

namespace models::noise {

const core::CalculatorDesc& industrialNoiseDesc() {
  static const core::CalculatorDesc d = [] {
    core::CalculatorDesc c;
    c.id = "industrial_noise";
    c.method = "HJ 2.4-2009《环境影响评价技术导则 声环境》附录A：户外声传播衰减（点声源）";
    c.formulas =
        "Lp(r) = Lw − 20lg r − 11（自由声场）或 − 8（半自由声场），或 Lp(r) = Lp(r0) − 20lg(r/r0)\n"
        "室内声源：Lp1 = Lw + 10lg(Q/(4πr²) + 4/R),  Lp2 = Lp1 − (TL + 6),  Lw' = Lp2 + 10lg S\n"
        "Lp = Lp(r) + 反射增量 − Abar − Aatm − Agr,  Aatm = α·r / 1000\n"
        "Agr = 4.8 − (2hm/r)·(17 + 300/r)（不小于 0）\n"
        "LA = Lp + ΔA,  LT = 10lg(10^(0.1LA) + 10^(0.1Lbg))";
    c.title = "工业噪声预测模式[09新导则]";
    c.category = "噪声预测工具";
    c.command = 32831;
    c.page = 37;
    c.template_id = 237;
    c.class_name = "CIndustrialNoiseDlg";
    using In = IndustrialNoiseInput;
    core::Form<In> form("声源参数");
    form.choice("source", &In::source, 1001, "声源类型", {"室内点声源", "室外点声源"});
    form.choice("field", &In::field, 1002, "声源处于", {"自由声场", "半自由声场"});
    form.bind("Lbg", &In::lbg_dba, 1003, "背景A声级[dBA]", "dBA");
    form.bind("rmax", &In::rmax_m, 1004, "预测点距声源水平距离r[m] 最大值", "m").sym("rmax");
    form.bind("dr", &In::dr_m, 1005, "间距", "m").sym("Δr");
    form.radio("basis", &In::basis, 1006, "已知条件",
               {"已知声源倍频带声功率级Lw", "已知参照点倍频带声压级Lp"});
    form.bind("Lw", &In::lw_db, 1008, "声源倍频带声功率级Lw[dB]", "dB");
    form.bind("r0", &In::r0_m, 1009, "参照点离声源距离r0[m]", "m");
    form.bind("Lp0", &In::lp0_db, 1010, "参照点倍频带声压级Lp0[dB]", "dB");
    form.bind("f", &In::f_hz, 1011, "倍频带中心频率f[Hz]", "Hz");
    form.bind("t", &In::t_c, 1012, "大气温度T[℃]", "℃");
    form.bind("dA", &In::da_db, 1013, "A计权网络修正值", "dB");
    form.group("反射体");
    form.check("reflect", &In::reflection, 1014, "考虑反射体引起的声级增高");
    form.bind("h0", &In::h0_m, 1015, "声源距地面距离h0[m]", "m");
    form.bind("h1", &In::h1_m, 1016, "预测点距地面距离h1[m]", "m");
    form.group("室内参数");
    form.choice("Q", &In::position, 1017, "声源在房间内位置",
                {"房间中心", "一面墙的中心", "两面墙夹角处", "三面墙夹角处"});
    form.bind("R", &In::room_const_m2, 1018, "房间常数R", "m²");
    form.bind("TL", &In::tl_db, 1019, "隔墙隔声量TL[dB]", "dB");
    form.bind("rw", &In::rw_m, 1020, "声源到隔墙距离r[m]", "m");
    form.bind("S", &In::wall_m2, 1021, "隔墙面积S[m²]", "m²");
    form.group("衰减");
    form.check("bar", &In::barrier, 1022, "考虑薄声屏障衰减Abar");
    form.bind("delta1", &In::delta1_m, 1023, "声程差δ[m]", "m");
    form.bind("delta2", &In::delta2_m, 1024, "声程差δ2[m]", "m");
    form.bind("delta3", &In::delta3_m, 1025, "声程差δ3[m]", "m");
    form.check("atm", &In::air, 1026, "考虑空气吸收衰减Aatm");
    form.bind("alpha", &In::alpha_db_km, 1027, "大气吸收衰减系数a[dB/km]", "dB/km");
    form.bind("hr", &In::hr_pct, 1028, "空气相对湿度h[%]", "%");
    form.bind("pa", &In::pa_kpa, 1029, "环境大气压pa[kPa]", "kPa");
    form.check("gr", &In::ground, 1030, "考虑地面衰减Agr");
    form.bind("hm", &In::hm_m, 1031, "声源到预测点平均离地高度hm[m]", "m");
    c.fields = form.fields();
    c.actions = {
        {"compute", "预测结果 ", 0}, {"alpha", "自动计算", 1032}, {"dA", "自动计算", 1033}};
    c.compute = form.compute([](const In& in, const std::string& action) {
      core::Outcome o;
      if (action == "alpha") {
        if (!(in.pa_kpa > 0))
          return core::failed(core::fail("环境大气压pa必须大于0，请重新输入！", "pa"));
        o.updated_inputs.setNum("alpha",
                                core::airAbsorption_dB_km(in.f_hz, in.t_c, in.hr_pct, in.pa_kpa));
        return o;
      }
      if (action == "dA") {
        if (!(in.f_hz > 0))
          return core::failed(core::fail("倍频带中心频率f必须大于0，请重新输入！", "f"));
        o.updated_inputs.setNum("dA", core::aWeighting_dB(in.f_hz));
        return o;
      }
      if (auto f = checkIndustrialNoise(in)) return core::failed(*f);
      IndustrialNoiseResult r = computeIndustrialNoise(in);
      o.text = std::move(r.text);
      o.tables.push_back(std::move(r.table));
      return o;
    });
    return c;
  }();
  return d;
}

}  // namespace models::noise
