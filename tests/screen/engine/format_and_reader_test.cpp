// Number layouts of the report (Fortran edit descriptors) and the free-format answer reader.

#include <gtest/gtest.h>

#include <cmath>
#include <sstream>

#include "screen/engine/answer_reader.h"
#include "screen/engine/fortran_format.h"

using namespace screen::engine;

TEST(FortranFormat, GeneralFormatSwitchesOnTheRoundedValue) {
  EXPECT_EQ(fmtG(0.0, 11, 4), "  0.000    ");
  EXPECT_EQ(fmtG(-0.0, 11, 4), " -0.000    ");
  EXPECT_EQ(fmtG(9999.4, 11, 4), "  9999.    ");
  EXPECT_EQ(fmtG(9999.5, 11, 4), " 0.1000E+05");
  EXPECT_EQ(fmtG(138600.0, 11, 4), " 0.1386E+06");
  EXPECT_EQ(fmtG(0.01115, 11, 4), " 0.1115E-01");
  EXPECT_EQ(fmtG(0.099995, 11, 4), " 0.1000    ");
  EXPECT_EQ(fmtG(0.0999949, 11, 4), " 0.9999E-01");
  EXPECT_EQ(fmtG(-999.0, 11, 4), " -999.0    ");
  EXPECT_EQ(fmtG(1.0, 16, 6), "     1.00000    ");
  EXPECT_EQ(fmtG(0.001, 16, 6), "    0.100000E-02");
  EXPECT_EQ(fmtG(50000.0, 16, 8), "   50000.000    ");
  EXPECT_EQ(fmtG(1.0e-120, 11, 4), " 0.1000-119");
}

TEST(FortranFormat, FixedFormatKeepsThePointAndOverflowsToAsterisks) {
  EXPECT_EQ(fmtF(280.0, 5, 0), " 280.");
  EXPECT_EQ(fmtF(0.5, 4, 2), "0.50");
  EXPECT_EQ(fmtF(0.5, 3, 2), ".50");
  EXPECT_EQ(fmtF(99.95, 4, 1), "****");
  EXPECT_EQ(fmtF(-0.001, 5, 2), "-0.00");
  EXPECT_EQ(fmtF(NAN, 7, 2), "*******");
  EXPECT_EQ(fmtI(7, 1), "7");
  EXPECT_EQ(fmtI(12, 1), "*");
}

TEST(FortranFormat, ListDirectedRealsShowNineDigitsOfTheFloat) {
  EXPECT_EQ(fmtLdr(0.0f), "   0.00000000    ");
  EXPECT_EQ(fmtLdr(10.0f), "   10.0000000    ");
  EXPECT_EQ(fmtLdr(0.5f), "  0.500000000    ");
  EXPECT_EQ(fmtLdr(0.3f), "  0.300000012    ");
  EXPECT_EQ(fmtLdr(123456792.0f), "   123456792.    ");
  EXPECT_EQ(fmtLdr(0.01f), "   9.99999978E-03");
  EXPECT_EQ(fmtLdr(1.0e9f), "   1.00000000E+09");
  EXPECT_EQ(fmtLdi(3), "           3");
}

namespace {

struct Read {
  ReadStatus status;
  float a, b;
};

Read readTwo(const std::string& text, float a = -1, float b = -1) {
  std::istringstream in(text);
  AnswerReader r(in);
  float v[2] = {a, b};
  const ReadStatus s = r.reals(v, 2);
  return {s, v[0], v[1]};
}

}  // namespace

TEST(AnswerReader, FreeFormatSeparatorsAndContinuationLines) {
  for (const char* text : {"1 2\n", "1,2\n", "1 , 2\n", "1;2\n", "\n1,\n\n2\n", "2*1\n"}) {
    const Read r = readTwo(text);
    EXPECT_EQ(r.status, ReadStatus::Ok) << text;
    EXPECT_EQ(r.a, 1.0f) << text;
  }
  EXPECT_EQ(readTwo("5,\n1000\n").b, 1000.0f);
  EXPECT_EQ(readTwo("1 2 3 junk\n").b, 2.0f);
}

