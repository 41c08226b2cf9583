// Inputs each calculator refuses, with the message the user reads and the field that gets the
// focus; shared by the model test (the compute) and the page test (the box and the focus).
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "core/calculator.h"

namespace refusal {

struct Case {
  const char* id;
  const char* action;
  std::vector<std::pair<std::string, std::string>> inputs;  // key, value as typed
  std::string message;
  std::string focus;
};

inline const std::vector<Case>& cases() {
  static const std::vector<Case> k = {
      {"green", "list", {{"F", "-1"}}, "靠预测厂界一侧外墙面积F必须大于0，请重新输入！", "F"},
      {"green",
       "list",
       {{"l", "0.0001"}},
       "预测点数超过100000，无法显示，请加大距离间隔l，请重新输入！",
       "l"},
      {"green", "distance", {{"Lreq", "40"}}, "达标值必须大于背景值，请重新输入！", "Lreq"},
      {"stueber", "distance", {{"Lreq", "40"}}, "达标值必须大于背景值，请重新输入！", "Lreq"},
      {"jet_fire",
       "compute",
       {{"x", "0"}},
       "预测点离火焰点源距离x必须大于0且不超过10000000m，请重新输入！",
       "x"},
      {"bleve", "compute", {{"W", "0"}}, "储罐容量W必须大于0，请重新输入！", "W"},
      {"pool_fire", "compute", {{"W", "0"}}, "泄漏液体质量W必须大于0，请重新输入！", "W"},
      {"vce", "compute", {{"T1", "50"}}, "容器内温度T1必须高于燃料沸点温度T2，请重新输入！", "T1"},
      {"flash_evaporation",
       "compute",
       {{"TL", "80"}},
       "泄漏前液体温度TL必须大于等于液体常压下沸点Tb，请重新输入！",
       "TL"},
      {"liquid_leak",
       "compute",
       {{"P", "50000"}, {"P0", "101325"}},
       "容器内介质压力 P必须大于等于环境压力 P0，请重新输入！",
       "P"},
      {"gas_leak", "compute", {{"k", "1"}}, "气体绝热指数κ必须大于1，请重新输入！", "k"},
      {"noise_index", "compute", {{"L", ""}}, "瞬时A声级至少要输入一个数据，请重新输入！", "L"},
      {"noise_index", "compute", {{"T", "20,30"}}, "读数与时间间隔的个数不一致，请重新输入！", "T"},
      {"noise_index", "compute", {{"L", "70," + std::string(400, '9')}}, "请输入一个数字。", "L"},
      {"noise_index",
       "compute",
       {{"mode", "1"}, {"Td", "10"}},
       "白天持续时间Td与夜间持续时间Tn之和必须等于24，请重新输入！",
       "Td"},
      {"latlon",
       "compute",
       {{"lat1", "91"}},
       "第一点北纬必须在-90到90度之间，请重新输入！",
       "lat1"},
      {"latlon",
       "compute",
       {{"lon2", "-181"}},
       "第二点东经必须在-180到180度之间，请重新输入！",
       "lon2"},
      {"highway", "compute", {{"n", "0"}}, "路段车道数n必须大于等于1，请重新输入！", "n"},
      {"highway", "compute", {{"H3", "5"}}, "声源位置不合逻辑，请重新输入！", "H3"},
      {"highway",
       "compute",
       {{"vM", "30"}},
       "该模式只适用于车辆平均行驶速度为48～140km/h的公路，请重新输入或重新计算车速！",
       "vM"},
      {"vehicle_speed", "compute", {{"eta1", "0.5"}}, "各车车型比总数不是1,请重新输入！", "eta1"},
      {"sp",
       "compute",
       {{"l", "0.001"}},
       "预测点数超过100000，无法显示，请加大距离间隔l，请重新输入！",
       "l"},
      {"rainstorm", "compute", {{"P", "0"}}, "降雨重现期P必须大于0，请重新输入！", "P"},
      {"sewage",
       "compute",
       {{"p", "0"}},
       "排水量占用水量的比例p必须大于0且不大于100%，请重新输入！",
       "p"},
      {"riverph", "compute", {{"Qh", "0"}}, "河水流量Qh必须大于0，请重新输入！", "Qh"},
      {"riverph",
       "compute",
       {{"Cw", "100"}},
       "废水酸度Cap超过河水的缓冲能力，模式不适用，请重新输入！",
       "Cw"},
      {"oil_film", "compute", {{"go", "1200"}}, "石油比重γ0必须小于水比重γ，请重新输入！", "go"},
      {"mixing2d", "compute", {{"My", "0"}}, "横向混合系数My必须大于0，请重新输入！", "My"},
      {"mixing2d", "grid", {{"H", "0"}}, "平均水深H必须大于0，请重新输入！", "H"},
      {"cumflow", "compute", {{"x", "0"}}, "离排放口流线距离x必须大于0，请重新输入！", "x"},
      {"fro", "compute", {{"Qp", "0"}}, "废水排放量Qp必须大于0，请重新输入！", "Qp"},
      {"sp",
       "compute",
       {{"K1", "0.5"}, {"K2", "0.5"}},
       "河流复氧系数K2不能等于耗氧系数K1，请重新输入！",
       "K2"},
      {"heat_evaporation",
       "compute",
       {{"alpha", "0"}},
       "表面热扩散系数α必须大于0，请重新输入！",
       "alpha"},
      {"mass_evaporation", "compute", {{"r", "-1"}}, "液池半径r必须大于等于0，请重新输入！", "r"},
      {"two_phase_leak",
       "compute",
       {{"TLG", "300"}},
       "两相混合物温度 TLG必须大于等于液体在临界压力下的沸点 Tc，请重新输入！",
       "TLG"},
      {"watertemp", "compute", {{"Qh", "-1"}}, "河水流量Qh必须大于0，请重新输入！", "Qh"},
      {"overpressure_chart", "read", {{"Rs", "0"}}, "无因次距离必须大于0，请重新输入！", "Rs"},
      {"equipment_leak",
       "compute",
       {{"T", "0"}},
       "有害气体和蒸气温度 T必须大于0，请重新输入！",
       "T"},
      {"road_noise", "compute", {{"r", "0"}}, "预测点距声源距离r必须大于0，请重新输入！", "r"},
      {"road_noise",
       "compute",
       {{"psi", "200"}},
       "预测点到有限长路段两端张角Ψ必须大于0且不大于180°，请重新输入！",
       "psi"},
      {"industrial_noise",
       "compute",
       {{"rw", "0"}},
       "声源到隔墙距离r必须大于0，请重新输入！",
       "rw"},
      {"tank_loss", "fixed_working", {{"fw_V", "0"}}, "油罐体积 V必须大于0，请重新输入！", "fw_V"},
      {"dust", "transport", {{"M", "0"}}, "车辆载重 M必须大于0，请重新输入！", "M"},
      {"dust", "coal", {{"U", "-1"}}, "地面平均风速 U必须大于等于0，请重新输入！", "U"},
      {"open_storage", "compute", {{"M", "-1"}}, "有害物质分子量 M必须大于0，请重新输入！", "M"},
      {"sanitary", "emission", {{"L", "-1"}}, "卫生防护距离必须大于等于0，请重新输入！", "L"},
  };
  return k;
}

// The form values of a case: the defaults with the case's inputs typed over them.
inline core::Values valuesOf(const core::CalculatorDesc& d, const Case& c) {
  core::Values v = core::defaultValues(d);
  for (const auto& [key, text] : c.inputs) {
    const core::FieldDesc* f = d.field(key);
    if (f && f->type == core::FieldType::Text)
      v.setText(key, text);
    else
      v.setNum(key, core::storeAs(f ? f->type : core::FieldType::Double, std::stod(text)));
  }
  return v;
}

}  // namespace refusal
