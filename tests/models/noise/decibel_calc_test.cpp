// The decibel calculator's keys; reference values by hand: 60 (+) 60 = 10 lg(2e6) =
// 63.0102999566398, 63.0103 (+) 60 = 10 lg(3e6) = 64.7712125471966, 60 (-) 57 = 56.979375600717.
#include "models/noise/decibel_calc.h"

#include <gtest/gtest.h>

#include <cmath>

#include "core/format.h"

using namespace models::noise;

namespace {

std::string shown(const std::string& keys) {
  return core::cformat("%.15g", runDecibelKeys(keys).display);
}

TEST(DecibelCalc, AdditionAndRepeatedEquals) {
  EXPECT_EQ(shown("60+60="), "63.0102999566398");
  EXPECT_EQ(shown("60+60=="), "64.7712125471966");
  EXPECT_EQ(shown("60+60==="), core::cformat("%.15g", 10 * std::log10(4e6)));
  // Without a second level "=" adds the first to itself.
  EXPECT_EQ(shown("60+="), "63.0102999566398");
  EXPECT_EQ(shown("60="), "63.0102999566398");
}

TEST(DecibelCalc, Subtraction) {
  EXPECT_EQ(shown("60-57="), "56.979375600717");
  // The right level not below the left: no finite level.
  EXPECT_FALSE(std::isfinite(runDecibelKeys("57-60=").display));
  EXPECT_FALSE(std::isfinite(runDecibelKeys("60-60=").display));
  // The calculator refuses it with the field named, nothing run past the key.
  const core::CalculatorDesc& d = decibelCalcDesc();
  core::Values v = core::defaultValues(d);
  v.setText("keys", "57-60=+1");
  const core::Outcome o = d.compute(v, "compute");
  ASSERT_TRUE(o.failure);
  EXPECT_EQ(o.failure->message, "相减时减去的声级必须小于被减的声级，请重新输入！");
  EXPECT_EQ(o.failure->focus, "keys");
  EXPECT_EQ(runDecibelKeys("57-60=+1").text.find('+'), std::string::npos);
}

TEST(DecibelCalc, DisplayFollowsTheKeys) {
  DecibelCalculator c;
  c.press(DecibelKey::D6);
  EXPECT_EQ(c.display(), 6);
  c.press(DecibelKey::D0);
  EXPECT_EQ(c.display(), 60);
  c.press(DecibelKey::Plus);
  EXPECT_EQ(c.display(), 0);  // the operator waits for the second level
  c.press(DecibelKey::D5);
  EXPECT_EQ(c.display(), 5);
  c.press(DecibelKey::Clear);
  EXPECT_EQ(c.display(), 0);
  c.press(DecibelKey::D7);
  c.press(DecibelKey::Equals);
  EXPECT_NEAR(c.display(), 10 * std::log10(2 * std::pow(10, 0.7)), 1e-12);
}

TEST(DecibelCalc, BackRemovesTheLastDigit) {
  EXPECT_EQ(shown("65<"), "6");
  EXPECT_EQ(shown("6<"), "0");
  EXPECT_EQ(shown("123<<"), "1");
  EXPECT_EQ(shown("60.25<"), "60.2");
  EXPECT_EQ(shown("60.25<<"), "60");
  EXPECT_EQ(shown("60.25<<<"), "6");  // the point went with the last fractional digit
  EXPECT_EQ(shown("60.2<5"), "605");
  EXPECT_EQ(shown("60.<5"), "605");
  EXPECT_EQ(shown("60.25<9"), "60.29");
}

TEST(DecibelCalc, ChainsEvaluateAtEachOperator) {
  const double ab = 10 * std::log10(1e6 + std::pow(10, 5.7));
  const double abc = 10 * std::log10(1e6 + std::pow(10, 5.7) + std::pow(10, 5.5));
  EXPECT_EQ(shown("60+57+"), core::cformat("%.15g", ab));
  EXPECT_EQ(shown("60+57+55="), core::cformat("%.15g", abc));
  EXPECT_EQ(shown("60+57+55+"), core::cformat("%.15g", abc));
  EXPECT_EQ(shown("60+60-60="), "60");
  // An operator after "=" goes on from the result.
  EXPECT_EQ(shown("60+60=+60="), "64.7712125471966");
  EXPECT_EQ(shown("60+60=+60+"), "64.7712125471966");
  // A new level after "=" starts afresh.
  EXPECT_EQ(shown("60+60=57-50="),
            core::cformat("%.15g", 10 * std::log10(std::pow(10, 5.7) - 1e5)));
}

TEST(DecibelCalc, ClearResetsEverything) {
  EXPECT_EQ(shown("60+60=C"), "0");
  EXPECT_EQ(shown("60+60=C="), "3.01029995663981");  // 0 (+) 0
  EXPECT_EQ(shown("60-C57+57="), "60.0102999566398");
}

TEST(DecibelCalc, KeySequencesFromTheCommandLine) {
  const DecibelRun run = runDecibelKeys("60+60==");
  EXPECT_EQ(run.text,
            "6  6\r\n0  60\r\n+  0\r\n6  6\r\n0  60\r\n=  63.0103\r\n"
            "=  64.7712\r\n");
  EXPECT_EQ(runDecibelKeys("60←").display, 6);
  EXPECT_EQ(runDecibelKeys("60x").bad, "x");
  EXPECT_EQ(runDecibelKeys("60÷").bad, "÷");
}

}  // namespace
