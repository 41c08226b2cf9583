#pragma once
// Plain data shared by the screening calculations: the source, the meteorology choice and one
// result row. Every quantity is single precision, the precision the model is defined in.

#include <functional>
#include <string>

namespace screen::engine {

enum class SourceKind { Point, Flare, Area, Volume };

enum class Downwash { Blank, No, HS, SS, NA };

const char* downwashCode(Downwash flag);

struct Source {
  SourceKind kind = SourceKind::Point;
  float q = 0;              // emission rate, g/s (area: g/(s*m2))
  float hs = 0;             // release height, m (flare: effective release height)
  float stackHeight_m = 0;  // flare stack height as entered, m
  float heat_cal_s = 0;     // flare total heat release, cal/s
  float ds = 0, vs = 0;     // stack inside diameter (m), exit velocity (m/s)
  float ts = 0, ta = 0;     // stack gas and ambient temperature, K
  float zr = 0;             // receptor (flagpole) height, m
  bool urban = false;
  float hb = 0, l1 = 0, l2 = 0;  // building height and smaller/larger horizontal dimension, m
  float wp = 0, lb = 0;          // projected width (diagonal) and wake scale length, m
  float fb = 0, fm = 0;          // buoyancy (m4/s3) and momentum (m4/s2) flux
  // area source
  float longSide_m = 0, shortSide_m = 0, angle_deg = 0;
  bool searchDirection = false;
  // volume source
  float sy0 = 0, sz0 = 0;
  // options from the source-type line
  float za = 10;        // anemometer height, m
  bool brode2 = false;  // non-regulatory Brode 2 mixing heights
};

struct MetChoice {
  int choice = 1;   // 1 full, 2 single class, 3 single class and speed
  int cls = 0;      // class for choices 2 and 3
  float speed = 0;  // anemometer-height speed for choice 3, m/s
};

// One reported condition: the row of a distance table.
struct Row {
  float x = 0;
  float conc = 0;
  int cls = 0;
  float ua = 0, us = 0, zi = 0, he = 0, sy = 0, sz = 0;
  float maxDir = 0;  // area sources: wind direction angle, degrees
  Downwash flag = Downwash::Blank;
};

// Where model notes such as the cubic solver's non-convergence line go.
using NoteSink = std::function<void(const std::string&)>;

}  // namespace screen::engine
