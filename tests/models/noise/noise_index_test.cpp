// Leq and Ldn of meter readings; reference values worked by hand:
//   (20*10^7 + 30*10^6.5 + 40*10^6) / 90 -> 65.7063 dBA; equal intervals -> 66.7401 dBA;
//   (15*10^7 + 9*10^7.5) / 24 -> 72.5788 dBA.
#include "models/noise/noise_index.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace models::noise;

namespace {

TEST(NoiseIndex, LeqOfTheDefaultsWithAndWithoutIntervals) {
  NoiseIndexInput in;
  ASSERT_FALSE(checkNoiseIndex(in));
  NoiseIndexResult r = computeNoiseIndex(in);
  EXPECT_EQ(r.n, 3);
  EXPECT_NEAR(r.leq_db, 65.7063, 1e-4);
  EXPECT_EQ(r.line, "总共有3个数据;    等效连续A声级Leq:65.71dBA");
  in.equal_intervals = true;
  r = computeNoiseIndex(in);
  EXPECT_NEAR(r.leq_db, 66.7401, 1e-4);
  EXPECT_EQ(r.line, "总共有3个数据;    等效连续A声级Leq:66.74dBA");
}

TEST(NoiseIndex, LdnOfTheDefaults) {
  NoiseIndexInput in;
  in.mode = IndexMode::Ldn;
  const NoiseIndexResult r = computeNoiseIndex(in);
  EXPECT_NEAR(r.ldn_db, 72.5788, 1e-4);
  EXPECT_EQ(r.line, "昼夜等效声级Ldn:72.58dBA");
}

TEST(NoiseIndex, SeparatorsOfAnyKindAndRunsOfThem) {
  EXPECT_EQ(readNumberList("70,,65"), (std::vector<double>{70, 65}));
  EXPECT_EQ(readNumberList(",70 65"), (std::vector<double>{70, 65}));
  EXPECT_EQ(readNumberList("70，65；60\n55;\t50"), (std::vector<double>{70, 65, 60, 55, 50}));
  EXPECT_TRUE(readNumberList("").empty());
  EXPECT_TRUE(readNumberList(" ,;- .").empty());
}

// Readings were cut into runs of digits: "70.5" read as the two readings 70 and 5.
TEST(NoiseIndex, ReadsDecimalReadingsAsOneNumber) {
  EXPECT_EQ(readNumberList("70.5,65.25"), (std::vector<double>{70.5, 65.25}));
  EXPECT_EQ(readNumberList("-3,+4.5"), (std::vector<double>{-3, 4.5}));
  // A point not followed by a digit separates.
  EXPECT_EQ(readNumberList("70.,.5"), (std::vector<double>{70, 5}));
  NoiseIndexInput in;
  in.readings = "70.5,65.5";
  in.intervals = "1,1";
  const NoiseIndexResult r = computeNoiseIndex(in);
  EXPECT_EQ(r.n, 2);
  EXPECT_NEAR(r.leq_db, 10 * std::log10((std::pow(10, 7.05) + std::pow(10, 6.55)) / 2), 1e-9);
  EXPECT_EQ(r.readings, "70.5,65.5");
}

TEST(NoiseIndex, ListsAreRewrittenToTheReadingsFound) {
  NoiseIndexInput in;
  in.readings = " 70,,65;60 ";
  in.intervals = "20";
  NoiseIndexResult r = computeNoiseIndex(in);
  EXPECT_EQ(r.readings, "70,65,60");
  EXPECT_EQ(r.intervals, "20,,");  // missing intervals count as 0
  EXPECT_NEAR(r.leq_db, 70, 1e-9);
  in.intervals = "1,2,3,4,5";
  r = computeNoiseIndex(in);
  EXPECT_EQ(r.intervals, "1,2,3");
}

TEST(NoiseIndex, EmptyListIsRefusedAndWouldGiveNoFiniteLevel) {
  NoiseIndexInput in;
  in.readings = "";
  ASSERT_TRUE(checkNoiseIndex(in));
  const NoiseIndexResult r = computeNoiseIndex(in);
  EXPECT_EQ(r.n, 0);
  EXPECT_FALSE(std::isfinite(r.leq_db));
}

TEST(NoiseIndex, MoreThanAThousandNumbersAreRefusedWithTheirCount) {
  std::string many;
  for (int i = 0; i < 1000; ++i) many += "60,";
  NoiseIndexInput in;
  in.readings = many;
  in.equal_intervals = true;
  EXPECT_FALSE(checkNoiseIndex(in));
  in.readings = many + "61";
  auto f = checkNoiseIndex(in);
  ASSERT_TRUE(f);
  EXPECT_EQ(f->message, "共找到1001个数据，超过了每组最多1000个数据的限制，请重新输入！");
  EXPECT_EQ(f->focus, "L");
  in.readings = "60";
  in.intervals = many + "1";
  EXPECT_FALSE(checkNoiseIndex(in));  // intervals unused with equal sampling
  in.equal_intervals = false;
  f = checkNoiseIndex(in);
  ASSERT_TRUE(f);
  EXPECT_EQ(f->focus, "T");
  in.mode = IndexMode::Ldn;
  EXPECT_FALSE(checkNoiseIndex(in));
}

}  // namespace
