// Toxic gas dispersion after an accidental release, HJ 169-2018 (建设项目环境风险评价技术导则)
// Appendix G: the continuous/instantaneous and dense/light decisions, the dispersion by the
// dense-gas engine `kuvaslab`, and the guideline's results for the two toxic end-points
// (Appendix H): the farthest distance each end-point reaches, the arrival time, the maximum
// concentration along the downwind axis and the concentrations over time at sensitive receptors.
#pragma once

#include <string>
#include <vector>

#include "core/calculator.h"
#include "slab/slab.h"

namespace models::risk {

// One row of the substance table (SI units; 0 marks a value the table lacks).
struct Substance {
  std::string name_zh, name_en, cas;
  double wms = 0;        // molar mass, kg/mol
  double tbp = 0;        // normal boiling point, K
  double dhe = 0;        // heat of vaporisation at tbp, J/kg
  double cps = 0;        // vapour heat capacity, J/(kg K)
  double cpsl = 0;       // liquid heat capacity, J/(kg K)
  double rhosl = 0;      // liquid density, kg/m3
  double spb = 0;        // saturation-pressure constant B, K
  double spc = 0;        // saturation-pressure constant C, K
  double endpoint1 = 0;  // 大气毒性终点浓度-1, mg/m3
  double endpoint2 = 0;  // 大气毒性终点浓度-2, mg/m3
};

// Reads the table (CSV with the header line of the shipped file). Rows that cannot be read are
// skipped, named in `errors` and kept as written in `unreadable`.
std::vector<Substance> parseSubstances(const std::string& csv, std::string* errors = nullptr,
                                       std::vector<std::string>* unreadable = nullptr);
std::string writeSubstances(const std::vector<Substance>& rows);
// The table shipped with the program.
const std::vector<Substance>& builtinSubstances();
// The shipped table followed by the user's rows; a user row with the name of a shipped one
// replaces it.
std::vector<Substance> mergeSubstances(const std::vector<Substance>& builtin,
                                       const std::vector<Substance>& user);

enum class SourceType { Pool, HorizontalJet, VerticalJet, Instantaneous };

struct ToxicReleaseInput {
  // Substance (filled from the table, editable).
  std::string substance = "氯气";
  double wms_g_mol = 70.9;
  double tbp_c = -34.04;
  double dhe_j_kg = 287900;
  double cps_j_kg_k = 478.9;
  double cpsl_j_kg_k = 927.2;
  double rhosl_kg_m3 = 1558;
  double spb_k = 1983.31;
  double spc_k = -26.82;
  double endpoint1_mg_m3 = 58;
  double endpoint2_mg_m3 = 5.8;
  // Release.
  SourceType source = SourceType::HorizontalJet;
  double ts_c = -34.04;        // source temperature
  double qs_kg_s = 5;          // release rate (continuous sources)
  double tsd_s = 600;          // release duration
  double qtis_kg = 1000;       // released mass (instantaneous source)
  double as_m2 = 0.005;        // source area
  double hs_m = 0;             // source height
  double cmed0 = 0;            // liquid mass fraction at the source
  double decision_x_m = 1000;  // X of T = 2X/Ur when no receptor gives it
  // X is the distance from the release to the nearest receptor point (the cloud must reach it
  // before the release ends for the release to count as continuous there): the nearest listed
  // receptor when any is listed and this is set, else decision_x_m.
  bool x_nearest_receptor = true;
  // Weather: the most unfavourable case is fixed by the guideline; the most common local case
  // is typed in.
  bool common_case = false;
  int common_stab = 3;  // A..F as 0..5
  double common_ua_m_s = 2.5;
  double common_ta_c = 15;
  double common_rh = 60;
  int land_cover = 2;  // index into the roughness defaults
  double z0_m = 0.1;
  double za_m = 10;
  double tav_s = 60;
  double xffm_m = 10000;
  double zp_m = 0;
  // Plan.
  double src_x_m = 0, src_y_m = 0;
  double wind_to_deg = 90;  // direction the wind blows towards, degrees clockwise from north
  // Receptors: one per line "name, x, y, z" (plan coordinates, m).
  std::string receptors;
};

// The roughness defaults by land cover.
struct LandCover {
  const char* name;
  double z0_m;
};
const std::vector<LandCover>& landCovers();

// Appendix G decision for one weather case.
struct ModelChoice {
  double ur = 0;        // wind speed at 10 m, m/s
  double x_m = 0;       // X
  std::string x_basis;  // where X comes from, as the sheet states it
  double t_s = 0;       // T = 2X/Ur
  double td_s = 0;      // release duration
  bool continuous = true;
  double rho_rel = 0;  // density of the released material, kg/m3
  double rho_a = 0;    // air density, kg/m3
  double d_rel = 0;    // initial cloud diameter (continuous) or Q = released mass, m / kg
  double q = 0;        // rate kg/s (continuous) or mass kg (instantaneous)
  double ri = 0;
  double threshold = 0;  // 1/6 or 0.04
  bool dense = false;
};

// Richardson numbers of Appendix G (g = 9.81 m/s²):
//   continuous:    Ri = [g (ρrel − ρa)/ρa · (Q/ρrel)/Drel]^(1/3) / Ur,   dense when Ri ≥ 1/6
//   instantaneous: Ri = g (ρrel − ρa)/ρa · (Qt/ρrel)^(1/3) / Ur²,          dense when Ri > 0.04
double richardsonContinuous(double rho_rel, double rho_a, double q_kg_s, double d_rel_m, double ur);
double richardsonInstantaneous(double rho_rel, double rho_a, double qt_kg, double ur);
bool denseContinuous(double ri);
bool denseInstantaneous(double ri);
ModelChoice chooseModel(const ToxicReleaseInput& in, double ua, double ta_k);

// One weather case as run.
struct WeatherCase {
  std::string name;
  int stab = 5;
  double ua = 1.5, ta_c = 25, rh = 50;
};
std::vector<WeatherCase> weatherCases(const ToxicReleaseInput& in);

struct Receptor {
  std::string name;
  double x = 0, y = 0, z = 0;  // plan coordinates, m
};
// Reads the receptor lines; on a bad line the failure names it.
core::Check parseReceptors(const std::string& text, std::vector<Receptor>& out);

core::Check checkToxicRelease(const ToxicReleaseInput& in);
// The engine's deck for the input and one weather case.
slab::Deck toxicReleaseDeck(const ToxicReleaseInput& in, const WeatherCase& w);

// mg/m3 of a volume fraction at temperature t (K) and 101325 Pa: c = φ·M·p/(R·T)·1e6.
double mgPerM3(double volume_fraction, double wms_kg_mol, double t_k);
double volumeFraction(double mg_m3, double wms_kg_mol, double t_k);

struct EndpointReach {
  double level_mg_m3 = 0;
  slab::Reach reach;
};

struct ReceptorResult {
  std::string name;
  double downwind = 0, crosswind = 0;
  std::vector<double> times, conc_mg_m3;
  double max_mg_m3 = 0, tmax_s = 0;
  double first_s[2] = {-1, -1};  // first exceedance of end-point 1 and 2 (-1: never)
  double duration_s[2] = {0, 0};
};

// Footprint of an end-point in the wind's frame: the half width reached at each row's x.
struct Footprint {
  std::vector<double> x, half_width;
};

struct CaseResult {
  WeatherCase weather;
  ModelChoice choice;
  slab::RunResult run;
  EndpointReach endpoints[2];
  std::vector<ReceptorResult> receptors;
  Footprint footprints[2];
};

// The concentration on the downwind axis at the output height, at each downwind row of a
// case's run (the case's own distances), mg/m³.
struct AxialPoint {
  double x_m = 0, c_mg_m3 = 0;
};
std::vector<AxialPoint> axialConcentrations(const ToxicReleaseInput& in, const CaseResult& c);

struct ToxicReleaseResult {
  slab::Status status = slab::Status::Ok;
  std::string message;
  std::vector<slab::Deck> decks;  // one per weather case, each run on its own
  std::vector<CaseResult> cases;
};

// Runs the engine on the deck and reads the guideline's results from it.
ToxicReleaseResult computeToxicRelease(const ToxicReleaseInput& in);
// The result tables: model choice, end-points, downwind maximum, receptors, receptor series,
// substance values.
std::vector<core::Table> toxicReleaseTables(const ToxicReleaseInput& in,
                                            const ToxicReleaseResult& r);

const core::CalculatorDesc& toxicReleaseDesc();
// The input as the page's form values give it (every key of the description present).
ToxicReleaseInput toxicReleaseInput(const core::Values& v);

}  // namespace models::risk
