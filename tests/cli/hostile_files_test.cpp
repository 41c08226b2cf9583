// Hostile project files, unit tables and write targets given to the command-line program: each
// run must end within a few seconds and a modest amount of memory, with the expected exit status
// and a message saying what is wrong.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <sstream>
#include <thread>

namespace fs = std::filesystem;

namespace {

struct ProgramRun {
  int status = -1;  // exit status, -1 when killed for taking too long
  std::string out, err;
  double seconds = 0;
  long peak_kb = 0;
};

std::string readAll(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::ostringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

// Runs the command-line program with `args` (and TMPDIR set when given), killed after 20 s.
ProgramRun runProgram(const fs::path& dir, const std::vector<std::string>& args,
                      const std::string& tmpdir = {}) {
  const fs::path out = dir / "stdout", err = dir / "stderr";
  const auto start = std::chrono::steady_clock::now();
  const pid_t pid = ::fork();
  if (pid == 0) {
    if (!tmpdir.empty()) ::setenv("TMPDIR", tmpdir.c_str(), 1);
    const int o = ::open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const int e = ::open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    ::dup2(o, 1);
    ::dup2(e, 2);
    const std::string program = std::string(KUVA_BIN_DIR) + "/kuvacalc-cli";
    std::vector<char*> argv{const_cast<char*>(program.c_str())};
    for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    ::execv(program.c_str(), argv.data());
    ::_exit(127);
  }
  ProgramRun r;
  int status = 0;
  rusage ru{};
  for (;;) {
    if (::wait4(pid, &status, WNOHANG, &ru) == pid) break;
    if (std::chrono::steady_clock::now() - start > std::chrono::seconds(20)) {
      ::kill(pid, SIGKILL);
      ::wait4(pid, &status, 0, &ru);
      r.out = readAll(out);
      r.err = readAll(err);
      return r;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  r.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  r.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  r.peak_kb = ru.ru_maxrss;
  r.out = readAll(out);
  r.err = readAll(err);
  return r;
}

struct TempDir {
  fs::path path;
  TempDir() {
    path = fs::temp_directory_path() / ("kuva_hostile_" + std::to_string(::getpid()));
    fs::remove_all(path);
    fs::create_directories(path);
  }
  ~TempDir() {
    std::error_code ec;
    fs::remove_all(path, ec);
  }
};

void writeFile(const fs::path& p, const std::string& bytes) {
  std::ofstream(p, std::ios::binary) << bytes;
}

// head, then nth(0) ... nth(count - 1), then tail.
std::string joined(const std::string& head, size_t count,
                   const std::function<std::string(size_t)>& nth, const std::string& tail) {
  std::string s = head;
  for (size_t i = 0; i < count; ++i) s += nth(i);
  return s + tail;
}

std::string sep(size_t i) { return i ? "," : ""; }

}  // namespace

TEST(HostileFiles, RefusedQuicklyWithAMessage) {
  TempDir tmp;
  const fs::path& d = tmp.path;
  const std::string fifo = (d / "fifo").string();
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  fs::create_directory(d / "folder");
  {
    // 100 MB without using the disk.
    std::ofstream(d / "huge").close();
    fs::resize_file(d / "huge", 100u << 20);
  }
  auto file = [&d](const std::string& name, const std::string& bytes) {
    writeFile(d / name, bytes);
    return (d / name).string();
  };
  // About 1 MB each: 100,000 empty calculators, 80,000 keys of one calculator, nesting 500,000
  // deep, 500,000 numbers; a table of 50,000 kinds and one of 90,000 units.
  const std::string calcs =
      file("calcs.kuva",
           joined(R"({"calculators":{)", 100000,
                  [](size_t i) { return sep(i) + "\"c" + std::to_string(i) + "\":{}"; }, "}}"));
  const std::string keys =
      file("keys.kuva",
           joined(R"({"calculators":{"sewage":{)", 80000,
                  [](size_t i) { return sep(i) + "\"k" + std::to_string(i) + "\":\"1\""; }, "}}}"));
  const std::string deep = file("deep.kuva", std::string(500000, '[') + std::string(500000, ']'));
  const std::string flat =
      file("flat.kuva", joined(
                            "[", 500000, [](size_t i) { return sep(i) + "0"; }, "]"));
  const std::string kinds = file(
      "kinds.ini",
      joined(
          "", 50000, [](size_t i) { return "[k" + std::to_string(i) + "][1][a]=[2][b]\n"; }, ""));
  const std::string many_units = file("units.ini", joined(
                                                       "", 90000,
                                                       [](size_t i) {
                                                         return "[k" + std::to_string(i % 9000) +
                                                                "][1][a]=[2][u" +
                                                                std::to_string(i) + "]\n";
                                                       },
                                                       ""));
  const std::string bad_factors =
      file("bad.ini",
           "[长度][1][米]=[100][厘米]\n[长度][1][米]=[-1][负]\n[长度][1][米]=[inf][无穷]\n"
           "[长度][1][米]=[nan][非数]\n[长度][0][米]=[1][零]\n");

  struct Case {
    std::vector<std::string> args;
    int status;
    std::string message;  // on stderr or stdout
  };
  const std::vector<Case> cases = {
      {{"project", file("big_number.kuva", R"({"calculators":{"sewage":{"N":1e400}}})")},
       2,
       "工程文件已损坏"},
      {{"project", file("twice.kuva", R"({"calculators":{"sewage":{"N":"1","N":"2"}}})")},
       2,
       "工程文件已损坏"},
      {{"project", file("twice_calc.kuva", R"({"calculators":{"sewage":{},"sewage":{}}})")},
       2,
       "出现了两次"},
      {{"project", (d / "folder").string()}, 2, "不是工程文件"},
      {{"project", fifo}, 2, "不是工程文件"},
      {{"project", "/dev/zero"}, 2, "不是工程文件"},
      {{"project", (d / "huge").string()}, 2, "文件过大"},
      {{"project", calcs}, 2, "计算器超过"},
      {{"project", keys}, 2, "字段超过"},
      {{"project", deep}, 2, "工程文件已损坏"},
      {{"project", flat}, 2, "没有计算器输入"},
      {{"run", "units", "table=" + (d / "folder").string()}, 1, "不是单位表文件"},
      {{"run", "units", "table=" + fifo}, 1, "不是单位表文件"},
      {{"run", "units", "table=/dev/zero"}, 1, "不是单位表文件"},
      {{"run", "units", "table=" + (d / "huge").string()}, 1, "文件过大"},
      {{"run", "units", "--action", "list", "table=" + kinds}, 1, "超过10000种"},
      {{"run", "units", "--action", "list", "table=" + many_units}, 1, "单位超过50000个"},
      {{"run", "units", "to=负", "table=" + bad_factors}, 1, "第2行：单位“负”的换算值“-1”不是正数"},
      {{"run", "units", "to=无穷", "table=" + bad_factors}, 1, "第3行"},
      {{"run", "units", "to=非数", "table=" + bad_factors}, 1, "第4行"},
      {{"run", "units", "from=厘米", "to=零", "table=" + bad_factors}, 1, "第5行"},
      {{"run", "units", "value=5", "to=厘米", "table=" + bad_factors}, 0, "5 米 = 500 厘米"},
  };
  for (const auto& c : cases) {
    const ProgramRun r = runProgram(d, c.args);
    std::string what;
    for (const auto& a : c.args) what += a + " ";
    EXPECT_EQ(r.status, c.status) << what << "\n" << r.err << r.out;
    EXPECT_NE((r.err + r.out).find(c.message), std::string::npos) << what << "\n" << r.err;
    EXPECT_LT(r.seconds, 3.0) << what;
    EXPECT_LT(r.peak_kb, 200 * 1024) << what;
  }
  // The listing of a large table grows with its size, not with its square: 9,999 kinds of four
  // units each.
  const ProgramRun list = runProgram(
      d, {"run", "units", "--action", "list",
          "table=" + file("fine.ini", joined(
                                          "", 40000,
                                          [](size_t i) {
                                            return "[k" + std::to_string(i % 9999) +
                                                   "][1][a]=[2][u" + std::to_string(i) + "]\n";
                                          },
                                          ""))});
  EXPECT_EQ(list.status, 0) << list.err;
  EXPECT_NE(list.out.find("k9998: a u9998 u19997 u29996 u39995"), std::string::npos);
  EXPECT_LT(list.seconds, 3.0);
}

TEST(HostileFiles, ProjectNamesTemporaryFolderAndSavedResults) {
  TempDir tmp;
  const fs::path& d = tmp.path;
  // A file name that is not UTF-8 ("工程" in GBK) still gives valid JSON, with replacement marks.
  const fs::path gbk = d / "\xb9\xa4\xb3\xcc.kuva";
  writeFile(gbk, R"({"calculators":{"sludge":{"Q":"1000","V":"4000"}}})");
  const ProgramRun named = runProgram(d, {"project", gbk.string(), "--json"});
  EXPECT_EQ(named.status, 0) << named.err;
  EXPECT_NE(named.out.find("\"project\": \""), std::string::npos) << named.out;
  EXPECT_NE(named.out.find("\xEF\xBF\xBD"), std::string::npos) << named.out;
  // A saved result (sludge.V) is not reported as unknown.
  EXPECT_EQ(named.err.find("unknown"), std::string::npos) << named.err;

  // A text starting with '@' needs the temporary folder: missing or unwritable, it is said so.
  const std::string at = std::string(KUVA_TEST_DATA_DIR) + "/project/at_text.kuva";
  for (const std::string& dir : {(d / "none").string(), std::string("/proc")}) {
    const ProgramRun r = runProgram(d, {"project", at}, dir);
    EXPECT_EQ(r.status, 1) << dir << r.err;
    EXPECT_NE(r.err.find("无法传递以“@”开头的文本"), std::string::npos) << dir << r.err;
  }
}

TEST(HostileFiles, SheetTargetMustBeARegularFile) {
  TempDir tmp;
  const fs::path& d = tmp.path;
  const ProgramRun empty = runProgram(d, {"run", "sewage", "--sheet", ""});
  EXPECT_EQ(empty.status, 2);
  EXPECT_NE(empty.err.find("--sheet 需要一个文件名"), std::string::npos) << empty.err;

  const std::string fifo = (d / "sheet.html").string();
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  const ProgramRun r = runProgram(d, {"run", "sewage", "--sheet", fifo});
  EXPECT_EQ(r.status, 1) << r.err;
  EXPECT_TRUE(fs::is_fifo(fifo));
}

namespace {

// Every file of a folder with its bytes (a FIFO as "<fifo>"), to show a run changed nothing.
std::map<std::string, std::string> snapshot(const fs::path& dir) {
  std::map<std::string, std::string> files;
  for (const auto& e : fs::directory_iterator(dir))
    files[e.path().filename().string()] = e.is_fifo() ? "<fifo>" : readAll(e.path());
  return files;
}

std::string feature(const std::string& geometry, const std::string& properties) {
  return R"({"type": "Feature", "geometry": )" + geometry + R"(, "properties": )" + properties +
         "}";
}

std::string scene(const std::vector<std::string>& features, const std::string& settings = "{}") {
  std::string s =
      R"({"type": "FeatureCollection", "noise_scene": )" + settings + R"(, "features": [)";
  for (std::size_t i = 0; i < features.size(); ++i) s += (i ? ", " : "") + features[i];
  return s + "]}";
}

}  // namespace

// Hostile scenes, grids and output targets of the noise engine and the contour command: each
// ends promptly with its exit status and a message naming what is wrong, and leaves every file
// beside it as it was.
TEST(HostileFiles, NoiseEngineInputsAndOutputs) {
  TempDir tmp;
  const fs::path w = tmp.path / "work";
  fs::create_directory(w);
  auto file = [&w](const std::string& name, const std::string& bytes) {
    writeFile(w / name, bytes);
    return (w / name).string();
  };
  const std::string lw = "[90, 90, 90, 90, 90, 90, 90, 90]";
  const std::string source =
      feature(R"({"type": "Point", "coordinates": [0, 0]})",
              R"({"kind": "point_source", "name": "S", "h": 1, "lw": )" + lw + "}");
  const std::string receptor = feature(R"({"type": "Point", "coordinates": [50, 0]})",
                                       R"({"kind": "receptor", "name": "R", "h": 1.2})");
  const std::string grid = feature(
      R"({"type": "Polygon", "coordinates": [[[-20, -20], [80, -20], [80, 20], [-20, 20]]]})",
      R"({"kind": "grid", "spacing": 10})");
  const std::string good = file("good.geojson", scene({source, receptor, grid}));
  file("flat.grd", "DSAA 2 2 -100 100 -100 100 0 0 0 0 0 0");
  file("huge.grd", "DSAA 2 2 -1e39 1e39 -1e39 1e39 0 0 0 0 0 0");
  file("short.grd", "DSAA 3 3 -100 100 -100 100 0 0 0 0 0");
  ASSERT_EQ(::mkfifo((w / "fifo.grd").c_str(), 0600), 0);
  auto withTerrain = [&](const std::string& name, const std::string& grd) {
    return file(name, scene({source, receptor, grid}, R"({"terrain": ")" + grd + "\"}"));
  };
  const std::string on_terrain = withTerrain("terrain.geojson", "flat.grd");
  fs::create_hard_link(good, w / "hardlink.grd");
  const std::string night_silent = file(
      "night.txt",
      R"({"scene": )" +
          scene({feature(R"({"type": "Point", "coordinates": [0, 0]})",
                         R"({"kind": "point_source", "h": 1, "hours_night": 0, "lw": )" + lw + "}"),
                 receptor}) +
          "}");
  const std::string deep_text = R"({"type": "FeatureCollection", "crs": )" +
                                std::string(100000, '[') + std::string(100000, ']') + "}";
  const std::string deep = file("deep.geojson", deep_text);
  const std::string deep_stored = file("deep.txt", R"({"scene": )" + deep_text + "}");
  const std::string deep_project =
      file("deep.kuva", R"({"calculators": {"noise_map": {"scene": "{\"scene\": )" +
                            std::string(100000, '[') + std::string(100000, ']') + R"(}"}}})");

