#include "screen/engine/dispersion.h"

#include <algorithm>
#include <cmath>

namespace screen::engine {

const char* downwashCode(Downwash flag) {
  switch (flag) {
    case Downwash::No: return "NO";
    case Downwash::HS: return "HS";
    case Downwash::SS: return "SS";
    case Downwash::NA: return "NA";
    default: return "  ";
  }
}

namespace {

struct ZCoef {
  float limit, a, b;
};  // limit in km; 0 marks the open last row

// Rural sigma-z = a * x_km^b, by the upper limit of each distance bracket (Pasquill-Gifford
// curves as fitted by Turner).
constexpr ZCoef kZA[] = {{0.10f, 122.8f, 0.94470f},  {0.15f, 158.080f, 1.05420f},
                         {0.20f, 170.22f, 1.09320f}, {0.25f, 179.52f, 1.12620f},
                         {0.30f, 217.41f, 1.2644f},  {0.40f, 258.89f, 1.4094f},
                         {0.50f, 346.75f, 1.72830f}, {0, 453.85f, 2.11660f}};
constexpr ZCoef kZB[] = {
    {0.20f, 90.673f, 0.93198f}, {0.40f, 98.483f, 0.98332f}, {0, 109.3f, 1.0971f}};
constexpr ZCoef kZC[] = {{0, 61.141f, 0.91465f}};
constexpr ZCoef kZD[] = {{0.30f, 34.459f, 0.86974f}, {1.0f, 32.093f, 0.81066f},
                         {3.0f, 32.093f, 0.64403f},  {10.0f, 33.504f, 0.60486f},
                         {30.0f, 36.650f, 0.56589f}, {0, 44.053f, 0.51179f}};
constexpr ZCoef kZE[] = {
    {0.10f, 24.26f, 0.83660f}, {0.30f, 23.331f, 0.81956f}, {1.0f, 21.628f, 0.75660f},
    {2.0f, 21.628f, 0.63077f}, {4.0f, 22.534f, 0.57154f},  {10.0f, 24.703f, 0.50527f},
    {20.0f, 26.97f, 0.46713f}, {40.0f, 35.42f, 0.37615f},  {0, 47.618f, 0.29592f}};
constexpr ZCoef kZF[] = {{0.20f, 15.209f, 0.81558f}, {0.70f, 14.457f, 0.78407f},
                         {1.0f, 13.953f, 0.68465f},  {2.0f, 13.953f, 0.63227f},
                         {3.0f, 14.823f, 0.54503f},  {7.0f, 16.187f, 0.46490f},
                         {15.0f, 17.836f, 0.41507f}, {30.0f, 22.651f, 0.32681f},
                         {60.0f, 27.074f, 0.27436f}, {0, 34.219f, 0.21716f}};

struct ZTable {
  const ZCoef* rows;
  int n;
};
constexpr ZTable kZTables[] = {{kZA, 8}, {kZB, 3}, {kZC, 1}, {kZD, 6}, {kZE, 9}, {kZF, 10}};

constexpr float kYa[] = {24.1667f, 18.333f, 12.5f, 8.3330f, 6.25f, 4.1667f};
constexpr float kYb[] = {2.5334f, 1.8096f, 1.0857f, 0.72382f, 0.54287f, 0.36191f};

constexpr float kWindSpeeds[] = {1.0f, 1.5f, 2.0f, 2.5f,  3.0f,  3.5f, 4.0f,
                                 4.5f, 5.0f, 8.0f, 10.0f, 15.0f, 20.0f};
constexpr int kWindCount[] = {5, 9, 11, 13, 9, 7};

int classIndex(int cls) { return std::clamp(cls, 1, 6) - 1; }

}  // namespace

int windSpeedCount(int cls) { return kWindCount[classIndex(cls)]; }
float windSpeed(int index) { return kWindSpeeds[index]; }

SigmaZRow ruralSigmaZRow(int cls, float x_km) {
  const ZTable& t = kZTables[classIndex(cls)];
  float from = 0.0f;
  for (int i = 0; i < t.n; ++i) {
    const ZCoef& r = t.rows[i];
    if (r.limit == 0.0f) return {r.a, r.b, from, 100.0f};
    if (x_km <= r.limit) return {r.a, r.b, from, r.limit};
    from = r.limit;
  }
  const ZCoef& r = t.rows[t.n - 1];
  return {r.a, r.b, from, 100.0f};
}

float sigmaY(int cls, bool urban, float x_m) {
  const float xkm = x_m * 0.001f;
  const int k = classIndex(cls);
  if (urban) {
    static constexpr float kA[] = {320.0f, 320.0f, 220.0f, 160.0f, 110.0f, 110.0f};
    return kA[k] * xkm / std::sqrt(1.0f + 0.4f * xkm);
  }
  // theta = (a - b ln x) degrees; sigma-y = 465.11628 x tan(theta)
  const float th = (kYa[k] - kYb[k] * std::log(xkm)) * kDegToRad;
  return (465.11628f * xkm) * std::tan(th);
}

float sigmaZ(int cls, bool urban, float x_m) {
  const float xkm = x_m * 0.001f;
  const int k = classIndex(cls);
  if (urban) {
    switch (k) {
      case 0:
      case 1: return 240.0f * xkm * std::sqrt(1.0f + xkm);
      case 2: return 200.0f * xkm;
      case 3: return 140.0f * xkm / std::sqrt(1.0f + 0.3f * xkm);
      default: return 80.0f * xkm / std::sqrt(1.0f + 1.5f * xkm);
    }
  }
  const SigmaZRow r = ruralSigmaZRow(cls, xkm);
  return r.a * std::pow(xkm, r.b);
}

Stability stabilityParameter(int cls, float ta) {
  float dtdz = 0.0f;
  if (cls == 5) dtdz = 0.020f;
  if (cls == 6) dtdz = 0.035f;
  if (dtdz > 0.0f && ta != 0.0f) {
    const float s = (kGravity * dtdz) / ta;
    return {s, std::sqrt(s)};
  }
  return {1.0e-10f, 1.0e-10f};
}

float profileExponent(int cls, bool urban) {
  static constexpr float kRural[] = {0.07f, 0.07f, 0.10f, 0.15f, 0.35f, 0.55f};
  static constexpr float kUrban[] = {0.15f, 0.15f, 0.20f, 0.25f, 0.30f, 0.30f};
  return urban ? kUrban[classIndex(cls)] : kRural[classIndex(cls)];
}

float stackWindSpeed(float ua, float hs, float za, int cls, bool urban) {
  const float p = profileExponent(cls, urban);
  float us;
  if (hs >= 10.0f)
    us = ua * std::pow(hs / za, p);
  else if (za > 10.0f)
    us = ua * std::pow(10.0f / za, p);
  else
    us = ua;
  return us < 1.0f ? 1.0f : us;
}

float mixingHeight(float ua, float he, float za, int cls, bool urban, bool brode2) {
  if (cls >= 5) return 10000.0f;
  float zi = 320.0f * ua;
  if (zi > 10000.0f) zi = 10000.0f;
  if (zi < he + 1.0f) zi = he + 1.0f;
  if (brode2) {
    static constexpr float kZmin[] = {300.0f, 100.0f, 30.0f, 30.0f};
    static constexpr float kF[] = {0.01f, 0.02f, 0.03f, 0.04f};
    const int k = classIndex(cls);
    const float u10 = ua * std::pow(10.0f / za, profileExponent(cls, urban));
    zi = std::max(kZmin[k], he * (1.0f + kF[k] * u10));
  }
  return zi;
}

float lateralVirtualDistance(int cls, bool urban, float sy0) {
  const int k = classIndex(cls);
  if (urban) {
    static constexpr float kA[] = {0.32f, 0.32f, 0.22f, 0.16f, 0.11f, 0.11f};
    const float b = 0.0004f;
    const float s2 = sy0 * sy0;
    const float a2 = kA[k] * kA[k];
    return (b * s2 + std::sqrt(b * b * s2 * s2 + 4.0f * a2 * s2)) / (2.0f * a2);
  }
  static constexpr float kC1[] = {0.004781486f, 0.006474168f, 0.009684292f,
                                  0.014649868f, 0.019584802f, 0.029481132f};
  static constexpr float kC2[] = {1.1235955f, 1.1086475f, 1.0905125f,
                                  1.0881393f, 1.0857763f, 1.0881393f};
  return std::pow(sy0 * kC1[k], kC2[k]) * 1000.0f;
}

float solveCubic(float a, float b, float c, float z1, float tolerance, const NoteSink& note) {
  float z = z1;
  float prev = z1;
  for (int n = 1; n <= 24; ++n) {
    const float f = ((z * z * z + a * z * z) + b * z) + c;
    const float fp = (3.0f * z * z + 2.0f * a * z) + b;
    const float next = z - f / fp;
    if (std::fabs(next - z) <= tolerance) return next;
    prev = z;
    z = next;
  }
  // prev = z24, z = z25
  if (note) note(" NO CONVERGENCE IN SUBROUTINE CUBIC");
  return (prev + z) * 0.5f;
}

float verticalVirtualDistance(int cls, bool urban, float sz0, float xRef_m, const NoteSink& note) {
  if (sz0 <= 0.01f) return 0.0f;
  const int k = classIndex(cls);
  if (urban) {
    static constexpr float kA[] = {0.24f, 0.24f, 0.20f, 0.14f, 0.08f, 0.08f};
    static constexpr float kB[] = {0.001f, 0.001f, 0.0f, 0.0003f, 0.0015f, 0.0015f};
    const float a = kA[k];
    const float b = kB[k];
    if (k >= 3) {
      const float s2 = sz0 * sz0;
      const float a2 = a * a;
      return (b * s2 + std::sqrt(b * b * s2 * s2 + 4.0f * a2 * s2)) / (2.0f * a2);
    }
    if (k == 2) return sz0 / 0.20f;
    const float c = -(sz0 * sz0) / (a * a * b);
    return solveCubic(1.0f / b, 0.0f, c, 4.0f * sz0, 1.0e-4f, note);
  }
  const float xrk = xRef_m * 0.001f;
  float g[7] = {};
  g[1] = 0.01f;
  for (int n = 1; n <= 5; ++n) {
    const SigmaZRow r = ruralSigmaZRow(cls, g[n] + xrk);
    const float invB = 1.0f / r.b;
    g[n + 1] = std::pow(sz0 / r.a, invB);
    const float t = g[n + 1] + xrk;
    if (r.from <= t && t <= r.to) return 1000.0f * g[n + 1];
  }
  return 1000.0f * std::min(g[5], g[6]);
}

}  // namespace screen::engine
