// The contour command and its JSON / GeoJSON output.
#include "present/contour_export.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <random>
#include <sstream>

#include "core/format.h"

namespace fs = std::filesystem;

namespace {

struct CommandRun {
  int code;
  std::string out, err;
};

CommandRun run(std::vector<std::string> args) {
  std::ostringstream out, err;
  const int code = present::runContourCommand(args, out, err);
  return {code, out.str(), err.str()};
}

// A 3 × 3 bump over x 0..2, y 0..2 with its peak 1 in the middle.
std::string bumpFile() {
  const std::string path =
      (fs::temp_directory_path() / ("kuva_bump_" + std::to_string(::getpid()) + ".grd")).string();
  std::ofstream(path) << "DSAA\n3 3\n0 2\n0 2\n0 1\n0 0 0\n0 1 0\n0 0 0\n";
  return path;
}

}  // namespace

TEST(ContourExport, ShortestFloatText) {
  EXPECT_EQ(present::formatFloatShortest(0.1f), "0.1");
  EXPECT_EQ(present::formatFloatShortest(0.999f), "0.999");
  EXPECT_EQ(present::formatFloatShortest(12345.67f), "12345.67");
  EXPECT_EQ(present::formatFloatShortest(-3e-7f), "-3e-07");
  EXPECT_EQ(present::formatFloatShortest(1.0f / 3), "0.33333334");
  EXPECT_EQ(present::formatFloatShortest(std::nanf("")), "null");
}

TEST(ContourCommand, JsonListsLinesPerLevel) {
  const std::string path = bumpFile();
  const CommandRun r = run({path, "--levels", "0.5,2", "--json"});
  EXPECT_EQ(r.code, 0) << r.err;
  EXPECT_EQ(r.out,
            "{\"levels\": [0.5, 2], \"lines\": [[[[1, 0.5], [1.5, 1], [1, 1.5], [0.5, 1], "
            "[1, 0.5]]], []]}\n");
  fs::remove(path);
}

TEST(ContourCommand, DefaultLevelsAsTextAndGeoJson) {
  const std::string path = bumpFile();
  CommandRun r = run({path});
  EXPECT_EQ(r.code, 0) << r.err;
  // Levels accumulated in single precision print as the floats they are.
  EXPECT_EQ(r.out.substr(0, r.out.find('\n')),
            "levels: 0 0.1 0.2 0.3 0.4 0.5 0.6 0.70000005 0.8000001 0.9000001");
  EXPECT_NE(r.out.find("level 0: 0 lines\nlevel 0.1: 1 lines\n1,0.1 1.9,1 1,1.9 0.1,1 1,0.1\n"),
            std::string::npos)
      << r.out;

  r = run({"--geojson", path, "--levels", "0.5"});
  EXPECT_EQ(r.code, 0) << r.err;
  EXPECT_EQ(r.out,
            "{\"type\": \"FeatureCollection\", \"features\": [\n"
            "{\"type\": \"Feature\", \"properties\": {\"level\": 0.5}, \"geometry\": "
            "{\"type\": \"LineString\", \"coordinates\": [[1, 0.5], [1.5, 1], [1, 1.5], "
            "[0.5, 1], [1, 0.5]]}}\n]}\n");
  fs::remove(path);
}

TEST(ContourCommand, UsageErrorsNameTheBadWord) {
  const struct {
    std::vector<std::string> args;
    std::string message;
  } cases[] = {
      {{}, "缺少网格文件"},
      {{"a.grd", "--levels", "0.1,abc"}, "levels：“abc”不是数字"},
      {{"a.grd", "--levels", "0.1,,0.3"}, "levels：“”为空"},
      {{"a.grd", "--levels", "1e39"}, "levels：“1e39”超出范围"},
      {{"a.grd", "--levels"}, "--levels 需要一列数值"},
      {{"a.grd", "--json", "--geojson"}, "--geojson：--json 与 --geojson 只能选一个"},
      {{"a.grd", "--svg"}, "未知选项：--svg"},
      {{"a.grd", "b.grd"}, "多余的参数：b.grd"},
  };
  for (const auto& c : cases) {
    const CommandRun r = run(c.args);
    EXPECT_EQ(r.code, 2) << c.message;
    EXPECT_EQ(r.err.substr(0, r.err.find('\n')), c.message);
    EXPECT_TRUE(r.out.empty());
  }
}

