// River pH model: equilibrium-constant table points and the two worked pH values
// (acid: 7 + ln(5.5 / 155.75); alkaline: 7 + ln(10.75 / 3.2375)).
#include "models/water/river_ph.h"

#include <gtest/gtest.h>

#include <cmath>

#include "core/calculator.h"

namespace models::water {
namespace {

TEST(RiverPh, Ka1AtTablePointsAndBeyond) {
  const struct {
    float t;
    float k;
  } points[] = {
      {0, 0.265f},  {5, 0.304f},  {10, 0.343f}, {15, 0.38f},  {20, 0.415f},
      {25, 0.445f}, {30, 0.471f}, {40, 0.506f}, {45, 0.506f}, {-3, 0.265f},
  };
  for (const auto& p : points) EXPECT_FLOAT_EQ(carbonicKa1(p.t), p.k) << "T = " << p.t;
  // halfway between 30 and 40 on the 10-degree interval
  EXPECT_FLOAT_EQ(carbonicKa1(35), 0.4885f);
  EXPECT_FLOAT_EQ(carbonicKa1(2.5f), 0.2845f);
}

TEST(RiverPh, AcidAndAlkalineExamples) {
  RiverPhInput in;
  RiverPhResult r = computeRiverPh(in);
  EXPECT_FLOAT_EQ(r.ka1, 0.415f);
  EXPECT_NEAR(r.ph, 3.6565, 5e-5);
  EXPECT_NEAR(r.ph, 7 + std::log(5.5 / 155.75), 1e-6);

  in.kind = WasteKind::Alkaline;
  in.cw_mgn_l = defaultWasteStrength(WasteKind::Alkaline);
  r = computeRiverPh(in);
  EXPECT_NEAR(r.ph, 8.2001, 5e-5);
}

TEST(RiverPh, ResultTextThroughTheDescription) {
  const core::CalculatorDesc& d = riverPhDesc();
  core::Values v = core::defaultValues(d);
  core::Outcome o = d.compute(v, "compute");
  ASSERT_TRUE(o.ok());
  EXPECT_EQ(o.text,
            "河--10 河流酸碱污染物(pH)充分混合段(适用于pH<=9的情况):\n污染物为酸性物质\n"
            "碳酸一级平衡常数 Ka1 =0.415\n完全混合后河流中的pH值 pH =3.6565");
  v.setNum("kind", 1);
  v.setNum("Cw", 0.5);
  o = d.compute(v, "compute");
  EXPECT_EQ(o.text,
            "河--10 河流酸碱污染物(pH)充分混合段(适用于pH<=9的情况):\n污染物为碱性物质\n"
            "碳酸一级平衡常数 Ka1 =0.415\n完全混合后河流中的pH值 pH =8.2001");
}

TEST(RiverPh, NonPositiveRatioGivesLibraryText) {
  RiverPhInput in;
  in.kind = WasteKind::Alkaline;  // Cw stays 10: the denominator turns negative
  const RiverPhResult r = computeRiverPh(in);
  EXPECT_TRUE(std::isnan(r.ph));
  EXPECT_NE(riverPhText(in.kind, r).find("pH =-nan"), std::string::npos);
}

}  // namespace
}  // namespace models::water
