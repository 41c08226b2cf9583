// Project files: inputs kept as the page shows them, unknown content skipped and listed, damaged
// files refused whole, atomic replacement of the file on disk.
#include "core/project_file.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "core/binding.h"

namespace {

struct In {
  float q = 2.5f;
  double k = 0.125;
  int n = 7;
  bool flag = false;
  int fuel = 0;
  int mode = 0;
  std::string table = "SO2\t1.5\nNO2\t2";
};

core::Registry makeRegistry() {
  core::Form<In> f("参数");
  f.bind("q", &In::q, 1001, "流量q", "m^3/s");
  f.bind("k", &In::k, 1002, "系数k");
  f.bind("n", &In::n, 1003, "个数n");
  f.check("flag", &In::flag, 1004, "只算混合");
  f.choice("fuel", &In::fuel, 1005, "原料", {"油", "煤"});
  f.radio("mode", &In::mode, 1006, "方式", {"甲", "乙", "丙"});
  f.bind("table", &In::table, 1007, "污染物表");
  core::CalculatorDesc d;
  d.id = "demo";
  d.title = "示例";
  d.fields = core::concat(f.fields(), {core::resultField("C", 1100, "浓度", "mg/L")});
  core::Registry r;
  r.add(d);
  return r;
}

core::Project oneProject(const core::Registry& reg) {
  core::Values v = core::defaultValues(*reg.find("demo"));
  v.setNum("q", static_cast<double>(1.2345678f));
  v.setText("q", "1.2345678");
  v.setNum("n", 12);
  v.setNum("flag", 1);
  v.setNum("fuel", 1);
  v.setNum("mode", 2);
  v.setText("table", "SO2\t3\n\"NO2\"\t4");
  core::Project p;
  p.version = "9.9";
  p.saved = "2026-01-02 03:04:05";
  p.pages.push_back({"demo", v});
  return p;
}

TEST(ProjectFile, RoundTripKeepsEveryInputAsShown) {
  const auto reg = makeRegistry();
  const std::string json = core::projectToJson(reg, oneProject(reg));
  // Human-readable: values as the page shows them, the entry of a drop-down by its text.
  EXPECT_NE(json.find("\"q\": \"1.2345678\""), std::string::npos) << json;
  EXPECT_NE(json.find("\"fuel\": \"煤\""), std::string::npos) << json;
  EXPECT_EQ(json.find("\"C\""), std::string::npos) << "results are not stored";

  const auto r = core::projectFromJson(reg, json);
  ASSERT_TRUE(r.ok) << r.error;
  EXPECT_TRUE(r.skipped.empty());
  EXPECT_EQ(r.project.version, "9.9");
  const core::ProjectPage* p = r.project.page("demo");
  ASSERT_NE(p, nullptr);
  EXPECT_EQ(p->inputs.text("q"), "1.2345678");
  EXPECT_FLOAT_EQ(p->inputs.f("q"), 1.2345678f);
  EXPECT_DOUBLE_EQ(p->inputs.num("k"), 0.125);
  EXPECT_EQ(p->inputs.i("n"), 12);
  EXPECT_EQ(p->inputs.i("flag"), 1);
  EXPECT_EQ(p->inputs.i("fuel"), 1);
  EXPECT_EQ(p->inputs.i("mode"), 2);
  EXPECT_EQ(p->inputs.text("table"), "SO2\t3\n\"NO2\"\t4");
}

// A page that hands over no value for a field saved 0 in place of the default.
TEST(ProjectFile, KeysMissingFromThePageAreSavedAtTheirDefaults) {
  const auto reg = makeRegistry();
  core::Project p;
  p.pages.push_back({"demo", core::Values{}});
  const auto r = core::projectFromJson(reg, core::projectToJson(reg, p));
  ASSERT_TRUE(r.ok) << r.error;
  EXPECT_EQ(r.project.page("demo")->inputs.i("n"), 7);
  EXPECT_EQ(r.project.page("demo")->inputs.text("table"), "SO2\t1.5\nNO2\t2");
}

TEST(ProjectFile, UnknownCalculatorAndKeyAreSkippedAndListed) {
  const auto reg = makeRegistry();
  const auto r = core::projectFromJson(reg, R"({"version":"99","calculators":{"later":{"x":"1"},
               "demo":{"q":"4","newkey":"5","C":"7"}}})");
  ASSERT_TRUE(r.ok) << r.error;
  // A saved result (C) is not an unknown key: it is skipped without a word.
  EXPECT_EQ(r.skipped, (std::vector<std::string>{"later", "demo.newkey"}));
  const core::ProjectPage* p = r.project.page("demo");
  ASSERT_NE(p, nullptr);
  EXPECT_DOUBLE_EQ(p->inputs.num("q"), 4.0);
  EXPECT_EQ(p->inputs.i("n"), 7) << "a key the file lacks keeps its default";
}

