#include "screen/answer_script.h"

#include <cmath>
#include <cstdlib>

#include "core/format.h"

namespace screen {

namespace {

constexpr double kKelvinOffset = 273.15;
// The two numbers of a distance range stand thirteen blanks apart.
constexpr const char* kGap = "             ";
// The last automated range runs out to this distance, m.
constexpr const char* kFarEnd = "25000";
// Lowest release height for which the program offers a fumigation calculation, m.
constexpr float kFumigationMinHeight_m = 10;

std::string num(double v) { return core::cformat(" %g\n", v); }

// The program reads the cell texts as single-precision numbers.
float cellValue(const std::string& text) { return std::strtof(text.c_str(), nullptr); }

// The complex-terrain table and the fumigation questions are only asked for stacks and flares.
bool stackLike(const EstimateSource& s) {
  return s.type == SourceType::Point || s.type == SourceType::Flare;
}

std::string urbanCode(const EstimateSource& s) { return s.urban ? "U\n" : "R\n"; }

std::string downwash(const EstimateSource& s) {
  if (!s.downwash) return "N\n";
  return "Y\n" + num(s.building_height_m) + num(s.building_width_m) + num(s.building_length_m);
}

// Receptors above the release height go to the complex-terrain (valley) screen; after that
// table the program asks whether to continue with simple terrain.
std::string complexTerrain(const EstimateSource& s) {
  std::string out;
  for (const auto& r : s.points)
    if (isComplexPoint(s, r)) out += " " + r.height + "            " + r.distance + "\n";
  if (out.empty()) return "N\n";
  return "Y\n" + out + " 0" + kGap + "0\nY\n";
}

std::string meteorology(const EstimateSource& s) {
  switch (s.met) {
    case MetMode::Full: return " 1\n";
    case MetMode::Stability: return core::cformat(" 2\n %d\n", s.stability + 1);
    case MetMode::StabilityWind:
      return core::cformat(" 3\n %d\n %g\n", s.stability + 1, static_cast<double>(s.wind10_m_s));
  }
  return " 1\n";
}

// Elevated simple terrain: each table row is one range from the previous row's distance to
// its own, and the last row's height carries on to the far end.
std::string automatedRanges(const EstimateSource& s) {
  const auto& t = s.automated;
  if (t.empty()) return "N\n";  // refused before any run; kept total for safety
  std::string out = " " + t[0].height + "\n 0" + kGap + t[0].distance + "\n";
  for (size_t r = 1; r < t.size(); ++r)
    out += "Y\n " + t[r].height + "\n " + t[r - 1].distance + kGap + t[r].distance + "\n";
  out += "Y\n " + t.back().height + "\n " + t.back().distance + kGap + kFarEnd + "\n";
  return out + "N\n";
}

// One discrete block per receptor: its terrain height, its distance, 0 to end the list.
std::string discreteBlocks(const EstimateSource& s, bool only_simple) {
  std::string out;
  for (const auto& r : s.points) {
    if (only_simple && isComplexPoint(s, r)) continue;
    out += "Y\n " + r.height + "\n " + r.distance + "\n 0\n";
  }
  return out + "N\n";
}

// The program asks about fumigation only for a rural source released at 10 m or higher; any
// other answer written here would be taken for the hardcopy question.
std::string fumigation(const EstimateSource& s) {
  if (s.urban || !(terrainLimit_m(s) >= kFumigationMinHeight_m)) return {};
  if (!s.fumigation) return "N\n";
  if (!s.shoreline) return "Y\nN\n";
  return "Y\nY\n" + num(s.shore_distance_m);
}

// Building, terrain, meteorology, distances and fumigation: shared by points and flares.
std::string stackTail(const EstimateSource& s) {
  return downwash(s) + complexTerrain(s) + "Y\n" + meteorology(s) + "Y\n" + automatedRanges(s) +
         discreteBlocks(s, true) + fumigation(s);
}

std::string pointSource(const EstimateSource& s, double q) {
  return "P\n" + num(q) + num(s.stack_m) + num(s.diameter_m) + num(s.velocity_m_s) +
         num(s.gas_c + kKelvinOffset) + num(s.ambient_c + kKelvinOffset) + num(s.receptor_m) +
         urbanCode(s) + stackTail(s);
}

std::string flareSource(const EstimateSource& s, double q) {
  return "F\n" + num(q) + num(s.flare_stack_m) + num(s.heat_cal_s) + num(s.receptor_m) +
         urbanCode(s) + stackTail(s);
}

// Area sources are flat: one automated range out to the far end, then the receptor distances
// of the arbitrary-point table as one discrete list.
std::string areaSource(const EstimateSource& s, double q) {
  const double flux = q / (static_cast<double>(s.area_length_m) * s.area_width_m);
  std::string out = "A\n" + num(flux) + num(s.area_height_m) + num(s.area_width_m) +
                    num(s.area_length_m) + num(s.receptor_m) + urbanCode(s);
  out += s.area_direction == AreaDirection::Search ? std::string("Y\n")
                                                   : "N\n" + num(s.area_angle_deg);
  out += meteorology(s) + "Y\n 0" + kGap + kFarEnd + "\n";
  if (s.points.empty()) return out + "N\n";
  out += "Y\n";
  for (const auto& r : s.points) out += " " + r.distance + "\n";
  return out + " 0\n";
}

std::string volumeSource(const EstimateSource& s, double q) {
  return "V\n" + num(q) + num(s.volume_height_m) + num(s.sigma_y0_m) + num(s.sigma_z0_m) +
         num(s.receptor_m) + urbanCode(s) + "Y\n" + meteorology(s) + "Y\n" + automatedRanges(s) +
         discreteBlocks(s, false);
}

}  // namespace

float terrainLimit_m(const EstimateSource& s) {
  // The program reads the numbers as the script prints them, so work from the printed values.
  auto printed = [](double v) { return std::strtof(core::cformat("%g", v).c_str(), nullptr); };
  if (s.type != SourceType::Flare) return printed(s.stack_m);
  // A flare releases at its effective height H_stk + 4.56e-3 H^0.478 (H in cal/s). The program
  // refuses complex-terrain receptors at or below that height, so a receptor between the flare
  // stack and the release height belongs to the simple-terrain part.
  return printed(s.flare_stack_m) + 4.56e-3f * std::pow(printed(s.heat_cal_s), 0.478f);
}

bool isComplexPoint(const EstimateSource& s, const TerrainRow& row) {
  if (!stackLike(s)) return false;
  // The valley screen ends its table at a terrain height below 1 m, so such a point (above
  // a stack lower than 1 m) stays with the simple-terrain receptors.
  const float h = cellValue(row.height);
  return h > terrainLimit_m(s) && h >= 1;
}

std::string estimateScript(const EstimateSource& s, double q_g_s, const std::string& pollutant) {
  // The title is one answer line: a line break in the name would become an answer of its own.
  std::string name = pollutant;
  for (char& c : name)
    if (c == '\n' || c == '\r') c = ' ';
  std::string out = "SCRENN3 Input Generated by kuva环评计算软件 For 污染物" + name + ":\n";
  switch (s.type) {
    case SourceType::Point: out += pointSource(s, q_g_s); break;
    case SourceType::Area: out += areaSource(s, q_g_s); break;
    case SourceType::Volume: out += volumeSource(s, q_g_s); break;
    case SourceType::Flare: out += flareSource(s, q_g_s); break;
  }
  return out + "N\n";
}

std::vector<int> protectionDistances_m() {
  std::vector<int> d;
  for (int x = 10; x <= 100; x += 10) d.push_back(x);
  for (int x = 150; x <= 5000; x += 50) d.push_back(x);
  return d;
}

std::string protectionScript(float q_g_s, float height_m, float length_m, float width_m) {
  const double flux = static_cast<double>(q_g_s) / (static_cast<double>(length_m) * width_m);
  std::string out = "SCRENN3 Input Generated by 大气环境防护距离 Ver: 1.0.3\nA\n";
  out += num(flux) + num(height_m) + num(length_m) + num(width_m);
  out += " 0\nU\nY\n 1\nN\nY\n";
  for (int d : protectionDistances_m()) out += core::cformat(" %d\n", d);
  return out + " 0\nN\n";
}

}  // namespace screen
