// Impossible input is refused with the field and its range named, never computed into "nan",
// "inf" or a negative amount; a point the road does not shade is a result, not a refusal.
#include <gtest/gtest.h>

#include "models/registry.h"
#include "refusal_cases.h"

namespace {

TEST(Refusal, EachImpossibleInputIsRefusedNamingItsField) {
  for (const auto& c : refusal::cases()) {
    SCOPED_TRACE(std::string(c.id) + " --action " + c.action);
    const core::CalculatorDesc* d = models::registry().find(c.id);
    ASSERT_NE(d, nullptr);
    const core::Outcome o = d->compute(refusal::valuesOf(*d, c), c.action);
    ASSERT_TRUE(o.failure);
    EXPECT_EQ(o.failure->message, c.message);
    EXPECT_EQ(o.failure->focus, c.focus);
  }
}

// What the range checks leave, the registry refuses by naming the input that made the result
// non-finite (a river depth of the smallest single-precision number, which passes H > 0).
TEST(Refusal, ANonFiniteResultIsRefusedNamingTheInputBehindIt) {
  const core::CalculatorDesc* d = models::registry().find("cumflow");
  ASSERT_NE(d, nullptr);
  core::Values v = core::defaultValues(*d);
  v.setNum("H", 1.4e-45);
  const core::Outcome o = d->compute(v, "compute");
  ASSERT_TRUE(o.failure);
  EXPECT_EQ(o.failure->focus, "H");
  EXPECT_NE(o.failure->message.find("超出模型的适用范围，请重新输入！"), std::string::npos);
}

TEST(Refusal, IlluminatedZoneIsAResultWithNoAttenuation) {
  const core::CalculatorDesc* d = models::registry().find("embankment");
  ASSERT_NE(d, nullptr);
  core::Values v = core::defaultValues(*d);
  v.setNum("r", 20);
  v.setNum("Abar", 7);
  const core::Outcome o = d->compute(v, "compute");
  ASSERT_FALSE(o.failure);
  EXPECT_EQ(o.text, "预测点处于声照区，Abar=0！");
  EXPECT_EQ(o.updated_inputs.num("Abar"), 0);
}

}  // namespace
