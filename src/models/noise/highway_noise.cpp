#include "models/noise/highway_noise.h"

#include <cmath>
#include <utility>

#include "core/acoustics.h"
#include "core/binding.h"
#include "core/format.h"

namespace models::noise {

namespace {
constexpr double kThreePi = 9.42477;  // value the method tabulates with
constexpr double kSoundSpeed = 340.29;
constexpr double kReferenceDistance_m = 7.5;
constexpr double kMinSpeed_km_h = 48, kMaxSpeed_km_h = 140;
constexpr double kMaxLanes = 6;
// Above this hourly volume of a class the distance term falls off with 10 lg, else 15 lg.
constexpr double kDenseTraffic_h = 300;
// A single-precision ratio holds about seven digits: 0.3f + 0.3f + 0.4f is 1.00000003.
constexpr double kRatioTolerance = 1e-5;

constexpr const char* kMsgSourceHeights = "声源位置不合逻辑，请重新输入！";
constexpr const char* kMsgLanes = "该模式只适用于双向六车道及以下的公路，请重新输入！";
constexpr const char* kMsgSpeeds =
    "该模式只适用于车辆平均行驶速度为48～140km/h的公路，请重新输入或重新计算车速！";
constexpr const char* kMsgNear =
    "该模式只适用于预测点在距噪声等效行车线7.5m以远处，请重新输入预测点离声源距离r！";
constexpr const char* kMsgRatios = "各车车型比总数不是1,请重新输入！";

struct Geometry {
  double d_m;  // receiver to the road edge, horizontal
  double h_m;  // road surface above the receiver
  double r1_m, r2_m, req_m;
};

Geometry geometry(const HighwayInput& in) {
  Geometry g{};
  const double r = in.r_m, dh = static_cast<double>(in.h2_m) - in.h1_m;
  g.d_m = std::sqrt(r * r - dh * dh) - in.edge_m;
  g.h_m = static_cast<double>(in.h2_m) - in.h3_m - in.h1_m;
  const double w = in.lane_width_m, n = in.lanes;
  g.r1_m = std::hypot(g.d_m + w / 2, g.h_m);
  g.r2_m = std::hypot(g.d_m + n * w - w / 2, g.h_m);
  g.req_m = std::sqrt(g.r1_m * g.r2_m);
  return g;
}

bool speedInRange(float v) { return v >= kMinSpeed_km_h && v <= kMaxSpeed_km_h; }

// Diffraction over the road edge into the embankment's shadow.
double embankment(const HighwayInput& in, const Geometry& g) {
  if (!(in.h2_m > in.h1_m)) return 0;
  const double h3 = in.h3_m, a = in.edge_m;
  const double delta = std::hypot(g.h_m, g.d_m) + std::hypot(h3, a) - in.r_m;
  const double x = 40 * in.f_hz * delta / (3 * kSoundSpeed);
  if (x > 1) {
    const double s = std::sqrt(x * x - 1);
    return -10 * std::log10(kThreePi * s / (2 * std::log(x + s)));
  }
  return -10 * std::log10(kThreePi * std::sqrt(1 - x * x) /
                          (4 * std::atan(std::sqrt((1 - x) / (1 + x)))));
}
}  // namespace

double highwayGradientCorrection(HighwayGradient g) {
  switch (g) {
    case HighwayGradient::From4To5: return 1;
    case HighwayGradient::From6To7: return 3;
    case HighwayGradient::Above7: return 5;
    default: return 0;
  }
}

double highwayPavementCorrection(HighwayPavement p) {
  return p == HighwayPavement::Concrete ? 1.5 : 0;
}

core::Check checkHighway(const HighwayInput& in) {
  if (!(in.h2_m >= in.h3_m)) return core::fail(kMsgSourceHeights, "H3");
  if (!(in.lanes >= 1)) return core::fail("路段车道数n必须大于等于1，请重新输入！", "n");
  if (!(in.lanes <= kMaxLanes)) return core::fail(kMsgLanes, "n");
  if (!(in.lane_width_m > 0)) return core::fail("单车道宽度W必须大于0，请重新输入！", "W");
  const std::pair<float, const char*> speeds[] = {
      {in.v_large_km_h, "vL"}, {in.v_medium_km_h, "vM"}, {in.v_small_km_h, "vS"}};
  for (const auto& [v, key] : speeds)
    if (!speedInRange(v)) return core::fail(kMsgSpeeds, key);
  const std::pair<float, const char*> volumes[] = {
      {in.n_large_h, "NL"}, {in.n_medium_h, "NM"}, {in.n_small_h, "NS"}};
  for (const auto& [n, key] : volumes)
    if (!(n > 0)) return core::fail("车辆小时车流量N必须大于0，请重新输入！", key);
  if (!(in.theta_deg > 0 && in.theta_deg <= 180))
    return core::fail("预测点向公路两端视线间的夹角θ必须大于0且不大于180，请重新输入！", "theta");
  if (!(in.trees_m >= 0)) return core::fail("噪声通过林带的宽度b必须大于等于0，请重新输入！", "b");
  if (!(geometry(in).req_m >= kReferenceDistance_m)) return core::fail(kMsgNear, "r");
  return std::nullopt;
}

HighwayResult computeHighway(const HighwayInput& in) {
  HighwayResult r;
  r.gradient_db = highwayGradientCorrection(in.gradient);
  r.pavement_db = highwayPavementCorrection(in.pavement);
  const double v[3] = {in.v_large_km_h, in.v_medium_km_h, in.v_small_km_h};
  const double n[3] = {in.n_large_h, in.n_medium_h, in.n_small_h};
  r.l0[0] = 22.0 + 36.32 * std::log10(v[0]) + r.gradient_db;
  r.l0[1] = 8.8 + 40.48 * std::log10(v[1]) + r.gradient_db;
  r.l0[2] = 12.6 + 34.73 * std::log10(v[2]) + r.pavement_db;
  const Geometry g = geometry(in);
  r.r1_m = g.r1_m;
  r.r2_m = g.r2_m;
  r.req_m = g.req_m;
  r.embankment_db = embankment(in, g);
  r.trees_db = -0.1 * in.trees_m;
  r.building_db = -static_cast<double>(in.building_db);
  r.ground_db = -static_cast<double>(in.ground_db);
  r.angle_db = 10 * std::log10(in.theta_deg / 180.0);
  double sum = 0;
  for (int i = 0; i < 3; ++i) {
    const double slope = n[i] <= kDenseTraffic_h ? 15 : 10;
    r.distance_db[i] = slope * std::log10(kReferenceDistance_m / g.req_m);
    r.laeq[i] = r.l0[i] + 10 * std::log10(n[i] / v[i]) + r.distance_db[i] + r.embankment_db +
                r.trees_db + r.building_db + r.ground_db - 16;
    sum += std::pow(10.0, 0.1 * r.laeq[i]);
  }
  r.traffic_db = 10 * std::log10(sum) + r.angle_db;
  r.env_db = core::addLevels(in.lbg_db, r.traffic_db);
  return r;
}

std::string highwayDetailText(const HighwayResult& r) {
  std::string t = "计算结果如下：\r\n";
  t += core::cformat("交通噪声对环境的噪声小时等效声级贡献值L交=%.2f [dB]\r\n", r.traffic_db);
  t += core::cformat("加上背景噪声值的预测点公路交通噪声值L环=%.2f [dB] \r\n", r.env_db);
  t += "——————————————————————————————\r\n各参数详细结果如下：\r\n";
  t += "各车在预测点处小时等效声级LAeq：\r\n";
  t += core::cformat("大型车：%.2f[dB]；中型车：%.2f[dB]；小型车：%.2f[dB]\r\n", r.laeq[0],
                     r.laeq[1], r.laeq[2]);
  t += "各车在参照点7.5m处平均辐射噪声级L0：\r\n";
  t += core::cformat("大型车：%.2f [dB]；中型车：%.2f [dB]；小型车：%.2f [dB]\r\n", r.l0[0],
                     r.l0[1], r.l0[2]);
  t += core::cformat("预测点至近车道行驶中线距离r1=%.2f[m]\r\n", r.r1_m);
  t += core::cformat("预测点至远车道行驶中线距离r2=%.2f[m]\r\n", r.r2_m);
  t += "距离衰减量ΔL：\r\n";
  t += core::cformat("大型车：%.2f[dB]；中型车：%.2f[dB]；小型车：%.2f[dB]\r\n", r.distance_db[0],
                     r.distance_db[1], r.distance_db[2]);
  // An attenuation that rounds to zero prints as 0.00, never "-0.00".
  auto db = [](double v) { return std::fabs(v) < 0.005 ? 0.0 : v; };
  t += core::cformat("预测点在路堤声影区引起的绕射声衰减量ΔL：%.2f[dB]\r\n", db(r.embankment_db));
  t += core::cformat("林带引起的衰减量ΔL：%.2f[dB]\r\n", db(r.trees_db));
  t += core::cformat("农村建筑物的衰减量ΔL：%.2f[dB]\r\n", db(r.building_db));
  t += core::cformat("公路弯曲或有限长路段引起的交通噪声修正量ΔL：%.2f[dB]\r\n", db(r.angle_db));
  t += core::cformat("地面吸收声衰减量ΔL：%.2f[dB]", db(r.ground_db));
  return t;
}

core::Check checkVehicleSpeed(const VehicleSpeedInput& in) {
  const double sum = static_cast<double>(in.eta_large) + in.eta_medium + in.eta_small;
  if (!(std::fabs(sum - 1) <= kRatioTolerance)) return core::fail(kMsgRatios, "eta1");
  const std::pair<float, const char*> etas[] = {
      {in.eta_large, "eta1"}, {in.eta_medium, "eta2"}, {in.eta_small, "eta3"}};
  for (const auto& [eta, key] : etas)
    if (!(eta >= 0)) return core::fail("各车车型比不能为负数，请重新输入！", key);
  if (!(in.design_km_h > 0)) return core::fail("设计车速必须大于0，请重新输入！", "design");
  if (!(in.volume_h >= 0)) return core::fail("单车道总车流量vol必须大于等于0，请重新输入！", "vol");
  // The speed falls with the volume and passes zero beyond the volumes the relation was fitted
  // to (about 2,000 veh/h per lane for the default mix, small vehicles first).
  const VehicleSpeeds v = computeVehicleSpeeds(in);
  if (!(v.v_large_km_h > 0 && v.v_medium_km_h > 0 && v.v_small_km_h > 0))
    return core::fail("单车道总车流量vol超出车速公式的适用范围（算得车速不大于0），请重新输入！",
                      "vol");
  return std::nullopt;
}

VehicleSpeeds computeVehicleSpeeds(const VehicleSpeedInput& in) {
  struct Coefficients {
    double m, k1, k2, k3, k4;
  };
  static constexpr Coefficients kClass[3] = {
      {0.70957, -0.0519, 149.39, -1.4202e-5, -0.01254},
      {0.8044, -0.057537, 149.38, -1.639e-5, -0.01245},
      {1.2102, -0.061748, 149.65, -2.3696e-5, -0.02099},
  };
  const double eta[3] = {in.eta_large, in.eta_medium, in.eta_small};
  double v[3];
  for (int i = 0; i < 3; ++i) {
    const Coefficients& k = kClass[i];
    const double u = in.volume_h * (eta[i] + k.m * (1 - eta[i]));
    v[i] = k.k2 + k.k1 * u + 1 / (k.k3 * u + k.k4);
    // The relation holds for a design speed of 120 km/h; slower roads scale it.
    if (in.design_km_h < 120) v[i] *= in.design_km_h / 120.0;
  }
  return {v[0], v[1], v[2]};
}

namespace {
struct HighwayOut {
  float env_db = 0;
};
}  // namespace

const core::CalculatorDesc& highwayDesc() {
  static const core::CalculatorDesc d = [] {
    core::CalculatorDesc c;
    c.id = "highway";
    c.method = "JTG B03-2006《公路建设项目环境影响评价规范》附录：公路交通噪声预测模式";
    c.formulas =
        "LAeq,i = L0,i + 10lg(Ni/vi) + ΔL距离 + ΔL路堤 + ΔL林带 + ΔL建筑 + ΔL地面 − 16\n"
        "L0,大 = 22.0 + 36.32lg vL,  L0,中 = 8.8 + 40.48lg vM,  L0,小 = 12.6 + 34.73lg vS\n"
        "ΔL距离 = 10lg(7.5/req),  req = √(r1·r2)\n"
        "L交 = 10lg Σ 10^(0.1LAeq,i) + 10lg(θ/180)\n"
        "L = 10lg(10^(0.1L交) + 10^(0.1Lbg))";
    c.title = "交通部公路交通噪声预测模式";
    c.category = "噪声预测工具";
    c.command = 32802;
    c.page = 17;
    c.template_id = 195;
    c.class_name = "CHighwayNoiseDlg";
    using In = HighwayInput;
    core::Form<In> form("公路交通噪声预测模式 (JTG B03-2006)");
    form.bind("vL", &In::v_large_km_h, 1001, "车辆车速v: 大型车", "km/h");
    form.bind("vM", &In::v_medium_km_h, 1002, "车辆车速v: 中型车", "km/h");
    form.bind("vS", &In::v_small_km_h, 1003, "车辆车速v: 小型车", "km/h");
    form.bind("NL", &In::n_large_h, 1004, "车辆小时车流量N: 大型车", "辆/h");
    form.bind("NM", &In::n_medium_h, 1005, "车辆小时车流量N: 中型车", "辆/h");
    form.bind("NS", &In::n_small_h, 1006, "车辆小时车流量N: 小型车", "辆/h");
    form.bind("n", &In::lanes, 1007, "路段车道数n");
    form.bind("W", &In::lane_width_m, 1008, "单车道宽度W", "m");
    form.choice("grade", &In::gradient, 1009, "公路纵坡ΔL", {"≤3", "4～5", "6～7", "＞7"}, "%");
    form.choice("pavement", &In::pavement, 1010, "公路路面ΔL",
                {"沥青混凝土路面", "水泥混凝土路面"});
    form.bind("A", &In::edge_m, 1011, "声源离预测点一侧路基边缘水平距离A", "m");
    form.bind("Lbg", &In::lbg_db, 1012, "背景噪声值L", "dB").sym("Lbg");
    form.bind("H2", &In::h2_m, 1013, "声源离地面高度H2", "m");
    form.bind("H3", &In::h3_m, 1014, "声源离路面高度H3", "m");
    form.bind("Agnd", &In::ground_db, 1015, "地面吸收声衰减量ΔL 地面", "dB");
    form.bind("f", &In::f_hz, 1016, "声波频率f", "Hz");
    form.bind("Abld", &In::building_db, 1017, "建筑物障碍衰减量ΔL", "dB").sym("ΔL建筑");
    form.bind("b", &In::trees_m, 1018, "噪声通过林带的宽度b", "m");
    form.bind("theta", &In::theta_deg, 1019, "预测点向公路两端视线间的夹角θ", "°");
    form.bind("H1", &In::h1_m, 1020, "预测点离地面高度H1", "m");
    form.bind("r", &In::r_m, 1021, "预测点与声源间直线距离r", "m");
    core::Outputs<HighwayOut> outs("公路交通噪声预测模式 (JTG B03-2006)");
    outs.bind("Lenv", &HighwayOut::env_db, 1022, "预测点噪声值L", "dB");
    c.fields = core::concat(form.fields(), outs.fields());
    c.actions = {
        {"compute", "计算", 1100}, {"speed", "公式计算车速", 1101}, {"detail", "详细结果", 1102}};
    c.compute = form.compute([outs](const In& in, const std::string& action) {
      if (action == "speed")
        return core::failed(core::fail(
            "“公式计算车速”在窗口中打开对话框；命令行请用 kuvacalc-cli run vehicle_speed"));
      if (auto f = checkHighway(in)) return core::failed(*f);
      const HighwayResult r = computeHighway(in);
      core::Outcome o;
      outs.write(HighwayOut{core::storeFloat(r.env_db)}, o.results);
      o.text = highwayDetailText(r);  // the "详细结果" dialog's text
      return o;
    });
    return c;
  }();
  return d;
}

namespace {
struct SpeedOut {
  float v1 = 0, v2 = 0, v3 = 0;
};
}  // namespace

const core::CalculatorDesc& vehicleSpeedDesc() {
  static const core::CalculatorDesc d = [] {
    core::CalculatorDesc c;
    c.id = "vehicle_speed";
    c.method = "JTG B03-2006《公路建设项目环境影响评价规范》附录：车速计算";
    c.formulas =
        "vi = k2 + k1·ui + 1/(k3·ui + k4)\n"
        "ui = vol·(ηi + mi·(1 − ηi))";
    c.title = "车速计算";
    c.category = "噪声预测工具";
    c.command = 0;  // opened by the highway page's "公式计算车速"
    c.page = 0;
    c.template_id = 196;
    c.class_name = "CVehicleSpeedDlg";
    using In = VehicleSpeedInput;
    core::Form<In> form("车速计算");
    form.bind("eta1", &In::eta_large, 1001, "大型车车型比η1");
    form.bind("eta2", &In::eta_medium, 1002, "中型车车型比η2");
    form.bind("eta3", &In::eta_small, 1003, "小型车车型比η3");
    form.bind("design", &In::design_km_h, 1004, "设计车速", "km/h").sym("vd");
    form.bind("vol", &In::volume_h, 1005, "单车道总车流量vol", "辆/h");
    core::Outputs<SpeedOut> outs("车速计算");
    outs.bind("v1", &SpeedOut::v1, 1006, "大型车车速", "km/h").nonNegative();
    outs.bind("v2", &SpeedOut::v2, 1007, "中型车车速", "km/h").nonNegative();
    outs.bind("v3", &SpeedOut::v3, 1008, "小型车车速", "km/h").nonNegative();
    c.fields = core::concat(form.fields(), outs.fields());
    c.actions = {{"compute", "计算", 1009}};
    c.compute = form.compute([outs](const In& in, const std::string&) {
      if (auto f = checkVehicleSpeed(in)) return core::failed(*f);
      const VehicleSpeeds v = computeVehicleSpeeds(in);
      core::Outcome o;
      outs.write(SpeedOut{core::storeFloat(v.v_large_km_h), core::storeFloat(v.v_medium_km_h),
                          core::storeFloat(v.v_small_km_h)},
                 o.results);
      return o;
    });
    return c;
  }();
  return d;
}

}  // namespace models::noise