TEST(AnswerReader, RealForms) {
  EXPECT_EQ(parseListReal("12."), 12.0f);
  EXPECT_EQ(parseListReal(".5"), 0.5f);
  EXPECT_EQ(parseListReal("+5"), 5.0f);
  EXPECT_EQ(parseListReal("1e3"), 1000.0f);
  EXPECT_EQ(parseListReal("1.5D0"), 1.5f);
  EXPECT_EQ(parseListReal("1+3"), 1000.0f);
  EXPECT_EQ(parseListReal("1.0-2"), 0.01f);
  EXPECT_TRUE(std::isinf(*parseListReal("inf")));
  EXPECT_TRUE(std::isnan(*parseListReal("nan")));
  EXPECT_FALSE(parseListReal("abc"));
  EXPECT_FALSE(parseListReal("1.5x"));
  EXPECT_FALSE(parseListReal("."));
  EXPECT_FALSE(parseListReal("e5"));
}

TEST(AnswerReader, EmptyValuesAndSlashKeepTheOldValue) {
  Read r = readTwo(",7\n", 3, 4);
  EXPECT_EQ(r.a, 3.0f);
  EXPECT_EQ(r.b, 7.0f);
  r = readTwo("9 /\n", 3, 4);
  EXPECT_EQ(r.a, 9.0f);
  EXPECT_EQ(r.b, 4.0f);
  r = readTwo("2*\n", 3, 4);
  EXPECT_EQ(r.a, 3.0f);
  EXPECT_EQ(r.b, 4.0f);
}

TEST(AnswerReader, ConversionErrorsKeepEarlierValuesAndDropTheLine) {
  std::istringstream in("5 abc 6\n8 9\n");
  AnswerReader r(in);
  float v[2] = {0, 0};
  EXPECT_EQ(r.reals(v, 2), ReadStatus::Error);
  EXPECT_EQ(v[0], 5.0f);
  EXPECT_EQ(r.reals(v, 2), ReadStatus::Ok);
  EXPECT_EQ(v[1], 9.0f);
}

TEST(AnswerReader, IntegersRefuseDecimalsAndExponents) {
  for (const char* bad : {"1.5\n", "3.\n", "1e0\n", "Y\n", "99999999999\n"}) {
    std::istringstream in(bad);
    AnswerReader r(in);
    int v = 0;
    EXPECT_EQ(r.integer(v), ReadStatus::Error) << bad;
  }
  for (const char* good : {"+2\n", "02\n", "2*2\n"}) {
    std::istringstream in(good);
    AnswerReader r(in);
    int v = 0;
    EXPECT_EQ(r.integer(v), ReadStatus::Ok) << good;
    EXPECT_EQ(v, 2) << good;
  }
}

TEST(AnswerReader, EndOfInputIsAnErrorNotAnEmptyAnswer) {
  std::istringstream in("5,\n");
  AnswerReader r(in);
  float v[2] = {0, 0};
  EXPECT_THROW(r.reals(v, 2), EndOfAnswers);
  std::istringstream empty("");
  AnswerReader e(empty);
  EXPECT_THROW(e.line(), EndOfAnswers);
}

TEST(AnswerReader, LinesAreCappedAtAFewKilobytes) {
  const std::string longest(kMaxAnswerLine, '7');
  std::istringstream ok(longest + "\r\n" + longest + "\nlast");
  AnswerReader r(ok);
  EXPECT_EQ(r.line(), longest);  // the carriage return does not count
  EXPECT_EQ(r.line(), longest);
  EXPECT_EQ(r.line(), "last");  // a last line without its line feed still counts
  EXPECT_THROW(r.line(), EndOfAnswers);

  std::istringstream over(longest + "8\n");
  AnswerReader o(over);
  EXPECT_THROW(o.line(), OverlongAnswer);
  std::istringstream overCr(longest + "8\r\n");
  AnswerReader oc(overCr);
  EXPECT_THROW(oc.line(), OverlongAnswer);
  // a number question reading an overlong line gives up too instead of re-asking
  std::istringstream numbers("1, " + longest + "\n2\n");
  AnswerReader n(numbers);
  float v[2] = {0, 0};
  EXPECT_THROW(n.reals(v, 2), OverlongAnswer);
}

TEST(AnswerReader, FixedFieldsIgnoreBlanks) {
  EXPECT_EQ(parseFixedReal("1 2"), 12.0f);
  EXPECT_EQ(parseFixedReal("   "), 0.0f);
  EXPECT_EQ(parseFixedReal("1.5e1"), 15.0f);
  EXPECT_FALSE(parseFixedReal("1,5"));
  EXPECT_FALSE(parseFixedReal("xyz"));
  EXPECT_EQ(parseFixedInteger(" 2"), 2);
  EXPECT_EQ(parseFixedInteger("1 2"), 12);
  EXPECT_FALSE(parseFixedInteger("r"));
}
