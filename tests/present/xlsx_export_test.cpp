#include "present/xlsx_export.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;
using present::XlsxResult;

namespace {

fs::path freshDir(const std::string& name) {
  const fs::path d = fs::temp_directory_path() / ("kuva_xlsx_" + name);
  fs::remove_all(d);
  fs::create_directories(d);
  return d;
}

bool onlyFile(const fs::path& dir, const fs::path& file) {
  int n = 0;
  for (const auto& e : fs::directory_iterator(dir)) {
    ++n;
    if (e.path() != file) return false;
  }
  return n == 1;
}

}  // namespace

TEST(XlsxExport, ReplacesAnExistingFileWhole) {
  const fs::path dir = freshDir("replace");
  const std::string path = (dir / "out.xlsx").string();
  std::ofstream(path) << "old contents";
  core::Table t;
  t.title = "结果";
  t.headers = {"x"};
  t.rows = {{"1"}};
  const XlsxResult res = present::writeXlsx(path, t);
  ASSERT_TRUE(res.ok()) << res.message;
  EXPECT_TRUE(onlyFile(dir, path));  // no temporary left beside it
  std::ifstream in(path, std::ios::binary);
  char magic[2] = {};
  in.read(magic, 2);
  EXPECT_EQ(std::string(magic, 2), "PK");  // a zip container, not the old text
}

// A failed write must not leave a partial file under the chosen name nor a temporary beside it.
TEST(XlsxExport, FailureLeavesNoFileAndKeepsTheOldOne) {
  const fs::path dir = freshDir("fail");
  core::Table t;
  t.title = "结果";
  t.headers = {"x"};
  t.rows = {{std::string(40000, 'a')}};  // longer than a cell may hold
  const std::string path = (dir / "out.xlsx").string();
  std::ofstream(path) << "old contents";
  const XlsxResult res = present::writeXlsx(path, t);
  EXPECT_EQ(res.status, XlsxResult::Status::WriteFailed);
  EXPECT_FALSE(res.message.empty());
  EXPECT_TRUE(onlyFile(dir, path));
  std::ifstream in(path);
  std::string old;
  std::getline(in, old);
  EXPECT_EQ(old, "old contents");

  const XlsxResult missing = present::writeXlsx((dir / "no" / "such" / "o.xlsx").string(), t);
  EXPECT_EQ(missing.status, XlsxResult::Status::WriteFailed);
}

TEST(XlsxExport, TargetThatCannotBeReplacedIsReportedAsSuch) {
  const fs::path dir = freshDir("dirtarget");
  const fs::path target = dir / "out.xlsx";
  fs::create_directory(target);  // a folder of that name cannot be replaced by a file
  core::Table t;
  t.title = "结果";
  t.headers = {"x"};
  t.rows = {{"1"}};
  const XlsxResult res = present::writeXlsx(target.string(), t);
  EXPECT_EQ(res.status, XlsxResult::Status::ReplaceFailed);
  EXPECT_TRUE(fs::is_directory(target));
  EXPECT_TRUE(onlyFile(dir, target));
}

TEST(XlsxExport, SheetNamesAreMadeValid) {
  using present::sanitizeSheetName;
  EXPECT_EQ(sanitizeSheetName("工业噪声预测计算结果"), "工业噪声预测计算结果");
  EXPECT_EQ(sanitizeSheetName("a/b\\c?d*e[f]g:h"), "a_b_c_d_e_f_g_h");
  EXPECT_EQ(sanitizeSheetName("'quoted'"), "quoted");
  EXPECT_EQ(sanitizeSheetName(""), "Sheet1");
  EXPECT_EQ(sanitizeSheetName("''"), "Sheet1");
  EXPECT_EQ(sanitizeSheetName("History"), "History_");
  EXPECT_EQ(sanitizeSheetName(std::string(40, 'x')), std::string(31, 'x'));
  // 40 CJK characters are cut to 31 whole characters (3 bytes each).
  std::string cjk;
  for (int i = 0; i < 40; ++i) cjk += "浓";
  EXPECT_EQ(sanitizeSheetName(cjk).size(), 31u * 3u);
  // A character outside the basic plane counts as two units and is never split.
  const std::string astral = std::string(30, 'x') + "\xF0\x9F\x98\x80";
  EXPECT_EQ(sanitizeSheetName(astral), std::string(30, 'x'));
}
