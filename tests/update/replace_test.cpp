// Ending the running program by its exact executable and replacing it with rollback, on real
// files and processes in a temporary folder.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "update/replace.h"

namespace fs = std::filesystem;
using namespace update;

namespace {

struct TempDir {
  fs::path path;
  TempDir() {
    path = fs::temp_directory_path() /
           ("kuva-replace-" + std::to_string(::getpid()) + "-" + std::to_string(counter()++));
    fs::create_directories(path);
  }
  ~TempDir() {
    std::error_code ec;
    fs::permissions(path, fs::perms::owner_all, fs::perm_options::add, ec);
    fs::remove_all(path, ec);
  }
  static int& counter() {
    static int n = 0;
    return n;
  }
};

void writeFile(const fs::path& p, const std::string& text) { std::ofstream(p) << text; }

std::string readFile(const fs::path& p) {
  std::ifstream in(p);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

// Starts `exe` with one argument, returns its pid.
pid_t spawn(const fs::path& exe, const char* arg) {
  const pid_t pid = ::fork();
  if (pid == 0) {
    ::execl(exe.c_str(), exe.c_str(), arg, static_cast<char*>(nullptr));
    ::_exit(127);
  }
  return pid;
}

// Reaps the child in the background so it does not linger as a zombie.
void reapLater(pid_t pid) {
  std::thread([pid] { ::waitpid(pid, nullptr, 0); }).detach();
}

bool waitFor(const std::function<bool()>& cond) {
  for (int i = 0; i < 250; ++i) {
    if (cond()) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return cond();
}

}  // namespace

TEST(UpdateEnd, EndsOnlyTheProcessRunningThatExactFile) {
  TempDir dir;
  const fs::path program = dir.path / "kuvacalc";
  const fs::path sibling = dir.path / "kuvacalc-cli";  // its name contains the program's path
  fs::copy_file("/bin/sleep", program);
  fs::copy_file("/bin/sleep", sibling);
  const pid_t a = spawn(program, "30");
  const pid_t b = spawn(sibling, "30");
  reapLater(a);
  ASSERT_TRUE(waitFor([&] { return processesRunning(program).size() == 1; }));
  EXPECT_EQ(processesRunning(program).front(), a);
  EXPECT_TRUE(endProgram(program, std::chrono::milliseconds(3000)));
  EXPECT_TRUE(processesRunning(program).empty());
  EXPECT_EQ(::kill(b, 0), 0);  // the other program still runs
  ::kill(b, SIGKILL);
  ::waitpid(b, nullptr, 0);
  EXPECT_TRUE(endProgram(dir.path / "not-running"));
}

TEST(UpdateReplace, NewProgramInPlaceStartedAndBackupRemoved) {
  TempDir dir;
  const fs::path program = dir.path / "kuvacalc";
  const fs::path download = dir.path / "kuva.bf";
  writeFile(program, "old");
  fs::permissions(program, fs::perms::owner_read | fs::perms::owner_write | fs::perms::owner_exec);
  writeFile(download, "new");
  fs::path started;
  const ReplaceResult r = replaceProgram(download, program, [&](const fs::path& p) {
    started = p;
    EXPECT_EQ(readFile(p), "new");
    return true;
  });
  EXPECT_TRUE(r.ok) << r.message;
  EXPECT_EQ(started, program);
  EXPECT_EQ(readFile(program), "new");
  EXPECT_NE(fs::status(program).permissions() & fs::perms::owner_exec, fs::perms::none);
  EXPECT_FALSE(fs::exists(download));
  // Nothing but the program is left in its folder.
  int files = 0;
  for ([[maybe_unused]] const auto& e : fs::directory_iterator(dir.path)) ++files;
  EXPECT_EQ(files, 1);
}

TEST(UpdateReplace, ProgramThatDoesNotStartIsRolledBack) {
  TempDir dir;
  const fs::path program = dir.path / "kuvacalc";
  const fs::path download = dir.path / "kuva.bf";
  writeFile(program, "old");
  writeFile(download, "broken");
  const ReplaceResult r = replaceProgram(download, program, [](const fs::path&) { return false; });
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(r.message, kStartFailed);
  EXPECT_EQ(readFile(program), "old");
  int files = 0;
  for ([[maybe_unused]] const auto& e : fs::directory_iterator(dir.path)) ++files;
  EXPECT_EQ(files, 2);  // the program and the download, no leftovers
}

TEST(UpdateReplace, RefusesWithoutTouchingAnything) {
  TempDir dir;
  const fs::path program = dir.path / "kuvacalc";
  writeFile(program, "old");
  bool started = false;
  const auto start = [&](const fs::path&) { return started = true; };
  EXPECT_EQ(replaceProgram(dir.path / "missing.bf", program, start).message, kDownloadMissing);
  EXPECT_EQ(replaceProgram(dir.path / "x", "", start).message, kNoProgram);
  EXPECT_EQ(replaceProgram(dir.path / "x", "relative/kuvacalc", start).message, kNoProgram);
  EXPECT_FALSE(started);
  EXPECT_EQ(readFile(program), "old");
}

TEST(UpdateReplace, ReadOnlyProgramFolderIsReported) {
  TempDir dir;
  TempDir ro;
  const fs::path download = dir.path / "kuva.bf";
  writeFile(download, "new");
  fs::path program = ro.path / "kuvacalc";
  writeFile(program, "old");
  fs::permissions(ro.path, fs::perms::owner_read | fs::perms::owner_exec);
  // The superuser may write anywhere a mode allows nothing; /proc refuses new files to anyone.
  if (::geteuid() == 0) program = "/proc/kuvacalc";
  bool started = false;
  const ReplaceResult r =
      replaceProgram(download, program, [&](const fs::path&) { return started = true; });
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(r.message, kFolderReadOnly);
  EXPECT_FALSE(started);
  EXPECT_TRUE(fs::exists(download));  // kept, so the user may try again
  EXPECT_EQ(readFile(ro.path / "kuvacalc"), "old");
}
