// Industrial noise of one point source, indoor or outdoor, at prediction points by distance,
// for one octave band (HJ 2.4-2009 appendix A, outdoor propagation of a point source):
//   Lp(r) = Lw' - 20 lg r - 11 (free field) or - 8 (half-free field), or Lp0 - 20 lg(r / r0)
//           + reflection increase - Abar - Aatm - Agr,
//   LA = Lp + dA,  LT = LA (+) Lbg (energy addition).
// An indoor source becomes an equivalent outdoor source through the partition wall:
//   Lp1 = Lw + 10 lg(Q / (4 pi r^2) + 4 / R),  Lp2 = Lp1 - (TL + 6),  Lw' = Lp2 + 10 lg S.
#pragma once

#include <string>
#include <vector>

#include "core/binding.h"
#include "core/calculator.h"

namespace models::noise {

enum class NoiseSourceKind { Indoor = 0, Outdoor = 1 };
enum class SoundField { Free = 0, HalfFree = 1 };
enum class LevelBasis { SoundPower = 0, ReferenceLevel = 1 };
// Position of an indoor source: directivity factor Q = 1, 2, 4, 8.
enum class RoomPosition { Centre = 0, WallCentre = 1, TwoWalls = 2, ThreeWalls = 3 };

struct IndustrialNoiseInput {
  NoiseSourceKind source = NoiseSourceKind::Indoor;
  SoundField field = SoundField::Free;
  float lbg_dba = 55;  // background A level Lbg
  int rmax_m = 20;     // largest prediction distance (with a barrier the one distance)
  int dr_m = 1;        // distance step
  LevelBasis basis = LevelBasis::SoundPower;
  float lw_db = 100;    // band sound power level Lw
  float r0_m = 1;       // reference distance r0
  float lp0_db = 80;    // band level at the reference point Lp0
  float f_hz = 500;     // octave band centre frequency
  float t_c = 20;       // air temperature
  float da_db = -3.2f;  // A-weighting correction of the band
  bool reflection = false;
  float h0_m = 1;  // source height
  float h1_m = 1;  // receiver height
  RoomPosition position = RoomPosition::Centre;
  float room_const_m2 = 1;  // room constant R
  float tl_db = 25;         // transmission loss of the partition wall TL
  float rw_m = 2;           // source-to-wall distance
  float wall_m2 = 10;       // wall area S
  bool barrier = false;
  float delta1_m = 1, delta2_m = 0, delta3_m = 0;  // path differences
  bool air = true;
  float alpha_db_km = 2.8f;  // air absorption coefficient
  float hr_pct = 70;         // relative humidity
  float pa_kpa = 101.325f;   // ambient pressure
  bool ground = false;
  float hm_m = 2;  // mean height of the propagation path
};

struct IndustrialPoint {
  double r_m = 0;
  double lpr_db = 0;  // after geometric divergence and the reflection increase
  double abar_db = 0, aatm_db = 0, agr_db = 0;
  double lp_db = 0, la_dba = 0, lt_dba = 0;
};

struct IndustrialNoiseResult {
  double lw_equiv_db = 0;  // Lw' (Lw for an outdoor source)
  std::vector<IndustrialPoint> points;
  std::string text;
  core::Table table;  // 4 rows (distance and three levels), one column per point
};

inline constexpr const char* kIndustrialExportTitle = "工业噪声预测计算结果";
// Points the page lays out at most: each point is a grid column and six text lines.
inline constexpr int kMaxIndustrialPoints = 100000;

int directivityFactor(RoomPosition p);
// Equivalent outdoor sound power of an indoor source, dB.
double equivalentSoundPower(const IndustrialNoiseInput& in);
// Thin-barrier attenuation from the three path differences (infinite when only delta1 is
// non-zero), capped at 20 dB; `infinite` tells which formula applied.
double barrierAttenuation(const IndustrialNoiseInput& in, bool* infinite = nullptr);
// Increase by a reflecting ground surface from the ratio of reflected to direct path.
double reflectionIncrease(double r_m, double h0_m, double h1_m);
// 3 dB for q <= 1.2, 2 dB up to 1.6, 1 dB up to 2.5, else 0.
double reflectionIncreaseForRatio(double q);
// Agr = 4.8 - (2 hm / r)(17 + 300 / r), never negative.
double groundAttenuation(double hm_m, double r_m);

// The number of points, N = rmax / dr truncated (1 point at most with a barrier); 0 or less
// gives an empty result.
int industrialPointCount(const IndustrialNoiseInput& in);
core::Check checkIndustrialNoise(const IndustrialNoiseInput& in);
IndustrialNoiseResult computeIndustrialNoise(const IndustrialNoiseInput& in);

const core::CalculatorDesc& industrialNoiseDesc();

}  // namespace models::noise
