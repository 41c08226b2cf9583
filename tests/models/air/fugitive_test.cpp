// The four fugitive emission pages: odour rate, open storage, equipment leaks, liquid
// evaporation.
#include <gtest/gtest.h>

#include <cmath>

#include "models/air/fugitive_equipment_leak.h"
#include "models/air/fugitive_liquid_evaporation.h"
#include "models/air/fugitive_odour.h"
#include "models/air/fugitive_open_storage.h"

using namespace models::air;

namespace {
core::Values odourValues(double u, double d, double l, double f) {
  core::Values v = core::defaultValues(odourRateDesc());
  v.setNum("u", u);
  v.setNum("D", d);
  v.setNum("W", 100);
  v.setNum("L", l);
  v.setNum("m", 5);
  v.setNum("M", 100);
  v.setNum("C", 0.5);
  v.setNum("F", f);
  return v;
}
}  // namespace

TEST(OdourRate, HandCalculation) {
  const auto o = odourRateDesc().compute(odourValues(2, 0.1, 200, 1.2), "compute");
  ASSERT_TRUE(o.ok());
  // 2 W m C / M (u L D / (π F))^0.5 = 5 (40 / (1.2 π))^0.5
  EXPECT_NEAR(o.results.num("E"), 16.286757275183128, 1e-12);
}

TEST(OdourRate, NonPositiveRootTermRefusedAndRateCleared) {
  // The page starts with every field 0: u L D = 0.
  for (const auto& v : {core::defaultValues(odourRateDesc()), odourValues(-2, 0.1, 200, 1.2),
                        odourValues(2, 0.1, 200, -1)}) {
    const auto o = odourRateDesc().compute(v, "compute");
    ASSERT_FALSE(o.ok());
    EXPECT_EQ(o.failure->message, "无效的数字，请重新输入！");
    EXPECT_EQ(o.results.num("E"), 0);
    EXPECT_TRUE(o.results.has("E"));
  }
}

TEST(OpenStorage, SubstanceVapourPressureAndRate) {
  const auto pv = substanceVapourPressure("苯", 298);
  ASSERT_TRUE(pv);
  EXPECT_NEAR(*pv, std::pow(10.0, 7.962 - 0.05223 * 34172 / 298), 1e-12);
  EXPECT_NEAR(*substanceVapourPressure("乙醚", 300), std::pow(10.0, 9.135 - 0.05223 * 46774 / 300),
              1e-12);
  EXPECT_FALSE(substanceVapourPressure("丙酮", 298));
  EXPECT_EQ(openStorageSubstanceNames().size(), 9u);
  const auto o = openStorageDesc().compute(core::defaultValues(openStorageDesc()), "compute");
  // (5.38 + 4.1 u) Pv F M^0.5 with the defaults
  EXPECT_NEAR(o.results.num("G"), 10350.5436541, 1e-3);
}

TEST(EquipmentLeak, Defaults) {
  const auto o = equipmentLeakDesc().compute(core::defaultValues(equipmentLeakDesc()), "compute");
  EXPECT_NEAR(o.results.num("Gc"), 1.5 * 0.21 * 2 * std::sqrt(78.0 / 298), 1e-7);
}

TEST(LiquidEvaporation, ResultTextAndShares) {
  auto v = core::defaultValues(liquidEvaporationDesc());
  EXPECT_EQ(liquidEvaporationDesc().compute(v, "compute").text,
            "计算结果如下：\r\n液体蒸发量Gz=0.06983064 [kg/h]\r\n排放量为0.01641020 [kg/h]\r\n"
            "其中无组织排放量0.01047460 [kg/h]；有组织排放量0.00593560 [kg/h]");
  LiquidEvaporationInput in;
  in.capture_pct = 0;  // nothing captured: all fugitive
  auto r = computeLiquidEvaporation(in);
  EXPECT_EQ(r.fugitive_kg_h, r.evaporation_kg_h);
  EXPECT_EQ(r.stack_kg_h, 0);
  in.capture_pct = 100;
  in.treatment_pct = 100;
  r = computeLiquidEvaporation(in);
  EXPECT_EQ(r.fugitive_kg_h + r.stack_kg_h, 0);
}
