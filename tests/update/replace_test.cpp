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

#include "update/program_check.h"
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

void writeFile(const fs::path& p, const std::string& text) {
  std::ofstream(p, std::ios::binary) << text;
}

std::string readFile(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

// `tail` behind the ELF header of this test program: a file of this machine's format.
std::string elf(const std::string& tail) { return readFile("/proc/self/exe").substr(0, 64) + tail; }

const fs::path kStandIn = KUVA_BIN_DIR "/update_stand_in";

const auto kAnswers = [](const fs::path&) { return true; };

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
  writeFile(download, elf("new"));
  fs::path started;
  const ReplaceResult r = replaceProgram(
      download, program,
      [&](const fs::path& p) {
        started = p;
        EXPECT_EQ(readFile(p), elf("new"));
        return true;
      },
      kAnswers);
  EXPECT_TRUE(r.ok) << r.message;
  EXPECT_EQ(started, program);
  EXPECT_EQ(readFile(program), elf("new"));
  EXPECT_NE(fs::status(program).permissions() & fs::perms::owner_exec, fs::perms::none);
  EXPECT_FALSE(fs::exists(download));
  // Nothing but the program is left in its folder.
  int files = 0;
  for ([[maybe_unused]] const auto& e : fs::directory_iterator(dir.path)) ++files;
  EXPECT_EQ(files, 1);
}

TEST(UpdateReplace, ProgramThatDoesNotAnswerOrStartIsRolledBack) {
  for (const bool answers : {false, true}) {
    TempDir dir;
    const fs::path program = dir.path / "kuvacalc";
    const fs::path download = dir.path / "kuva.bf";
    writeFile(program, "old");
    writeFile(download, elf("broken"));
    bool backup_kept = false;
    bool started = false;
    const ReplaceResult r = replaceProgram(
        download, program,
        [&](const fs::path&) {
          started = true;
          return false;
        },
        [&](const fs::path& p) {
          // While the new program is tried, the old one waits beside it.
          EXPECT_EQ(readFile(p), elf("broken"));
          for (const auto& e : fs::directory_iterator(dir.path))
            backup_kept = backup_kept || readFile(e.path()) == "old";
          return answers;
        });
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.message, kStartFailed);
    EXPECT_TRUE(backup_kept);
    EXPECT_EQ(started, answers);  // one that does not answer is never started
    EXPECT_EQ(readFile(program), "old");
    int files = 0;
    for ([[maybe_unused]] const auto& e : fs::directory_iterator(dir.path)) ++files;
    EXPECT_EQ(files, 2);  // the program and the download, no leftovers
  }
}

TEST(UpdateProgram, AnswersVersionOnlyWithExitZeroInTime) {
  TempDir dir;
  const fs::path script = dir.path / "script";
  writeFile(script, "#!/bin/sh\nexit 0\n");  // not executable
  struct Case {
    const char* mode;
    fs::path program;
    bool answers;
  };
  for (const Case& c : {Case{"", kStandIn, true}, Case{"fail", kStandIn, false},
                        Case{"crash", kStandIn, false}, Case{"hang", kStandIn, false},
                        Case{"", script, false}, Case{"", dir.path / "missing", false}}) {
    ::setenv("KUVA_STAND_IN", c.mode, 1);
    const auto t0 = std::chrono::steady_clock::now();
    EXPECT_EQ(answersVersion(c.program, std::chrono::milliseconds(300)), c.answers) << c.mode;
    EXPECT_LT(std::chrono::steady_clock::now() - t0, std::chrono::seconds(2)) << c.mode;
  }
  ::unsetenv("KUVA_STAND_IN");
}

TEST(UpdateProgram, OnlyExecutablesOfThisMachinesFormat) {
  TempDir dir;
  const std::string own = readFile("/proc/self/exe").substr(0, 64);
  // Byte 4 class, 5 byte order, 16 file type, 18 machine (little-endian here).
  const auto patched = [&](std::size_t at, char value) {
    std::string h = own;
    h[at] = value;
    return h;
  };
  struct Case {
    std::string content;
    bool ok;
  };
  const char other_class = own[4] == 2 ? 1 : 2;
  const char other_order = own[5] == 1 ? 2 : 1;
  const char other_machine = static_cast<char>(own[18] + 1);
  int n = 0;
  for (const Case& c :
       {Case{own, true}, Case{readFile(kStandIn), true}, Case{patched(4, other_class), false},
        Case{patched(5, other_order), false}, Case{patched(18, other_machine), false},
        Case{patched(16, 1), false}, Case{own.substr(0, 12), false},
        Case{"#!/bin/sh\necho\n", false}, Case{"", false}}) {
    const fs::path f = dir.path / ("f" + std::to_string(n++));
    writeFile(f, c.content);
    EXPECT_EQ(sameExecutableFormat(f), c.ok) << n;
  }
  // Only a regular file: not a link to one, not a folder.
  fs::create_symlink(kStandIn, dir.path / "link");
  EXPECT_FALSE(sameExecutableFormat(dir.path / "link"));
  EXPECT_FALSE(sameExecutableFormat(dir.path));
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
  writeFile(dir.path / "script.bf", "#!/bin/sh\n");
  EXPECT_EQ(replaceProgram(dir.path / "script.bf", program, start, kAnswers).message,
            kNotThisMachine);
  EXPECT_FALSE(started);
  EXPECT_EQ(readFile(program), "old");
}

TEST(UpdateReplace, ReadOnlyProgramFolderIsReported) {
  TempDir dir;
  TempDir ro;
  const fs::path download = dir.path / "kuva.bf";
  writeFile(download, elf("new"));
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
