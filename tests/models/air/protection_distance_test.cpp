#include "models/air/protection_distance.h"

#include <gtest/gtest.h>

#include <limits>

#include "core/format.h"
#include "screen/answer_script.h"

namespace {

using models::air::ProtectionInput;
using models::air::ProtectionReading;

// A reading with every receptor at `base` ug/m3 except the ones given.
ProtectionReading reading(double base) {
  ProtectionReading r;
  for (int d : screen::protectionDistances_m()) {
    r.distance_m.push_back(d);
    r.conc_ug_m3.push_back(base);
  }
  return r;
}

TEST(ProtectionDistance, SideRatioCheck) {
  ProtectionInput in;
  in.length_m = 21;
  in.width_m = 2;
  auto f = models::air::checkProtection(in);
  ASSERT_TRUE(f);
  EXPECT_EQ(f->message, "要求面源的两条边比值不超过10，超出的宜分成多个面源！");
  EXPECT_EQ(f->focus, "W");
  in.length_m = 20;
  EXPECT_FALSE(models::air::checkProtection(in));
  in.length_m = 2;
  in.width_m = 21;
  EXPECT_TRUE(models::air::checkProtection(in));
  // Zero sides would divide by zero in the emission flux.
  in.width_m = 0;
  in.length_m = 0;
  ASSERT_TRUE(models::air::checkProtection(in));
  EXPECT_EQ(models::air::checkProtection(in)->message, "面源宽度和长度必须大于0，请重新输入！");
}

// A standard of 0 or below gave "最大超标距离大于5000米…" as if the source were too strong.
TEST(ProtectionDistance, StandardMustBePositive) {
  ProtectionInput in;
  for (float cs : {0.0f, -2.4f, std::numeric_limits<float>::quiet_NaN(),
                   std::numeric_limits<float>::infinity()}) {
    in.standard_mg_m3 = cs;
    const auto f = models::air::checkProtection(in);
    ASSERT_TRUE(f) << cs;
    EXPECT_EQ(f->message, "环境标准浓度限值必须大于0，请重新输入！");
    EXPECT_EQ(f->focus, "Cs");
  }
  in.standard_mg_m3 = 0.01f;
  EXPECT_FALSE(models::air::checkProtection(in));
}

TEST(ProtectionDistance, ResultSentences) {
  const float cs = 2.4f;  // 2400 ug/m3
  EXPECT_EQ(models::air::protectionSentence(reading(100), cs), "无超标点");

  ProtectionReading r = reading(100);
  r.conc_ug_m3[0] = 3000;  // exceeds at 10 m only
  EXPECT_EQ(models::air::protectionSentence(r, cs), "大气环境防护距离建议值 = 20 [m]");

  r = reading(100);
  r.conc_ug_m3[106] = 2400;  // 4950 m reaches the standard exactly, 5000 m does not
  EXPECT_EQ(models::air::protectionSentence(r, cs),
            "最大超标距离 = 5000 [m]\r\n"
            "最大超标距离大于2000米，污染源强可能超标，建议削减源强后，再计算。");

  r = reading(100);
  r.conc_ug_m3[107] = 2401;
  EXPECT_EQ(models::air::protectionSentence(r, cs),
            "最大超标距离大于5000米，污染源强可能超标，建议削减源强后，再计算。");

  // The scan runs from far to near: a far exceedance wins over a near one.
  r = reading(100);
  r.conc_ug_m3[0] = 5000;
  r.conc_ug_m3[20] = 5000;  // 650 m
  EXPECT_EQ(models::air::protectionSentence(r, cs), "大气环境防护距离建议值 = 700 [m]");
}

std::string fakeReport(double conc_at_10m) {
  std::string s;
  for (int i = 0; i < 34; ++i) s += "header line\n";
  for (int d : screen::protectionDistances_m()) {
    const double c = d == 10 ? conc_at_10m : 1.0;
    s += core::cformat(" %#7.0f  ", static_cast<double>(d));
    s += c >= 1e5 ? core::cformat("%11s", "0.1386E+06") : core::cformat("%11.4g", c);
    s += "    6     1.0    1.0 10000.0    2.00      2.\n";
  }
  return s + "\n";
}

// Concentrations of 1e5 ug/m3 and more are printed in exponent form; a five-character cut
// read 0.138 for 0.1386E+06.
TEST(ProtectionDistance, ReadsExponentConcentrations) {
  ProtectionReading r;
  ASSERT_FALSE(models::air::readProtectionReport(fakeReport(1e5), &r));
  ASSERT_EQ(r.conc_ug_m3.size(), 108u);
  EXPECT_DOUBLE_EQ(r.conc_ug_m3[0], 0.1386E+06);
  EXPECT_DOUBLE_EQ(r.distance_m[107], 5000);
  EXPECT_EQ(models::air::protectionSentence(r, 100), "大气环境防护距离建议值 = 20 [m]");
}

TEST(ProtectionDistance, RefusesShortOrMisplacedReports) {
  ProtectionReading r;
  std::string report = fakeReport(10);
  const auto f = models::air::readProtectionReport(report.substr(0, report.size() / 2), &r);
  ASSERT_TRUE(f);
  EXPECT_EQ(f->message, "SCREEN.OUT中没有108个计算点的结果，无法确定大气环境防护距离。");
  EXPECT_TRUE(models::air::readProtectionReport("extra line\n" + report, &r));
}

// A concentration the program could not print ("*****") was read as 0.
TEST(ProtectionDistance, RefusesAnUnreadableConcentration) {
  std::string report = fakeReport(10);
  ProtectionReading r;
  ASSERT_FALSE(models::air::readProtectionReport(report, &r));
  const size_t at = report.find("\n     50. ");
  ASSERT_NE(at, std::string::npos);
  report.replace(at + 11, 11, "**********");
  const auto f = models::air::readProtectionReport(report, &r);
  ASSERT_TRUE(f);
  EXPECT_NE(f->message.find("的数字无法读取：“**********”，无法确定大气环境防护距离。"),
            std::string::npos)
      << f->message;
  // Through the run step, as the page and the command line use it.
  const auto step = [report](const std::string&) {
    screen::RunResult res;
    res.status = screen::RunStatus::Ok;
    res.report = report;
    return res;
  };
  const auto o = models::air::computeProtection(ProtectionInput{}, step);
  ASSERT_TRUE(o.failure);
  EXPECT_EQ(o.failure->message, f->message);
}

TEST(ProtectionDistance, ComputeReportsAProgramThatCannotStart) {
  screen::RunOptions run;
  run.program = "/nonexistent/kuvascreen";
  const auto o = models::air::computeProtection(ProtectionInput{}, screen::programStep(run));
  ASSERT_TRUE(o.failure);
  EXPECT_NE(o.failure->message.find("/nonexistent/kuvascreen"), std::string::npos);
}

}  // namespace
