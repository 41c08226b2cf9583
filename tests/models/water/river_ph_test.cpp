// River pH model: equilibrium-constant table points and the two worked pH values
// worked by hand from the carbonate balance, Ka1·10^pHh = 0.415·10 = 4.15 at 20 ℃ and pH 7:
// acid: 7 + lg(5.5 / (10.5 + 4.15·5)) = 6.24551; alkaline: 7 + lg(10.75 / (10.5 − 4.15·0.25))
// = 7.05540. A twentieth of the flow as acid lowers the pH of a buffered river by about 0.75.
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
  EXPECT_NEAR(r.ph, 6.24551, 5e-6);
  EXPECT_NEAR(r.ph, 7 + std::log10(5.5 / 31.25), 1e-6);

  in.kind = WasteKind::Alkaline;
  in.cw_mgn_l = defaultWasteStrength(WasteKind::Alkaline);
  r = computeRiverPh(in);
  EXPECT_NEAR(r.ph, 7.05540, 5e-6);

  // pH 8 and 5 ℃: Ka1·10^pHh = 0.304·100 = 30.4; acid Cw = 2: 8 + lg(9.5 / (10.5 + 30.4)).
  in = RiverPhInput{};
  in.ph_h = 8;
  in.t_c = 5;
  in.cw_mgn_l = 2;
  EXPECT_NEAR(computeRiverPh(in).ph, 8 + std::log10(9.5 / 40.9), 1e-6);
}

TEST(RiverPh, ResultTextThroughTheDescription) {
  const core::CalculatorDesc& d = riverPhDesc();
  core::Values v = core::defaultValues(d);
  core::Outcome o = d.compute(v, "compute");
  ASSERT_TRUE(o.ok());
  EXPECT_EQ(o.text,
            "河--10 河流酸碱污染物(pH)充分混合段(适用于pH<=9的情况):\n污染物为酸性物质\n"
            "碳酸一级平衡常数 Ka1 =0.415\n完全混合后河流中的pH值 pH =6.24551");
  v.setNum("kind", 1);
  v.setNum("Cw", 0.5);
  o = d.compute(v, "compute");
  EXPECT_EQ(o.text,
            "河--10 河流酸碱污染物(pH)充分混合段(适用于pH<=9的情况):\n污染物为碱性物质\n"
            "碳酸一级平衡常数 Ka1 =0.415\n完全混合后河流中的pH值 pH =7.0554");
}

TEST(RiverPh, WasteBeyondTheBufferIsRefused) {
  RiverPhInput in;
  in.kind = WasteKind::Alkaline;  // Cw stays 10: Ka1·10^pHh·Qp·Cb = 20.75 > 10.5
  EXPECT_TRUE(checkRiverPh(in).has_value());
  in.cw_mgn_l = 5;  // 10.375 < 10.5
  EXPECT_FALSE(checkRiverPh(in).has_value());
}

}  // namespace
}  // namespace models::water