TEST(ContourCommand, UnreadableFileExitsOne) {
  const CommandRun r = run({"/nonexistent/result.grd"});
  EXPECT_EQ(r.code, 1);
  EXPECT_EQ(r.err, "错误：Open/nonexistent/result.grderror!!\n");
}

namespace {

std::string tempGrid(const std::string& name, const std::string& text) {
  const std::string path =
      (fs::temp_directory_path() / ("kuva_" + name + "_" + std::to_string(::getpid()) + ".grd"))
          .string();
  std::ofstream(path, std::ios::binary) << text;
  return path;
}

// The layout the export has always used: the first of %.6g, %.7g, %.8g that reads back, else
// %.9g.
std::string printfShortest(float v) {
  for (int digits = 6; digits < 9; ++digits) {
    std::string s = core::cformat("%.*g", digits, static_cast<double>(v));
    if (std::strtof(s.c_str(), nullptr) == v) return s;
  }
  return core::cformat("%.9g", static_cast<double>(v));
}

// A stream buffer that keeps only counts: the total and the largest single write.
class CountingBuffer : public std::streambuf {
 public:
  std::size_t total = 0, largest = 0, writes = 0;

 protected:
  std::streamsize xsputn(const char*, std::streamsize n) override {
    const auto u = static_cast<std::size_t>(n);
    total += u;
    largest = std::max(largest, u);
    ++writes;
    return n;
  }
  int_type overflow(int_type c) override {
    ++total;
    return c;
  }
};

// An n x n checkerboard of 0 and 1: every interior node is ringed by its own closed line.
std::string checkerboard(int n) {
  std::string text = "DSAA " + std::to_string(n) + " " + std::to_string(n) + " 0 " +
                     std::to_string(n - 1) + " 0 " + std::to_string(n - 1) + " 0 1\n";
  for (int i = 0; i < n; ++i) {
    for (int j = 0; j < n; ++j) text += (i + j) % 2 ? "1 " : "0 ";
    text += '\n';
  }
  return text;
}

}  // namespace

TEST(ContourExport, ShortestTextKeepsThePrintfLayout) {
  for (float v : {0.0f, -0.0f, 1.0f, 100000.0f, 1.0e6f, 1234567.0f, 0.0001f, 0.00001f, 1.5e-5f,
                  123456.7f, 3.4028235e38f, 1.4e-45f, -2.5e-12f, 65504.0f, 0.30000001f})
    EXPECT_EQ(present::formatFloatShortest(v), printfShortest(v)) << v;
  std::mt19937 rng(20260101);
  std::uniform_int_distribution<std::uint32_t> bits;
  for (int i = 0; i < 200000; ++i) {
    const std::uint32_t b = bits(rng);
    float v;
    std::memcpy(&v, &b, sizeof v);
    if (!std::isfinite(v)) continue;
    ASSERT_EQ(present::formatFloatShortest(v), printfShortest(v)) << b;
  }
}

TEST(ContourCommand, UnreadableHeaderFailsWithTheReadersMessage) {
  for (const char* text : {"DSAA", "DSAA\nthree 3\n", "DSAA 2 2 0 1"}) {
    const std::string path = tempGrid("header", text);
    const CommandRun r = run({path, "--geojson"});
    EXPECT_EQ(r.code, 1) << text;
    EXPECT_EQ(r.err, "错误：" + present::grdHeaderMessage(path) + "\n") << text;
    EXPECT_TRUE(r.out.empty()) << text;
    fs::remove(path);
  }
}

TEST(ContourCommand, ShortBodyIsRefusedNamingTheFile) {
  const std::string path = tempGrid("short", "DSAA\n3 3\n0 2\n0 2\n0 1\n0 0 0\n0 1\n");
  const CommandRun r = run({path, "--levels", "0.5", "--json"});
  EXPECT_EQ(r.code, 1);
  EXPECT_EQ(r.err, "错误：" + path + "：只读到 5 个数值，应为 nx × ny = 9 个\n");
  EXPECT_TRUE(r.out.empty());
  fs::remove(path);
}

