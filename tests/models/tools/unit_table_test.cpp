// The unit table: parsing (UTF-8, GBK, malformed lines), kinds and unit lists, the factor scan
// rule, conversions, appending and the default table written for a new user.
#include "tools/unit_table.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "tools/unit_converter.h"

namespace fs = std::filesystem;
using namespace models::tools;

namespace {

std::string readAll(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::ostringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

void writeAll(const fs::path& p, const std::string& bytes) {
  std::ofstream out(p, std::ios::binary);
  out << bytes;
}

// A fresh folder under the system's temporary directory, removed at the end of the test.
struct TempDir {
  fs::path path;
  TempDir() {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    path = fs::temp_directory_path() /
           (std::string("kuva_units_") + info->name() + "_" + std::to_string(::getpid()));
    fs::remove_all(path);
    fs::create_directories(path);
  }
  ~TempDir() {
    std::error_code ec;
    fs::remove_all(path, ec);
  }
};

float factor(const UnitTable& t, const std::string& kind, const std::string& unit) {
  const auto f = unitFactor(t, kind, unit);
  EXPECT_TRUE(f.has_value()) << unit;
  return f.value_or(0);
}

float convert(const UnitTable& t, const std::string& kind, float v, const std::string& from,
              const std::string& to) {
  return convertUnits(v, factor(t, kind, from), factor(t, kind, to));
}

}  // namespace

TEST(UnitTable, ConvertsBothWays) {
  const UnitTable t = parseUnitTable("[长度][1][米]=[100][厘米]\n");
  EXPECT_FLOAT_EQ(convert(t, "长度", 5, "米", "厘米"), 500);
  EXPECT_FLOAT_EQ(convert(t, "长度", 500, "厘米", "米"), 5);
  EXPECT_FLOAT_EQ(convert(t, "长度", 5, "米", "米"), 5);
}

TEST(UnitTable, TextBetweenFieldsIsIgnoredAndShortLinesAreSkipped) {
  const UnitTable t = parseUnitTable(
      "[长度][1][米]=[100][厘米]\r\n"
      "[长度] [1] [米] [1000] [毫米] trailing words\n"
      "\n"
      "   \r\n"
      "[长度][1][米]=[0.001]\n"       // four bracket pairs
      "[长度][1][米]=[0.001][千米\n"  // the fifth is not closed
      "[质量][1][千克]=[abc][斤]\n"
      "[质量][1][千克]=[2][斤]\n");
  ASSERT_EQ(t.lines.size(), 3u);
  EXPECT_EQ(t.skipped, 2);
  EXPECT_EQ(t.lines[0].unit, "厘米");  // no carriage return left in the last field
  EXPECT_EQ(t.lines[1].unit, "毫米");
  EXPECT_FLOAT_EQ(t.lines[1].amount, 1000);
  // Not a number reads as 0, which no conversion can divide by: the line is refused by number.
  ASSERT_EQ(t.refused.size(), 1u);
  EXPECT_EQ(t.refused[0].message, "第7行：单位“斤”的换算值“abc”不是正数，此行未读入");
  EXPECT_FLOAT_EQ(t.lines[2].amount, 2);
  EXPECT_EQ(unitKinds(t), (std::vector<std::string>{"长度", "质量"}));
  EXPECT_EQ(unitsOfKind(t, "长度"), (std::vector<std::string>{"米", "厘米", "毫米"}));
  EXPECT_TRUE(unitsOfKind(t, "面积").empty());
}

TEST(UnitTable, LastLineNamingAUnitGivesItsFactor) {
  // A kind whose lines name different base units: the list starts with the first line's base
  // unit and each factor follows the scan, the last naming line winning.
  const UnitTable t = parseUnitTable(
      "[长度][1][米]=[100][厘米]\n"
      "[长度][2][分米]=[20][厘米]\n"
      "[长度][1][米]=[10][分米]\n");
  EXPECT_EQ(unitsOfKind(t, "长度"), (std::vector<std::string>{"米", "厘米", "厘米", "分米"}));
  EXPECT_FLOAT_EQ(factor(t, "长度", "米"), 1);
  EXPECT_FLOAT_EQ(factor(t, "长度", "厘米"), 20);
  EXPECT_FLOAT_EQ(factor(t, "长度", "分米"), 10);
  EXPECT_FALSE(unitFactor(t, "长度", "英里").has_value());
  EXPECT_FALSE(unitFactor(t, "面积", "米").has_value());
}

TEST(UnitTable, ReadsGbkLinesAndGbkFilesWithUtf8Additions) {
  // "[长度][1][米]=[100][厘米]" in GBK, then a UTF-8 line the converter appended.
  const std::string gbk = "[\xb3\xa4\xb6\xc8][1][\xc3\xd7]=[100][\xc0\xe5\xc3\xd7]\r\n";
  const UnitTable t = parseUnitTable(gbk + "[长度][1][米]=[1000][毫米]\r\n");
  ASSERT_EQ(t.lines.size(), 2u);
  EXPECT_EQ(t.lines[0].kind, "长度");
  EXPECT_EQ(t.lines[0].unit, "厘米");
  EXPECT_EQ(unitsOfKind(t, "长度"), (std::vector<std::string>{"米", "厘米", "毫米"}));
  EXPECT_FLOAT_EQ(convert(t, "长度", 3, "厘米", "毫米"), 30);
}

TEST(UnitTable, GbkTrailByteLikeABracketDoesNotSplitAField) {
  // U+4E5A is 0x81 0x5D in GBK: its second byte is ']' when read byte by byte.
  const UnitTable t = parseUnitTable("[\xb3\xa4\xb6\xc8][1][\xc3\xd7]=[2][\x81\x5d]\n");
  ASSERT_EQ(t.lines.size(), 1u);
  EXPECT_EQ(t.lines[0].unit, "乚");
  EXPECT_FLOAT_EQ(t.lines[0].amount, 2);
}

TEST(UnitTable, Utf8ByteOrderMarkAndValidity) {
  const UnitTable t = parseUnitTable("\xEF\xBB\xBF[长度][1][米]=[100][厘米]\n");
  ASSERT_EQ(t.lines.size(), 1u);
  EXPECT_EQ(t.lines[0].kind, "长度");
  EXPECT_TRUE(isValidUtf8("米 abc"));
  EXPECT_FALSE(isValidUtf8("\xc3\xd7"));      // GBK 米
  EXPECT_FALSE(isValidUtf8("\xe7\xb1"));      // truncated
  EXPECT_FALSE(isValidUtf8("\xc0\xaf"));      // overlong '/'
  EXPECT_FALSE(isValidUtf8("\xed\xa0\x80"));  // surrogate
}

TEST(UnitTable, AppendedLineIsReadBackAndEarlierBytesStay) {
  TempDir dir;
  const fs::path file = dir.path / "data.ini";
  const std::string old = "[长度][1][米]=[100][厘米]";  // no line end after the last line
  writeAll(file, old);
  const std::string line = formatUnitLine("长度", "米", "1000", "毫米");
  EXPECT_EQ(line, "[长度][1][米]=[1000][毫米]");
  EXPECT_EQ(appendUnitLine(file.string(), line), "");
  EXPECT_EQ(appendUnitLine(file.string(), formatUnitLine("热量", "焦耳", "0.001", "千焦")), "");
  const std::string now = readAll(file);
  EXPECT_EQ(now.substr(0, old.size()), old);
  EXPECT_EQ(now, old + "\n" + line + "\n[热量][1][焦耳]=[0.001][千焦]\n");
  const LoadedUnitTable loaded = loadUnitTableFile(file.string(), "");
  EXPECT_EQ(loaded.error, "");
  EXPECT_FALSE(loaded.created);
  EXPECT_EQ(unitKinds(loaded.table), (std::vector<std::string>{"长度", "热量"}));
  EXPECT_FLOAT_EQ(convert(loaded.table, "长度", 2, "厘米", "毫米"), 20);
}

TEST(UnitTable, AppendFollowsTheFilesLineEnds) {
  TempDir dir;
  const fs::path file = dir.path / "data.ini";
  writeAll(file, "[长度][1][米]=[100][厘米]\r\n");
  EXPECT_EQ(appendUnitLine(file.string(), "[长度][1][米]=[10][分米]"), "");
  EXPECT_EQ(readAll(file), "[长度][1][米]=[100][厘米]\r\n[长度][1][米]=[10][分米]\r\n");
}

TEST(UnitTable, AppendToAnUnwritablePlaceSaysWhy) {
  TempDir dir;
  const std::string err =
      appendUnitLine((dir.path / "no" / "data.ini").string(), "[a][1][b]=[2][c]");
  EXPECT_NE(err.find("无法打开文件"), std::string::npos) << err;
}

TEST(UnitTable, MissingFileIsReplacedByTheDefault) {
  TempDir dir;
  const fs::path file = dir.path / "new" / "folder" / "data.ini";
  const LoadedUnitTable loaded = loadUnitTableFile(file.string(), defaultUnitTableText());
  EXPECT_EQ(loaded.error, "");
  EXPECT_TRUE(loaded.created);
  EXPECT_EQ(readAll(file), defaultUnitTableText());
  EXPECT_EQ(unitKinds(loaded.table),
            (std::vector<std::string>{"长度", "面积", "体积", "质量", "压力", "能量", "功率",
                                      "流量", "浓度", "速度"}));
  EXPECT_EQ(loaded.table.skipped, 0);
  // An unreadable place keeps the default in memory and says why.
  const fs::path blocked = dir.path / "plain-file";
  writeAll(blocked, "x");
  const LoadedUnitTable none =
      loadUnitTableFile((blocked / "data.ini").string(), "[a][1][b]=[2][c]");
  EXPECT_NE(none.error.find("无法创建文件"), std::string::npos) << none.error;
  EXPECT_EQ(none.table.lines.size(), 1u);
}

// Reference values from the SI definitions of the units (NIST SP 811, appendix B) and the
// Chinese market units (1 市尺 = 1/3 m, 1 亩 = 2000/3 m^2, 1 斤 = 0.5 kg).
TEST(UnitTable, DefaultTableFactorsMatchTheUnitDefinitions) {
  const UnitTable t = parseUnitTable(defaultUnitTableText());
  struct Case {
    const char* kind;
    const char* unit;
    const char* base;
    double in_base;  // 1 unit in the base unit
  };
  const Case cases[] = {
      {"长度", "千米", "米", 1000},
      {"长度", "英里", "米", 1609.344},
      {"长度", "尺", "米", 1.0 / 3},
      {"长度", "海里", "米", 1852},
      {"面积", "亩", "平方米", 2000.0 / 3},
      {"面积", "公顷", "平方米", 10000},
      {"面积", "英亩", "平方米", 4046.8564},
      {"体积", "美制加仑", "立方米", 0.003785411784},
      {"体积", "升", "立方米", 0.001},
      {"质量", "磅", "千克", 0.45359237},
      {"质量", "斤", "千克", 0.5},
      {"压力", "标准大气压", "帕", 101325},
      {"压力", "毫米汞柱", "帕", 133.322387},
      {"压力", "巴", "帕", 100000},
      {"能量", "千瓦时", "焦耳", 3.6e6},
      {"能量", "千卡", "焦耳", 4186.8},
      {"能量", "吨标准煤", "焦耳", 29.3076e9},
      {"功率", "马力(公制)", "瓦", 735.49875},
      {"流量", "立方米/天", "立方米/秒", 1.0 / 86400},
      {"流量", "升/秒", "立方米/秒", 0.001},
      {"浓度", "毫克/升", "毫克/立方米", 1000},
      {"浓度", "微克/立方米", "毫克/立方米", 0.001},
      {"速度", "千米/时", "米/秒", 1 / 3.6},
      {"速度", "节", "米/秒", 1852.0 / 3600},
  };
  for (const auto& c : cases) {
    const double got = convert(t, c.kind, 1, c.unit, c.base);
    EXPECT_NEAR(got / c.in_base, 1, 2e-6) << c.kind << " " << c.unit << " -> " << got;
  }
}

TEST(UnitConverter, RefusesUnknownNamesAndZeroFactorsByName) {
  const UnitTable t = parseUnitTable("[长度][1][米]=[100][厘米]\n[长度][1][米]=[0][坏单位]\n");
  UnitConversionInput in;
  in.value = 5;
  EXPECT_FALSE(checkUnitConversion(t, in).has_value());
  EXPECT_FLOAT_EQ(computeUnitConversion(t, in).value, 500);
  in.to = "坏单位";
  auto f = checkUnitConversion(t, in);
  ASSERT_TRUE(f);
  EXPECT_EQ(f->message,
            "单位表第2行：单位“坏单位”的换算值“0”不是正数，此行未读入，请在data.ini中修改！");
  EXPECT_EQ(f->caption, "单位换算");
  EXPECT_EQ(f->focus, "to");
  in.to = "英里";
  f = checkUnitConversion(t, in);
  ASSERT_TRUE(f);
  EXPECT_EQ(f->message, "单位“英里”不属于单位种类“长度”！");
  in.kind = "面积";
  f = checkUnitConversion(t, in);
  ASSERT_TRUE(f);
  EXPECT_EQ(f->focus, "kind");
}
