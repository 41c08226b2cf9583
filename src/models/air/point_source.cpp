#include "models/air/point_source.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <unordered_map>

#include "core/counts.h"
#include "core/format.h"

namespace models::air {

namespace {

constexpr const char* kMsgNegativeWind = "地面10m高风速不能为负数，请重新输入！";
constexpr const char* kMsgGasTemp = "烟气出口温度必须大于环境大气温度，请重新输入！";
constexpr const char* kMsgCalmLapse = "静风和小风下大气温度梯度宜小于0.01K/m，请重新输入！";
constexpr const char* kMsgStep = "步长必须大于0，请重新输入！";
constexpr const char* kMsgColumns = "下风向网格列数不能超过1000，请重新输入！";
constexpr const char* kMsgRows = "横风向网格行数不能超过1000，请重新输入！";
constexpr const char* kMsgSampling = "取样时间不能小于0.5h，请重新输入！";

constexpr double kWindRegime_m_s = 1.5;  // the wind case starts at U10 = 1.5 m/s
constexpr double kCalmLapseMax_k_m = 0.01;
constexpr double kMinSampling_h = 0.5;
constexpr int kMaxMaximumIterations = 16;
constexpr double kStepsLimit = 2147483647.0;  // largest step count an int holds

Surface surfaceOf(const PointSourceInput& in) {
  return in.surface == 1 ? Surface::Urban : Surface::Rural;
}

// Tabulated coefficients at x with the sampling-time correction of gamma_y.
SigmaSet correctedSigmas(const PointSourceInput& in, double x_m) {
  SigmaSet s = tabulatedSigmas(x_m, in.stability, surfaceOf(in));
  s.gy = static_cast<float>(samplingCorrected(s.gy, in.sampling_h));
  return s;
}

SigmaSet typedSigmas(const PointSourceInput& in) { return {in.ay, in.az, in.gy, in.gz}; }

LightWindSet lightWindSet(const PointSourceInput& in) {
  if (in.sigma_typed) return {in.gy, in.gz};
  LightWindSet l = tabulatedLightWind(in.u10_m_s, in.stability);
  l.g01 = static_cast<float>(samplingCorrected(l.g01, in.sampling_h));
  return l;
}

// Plume rise step: fills Qh and dH of the result (Qh stays 0 when the rise was typed).
void risePlume(const PointSourceInput& in, PointSourceResult& r) {
  if (in.rise_typed) {
    r.rise_m = in.rise_m;
    return;
  }
  r.heat_kj_s = static_cast<float>(
      heatEmission(in.pressure_kpa, in.gas_flow_m3_s, in.gas_temp_c, in.air_temp_c));
  PlumeRiseInput p;
  p.stack_height_m = in.stack_height_m;
  p.wind = r.wind;
  p.exit_wind_m_s = r.exit_wind_m_s;
  p.gas_flow_m3_s = in.gas_flow_m3_s;
  p.diameter_m = in.diameter_m;
  p.delta_t_k = static_cast<double>(in.gas_temp_c) - in.air_temp_c;
  p.heat_kj_s = r.heat_kj_s;
  p.lapse_k_m = in.lapse_k_m;
  p.stability = in.stability;
  p.surface = surfaceOf(in);
  r.rise_m = static_cast<float>(plumeRise(p));
}

// Running single-precision positions from..from + n step.
std::vector<float> positions(float from, int steps, float step) {
  std::vector<float> v;
  if (steps < 0) return v;
  v.reserve(static_cast<size_t>(steps) + 1);
  float p = from;
  for (int i = 0; i <= steps; ++i) {
    v.push_back(p);
    p += step;
  }
  return v;
}

// For each row, the first row with the same |y| (itself when none came before): the field is
// symmetric in y, so mirrored rows share their values exactly.
std::vector<size_t> mirrorRows(const std::vector<float>& y) {
  std::vector<size_t> mirror(y.size());
  std::unordered_map<float, size_t> first;
  for (size_t j = 0; j < y.size(); ++j)
    mirror[j] = first.try_emplace(std::fabs(y[j]), j).first->second;
  return mirror;
}

// One column of the grid (all rows) and its centre-line value.
void fillColumn(const PointSourceInput& in, PointSourceResult& r, size_t col,
                const std::vector<size_t>& mirror) {
  const size_t nx = r.x_m.size();
  const double x = r.x_m[col], q = in.emission_mg_s, u = r.exit_wind_m_s, he = r.he_m;
  auto at = [&](size_t row) -> double& { return r.c_mg_m3[row * nx + col]; };
  if (r.wind) {
    const SigmaSet s = in.sigma_typed ? typedSigmas(in) : correctedSigmas(in, x);
    const double sy = s.gy * std::pow(x, static_cast<double>(s.ay));
    const double sz = s.gz * std::pow(x, static_cast<double>(s.az));
    // Upwind of the source and at the source itself the plume has no extent: the cells are 0.
    if (!(x > 0) || sy == 0 || sz == 0) {
      for (size_t j = 0; j < r.y_m.size(); ++j) at(j) = 0;
      r.centre_mg_m3[col] = 0;
      return;
    }
    const double f = verticalTerm(he, sz, r.mixing_m, in.grade != static_cast<int>(Grade::Third));
    for (size_t j = 0; j < r.y_m.size(); ++j)
      at(j) = mirror[j] < j ? at(mirror[j]) : windConcentration(q, u, r.y_m[j], sy, sz, f);
    r.centre_mg_m3[col] = static_cast<float>(windConcentration(q, u, 0, sy, sz, f));
    return;
  }
  const LightWindSet l = lightWindSet(in);
  for (size_t j = 0; j < r.y_m.size(); ++j)
    at(j) =
        mirror[j] < j ? at(mirror[j]) : lightWindConcentration(q, u, he, x, r.y_m[j], l.g01, l.g02);
  r.centre_mg_m3[col] = static_cast<float>(lightWindConcentration(q, u, he, x, 0, l.g01, l.g02));
}

// Maximum ground concentration with the coefficient set of the distance range that holds Xm:
// start from the set of the largest x, look up the set at Xm and recompute until the set stays
// the same; when the look-ups cycle, the set of the cycle with the largest cm is kept.
void groundMaximumStep(const PointSourceInput& in, PointSourceResult& r) {
  const double q = in.emission_mg_s, u = r.exit_wind_m_s, he = r.he_m;
  SigmaSet set;
  GroundMaximum gm;
  if (in.sigma_typed) {
    set = typedSigmas(in);
    gm = groundMaximum(q, u, he, set);
  } else {
    set = correctedSigmas(in, r.x_m.empty() ? static_cast<double>(in.xmax_m) : r.x_m.back());
    std::vector<std::pair<SigmaSet, GroundMaximum>> tried;
    for (int k = 0; k < kMaxMaximumIterations; ++k) {
      gm = groundMaximum(q, u, he, set);
      tried.emplace_back(set, gm);
      const SigmaSet next = correctedSigmas(in, gm.xm_m);
      if (next == set) break;
      auto seen =
          std::find_if(tried.begin(), tried.end(), [&](const auto& t) { return t.first == next; });
      if (seen != tried.end()) {
        auto best = std::max_element(seen, tried.end(), [](const auto& a, const auto& b) {
          return a.second.cm_mg_m3 < b.second.cm_mg_m3;
        });
        set = best->first;
        gm = best->second;
        break;
      }
      set = next;
    }
  }
  r.sigma = set;
  r.cm_mg_m3 = static_cast<float>(gm.cm_mg_m3);
  r.xm_m = static_cast<float>(gm.xm_m);
}

}  // namespace

int gridSteps(float from_m, float to_m, float step_m) {
  const double q = (static_cast<double>(to_m) - from_m) / step_m;
  // Beyond the int range: a range running backwards has no columns; one running forwards, or
  // an undefined one, has more steps than any grid may hold (it must not count as 0).
  if (q < -kStepsLimit) return -1;
  if (!(q <= kStepsLimit)) return std::numeric_limits<int>::max();
  return core::truncatedCount(q);
}

core::Check checkPointSource(const PointSourceInput& in) {
  // The exit wind is U10 (H/10)^p and the exit velocity divides by the outlet's area.
  if (!(in.stack_height_m > 0))
    return core::fail("烟筒距地面几何高度 H必须大于0，请重新输入！", "H");
  if (!in.rise_typed && !(in.diameter_m > 0))
    return core::fail("烟筒出口直径D必须大于0，请重新输入！", "D");
  if (!(in.u10_m_s >= 0)) return core::fail(kMsgNegativeWind);
  // The computed mixing height divides by the Coriolis parameter 2 Omega sin(latitude).
  if (!in.mixing_typed && !(in.latitude_deg > 0 && in.latitude_deg <= 90))
    return core::fail("地理纬度必须大于0且不大于90°，请重新输入！", "lat");
  const bool wind = in.u10_m_s >= kWindRegime_m_s;
  if (!in.rise_typed) {
    const double dt = static_cast<double>(in.gas_temp_c) - in.air_temp_c;
    if (!(dt >= 0)) return core::fail(kMsgGasTemp);
    if (!wind && !(in.lapse_k_m <= kCalmLapseMax_k_m)) return core::fail(kMsgCalmLapse);
  }
  if (!(in.step_m > 0)) return core::fail(kMsgStep);
  if (gridSteps(in.xmin_m, in.xmax_m, in.step_m) >= kMaxGridColumns) return core::fail(kMsgColumns);
  if (gridSteps(in.ymin_m, in.ymax_m, in.step_m) >= kMaxGridRows) return core::fail(kMsgRows);
  if (!in.sigma_typed && !(in.sampling_h >= kMinSampling_h)) return core::fail(kMsgSampling);
  return std::nullopt;
}

PointSourceResult computePointSource(const PointSourceInput& in) {
  PointSourceResult r;
  r.wind = in.u10_m_s >= kWindRegime_m_s;
  r.mixing_m =
      in.mixing_typed
          ? in.mixing_m
          : static_cast<float>(mixingHeight(in.u10_m_s, in.latitude_deg, in.stability, in.region));
  r.exit_wind_m_s = in.exit_wind_typed
                        ? in.exit_wind_m_s
                        : static_cast<float>(exitWindSpeed(in.u10_m_s, in.stack_height_m,
                                                           in.stability, surfaceOf(in)));
  risePlume(in, r);
  r.he_m = static_cast<float>(static_cast<double>(in.stack_height_m) + r.rise_m);
  r.light = lightWindSet(in);

  r.x_m = positions(in.xmin_m, gridSteps(in.xmin_m, in.xmax_m, in.step_m), in.step_m);
  r.y_m = positions(in.ymin_m, gridSteps(in.ymin_m, in.ymax_m, in.step_m), in.step_m);
  r.c_mg_m3.assign(r.x_m.size() * r.y_m.size(), 0.0);
  r.centre_mg_m3.assign(r.x_m.size(), 0.0f);
  const std::vector<size_t> mirror = mirrorRows(r.y_m);
  for (size_t i = 0; i < r.x_m.size(); ++i) fillColumn(in, r, i, mirror);

  groundMaximumStep(in, r);
  return r;
}

std::string pointSourceReport(const PointSourceResult& r) {
  const double u = r.exit_wind_m_s, he = r.he_m, dh = r.rise_m;
  if (r.wind)
    return core::cformat(
        "——————————有风时，各参数详细结果如下————————\r\n"
        "烟筒下风向一次最大地面浓度cm=%f [mg/m^3]\r\n"
        "距烟筒距离Xm=%f [m]\r\n"
        "烟筒出口风速U=%f [m/s]\r\n"
        "烟筒有效高度He=%f [m]\r\n"
        "烟气抬升高度ΔH=%f [m]\r\n"
        "混合层厚度h=%f [m]\r\n"
        "回归指数αy=%f,回归指数αz=%f\r\n"
        "回归系数γy=%f,回归系数γz=%f\r\n"
        "烟气热释放率Qh=%f [kJ/s]\r\n",
        static_cast<double>(r.cm_mg_m3), static_cast<double>(r.xm_m), u, he, dh,
        static_cast<double>(r.mixing_m), static_cast<double>(r.sigma.ay),
        static_cast<double>(r.sigma.az), static_cast<double>(r.sigma.gy),
        static_cast<double>(r.sigma.gz), static_cast<double>(r.heat_kj_s));
  return core::cformat(
      "——————————小风和静风时，各参数详细结果如下————————\r\n"
      "烟筒出口风速U=%f [m/s]\r\n"
      "烟筒有效高度He=%f [m]\r\n"
      "烟气抬升高度ΔH=%f [m]\r\n"
      "回归系数γy=%f,回归系数γz=%f",
      u, he, dh, static_cast<double>(r.light.g01), static_cast<double>(r.light.g02));
}

core::Table pointSourceTable(const PointSourceResult& r) {
  core::Table t;
  t.title = "点源扩散模式计算结果";
  t.headers.reserve(r.x_m.size() + 1);
  t.headers.push_back("Y＼X");
  t.widths.push_back(40);
  for (float x : r.x_m) {
    t.headers.push_back(core::cformat("%g", static_cast<double>(x)));
    t.widths.push_back(60);
  }
  t.rows.resize(r.y_m.size());
  for (size_t j = 0; j < r.y_m.size(); ++j) {
    std::vector<std::string>& row = t.rows[j];
    row.reserve(r.x_m.size() + 1);
    row.push_back(core::cformat("%g", static_cast<double>(r.y_m[j])));
    for (size_t i = 0; i < r.x_m.size(); ++i) row.push_back(core::cformat("%f", r.cell(j, i)));
  }
  return t;
}

core::Outcome::Grid pointSourceGrid(const PointSourceResult& r, const core::Table& table) {
  core::Outcome::Grid g;
  g.nx = static_cast<int>(r.x_m.size());
  g.ny = static_cast<int>(r.y_m.size());
  if (!r.x_m.empty()) {
    g.xmin = r.x_m.front();
    g.xmax = r.x_m.back();
  }
  if (!r.y_m.empty()) {
    g.ymin = r.y_m.front();
    g.ymax = r.y_m.back();
  }
  g.z.reserve(static_cast<size_t>(g.nx) * static_cast<size_t>(g.ny));
  double top = 0;
  bool any = false;
  for (const auto& row : table.rows)
    for (size_t i = 1; i < row.size(); ++i) {
      const float z = static_cast<float>(std::strtod(row[i].c_str(), nullptr));
      g.z.push_back(z);
      if (!any || z > top) top = z;
      any = true;
    }
  // The top contour level must reach the field's peak: the larger of cm and the largest cell.
  const double cm = r.cm_mg_m3;
  g.zmin = 0;
  g.zmax = std::isfinite(cm) && cm > top ? cm : top;
  return g;
}

}  // namespace models::air