  struct Case {
    std::vector<std::string> args;
    int status;
    std::string message;  // on stderr or stdout
  };
  const std::vector<Case> cases = {
      {{"noise-map", deep}, 2, "嵌套超过 64 层"},
      {{"run", "noise_map", "scene=@" + deep_stored}, 1, "嵌套超过 64 层"},
      {{"project", deep_project}, 1, "嵌套超过 64 层"},
      {{"noise-map", withTerrain("huge.geojson", "huge.grd")}, 2, "huge.grd：网格范围不是有限的数"},
      {{"noise-map", withTerrain("fifo.geojson", "fifo.grd")}, 2, "fifo.grd 不是网格文件"},
      {{"noise-map", withTerrain("short.geojson", "short.grd")},
       2,
       "只读到 3 个数值，应为 nx × ny = 9 个"},
      {{"noise-map",
        file("line.geojson",
             scene({feature(R"({"type": "LineString", "coordinates": [[-9e307, 0], [9e307, 0]]})",
                            R"({"kind": "line_source", "name": "L", "lw": )" + lw + "}"),
                    receptor}))},
       2,
       "声源第1行（“L”）：坐标超出±1e+09 m"},
      {{"noise-map",
        file("opening.geojson",
             scene({feature(
                        R"({"type": "Polygon", "coordinates": [[[0, 0], [9, 0], [9, 9], [0, 9]]]})",
                        R"({"kind": "room", "name": "r", "height": 5, "l1": )" + lw + "}"),
                    feature(
                        R"({"type": "LineString", "coordinates": [[-1e308, 0], [1e308, 0]]})",
                        R"({"kind": "opening", "room": "r", "z0": 0, "z1": 2, "tl": )" + lw + "}"),
                    receptor}))},
       2,
       "开口第1行：坐标超出±1e+09 m"},
      {{"noise-map",
        file("loud.geojson",
             scene({feature(R"({"type": "Point", "coordinates": [0, 0]})",
                            R"({"kind": "point_source", "lw": [300, 90, 90, 90, 90, 90, 90, 90]})"),
                    receptor}))},
       2,
       "声源第1行：声功率级lw有超出±250 dB的声级（300）"},
      {{"noise-map", file("tall.geojson",
                          scene({feature(R"({"type": "Point", "coordinates": [0, 0]})",
                                         R"({"kind": "point_source", "h": 2e4, "lw": )" + lw + "}"),
                                 receptor}))},
       2,
       "声源第1行：高度h超过10000 m（20000）"},
      {{"noise-map", good, "--grid", good}, 2, "是本次计算读取的文件"},
      {{"noise-map", on_terrain, "--grid", (w / "flat.grd").string()}, 2, "是本次计算读取的文件"},
      {{"noise-map", good, "--grid", (w / "hardlink.grd").string()}, 2, "是本次计算读取的文件"},
      {{"noise-map", good, "--grid", (w / "a.grd").string(), "--grid-night",
        (w / "a.grd").string()},
       2,
       "是同一个文件"},
      {{"noise-map", good, "--grid", "/dev/full"}, 1, "不是普通文件"},
      {{"noise-map", good, "--json", "--grid", (w / "fifo.grd").string()}, 1, "不是普通文件"},
      {{"contour", (w / "huge.grd").string()}, 1, "网格范围不是有限的数"},
      {{"contour", (w / "fifo.grd").string()}, 1, "不是网格文件"},
      {{"contour", (w / "short.grd").string()}, 1, "只读到 3 个数值"},
      {{"run", "noise_map", "scene=@" + night_silent}, 0, "R\t54.1\t-\t"},
  };
  const auto before = snapshot(w);
  for (const auto& c : cases) {
    const ProgramRun r = runProgram(tmp.path, c.args);
    std::string what;
    for (const auto& a : c.args) what += a + " ";
    EXPECT_EQ(r.status, c.status) << what << "\n" << r.err << r.out;
    EXPECT_NE((r.err + r.out).find(c.message), std::string::npos) << what << "\n" << r.err;
    EXPECT_LT(r.seconds, 3.0) << what;
    EXPECT_TRUE(snapshot(w) == before) << what << ": a file beside the run was changed";
    // Messages go to standard error: the JSON on standard output stays whole.
    if (c.args.size() > 2 && c.args[2] == "--json") {
      EXPECT_EQ(r.out.find("error"), std::string::npos) << r.out;
      EXPECT_EQ(r.out.rfind("{", 0), 0u) << r.out;
    }
  }
  // A sound run at CGCS2000 zone coordinates (zone 38 in front) writes its grid limits in full:
  // "%g" gave 3.85123e+07, 45 m off.
  const std::string zone = file(
      "zone.geojson",
      scene({feature(R"({"type": "Point", "coordinates": [38512345, 3512345]})",
                     R"({"kind": "point_source", "h": 1, "lw": )" + lw + "}"),
             feature(R"({"type": "Polygon", "coordinates": [[[38512325.5, 3512325], )"
                     R"([38512425.5, 3512325], [38512425.5, 3512365], [38512325.5, 3512365]]]})",
                     R"({"kind": "grid", "spacing": 10})")}));
  const std::string out = (w / "day.grd").string();
  const ProgramRun ok = runProgram(tmp.path, {"noise-map", zone, "--grid", out});
  EXPECT_EQ(ok.status, 0) << ok.err;
  EXPECT_EQ(readAll(out).substr(0, 50), "DSAA\n11 5\n38512325.5 38512425.5\n3512325 3512365\n0 ");
  // A night without running sources is a grid of "-inf" with finite limits: read back as one.
  const std::string night_grid = (w / "night.grd").string();
  const std::string quiet = file(
      "quiet.geojson",
      scene({feature(R"({"type": "Point", "coordinates": [0, 0]})",
                     R"({"kind": "point_source", "h": 1, "hours_night": 0, "lw": )" + lw + "}"),
             grid}));
  EXPECT_EQ(runProgram(tmp.path, {"noise-map", quiet, "--grid-night", night_grid}).status, 0);
  EXPECT_EQ(runProgram(tmp.path, {"contour", night_grid}).status, 0) << readAll(night_grid);
}
