#include "models/noise/industrial_noise.h"

#include <cmath>

#include "core/acoustics.h"
#include "core/counts.h"
#include "core/format.h"

namespace models::noise {

namespace {

constexpr double kFourPi = 12.56636;  // value the method tabulates with
constexpr double kMaxBarrierAttenuation_dB = 20;
constexpr const char* kMsgTooManyPoints =
    "预测点数超过100000，无法显示，请加大间距或减小预测点距声源水平距离最大值，请重新输入！";
constexpr const char* kRowTitles[] = {"距离m", "贡献值倍频带声压级dB", "贡献值A声级dBA",
                                      "叠加背景值A声级dBA"};
constexpr int kTitleWidth = 140;
constexpr int kValueWidth = 45;

// Level at distance r after geometric divergence (and the reflection increase).
double divergedLevel(const IndustrialNoiseInput& in, double lw_equiv, double r) {
  double lpr;
  if (in.basis == LevelBasis::ReferenceLevel)
    lpr = in.lp0_db - 20 * std::log10(r / in.r0_m);
  else
    lpr = lw_equiv - 20 * std::log10(r) - (in.field == SoundField::Free ? 11 : 8);
  if (in.reflection) lpr += reflectionIncrease(r, in.h0_m, in.h1_m);
  return lpr;
}

}  // namespace

int directivityFactor(RoomPosition p) {
  switch (p) {
    case RoomPosition::Centre: return 1;
    case RoomPosition::WallCentre: return 2;
    case RoomPosition::TwoWalls: return 4;
    case RoomPosition::ThreeWalls: return 8;
  }
  return 1;
}

double equivalentSoundPower(const IndustrialNoiseInput& in) {
  if (in.source == NoiseSourceKind::Outdoor) return in.lw_db;
  const double q = directivityFactor(in.position), rw = in.rw_m;
  const double lp1 = in.lw_db + 10 * std::log10(q / (kFourPi * rw * rw) + 4.0 / in.room_const_m2);
  const double lp2 = lp1 - (in.tl_db + 6.0);
  return lp2 + 10 * std::log10(static_cast<double>(in.wall_m2));
}

double barrierAttenuation(const IndustrialNoiseInput& in, bool* infinite) {
  // Fresnel numbers N = 2 delta / lambda with lambda = c / f, c = 331 sqrt(1 + t / 273).
  const double c = 331 * std::sqrt(1 + in.t_c / 273.0);
  const double lambda = c / in.f_hz;
  auto term = [lambda](double delta) { return 1 / (3 + 20 * (2 * delta / lambda)); };
  const bool inf = in.delta1_m != 0 && in.delta2_m == 0 && in.delta3_m == 0;
  if (infinite) *infinite = inf;
  double a = inf ? -10 * std::log10(term(in.delta1_m))
                 : -10 * std::log10(term(in.delta1_m) + term(in.delta2_m) + term(in.delta3_m));
  if (a > kMaxBarrierAttenuation_dB) a = kMaxBarrierAttenuation_dB;
  return a;
}

double reflectionIncreaseForRatio(double q) {
  if (q <= 1.2) return 3;
  if (q <= 1.6) return 2;
  if (q <= 2.5) return 1;
  return 0;
}

double reflectionIncrease(double r, double h0, double h1) {
  const double H = h0 + h1;
  const double direct = std::sqrt((h1 - h0) * (h1 - h0) + r * r);
  const double reflected = std::sqrt((r * h1 / H) * (r * h1 / H) + h1 * h1) +
                           std::sqrt((r * h0 / H) * (r * h0 / H) + h0 * h0);
  return reflectionIncreaseForRatio(reflected / direct);
}

double groundAttenuation(double hm, double r) {
  const double a = 4.8 - (2 * hm / r) * (17 + 300 / r);
  return a < 0 ? 0 : a;
}

int industrialPointCount(const IndustrialNoiseInput& in) {
  return core::truncatedCount(static_cast<double>(in.rmax_m) / static_cast<double>(in.dr_m));
}

core::Check checkIndustrialNoise(const IndustrialNoiseInput& in) {
  // The indoor level divides by R and r^2, the transmitted power is 10 lg S.
  if (in.source == NoiseSourceKind::Indoor) {
    if (!(in.room_const_m2 > 0)) return core::fail("房间常数R必须大于0，请重新输入！", "R");
    if (!(in.rw_m > 0)) return core::fail("声源到隔墙距离r必须大于0，请重新输入！", "rw");
    if (!(in.wall_m2 > 0)) return core::fail("隔墙面积S必须大于0，请重新输入！", "S");
  }
  // With the barrier only the last point is computed.
  if (!in.barrier && industrialPointCount(in) > kMaxIndustrialPoints)
    return core::fail(kMsgTooManyPoints, "dr");
  return std::nullopt;
}

IndustrialNoiseResult computeIndustrialNoise(const IndustrialNoiseInput& in) {
  IndustrialNoiseResult res;
  res.table.title = kIndustrialExportTitle;
  res.table.headers = {kRowTitles[0]};
  res.table.widths = {kTitleWidth};
  for (int k = 1; k < 4; ++k) res.table.rows.push_back({kRowTitles[k]});
  res.lw_equiv_db = equivalentSoundPower(in);
  const int n = industrialPointCount(in);
  if (n <= 0) return res;
  const std::string lwLine =
      in.source == NoiseSourceKind::Indoor
          ? core::cformat("室内声源等效室外声源声功率级Lw=%.2f[dB]\r\n", res.lw_equiv_db)
          : std::string();
  bool infinite = false;
  const double abar = in.barrier ? barrierAttenuation(in, &infinite) : 0;
  const std::string abarLine =
      in.barrier ? core::cformat("%sAbar=%.2f[dB]\r\n",
                                 infinite ? "屏障无限长，屏障衰减" : "屏障有限长，屏障衰减", abar)
                 : std::string();
  // Counted in 64 bits: with the barrier n may be the largest int.
  for (long long i = in.barrier ? n : 1; i <= n; ++i) {
    IndustrialPoint p;
    p.r_m = static_cast<double>(i) * in.dr_m;
    p.abar_db = abar;
    p.lpr_db = divergedLevel(in, res.lw_equiv_db, p.r_m);
    std::string agrLine, aatmLine;
    if (in.ground) {
      p.agr_db = groundAttenuation(in.hm_m, p.r_m);
      agrLine = core::cformat("地面效应衰减Agr=%.2f[dB]\r\n", p.agr_db);
    }
    if (in.air) {
      p.aatm_db = in.alpha_db_km * p.r_m / 1000;
      aatmLine = core::cformat("空气吸收衰减Aatm=%.2f[dB]\r\n", p.aatm_db);
    }
    p.lp_db = p.lpr_db - p.abar_db - p.aatm_db - p.agr_db;
    p.la_dba = p.lp_db + in.da_db;
    p.lt_dba = core::addLevels(in.lbg_dba, p.la_dba);
    res.table.headers.push_back(core::cformat("%g", p.r_m));
    res.table.rows[0].push_back(core::cformat("%.2f", p.lp_db));
    res.table.rows[1].push_back(core::cformat("%.2f", p.la_dba));
    res.table.rows[2].push_back(core::cformat("%.2f", p.lt_dba));
    res.table.widths.push_back(kValueWidth);
    res.text += core::cformat(
        "距声源%g[m]预测点计算结果：\r\n%s几何发散衰减后Lpr=%.2f[dB]\r\n%s%s%s"
        "--------------------------------------------------\r\n",
        p.r_m, lwLine.c_str(), p.lpr_db, abarLine.c_str(), aatmLine.c_str(), agrLine.c_str());
    res.points.push_back(p);
  }
  return res;
}

}  // namespace models::noise
