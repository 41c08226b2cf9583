#pragma once
// Dispersion coefficients (rural Pasquill-Gifford and urban Briggs curves), the wind profile,
// the mixing height and the virtual distances of initial plume sizes.

#include "screen/engine/model_types.h"

namespace screen::engine {

constexpr float kPi = 3.141593f;  // value the model tabulates with
constexpr float kTwoPi = 6.283185f;
constexpr float kSqrt2Pi = 2.506628f;
constexpr float kGravity = 9.80616f;  // m/s2
constexpr float kDegToRad = 0.017453293f;
constexpr float kThird = 0.333333f;  // the "cube root" exponent of plume rise

float sigmaY(int cls, bool urban, float x_m);
float sigmaZ(int cls, bool urban, float x_m);

// Rural sigma-z coefficient row containing x_km, with its validity interval [from, to].
struct SigmaZRow {
  float a, b, from, to;
};
SigmaZRow ruralSigmaZRow(int cls, float x_km);

// Stability parameter s = g * dtheta/dz / Ta and its root (1e-10 when not stable).
struct Stability {
  float s, rootS;
};
Stability stabilityParameter(int cls, float ta);

float profileExponent(int cls, bool urban);
float stackWindSpeed(float ua, float hs, float za, int cls, bool urban);
float mixingHeight(float ua, float he, float za, int cls, bool urban, bool brode2);

// Virtual distances (m) of an initial lateral or vertical size; xRef_m picks the rural
// sigma-z bracket. The cubic solver may add a non-convergence note.
float lateralVirtualDistance(int cls, bool urban, float sy0);
float verticalVirtualDistance(int cls, bool urban, float sz0, float xRef_m, const NoteSink& note);

// Newton solution of z^3 + a z^2 + b z + c = 0 from z1.
float solveCubic(float a, float b, float c, float z1, float tolerance, const NoteSink& note);

// Number of loop wind speeds of a class and the master list.
int windSpeedCount(int cls);
float windSpeed(int index);

}  // namespace screen::engine
