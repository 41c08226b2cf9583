// The contour command and its JSON / GeoJSON output.
#include "present/contour_export.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <sstream>

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
      {{}, "missing grid file"},
      {{"a.grd", "--levels", "0.1,abc"}, "levels: 'abc' is not a number"},
      {{"a.grd", "--levels", "0.1,,0.3"}, "levels: '' is empty"},
      {{"a.grd", "--levels", "1e39"}, "levels: '1e39' is out of range"},
      {{"a.grd", "--levels"}, "--levels needs a list of values"},
      {{"a.grd", "--json", "--geojson"}, "--geojson: only one of --json and --geojson"},
      {{"a.grd", "--svg"}, "unknown option: --svg"},
      {{"a.grd", "b.grd"}, "unexpected argument: b.grd"},
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
  EXPECT_EQ(r.err, "ERROR: Open/nonexistent/result.grderror!!\n");
}
