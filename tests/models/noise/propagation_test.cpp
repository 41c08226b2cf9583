// The octave-band propagation engine against the ISO/TR 17534-3 quality-assurance cases, a few
// closed forms worked by hand, and the scene file's refusals.
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>

#include "models/noise/propagation/engine.h"
#include "models/noise/propagation/scene_file.h"

namespace np = models::noise::propagation;
using Json = nlohmann::json;

namespace {

Json loadCases() {
  std::ifstream in(std::string(KUVA_TEST_DATA_DIR) + "/noise/iso17534-3.json");
  return Json::parse(in);
}

std::vector<np::Point2> points(const Json& a) {
  std::vector<np::Point2> v;
  for (const auto& p : a) v.push_back({p[0].get<double>(), p[1].get<double>()});
  return v;
}

// The TR's terrain (level to x = 120 m, up to 10 m at x = 185 m, a plateau beyond) as a 5 m
// grid, exact under bilinear interpolation.
np::Terrain ramp() {
  np::Terrain t;
  t.nx = 51;
  t.ny = 4;
  t.xmin = 0;
  t.xmax = 250;
  t.ymin = -50;
  t.ymax = 100;
  for (int j = 0; j < t.ny; ++j)
    for (int i = 0; i < t.nx; ++i) {
      const double x = 5.0 * i;
      t.z.push_back(static_cast<float>(std::clamp((x - 120) / 65 * 10, 0.0, 10.0)));
    }
  return t;
}

np::Scene sceneOf(const Json& in) {
  np::Scene s;
  s.settings.temperature_c = in["atmosphere"]["temperature_c"];
  s.settings.humidity_pct = in["atmosphere"]["humidity_pct"];
  s.settings.pressure_kpa = in["atmosphere"]["pressure_kpa"];
  const Json& g = in["ground"];
  if (g["method"] == "alternative") s.settings.ground_method = np::GroundMethod::Alternative;
  s.settings.ground_g = g.value("G", g.value("default_G", 0.0));
  for (const auto& r : g.value("regions", Json::array()))
    s.ground.push_back({r["name"], -1, points(r["polygon"]), r["G"]});
  np::Source src;
  src.geometry = {{in["source"]["x"], in["source"]["y"]}};
  src.h_m = in["source"]["h"];
  for (std::size_t b = 0; b < np::kBands; ++b) src.emission.lw[b] = in["lw"][b];
  s.sources.push_back(src);
  np::Receptor r;
  r.at = {in["receiver"]["x"], in["receiver"]["y"]};
  r.h_m = in["receiver"]["h"];
  s.receptors.push_back(r);
  if (in.contains("terrain")) s.terrain = ramp();
  if (in.contains("barrier")) {
    np::Barrier b;
    b.line = points(in["barrier"]["polyline"]);
    b.top_z = in["barrier"]["top_z"].get<std::vector<double>>();
    const Json& lat = in["barrier"]["lateral"];
    b.lateral = lat.is_boolean() ? std::array<bool, 2>{lat.get<bool>(), lat.get<bool>()}
                                 : std::array<bool, 2>{lat[0].get<bool>(), lat[1].get<bool>()};
    s.barriers.push_back(b);
  }
  return s;
}

np::ReceptorResult only(const np::Scene& s) {
  const np::ReceptorsResult r = np::computeReceptors(s, {});
  EXPECT_EQ(r.error, "");
  EXPECT_EQ(r.receptors.size(), 1u);
  return r.receptors.at(0);
}

}  // namespace

TEST(NoisePropagation, ReferenceCasesT01ToT10) {
  const Json data = loadCases();
  int checked = 0;
  for (const auto& c : data["cases"]) {
    const std::string id = c["id"];
    if (id > "T10") continue;
    SCOPED_TRACE(id);
    const np::ReceptorResult r = only(sceneOf(c["input"]));
    const double band_tol = c.value("band_tolerance_db", 0.05) + 1e-9;
    for (std::size_t b = 0; b < np::kBands; ++b)
      EXPECT_NEAR(r.lp[b], c["expected"]["L_band"][b].get<double>(), band_tol) << "band " << b;
    EXPECT_NEAR(r.la_db, c["expected"]["LA_total"].get<double>(), 0.05 + 1e-9);
    ++checked;
  }
  EXPECT_EQ(checked, 10);
}
