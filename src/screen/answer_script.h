// Answer scripts for the screening program: the lines it reads from standard input, one answer
// per question, for the four source types of the estimation mode and for the fixed area-source
// run of the protection distance. No Qt; numbers are written with "%g".
#pragma once

#include <string>
#include <vector>

namespace screen {

enum class SourceType { Point = 0, Area = 1, Volume = 2, Flare = 3 };

// Meteorology: all classes and speeds, one stability class, or a class and a 10 m wind speed.
enum class MetMode { Full = 0, Stability = 1, StabilityWind = 2 };

// Wind direction of an area source: searched by the program, or fixed at an angle.
enum class AreaDirection { Search = 0, Fixed = 1 };

// One row of a distance table as the user typed it: the texts are copied into the script.
struct TerrainRow {
  std::string distance;  // distance from the source, m
  std::string height;    // terrain height relative to the source base, m
};

// The source as the estimation-mode form holds it (temperatures in degrees Celsius).
struct EstimateSource {
  SourceType type = SourceType::Point;
  bool urban = false;  // "U" for urban, "R" for rural
  MetMode met = MetMode::Full;
  int stability = 0;     // 0..5 for A..F
  float wind10_m_s = 2;  // 10 m wind speed, m/s
  float ambient_c = 20;  // ambient temperature, deg C
  float receptor_m = 0;  // receptor height above ground, m
  // point source
  float stack_m = 30;       // stack height, m (also the complex-terrain limit)
  float gas_c = 100;        // flue-gas temperature, deg C
  float diameter_m = 0.5f;  // stack inner diameter, m
  float velocity_m_s = 12;  // exit velocity, m/s
  // building downwash (point and flare)
  bool downwash = false;
  float building_length_m = 100, building_width_m = 100, building_height_m = 50;
  // fumigation (point and flare)
  bool fumigation = false;
  bool shoreline = false;
  float shore_distance_m = 200;  // shortest distance to the shoreline, m
  // area source
  float area_height_m = 10, area_width_m = 10, area_length_m = 20;
  AreaDirection area_direction = AreaDirection::Search;  // Fixed: the angle below
  float area_angle_deg = 15;                             // angle relative to the long side, degrees
  // volume source
  float volume_height_m = 15;
  float sigma_y0_m = 23.2558f, sigma_z0_m = 6.97674f;  // initial dimensions, m
  // flare
  float flare_stack_m = 30;
  float heat_cal_s = 100000;  // total heat release, cal/s
  // distance tables
  std::vector<TerrainRow> automated;  // ranges: height applies up to the row's distance
  std::vector<TerrainRow> points;     // arbitrary receptor points
};

// The release height that separates simple from complex terrain: stack height of a point
// source, effective release height of a flare.
float terrainLimit_m(const EstimateSource& s);

// Whether an arbitrary point lies in complex terrain (height text above the terrain limit and
// at least 1 m, read in single precision as the program reads it).
bool isComplexPoint(const EstimateSource& s, const TerrainRow& row);

// The answer script of one pollutant run (lines end in "\n").
std::string estimateScript(const EstimateSource& s, double q_g_s, const std::string& pollutant);

// The receptor distances of the protection-distance run: 10..100 m by 10, 150..5000 m by 50.
std::vector<int> protectionDistances_m();

// The answer script of the protection-distance run for an L x W area source.
std::string protectionScript(float q_g_s, float height_m, float length_m, float width_m);

}  // namespace screen
