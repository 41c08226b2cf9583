#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "core/acoustics.h"
#include "core/calculator.h"
#include "core/counts.h"
#include "core/format.h"
#include "core/parse.h"

namespace {

TEST(Format, SinglePrecisionFieldsShowSixSignificantDigits) {
  EXPECT_EQ(core::formatFloatField(0.5f), "0.5");
  EXPECT_EQ(core::formatFloatField(3000.f), "3000");
  EXPECT_EQ(core::formatFloatField(0.f), "0");
  EXPECT_EQ(core::formatFloatField(-0.f), "-0");
  EXPECT_EQ(core::formatFloatField(1e-7f), "1e-07");
  EXPECT_EQ(core::formatFloatField(123456789.f), "1.23457e+08");
  // 0.1 stored in single precision still shows as 0.1.
  EXPECT_EQ(core::formatFloatField(0.1f), "0.1");
  EXPECT_EQ(core::formatFloatField(4.8f), "4.8");
}

TEST(Format, DoublesShowFifteenDigitsAndNonFiniteAsTheCLibrary) {
  EXPECT_EQ(core::formatDoubleField(0.1), "0.1");
  EXPECT_EQ(core::formatDoubleField(1.0 / 3), "0.333333333333333");
  EXPECT_EQ(core::formatFloatField(std::numeric_limits<float>::infinity()), "inf");
  EXPECT_EQ(core::formatFloatField(-std::numeric_limits<float>::infinity()), "-inf");
  EXPECT_EQ(core::cformat("%.4f", std::nan("")), "nan");
  EXPECT_EQ(core::cformat("%.4f", 0.12345), "0.1235");
  EXPECT_EQ(core::formatIntField(-12), "-12");
}

TEST(Format, LongTextsAreNotCut) {
  const std::string s(1000, 'x');
  EXPECT_EQ(core::cformat("%s|", s.c_str()).size(), 1001u);
}

TEST(Storage, FloatFieldsRoundToSinglePrecision) {
  EXPECT_EQ(core::storeAs(core::FieldType::Float, 0.1), static_cast<double>(0.1f));
  EXPECT_EQ(core::storeAs(core::FieldType::Double, 0.1), 0.1);
  EXPECT_EQ(core::storeAs(core::FieldType::Int, 2.9), 2.0);
  EXPECT_EQ(core::storeAs(core::FieldType::Int, std::nan("")), 0.0);
  // A huge value in a whole-number field stays within the field's 32-bit range.
  EXPECT_EQ(core::storeAs(core::FieldType::Int, 1e30), 2147483647.0);
  core::FieldDesc f;
  f.key = "C";
  f.type = core::FieldType::Int;
  core::Values v;
  v.setNum("C", 1e30);
  EXPECT_EQ(core::displayValue(f, v), "2147483647");
}

TEST(Parse, WholeTextMustBeOneNumber) {
  EXPECT_DOUBLE_EQ(core::parseNumber(" 3.5 ").value, 3.5);
  EXPECT_TRUE(core::parseNumber("-1e3").ok());
  EXPECT_EQ(core::parseNumber("3.5x").error, core::ParseError::ExtraText);
  EXPECT_EQ(core::parseNumber("").error, core::ParseError::Empty);
  EXPECT_EQ(core::parseNumber("   ").error, core::ParseError::Empty);
  EXPECT_EQ(core::parseNumber("abc").error, core::ParseError::NotANumber);
  EXPECT_FALSE(core::parseNumber("inf").ok());
  EXPECT_FALSE(core::parseNumber("nan").ok());
  EXPECT_FALSE(core::parseNumber("0x10").ok());
  EXPECT_FALSE(core::parseNumber("1e999").ok());
  EXPECT_EQ(core::parseInt(" 42 ").value, 42);
  EXPECT_FALSE(core::parseInt("4.2").ok());
  EXPECT_FALSE(core::parseInt("99999999999").ok());
}

TEST(Counts, QuotientJustBelowAWholeNumberCountsAsIt) {
  EXPECT_EQ(core::truncatedCount(static_cast<double>(1.0f) / static_cast<double>(0.1f)), 10);
  EXPECT_EQ(core::truncatedCount(9.5), 9);
  EXPECT_EQ(core::truncatedCount(9.99), 9);
  EXPECT_EQ(core::truncatedCount(10.0), 10);
  EXPECT_EQ(core::truncatedCount(0.9999999), 1);
  EXPECT_EQ(core::truncatedCount(-2.5), -2);
  EXPECT_EQ(core::truncatedCount(std::nan("")), 0);
  EXPECT_EQ(core::truncatedCount(1e300), 0);
}

TEST(Acoustics, EnergyAdditionOfLevels) {
  EXPECT_NEAR(core::addLevels(60, 60), 63.0103, 1e-4);
  EXPECT_NEAR(core::addLevels({50, 50, 50, 50}), 56.0206, 1e-4);
  EXPECT_NEAR(core::subtractLevel(63.0103, 60), 60.0, 1e-3);
  EXPECT_TRUE(std::isnan(core::subtractLevel(50, 60)));
  EXPECT_TRUE(std::isinf(core::subtractLevel(60, 60)));
}

}  // namespace
