#include "models/noise/road_noise.h"

#include <cmath>
#include <limits>
#include <vector>

#include "core/acoustics.h"
#include "core/format.h"
#include "models/noise/industrial_noise.h"

namespace models::noise {

namespace {
constexpr double kThreePi = 9.42477;  // value the method tabulates with
constexpr double kMaxHouseAttenuation_dB = 10;
constexpr double kSlopeFactor[3] = {0.98, 0.73, 0.50};  // dB per % of gradient
constexpr double kIntersection_dB[4] = {3, 2, 1, 0};

std::string classLine(const char* title, const double v[3]) {
  return core::cformat("%s\r\n大型车＝%.2f[dB]，中型车＝%.2f[dB]，小型车＝%.2f[dB]\r\n", title,
                       v[0], v[1], v[2]);
}

// The class levels; a class without vehicles has no level ("无车流").
std::string classLevelsLine(const double v[3], const float n[3]) {
  static const char* names[] = {"大型车", "中型车", "小型车"};
  std::string s = "各车型小时等效声级:\r\n";
  for (int i = 0; i < 3; ++i) {
    s += i ? "，" : "";
    s += names[i];
    s += n[i] > 0 ? core::cformat("＝%.2f[dB]", v[i]) : std::string("＝无车流");
  }
  return s + "\r\n";
}
}  // namespace

double referenceLevel(VehicleClass c, double v) {
  switch (c) {
    case VehicleClass::Large: return 22.0 + 36.32 * std::log10(v);
    case VehicleClass::Medium: return 8.8 + 40.48 * std::log10(v);
    case VehicleClass::Small: return 12.6 + 34.73 * std::log10(v);
  }
  return 0;
}

double lineBarrierAttenuation(double delta1, double f, double t) {
  const double c = 331 * std::sqrt(1 + t / 273);
  const double x = 40 * f * delta1 / (3 * c);
  if (x == 1) return 10 * std::log10(kThreePi / 2);
  if (x < 1)
    return 10 * std::log10(kThreePi * std::sqrt(1 - x * x) /
                           (4 * std::atan(std::sqrt((1 - x) / (1 + x)))));
  return 10 *
         std::log10(kThreePi * std::sqrt(x * x - 1) / (2 * std::log(x + std::sqrt(x * x - 1))));
}

double pavementCorrection(Pavement p, double v) {
  if (p == Pavement::Asphalt) return 0;
  return v >= 50 ? 2.0 : 0.05 * (v - 10);
}

RoadNoiseResult computeRoadNoise(const RoadNoiseInput& in) {
  RoadNoiseResult r;
  for (int i = 0; i < 3; ++i) {
    r.slope_db[i] = kSlopeFactor[i] * in.beta_pct;
    r.pave_db[i] = pavementCorrection(in.pavement, in.v_kmh[i]);
  }
  std::string barrier, emb, house, air, ground, cross;
  if (in.barrier) {
    r.abar_db = in.abar_db;
    barrier = core::cformat("声屏障衰减量Abar=%.2f[dB]\r\n", r.abar_db);
  }
  if (in.embankment) {
    r.aemb_db = in.aemb_db;
    emb = core::cformat("高路堤或低路堑两侧声影区衰减量Abar=%.2f[dB]\r\n", r.aemb_db);
  }
  if (in.houses) {
    r.ahouse_db = in.ahouse_db > kMaxHouseAttenuation_dB ? kMaxHouseAttenuation_dB : in.ahouse_db;
    house = core::cformat("农村房屋附加衰减量Abar=%.2f[dB]\r\n", r.ahouse_db);
  }
  if (in.air) {
    r.aatm_db = in.alpha_db_km * static_cast<double>(in.r_m) / 1000;
    air = core::cformat("空气吸收衰减Aatm=%.2f[dB]\r\n", r.aatm_db);
  }
  if (in.ground) {
    r.agr_db = groundAttenuation(in.hm_m, in.r_m);
    ground = core::cformat("地面效应衰减Agr=%.2f[dB]\r\n", r.agr_db);
  }
  if (in.intersection) {
    r.dl3_db = kIntersection_dB[static_cast<int>(in.crossing)];
    cross = core::cformat("城市道路交叉路口噪声修正值Abar=＋%.2f[dB]\r\n", r.dl3_db);
  }
  const double atot = r.agr_db + r.aatm_db + r.ahouse_db + r.aemb_db + r.abar_db;
  const double r_m = in.r_m, psi = in.psi_deg;
  std::vector<double> present;  // levels of the classes that run: an absent class adds nothing
  for (int i = 0; i < 3; ++i) {
    const double v = in.v_kmh[i], n = in.n_per_h[i];
    if (!(n > 0)) {
      r.leq_class_db[i] = -std::numeric_limits<double>::infinity();
      continue;
    }
    r.leq_class_db[i] = in.lo_dba[i] + 10 * std::log10(n / v) + 10 * std::log10(7.5 / r_m) +
                        10 * std::log10(psi / 180) + r.dl3_db + r.pave_db[i] + r.slope_db[i] -
                        atot - 16;
    present.push_back(r.leq_class_db[i]);
  }
  r.leq_db = core::addLevels(present);
  r.lt_db = core::addLevels(in.lbg_dba, r.leq_db);
  r.text = core::cformat(
               "总车流小时等效声级Leq=%.2f[dB]\r\n总车流小时等效声级＋背景噪声=%.2f[dB]\r\n"
               "----------------------------------------------------------\r\n详细结果如下：\r\n",
               r.leq_db, r.lt_db) +
           classLine("纵坡修正量△L坡度:", r.slope_db) + classLine("路面修正量△L路面:", r.pave_db) +
           barrier + emb + house + air + ground + cross +
           classLevelsLine(r.leq_class_db, in.n_per_h);
  return r;
}

core::Check checkRoadNoise(const RoadNoiseInput& in) {
  static const char* names[] = {"大型车", "中型车", "小型车"};
  // A class without vehicles (N = 0) adds nothing: its speed and Lo are not needed.
  for (int k = 0; k < 3; ++k) {
    const auto cls = static_cast<VehicleClass>(k);
    const auto i = static_cast<std::size_t>(k);
    if (!(in.n_per_h[i] >= 0))
      return core::fail(std::string(names[k]) + "平均小时车流量N必须大于等于0，请重新输入！",
                        vehicleKey("N", cls));
    if (in.n_per_h[i] > 0 && !(in.v_kmh[i] > 0))
      return core::fail(std::string(names[k]) + "平均车速V必须大于0，请重新输入！",
                        vehicleKey("V", cls));
  }
  if (!(in.n_per_h[0] > 0 || in.n_per_h[1] > 0 || in.n_per_h[2] > 0))
    return core::fail("各类型车的平均小时车流量N不能都为0，请重新输入！",
                      vehicleKey("N", VehicleClass::Large));
  if (!(in.r_m > 0)) return core::fail("预测点距声源距离r必须大于0，请重新输入！", "r");
  if (!(in.psi_deg > 0 && in.psi_deg <= 180))
    return core::fail("预测点到有限长路段两端张角Ψ必须大于0且不大于180°，请重新输入！", "psi");
  return std::nullopt;
}

std::string vehicleKey(const char* quantity, VehicleClass c) {
  static const char* suffix[] = {"L", "M", "S"};
  return std::string(quantity) + suffix[static_cast<int>(c)];
}

}  // namespace models::noise
