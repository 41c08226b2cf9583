#include "screen/runner.h"

#include <cctype>
#include <filesystem>
#include <fstream>
#include <sstream>

#ifndef _WIN32
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <thread>
#endif

namespace screen {

namespace fs = std::filesystem;

namespace {

constexpr const char* kScriptName = "screen3.inp";
constexpr const char* kReportName = "SCREEN.OUT";
constexpr const char* kDefaultProgram = "kuvascreen";

std::string readFile(const fs::path& p, bool* ok) {
  std::ifstream in(p, std::ios::binary);
  *ok = static_cast<bool>(in);
  std::ostringstream s;
  if (in) s << in.rdbuf();
  return s.str();
}

// The report under its usual name, or under any capitalisation of it.
fs::path findReport(const fs::path& dir) {
  fs::path exact = dir / kReportName;
  if (fs::exists(exact)) return exact;
  std::error_code ec;
  for (const auto& e : fs::directory_iterator(dir, ec)) {
    std::string name = e.path().filename().string();
    for (char& c : name) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    if (name == kReportName) return e.path();
  }
  return exact;
}

// A fresh private directory for one exchange.
fs::path makeTempDir(std::string* error) {
  std::error_code ec;
  fs::path base = fs::temp_directory_path(ec);
  if (ec) base = "/tmp";
  std::string templ = (base / "kuva-screen-XXXXXX").string();
#ifndef _WIN32
  if (!mkdtemp(templ.data())) {
    *error = std::strerror(errno);
    return {};
  }
  return templ;
#else
  *error = "unsupported";
  return {};
#endif
}

#ifndef _WIN32
// Starts the program in dir with stdin from the script; returns the pid, or -1 with the
// reason of the failed start.
pid_t startProgram(const RunOptions& o, const fs::path& dir, std::string* error) {
  const std::string dir_s = dir.string();
  const std::string script = (dir / kScriptName).string();
  const std::string log = (dir / "screen.log").string();
  const std::string arg = std::string("<") + kScriptName;
  char* argv[3] = {const_cast<char*>(o.program.c_str()), nullptr, nullptr};
  if (o.input_argument) argv[1] = const_cast<char*>(arg.c_str());
  int pipefd[2];
  if (pipe2(pipefd, O_CLOEXEC) != 0) {
    *error = std::strerror(errno);
    return -1;
  }
  const pid_t pid = fork();
  if (pid < 0) {
    *error = std::strerror(errno);
    close(pipefd[0]);
    close(pipefd[1]);
    return -1;
  }
  if (pid == 0) {
    // Child: only async-signal-safe calls until exec.
    setpgid(0, 0);
    int err = 0;
    const int in = open(script.c_str(), O_RDONLY);
    if (in < 0) err = errno;
    const int out = err ? -1 : open(log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (!err && out < 0) err = errno;
    if (!err && chdir(dir_s.c_str()) != 0) err = errno;
    if (!err) {
      dup2(in, 0);
      dup2(out, 1);
      dup2(out, 2);
      execv(o.program.c_str(), argv);
      err = errno;
    }
    ssize_t w = write(pipefd[1], &err, sizeof err);
    (void)w;
    _exit(127);
  }
  close(pipefd[1]);
  int child_err = 0;
  ssize_t n;
  do {
    n = read(pipefd[0], &child_err, sizeof child_err);
  } while (n < 0 && errno == EINTR);
  close(pipefd[0]);
  if (n == static_cast<ssize_t>(sizeof child_err)) {
    int status = 0;
    waitpid(pid, &status, 0);
    *error = std::strerror(child_err);
    return -1;
  }
  return pid;
}

// Waits for the child; false when it ran past the time limit (it is then killed).
bool waitFor(pid_t pid, int timeout_s, int* exit_code) {
  using Clock = std::chrono::steady_clock;
  const auto deadline = Clock::now() + std::chrono::seconds(timeout_s);
  auto pause = std::chrono::milliseconds(2);
  for (;;) {
    int status = 0;
    const pid_t r = waitpid(pid, &status, WNOHANG);
    if (r == pid) {
      *exit_code = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
      return true;
    }
    if (r < 0 && errno != EINTR) {
      *exit_code = -1;
      return true;
    }
    if (Clock::now() >= deadline) {
      kill(-pid, SIGKILL);
      kill(pid, SIGKILL);
      waitpid(pid, &status, 0);
      return false;
    }
    std::this_thread::sleep_for(pause);
    if (pause < std::chrono::milliseconds(50)) pause *= 2;
  }
}
#endif

RunResult runIn(const fs::path& dir, const std::string& script, const RunOptions& o) {
  RunResult res;
  {
    std::ofstream f(dir / kScriptName, std::ios::binary);
    f << script;
    if (!f) {
      res.message = "无法写入screen3.inp";
      return res;
    }
  }
#ifdef _WIN32
  res.message = "无法启动筛选程序 " + o.program;
  return res;
#else
  std::string error;
  const pid_t pid = startProgram(o, dir, &error);
  if (pid < 0) {
    res.message = "无法启动筛选程序 " + o.program + "：" + error;
    return res;
  }
  if (!waitFor(pid, o.timeout_s, &res.exit_code)) {
    res.status = RunStatus::TimedOut;
    res.message =
        "筛选程序 " + o.program + " 运行超过" + std::to_string(o.timeout_s) + "秒，已被停止。";
    return res;
  }
  bool ok = false;
  res.report = readFile(findReport(dir), &ok);
  if (!ok) {
    res.status = RunStatus::NoReport;
    res.message = "无法打开SCREEN.OUT：筛选程序没有生成结果文件（退出码 " +
                  std::to_string(res.exit_code) + "）。";
    return res;
  }
  res.status = RunStatus::Ok;
  return res;
#endif
}

}  // namespace

std::string executableDir() {
  std::error_code ec;
  const fs::path exe = fs::read_symlink("/proc/self/exe", ec);
  if (ec) return {};
  return exe.parent_path().string();
}

RunOptions programOptions(const std::string& path) {
  RunOptions o;
  if (!path.empty()) {
    o.program = path;
    o.input_argument = true;
  } else {
    o.program = (fs::path(executableDir()) / kDefaultProgram).string();
  }
  return o;
}

RunStep programStep(RunOptions options) {
  return [options = std::move(options)](const std::string& script) {
    return runScreen(script, options);
  };
}

RunResult runScreen(const std::string& script, const RunOptions& options) {
  RunResult res;
  std::string error;
  const fs::path dir = makeTempDir(&error);
  if (dir.empty()) {
    res.message = "无法建立临时目录：" + error;
    return res;
  }
  res = runIn(dir, script, options);
  std::error_code ec;
  fs::remove_all(dir, ec);
  return res;
}

}  // namespace screen