TEST(ProjectFile, DamagedFilesAreRefusedWhole) {
  const auto reg = makeRegistry();
  const std::string good = core::projectToJson(reg, oneProject(reg));
  const std::vector<std::string> bad = {
      good.substr(0, good.size() / 2),              // truncated
      "这不是工程文件",                             // not JSON
      "[1,2,3]",                                    // JSON, not a project
      R"({"calculators":{"demo":{"q":"abc"}}})",    // a number field without a number
      R"({"calculators":{"demo":{"fuel":"气"}}})",  // no such drop-down entry
      R"({"calculators":{"demo":{"mode":"3"}}})",   // radio index out of range
      R"({"calculators":{"demo":{"flag":"2"}}})",   // a box is 0 or 1
      R"({"calculators":{"demo":["q"]}})",          // entry not an object
      R"({"calculators":{"demo":{"q":[1]}}})",      // value not a scalar
      R"({"calculators":{"demo":{"q":1e39}}})",     // beyond single precision
      R"({"calculators":{"demo":{"k":"1e400"}}})",  // beyond double precision
  };
  for (const auto& text : bad) {
    const auto r = core::projectFromJson(reg, text);
    EXPECT_FALSE(r.ok) << text;
    EXPECT_TRUE(r.project.pages.empty()) << text;
    EXPECT_EQ(r.error.rfind("工程文件已损坏", 0), 0u) << r.error;
  }
  const auto r = core::projectFromJson(reg, R"({"calculators":{"demo":{"q":"abc"}}})");
  EXPECT_NE(r.error.find("流量q（q）值“abc”"), std::string::npos) << r.error;
  // A number the field cannot store is not a number the form can hold.
  const auto big = core::projectFromJson(reg, R"({"calculators":{"demo":{"q":"1e39"}}})");
  EXPECT_NE(big.error.find("流量q（q）值“1e39”"), std::string::npos) << big.error;
  EXPECT_NE(big.error.find("请输入一个数字。"), std::string::npos) << big.error;
}

TEST(ProjectFile, NumbersAndBooleansWrittenByHandAreAccepted) {
  const auto reg = makeRegistry();
  const auto r =
      core::projectFromJson(reg, R"({"calculators":{"demo":{"q":3.5,"flag":true,"fuel":1}}})");
  ASSERT_TRUE(r.ok) << r.error;
  EXPECT_DOUBLE_EQ(r.project.page("demo")->inputs.num("q"), 3.5);
  EXPECT_EQ(r.project.page("demo")->inputs.i("flag"), 1);
  EXPECT_EQ(r.project.page("demo")->inputs.i("fuel"), 1);
}

TEST(ProjectFile, SaveReplacesTheFileAndLeavesNoTemporary) {
  namespace fs = std::filesystem;
  const auto reg = makeRegistry();
  const fs::path dir =
      fs::temp_directory_path() / ("kuva_project_test_" + std::to_string(::getpid()));
  fs::create_directories(dir);
  const std::string path = (dir / "a.kuva").string();
  { std::ofstream(path) << "old"; }
  ASSERT_EQ(core::saveProject(reg, oneProject(reg), path), "");
  const auto r = core::loadProject(reg, path);
  ASSERT_TRUE(r.ok) << r.error;
  EXPECT_EQ(r.project.page("demo")->inputs.i("n"), 12);
  EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator{}), 1);

  // A folder that does not exist: an error, no file.
  EXPECT_NE(core::saveProject(reg, oneProject(reg), (dir / "no" / "b.kuva").string()), "");
  EXPECT_FALSE(core::loadProject(reg, (dir / "none.kuva").string()).ok);
  fs::remove_all(dir);
}

}  // namespace
