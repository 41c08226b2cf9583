// Toxic release page model: the Appendix G decisions on hand cases, and the end-point results
// against the engine listing of the chlorine jet sample (tests/data/slab/hjet-cl2-ground-worstcase,
// whose weather is the guideline's most unfavourable case).
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "core/format.h"
#include "models/risk/toxic_release.h"

namespace {

using namespace models::risk;

// The sample deck as page input: chlorine, two-phase horizontal jet at ground, 5 kg/s for 600 s.
ToxicReleaseInput chlorineJet() {
  ToxicReleaseInput in;
  in.wms_g_mol = 70.906;
  in.cps_j_kg_k = 498.1;
  in.tbp_c = 239.1 - 273.15;
  in.cmed0 = 0.85;
  in.dhe_j_kg = 287840;
  in.cpsl_j_kg_k = 926.3;
  in.rhosl_kg_m3 = 1574;
  in.spb_k = 1978.34;
  in.spc_k = -27.01;
  in.ts_c = in.tbp_c;
  in.source = SourceType::HorizontalJet;
  in.qs_kg_s = 5;
  in.as_m2 = 0.005;
  in.tsd_s = 600;
  in.hs_m = 0;
  in.tav_s = 60;
  in.xffm_m = 5000;
  in.zp_m = 0;
  in.z0_m = 0.1;
  in.za_m = 10;
  return in;
}

TEST(ToxicReleaseDecision, RichardsonThresholds) {
  // rho_a = 1, rho_rel = 2, Q/Drel = 2/g: the bracket is 1, Ri = 1/Ur; Ur = 6 gives 1/6 exactly.
  const double ri = richardsonContinuous(2, 1, 2 / 9.81, 1, 6);
  EXPECT_NEAR(ri, 1.0 / 6.0, 1e-12);
  EXPECT_TRUE(denseContinuous(1.0 / 6.0));  // continuous: Ri >= 1/6 is dense
  EXPECT_FALSE(denseContinuous(1.0 / 6.0 - 1e-9));
  EXPECT_TRUE(denseContinuous(richardsonContinuous(2, 1, 2 / 9.81, 1, 5.99)));
  EXPECT_FALSE(denseContinuous(richardsonContinuous(2, 1, 2 / 9.81, 1, 6.01)));
  // Instantaneous: Qt/rho_rel = 8 (cube root 2), Ri = g*1*2/Ur^2 = 0.04 at Ur^2 = 490.5.
  EXPECT_NEAR(richardsonInstantaneous(2, 1, 16, std::sqrt(490.5)), 0.04, 1e-12);
  EXPECT_FALSE(denseInstantaneous(0.04));  // instantaneous: only Ri > 0.04 is dense
  EXPECT_TRUE(denseInstantaneous(0.04 + 1e-9));
}

TEST(ToxicReleaseDecision, DurationAgainstTravelTime) {
  ToxicReleaseInput in = chlorineJet();
  in.decision_x_m = 450;  // T = 2*450/1.5 = 600 s = Td: not longer, so instantaneous
  ModelChoice m = chooseModel(in, 1.5, 298.15);
  EXPECT_DOUBLE_EQ(m.t_s, 600);
  EXPECT_FALSE(m.continuous);
  EXPECT_DOUBLE_EQ(m.q, 3000);  // the released mass
  in.decision_x_m = 449;
  m = chooseModel(in, 1.5, 298.15);
  EXPECT_TRUE(m.continuous);
  EXPECT_TRUE(m.dense);  // chlorine with 85 % liquid
  // X is the distance to the nearest listed receptor (the field's X when none is listed or when
  // that is turned off): 451 m gives T = 601.3 s > Td.
  in.receptors = "远村, 0, 2000; 厂界, 451, 0";
  m = chooseModel(in, 1.5, 298.15);
  EXPECT_DOUBLE_EQ(m.x_m, 451);
  EXPECT_EQ(m.x_basis, "最近敏感目标“厂界”");
  EXPECT_FALSE(m.continuous);
  in.x_nearest_receptor = false;
  EXPECT_DOUBLE_EQ(chooseModel(in, 1.5, 298.15).x_m, 449);
  in.receptors.clear();
  // A gas lighter than air is not dense (and its Ri is not a NaN).
  in.wms_g_mol = 2.016;
  in.cmed0 = 0;
  in.ts_c = 25;
  m = chooseModel(in, 1.5, 298.15);
  EXPECT_FALSE(m.dense);
  EXPECT_TRUE(std::isfinite(m.ri));
}

TEST(ToxicReleaseRun, EqualsTheEngineOnItsDeckAndTheSampleListing) {
  const ToxicReleaseInput in = chlorineJet();
  const ToxicReleaseResult r = computeToxicRelease(in);
  ASSERT_EQ(r.status, slab::Status::Ok) << r.message;
  ASSERT_EQ(r.cases.size(), 1u);
  // The deck as written, read back and run by the engine, gives the same table.
  const slab::DeckRead back = slab::readDeck(slab::writeDeck(r.decks[0]));
  ASSERT_EQ(back.status, slab::Status::Ok) << back.message;
  const slab::Result engine = slab::run(back.deck);
  ASSERT_EQ(engine.status, slab::Status::Ok);
  const auto& a = r.cases[0].run.conc;
  const auto& b = engine.runs[0].conc;
  ASSERT_EQ(a.size(), b.size());
  for (size_t i = 0; i < a.size(); ++i) {
    EXPECT_EQ(a[i].x, b[i].x);
    EXPECT_EQ(a[i].cz[0][0], b[i].cz[0][0]);
  }
  // The sample deck itself (two output heights) prints the same z = 0 table.
  std::ifstream f(std::filesystem::path(KUVA_TEST_DATA_DIR) /
                  "slab/hjet-cl2-ground-worstcase/input");
  std::stringstream ss;
  ss << f.rdbuf();
  const slab::DeckRead sample = slab::readDeck(ss.str());
  ASSERT_EQ(sample.status, slab::Status::Ok);
  const slab::Result sr = slab::run(sample.deck);
  ASSERT_EQ(sr.status, slab::Status::Ok);
  for (size_t i = 0; i < a.size(); ++i) EXPECT_EQ(a[i].cz[0][0], sr.runs[0].conc[i].cz[0][0]);

  // End-point 1 of chlorine, 58 mg/m3 = 2.0015e-5 at 298.15 K. Read from the listing's z = 0
  // table: between x = 5.04E+03 (2.31E-05, tmax 4.46E+03 s) and 6.37E+03 (1.54E-05, 5.29E+03 s):
  // w = 0.403, x = 5576 m, tmax = 4795 s = 79.9 min (three printed digits: 2 % tolerance).
  const auto& e1 = r.cases[0].endpoints[0];
  EXPECT_NEAR(volumeFraction(58, 0.070906, 298.15), 2.0015e-5, 1e-8);
  ASSERT_TRUE(e1.reach.found);
  EXPECT_FALSE(e1.reach.beyondLastRow);
  EXPECT_NEAR(e1.reach.x, 5576, 0.02 * 5576);
  EXPECT_NEAR(e1.reach.tmax / 60, 79.9, 0.02 * 79.9);
  // End-point 2 (5.8 mg/m3 = 2.0e-6) is still exceeded on the last row (6.81E-06).
  EXPECT_TRUE(r.cases[0].endpoints[1].reach.beyondLastRow);
  // The footprint is widest somewhere inside the farthest distance and closed beyond it.
  const auto& fp = r.cases[0].footprints[0];
  EXPECT_GT(*std::max_element(fp.half_width.begin(), fp.half_width.end()), 10);
  EXPECT_EQ(fp.half_width.back(), 0);
}

TEST(ToxicReleaseRun, ReceptorCurveAtAListingRow) {
  ToxicReleaseInput in = chlorineJet();
  // Wind towards the east: a receptor 978 m east of the source sits on the listing row
  // x = 9.78E+02 (c = 3.50E-04, time of max 1.45E+03 s, cloud duration 1.19E+03 s).
  in.wind_to_deg = 90;
  in.src_x_m = 40000000;  // projected coordinates kept in full
  in.src_y_m = 3000000;
  in.receptors = "村庄, 40000978, 3000000, 0";
  const ToxicReleaseResult r = computeToxicRelease(in);
  ASSERT_EQ(r.status, slab::Status::Ok);
  ASSERT_EQ(r.cases[0].receptors.size(), 1u);
  const auto& rr = r.cases[0].receptors[0];
  EXPECT_NEAR(rr.downwind, 978, 1e-6);
  EXPECT_NEAR(rr.crosswind, 0, 1e-6);
  const double expect = mgPerM3(3.50e-4, 0.070906, 298.15);  // 1014 mg/m3
  // The series is built from the contour parameters interpolated in x and t, the listing row
  // from the row's own maximum: 5 %.
  EXPECT_NEAR(rr.max_mg_m3, expect, 0.05 * expect);
  EXPECT_NEAR(rr.tmax_s, 1450, 0.05 * 1450);
  // Above end-point 1 (58 mg/m3, 6 % of the maximum) at least for the cloud's duration,
  // reached before the maximum.
  ASSERT_GE(rr.first_s[0], 0);
  EXPECT_LT(rr.first_s[0], rr.tmax_s);
  EXPECT_GT(rr.duration_s[0], 1190);
  EXPECT_LT(rr.duration_s[0], rr.times.back());
}

// Two weather cases run on their own downwind steps: the axial table prints each case's values
// beside its own distances.
TEST(ToxicReleaseRun, AxialTableKeepsEachCaseDistances) {
  ToxicReleaseInput in = chlorineJet();
  in.common_case = true;
  const ToxicReleaseResult r = computeToxicRelease(in);
  ASSERT_EQ(r.status, slab::Status::Ok) << r.message;
  ASSERT_EQ(r.cases.size(), 2u);
  ASSERT_NE(r.cases[0].run.conc.back().x, r.cases[1].run.conc.back().x);
  const auto tables = toxicReleaseTables(in, r);
  const auto axial = std::find_if(tables.begin(), tables.end(),
                                  [](const auto& t) { return t.title == "下风向轴线最大浓度"; });
  ASSERT_NE(axial, tables.end());
  ASSERT_EQ(axial->headers.size(), 4u);
  for (std::size_t k = 0; k < 2; ++k)
    for (std::size_t i = 0; i < r.cases[k].run.conc.size(); ++i)
      EXPECT_EQ(axial->rows[i][2 * k], core::cformat("%.2f", r.cases[k].run.conc[i].x));
}

TEST(ToxicReleaseInput, RefusalsNameTheField) {
  ToxicReleaseInput in = chlorineJet();
  in.substance = "光气";
  in.cpsl_j_kg_k = 0;  // the table has no liquid heat capacity for phosgene
  auto f = checkToxicRelease(in);
  ASSERT_TRUE(f);
  EXPECT_EQ(f->message, "物质“光气”缺少液体比热容（液池或含液相的释放需要），请补充！");
  EXPECT_EQ(f->focus, "cpsl");
  in.cmed0 = 0;  // a vapour jet does not need it
  EXPECT_FALSE(checkToxicRelease(in));
  in.qs_kg_s = 0;
  EXPECT_EQ(checkToxicRelease(in)->message, "释放速率必须大于0，请重新输入！");
  in = chlorineJet();
  in.tsd_s = 0;
  EXPECT_EQ(checkToxicRelease(in)->focus, "tsd");
  in = chlorineJet();
  in.receptors = "厂界, 0, 0";
  EXPECT_EQ(checkToxicRelease(in)->message, "敏感目标“厂界”位于泄漏源处，请重新输入！");
  in.receptors = "厂界, 10";
  EXPECT_EQ(checkToxicRelease(in)->focus, "receptors");
  in = chlorineJet();
  in.common_case = true;
  in.common_rh = 120;
  EXPECT_EQ(checkToxicRelease(in)->focus, "rh2");
  in = chlorineJet();
  in.z0_m = 20;
  EXPECT_EQ(checkToxicRelease(in)->focus, "z0");
}

TEST(ToxicReleaseSubstances, TableAndUserRows) {
  const auto& rows = builtinSubstances();
  ASSERT_EQ(rows.size(), 20u);
  EXPECT_EQ(rows[1].name_zh, "氯气");
  EXPECT_DOUBLE_EQ(rows[1].endpoint1, 58);
  // Phosgene's missing liquid heat capacity stays missing.
  const auto ph =
      std::find_if(rows.begin(), rows.end(), [](auto& s) { return s.name_zh == "光气"; });
  ASSERT_NE(ph, rows.end());
  EXPECT_EQ(ph->cpsl, 0);
  Substance own = rows[1];
  own.endpoint1 = 60;
  Substance added = rows[0];
  added.name_zh = "自定义";
  const auto merged = mergeSubstances(rows, parseSubstances(writeSubstances({own, added})));
  ASSERT_EQ(merged.size(), 21u);
  EXPECT_DOUBLE_EQ(merged[1].endpoint1, 60);
  EXPECT_EQ(merged.back().name_zh, "自定义");
}

}  // namespace
