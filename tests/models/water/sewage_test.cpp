#include "models/water/sewage.h"

#include <gtest/gtest.h>

#include <cmath>

#include "core/format.h"

namespace {
using models::water::computeSewage;
using models::water::SewageInput;

TEST(Sewage, WorkedExampleOfOneHundredStaff) {
  SewageInput in;
  in.staff = 100;
  in.resident = 20;
  const auto r = computeSewage(in);
  EXPECT_EQ(core::formatFloatField(r.sewage_t_d), "4.8");
  EXPECT_EQ(core::formatFloatField(r.sewage_t_y), "1440");
  EXPECT_EQ(core::formatFloatField(r.water_t_y), "1800");
  EXPECT_EQ(core::formatFloatField(r.cod_t_y), "0.72");
  EXPECT_EQ(core::formatFloatField(r.cod_std_t_y), "0.144");
  EXPECT_EQ(core::formatFloatField(r.cod_cut_t_y), "0.576");
  EXPECT_EQ(core::formatFloatField(r.nh_t_y), "0.0504");
  EXPECT_EQ(core::formatFloatField(r.nh_std_t_y), "0.0216");
  EXPECT_EQ(core::formatFloatField(r.nh_cut_t_y), "0.0288");
  EXPECT_EQ(core::formatFloatField(r.garbage_kg_d), "60");
  EXPECT_EQ(core::formatFloatField(r.garbage_t_y), "18");
}

TEST(Sewage, DefaultsGiveZeroEverywhere) {
  const auto o = models::water::sewageDesc().compute(
      core::defaultValues(models::water::sewageDesc()), "compute");
  ASSERT_TRUE(o.ok());
  for (const auto& [k, v] : o.results.all()) EXPECT_EQ(v.num, 0.0) << k;
}

TEST(Sewage, ChecksInOrderWithCaptionAndFocus) {
  SewageInput in;
  in.days = -1;
  auto f = models::water::checkSewage(in);
  ASSERT_TRUE(f);
  EXPECT_EQ(f->message, "不能是负数，请重新输入");
  EXPECT_EQ(f->caption, "错误");
  EXPECT_EQ(f->focus, "N");
  // A negative value wins over the logic check.
  in.resident = 5;
  EXPECT_EQ(models::water::checkSewage(in)->message, "不能是负数，请重新输入");
  in.days = 300;
  f = models::water::checkSewage(in);
  ASSERT_TRUE(f);
  EXPECT_EQ(f->message, "逻辑常识错误，请重新输入");
  EXPECT_EQ(f->focus, "Nr");
  in.staff = 5;
  EXPECT_FALSE(models::water::checkSewage(in));
}

TEST(Sewage, FormTextsAndExchangeOrder) {
  const auto& d = models::water::sewageDesc();
  std::string order;
  for (const auto& f : d.fields) order += f.key + " ";
  EXPECT_EQ(order,
            "N Nr d wn wr p COD0 CODs N0 Ns W Qd Qy COD CODstd NH NHstd CODcut NHcut Gd Gy ");
  // Staff and days carry no unit text; the water-use lines read as one sentence with it.
  EXPECT_EQ(d.field("N")->unit, "");
  EXPECT_EQ(d.field("Nr")->unit, "");
  EXPECT_EQ(d.field("d")->unit, "");
  EXPECT_EQ(d.field("wn")->label + "|" + d.field("wn")->unit, "不住宿每人每日用水量以|升计;");
  EXPECT_EQ(d.field("p")->label + "|" + d.field("p")->unit, "排水量按照用水量的|%计");
  EXPECT_EQ(d.field("Gd")->unit, "千克");
  EXPECT_EQ(d.field("Ns")->control_id, 1015);
  EXPECT_EQ(d.field("W")->control_id, 1014);
}

TEST(Sewage, ZeroSewageShareShowsTheCLibraryText) {
  SewageInput in;
  in.staff = 10;
  in.sewage_pct = 0;
  const auto r = computeSewage(in);
  EXPECT_TRUE(std::isnan(r.water_t_y));
  const std::string shown = core::formatFloatField(r.water_t_y);
  EXPECT_TRUE(shown == "nan" || shown == "-nan") << shown;
}

}  // namespace
