// Grid file writing and reading, including damaged files and a cross-check against GDAL.
#include "present/grid_data.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace fs = std::filesystem;
using present::GrdReadStatus;
using present::GridData;

namespace {

std::string tempPath(const std::string& name) {
  return (fs::temp_directory_path() / ("kuva_grid_" + std::to_string(::getpid()) + "_" + name))
      .string();
}

std::string slurp(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  std::stringstream s;
  s << f.rdbuf();
  return s.str();
}

void spit(const std::string& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

core::Table sampleTable() {
  core::Table t;
  t.headers = {"y", "x=0", "x=50", "x=100"};
  t.rows = {{"0", "-1.2500", "2", "abc"}, {"10", "4", "5.0000", "6.5"}};
  return t;
}

}  // namespace

TEST(GridFile, WritesDsaaLayoutWithZeroZMinimum) {
  const std::string path = tempPath("layout.grd");
  ASSERT_TRUE(present::writeGrdFile(sampleTable(), path, 0, 100, 0, 10, 6.5f));
  // Text that is not a number is written as 0; each row is followed by a blank line.
  EXPECT_EQ(slurp(path), "DSAA\n3 2\n0 100\n0 10\n0 6.5\n-1.25 2 0 \n\n4 5 6.5 \n\n");
  fs::remove(path);
}

TEST(GridFile, TableWithOnlyTheYColumnGivesEmptyRows) {
  core::Table t;
  t.headers = {"y"};
  t.rows = {{"0"}, {"1"}};
  const std::string path = tempPath("empty_rows.grd");
  ASSERT_TRUE(present::writeGrdFile(t, path, 0, 1, 0, 1, 0));
  EXPECT_EQ(slurp(path), "DSAA\n0 2\n0 1\n0 1\n0 0\n\n\n\n\n");
  fs::remove(path);
}

TEST(GridFile, WriterReportsUncreatableFile) {
  EXPECT_FALSE(present::writeGrdFile(sampleTable(), "/nonexistent-dir/result.grd", 0, 1, 0, 1, 1));
}

TEST(GridFile, ReadsWhatTheWriterWrote) {
  const std::string path = tempPath("roundtrip.grd");
  ASSERT_TRUE(present::writeGrdFile(sampleTable(), path, 0, 100, 0, 10, 6.5f));
  GridData g;
  ASSERT_EQ(present::readGrdFile(path, g), GrdReadStatus::Ok);
  EXPECT_EQ(g.nx, 3);
  EXPECT_EQ(g.ny, 2);
  EXPECT_EQ(g.xmax, 100.0);
  EXPECT_EQ(g.ymax, 10.0);
  EXPECT_EQ(g.zmin, 0.0f);
  EXPECT_EQ(g.zmax, 6.5f);
  EXPECT_EQ(g.at(0, 0), -1.25f);
  EXPECT_EQ(g.at(0, 2), 0.0f);
  EXPECT_EQ(g.at(1, 2), 6.5f);
  fs::remove(path);
}

TEST(GridFile, ReadsAnyWhiteSpaceLayout) {
  const std::string path = tempPath("layout_free.grd");
  for (const char* text : {"DSAA 2 2 0 1 0 1 0 4 1 2 3 4",
                           "DSAA\r\n2 2\r\n0 1\r\n0 1\r\n0 4\r\n\r\n\r\n1 2\r\n\r\n\r\n3 4\r\n"}) {
    spit(path, text);
    GridData g;
    ASSERT_EQ(present::readGrdFile(path, g), GrdReadStatus::Ok) << text;
    EXPECT_EQ(g.z, (std::vector<float>{1, 2, 3, 4})) << text;
    EXPECT_EQ(g.zmax, 4.0f);
  }
  fs::remove(path);
}

// Damaged and hostile grids are refused with the file named, whichever program reads them
// (terrain, contour, the contour window): a short header, a value count that is not nx·ny,
// limits that are not finite or beyond any projected coordinate.
TEST(GridFile, RefusesDamagedGridsNamingTheFile) {
  const std::string path = tempPath("damaged.grd");
  const struct {
    const char* text;
    GrdReadStatus status;
    const char* message_part;
  } cases[] = {
      {"DSAA 3 2 0 1 0 1 0 9 1 2 x 4 5 6", GrdReadStatus::BadCount,
       "只读到 2 个数值，应为 nx × ny = 6 个"},
      {"DSAA 2 2 0 1 0 1 0 1 7 8 9", GrdReadStatus::BadCount,
       "只读到 3 个数值，应为 nx × ny = 4 个"},
      {"DSAA 2 2 0 1 0 1 0 1 7 8 9 10 11", GrdReadStatus::BadCount, "数值多于"},
      {"DSAA 2 2 0 1 0 1 0 1 1.5x 2 3 4", GrdReadStatus::BadCount,
       "只读到 1 个数值，应为 nx × ny = 4 个"},
      {"DSAA 2 2 0 1", GrdReadStatus::BadHeader, "无法读取网格文件头"},
      {"DSAA three 3", GrdReadStatus::BadHeader, "无法读取网格文件头"},
      {"DSAA 2 2 -1e39 1e39 0 1 0 1 1 2 3 4", GrdReadStatus::BadLimits, "网格范围不是有限的数"},
      {"DSAA 2 2 0 inf 0 1 0 1 1 2 3 4", GrdReadStatus::BadLimits, "网格范围不是有限的数"},
      {"DSAA 2 2 0 1 nan 1 0 1 1 2 3 4", GrdReadStatus::BadLimits, "网格范围不是有限的数"},
      {"DSAA 2 2 0 1 0 2e9 0 1 1 2 3 4", GrdReadStatus::BadLimits, "网格范围不是有限的数"},
      {"DSAA 2 2 0 1 0 1 -1e39 1 1 2 3 4", GrdReadStatus::BadLimits, "网格范围不是有限的数"},
  };
  for (const auto& c : cases) {
    spit(path, c.text);
    GridData g;
    g.nx = 1;
    g.ny = 1;
    g.z = {7};
    present::GrdReadDetails d;
    ASSERT_EQ(present::readGrdFile(path, g, &d), c.status) << c.text;
    EXPECT_TRUE(g.z.empty() && g.nx == 0) << c.text;
    const std::string m = present::grdReadMessage(c.status, path, &d);
    EXPECT_EQ(m.find(path), 0u) << m;
    EXPECT_NE(m.find(c.message_part), std::string::npos) << m;
  }
  fs::remove(path);
}

TEST(GridFile, RefusesFilesThatAreNotDsaa) {
  const std::string path = tempPath("not_dsaa.grd");
  GridData g;
  g.nx = 1;
  g.ny = 1;
  g.z = {7};
  for (const char* text : {"dsaa 1 1 0 1 0 1 0 1 5",
                           "\xEF\xBB\xBF"
                           "DSAA 1 1 0 1 0 1 0 1 5",
                           "DSA"}) {
    spit(path, text);
    EXPECT_EQ(present::readGrdFile(path, g), GrdReadStatus::NotDsaa) << text;
  }
  EXPECT_EQ(g.z, std::vector<float>{7});  // an earlier grid is kept
  EXPECT_EQ(present::grdReadMessage(GrdReadStatus::NotDsaa, path), "不能打开文件。");
  fs::remove(path);
}

TEST(GridFile, MissingFileMessageNamesIt) {
  GridData g;
  EXPECT_EQ(present::readGrdFile("/nonexistent/result.grd", g), GrdReadStatus::CannotOpen);
  EXPECT_EQ(present::grdReadMessage(GrdReadStatus::CannotOpen, "result.grd"),
            "Openresult.grderror!!");
}

TEST(GridFile, HostileSizesAreRefusedAsAllocationFailure) {
  const std::string path = tempPath("hostile.grd");
  for (const char* text :
       {"DSAA -1 5 0 1 0 1 0 1", "DSAA 5 -3 0 1 0 1 0 1", "DSAA 100000 100000 0 1 0 1 0 1",
        "DSAA 2147483647 2147483647", "DSAA 99999999999999999999999 2 0 1"}) {
    spit(path, text);
    GridData g;
    g.nx = 1;
    g.ny = 1;
    g.z = {7};
    EXPECT_EQ(present::readGrdFile(path, g), GrdReadStatus::AllocFailed) << text;
    EXPECT_TRUE(g.z.empty()) << text;  // no values are kept after a refused size
    EXPECT_EQ(g.nx, 0);
  }
  EXPECT_EQ(present::grdReadMessage(GrdReadStatus::AllocFailed, path),
            "内存分配失败，数据读取没有成功!");
  fs::remove(path);
}

// GDAL's Golden Software ASCII grid driver must see the same size, extent and values.
TEST(GridFile, WrittenFileOpensInGdal) {
  if (std::system("gdalinfo --version > /dev/null 2>&1") != 0 ||
      std::system("gdal_translate --version > /dev/null 2>&1") != 0)
    GTEST_SKIP() << "gdalinfo / gdal_translate not installed";
  const std::string path = tempPath("gdal.grd");
  ASSERT_TRUE(present::writeGrdFile(sampleTable(), path, 0, 100, 0, 10, 6.5f));

  auto run = [](const std::string& cmd) {
    std::string out;
    if (std::FILE* p = ::popen(cmd.c_str(), "r")) {
      char buf[4096];
      std::size_t n;
      while ((n = std::fread(buf, 1, sizeof buf, p)) > 0) out.append(buf, n);
      ::pclose(p);
    }
    return out;
  };
  std::string info = run("gdalinfo -json '" + path + "'");
  std::erase_if(info, [](char c) { return c == ' ' || c == '\n'; });
  EXPECT_NE(info.find("\"size\":[3,2]"), std::string::npos) << info;
  // Surfer limits are node positions; GDAL reports the outer cell corners half a step beyond.
  EXPECT_NE(info.find("\"geoTransform\":[-25.0,50.0,0.0,15.0,0.0,-10.0]"), std::string::npos)
      << info;

  // XYZ output lists node position and value, top row first.
  std::istringstream xyz(run("gdal_translate -q -of XYZ '" + path + "' /vsistdout/"));
  const double expected[6][3] = {{0, 10, 4},    {50, 10, 5}, {100, 10, 6.5},
                                 {0, 0, -1.25}, {50, 0, 2},  {100, 0, 0}};
  for (const auto& e : expected) {
    double x = -1, y = -1, z = -1;
    ASSERT_TRUE(xyz >> x >> y >> z);
    EXPECT_DOUBLE_EQ(x, e[0]);
    EXPECT_DOUBLE_EQ(y, e[1]);
    EXPECT_DOUBLE_EQ(z, e[2]);
  }
  fs::remove(path);
}

// Random text after the magic bytes: every read ends with a defined result and a consistent grid.
TEST(GridFile, RandomTextNeverGivesInconsistentGrid) {
  const std::string path = tempPath("random.grd");
  const char* words[] = {"3", "-2", "0", "1e9", "nan", "inf", "x", "2.5", "\n", "99999999999", "-"};
  unsigned seed = 12345;
  for (int round = 0; round < 300; ++round) {
    std::string text = "DSAA";
    for (int k = 0; k < 12; ++k) {
      seed = seed * 1103515245u + 12345u;
      text += ' ';
      text += words[(seed >> 16) % (sizeof words / sizeof *words)];
    }
    spit(path, text);
    GridData g;
    const GrdReadStatus s = present::readGrdFile(path, g);
    ASSERT_TRUE(s == GrdReadStatus::Ok || s == GrdReadStatus::AllocFailed ||
                s == GrdReadStatus::BadHeader || s == GrdReadStatus::BadLimits ||
                s == GrdReadStatus::BadCount)
        << text;
    EXPECT_EQ(g.z.size(), static_cast<std::size_t>(g.nx) * static_cast<std::size_t>(g.ny)) << text;
  }
  fs::remove(path);
}

// The one-pass number scanner reads what "%lld" / "%f" read, including the rarer forms.
TEST(GridFile, ScansNumbersLikeTheCLibrary) {
  const std::string path = tempPath("forms.grd");
  spit(path, "DSAA +3 2\t0 +2.5e1\n0 1 -1 1 +5 0x10 -.5e-1 nan 1e-50 1e39");
  GridData g;
  present::GrdReadDetails d;
  ASSERT_EQ(present::readGrdFile(path, g, &d), GrdReadStatus::Ok);
  EXPECT_EQ(g.nx, 3);
  EXPECT_EQ(g.xmax, 25.0);
  EXPECT_EQ(g.z[0], 5.0f);
  EXPECT_EQ(g.z[1], 16.0f);  // hexadecimal
  EXPECT_EQ(g.z[2], -0.05f);
  EXPECT_TRUE(std::isnan(g.z[3]));
  EXPECT_EQ(g.z[5], INFINITY);  // out of range saturates as strtof does
  EXPECT_TRUE(d.headerComplete());
  EXPECT_EQ(d.values_read, 6u);
  fs::remove(path);
}

// Limits are read in double: a CGCS2000 zone coordinate keeps its last metre and its decimals.
TEST(GridFile, ProjectedCoordinatesSurviveTheRoundTrip) {
  const std::string path = tempPath("cgcs.grd");
  GridData g;
  g.nx = 2;
  g.ny = 2;
  g.xmin = 38512345.25;
  g.xmax = 38512355.25;
  g.ymin = 3512345.5;
  g.ymax = 3512355.5;
  g.z = {1, 2, 3, 4};
  g.zmax = 4;
  ASSERT_TRUE(present::writeGrdFile(g, path));
  EXPECT_EQ(slurp(path).substr(0, 53), "DSAA\n2 2\n38512345.25 38512355.25\n3512345.5 3512355.5\n");
  GridData r;
  ASSERT_EQ(present::readGrdFile(path, r), GrdReadStatus::Ok);
  EXPECT_EQ(r.xmin, g.xmin);
  EXPECT_EQ(r.ymax, g.ymax);
  fs::remove(path);
}

TEST(GridFile, DevicesFifosAndDirectoriesEndPromptly) {
  GridData g;
  present::GrdReadDetails d;
  EXPECT_EQ(present::readGrdFile("/dev/zero", g, &d), GrdReadStatus::NotRegular);
  EXPECT_EQ(present::grdReadMessage(GrdReadStatus::NotRegular, "/dev/zero", &d),
            "/dev/zero 不是网格文件（它是字符设备）");
  EXPECT_EQ(present::readGrdFile(fs::temp_directory_path().string(), g), GrdReadStatus::NotRegular);
  const std::string fifo = tempPath("fifo.grd");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  EXPECT_EQ(present::readGrdFile(fifo, g), GrdReadStatus::NotRegular);  // must not block
  fs::remove(fifo);
}

// The writer is atomic: a target it may not replace (a folder, a FIFO, /dev/full) is refused
// with a reason and left as it was.
TEST(GridFile, WriterRefusesSpecialTargets) {
  GridData g;
  g.nx = g.ny = 1;
  g.z = {1};
  const std::string fifo = tempPath("out_fifo.grd");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  for (const std::string& target :
       {fifo, std::string("/dev/full"), fs::temp_directory_path().string()}) {
    std::string why;
    EXPECT_FALSE(present::writeGrdFile(g, target, &why)) << target;
    EXPECT_NE(why.find(target), std::string::npos) << why;
  }
  EXPECT_TRUE(fs::is_fifo(fifo));
  fs::remove(fifo);
}