// A grid at CGCS2000 zone coordinates (zone 38 in front of the easting): GeoJSON keeps every
// metre and the decimals, where single precision was 4 m coarse.
TEST(ContourCommand, ProjectedCoordinatesInFull) {
  const std::string path = tempGrid(
      "cgcs", "DSAA\n3 3\n38512345 38512365\n3512345.5 3512365.5\n0 1\n0 0 0\n0 1 0\n0 0 0\n");
  const CommandRun r = run({path, "--levels", "0.5", "--geojson"});
  EXPECT_EQ(r.code, 0) << r.err;
  EXPECT_NE(r.out.find("\"coordinates\": [[38512355, 3512350.5], [38512360, 3512355.5], "
                       "[38512355, 3512360.5], [38512350, 3512355.5], [38512355, 3512350.5]]"),
            std::string::npos)
      << r.out;
  fs::remove(path);
}

// Streamed output is the same document as the one written from a traced set, and it is valid
// JSON for a general parser.
TEST(ContourExport, StreamedOutputEqualsTheTracedSet) {
  present::GridData g;
  g.nx = 40;
  g.ny = 30;
  g.xmin = -5;
  g.xmax = 7;
  g.ymin = 100;
  g.ymax = 130;
  for (int i = 0; i < g.ny; ++i)
    for (int j = 0; j < g.nx; ++j)
      g.z.push_back(std::sin(0.4f * static_cast<float>(j)) *
                    std::cos(0.3f * static_cast<float>(i)));
  present::ContourSet set(g);
  for (float v : {-0.5f, 0.0f, 0.25f, 0.7f}) set.levels().insert(v);
  ASSERT_TRUE(set.traceAll());

  std::ostringstream traced, streamed, tracedJson, streamedJson;
  present::writeContourGeoJson(traced, set);
  present::streamContourGeoJson(streamed, g, set.levels());
  EXPECT_EQ(streamed.str(), traced.str());
  present::writeContourJson(tracedJson, set);
  present::streamContourJson(streamedJson, g, set.levels());
  EXPECT_EQ(streamedJson.str(), tracedJson.str());

  const auto doc = nlohmann::json::parse(streamed.str());
  std::size_t lines = 0;
  for (const auto& level : set.lines()) lines += level.size();
  ASSERT_EQ(doc["features"].size(), lines);
  EXPECT_GT(lines, 10u);
  const auto& first = doc["features"][0];
  EXPECT_EQ(first["geometry"]["type"], "LineString");
  EXPECT_FLOAT_EQ(first["properties"]["level"].get<float>(), -0.5f);
  EXPECT_EQ(first["geometry"]["coordinates"][0][0].get<double>(), set.lines()[0][0].points[0].x);
  EXPECT_EQ(nlohmann::json::parse(streamedJson.str())["lines"].size(), 4u);
}

// A checkerboard gives far more text than the grid: it goes out in blocks of at most 1 MiB.
TEST(ContourCommand, LargeOutputIsWrittenInBlocks) {
  const std::string path = tempGrid("checker", checkerboard(300));
  CountingBuffer counter;
  std::ostream out(&counter);
  std::ostringstream err;
  EXPECT_EQ(present::runContourCommand({path, "--levels", "0.5", "--geojson"}, out, err), 0)
      << err.str();
  EXPECT_GT(counter.total, 2u << 20);
  EXPECT_LE(counter.largest, 1u << 20);
  EXPECT_LT(counter.writes, counter.total / 4096);  // blocks, not one write per number
  fs::remove(path);
}

TEST(ContourCommand, FailedOutputIsAnError) {
  const std::string path = bumpFile();
  std::ostringstream out, err;
  out.setstate(std::ios::badbit);
  EXPECT_EQ(present::runContourCommand({path, "--json"}, out, err), 1);
  EXPECT_EQ(err.str(), "错误：无法写出等值线\n");
  fs::remove(path);
}
