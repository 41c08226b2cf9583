#include "update/replace.h"

#ifdef __unix__
#include <unistd.h>

#include <csignal>
#endif

#include <system_error>

#include <thread>
#include "update/program_check.h"

namespace fs = std::filesystem;

namespace update {

namespace {

long ownId() {
#ifdef __unix__
  return static_cast<long>(::getpid());
#else
  return 0;
#endif
}

void signalProcess(int pid, bool force) {
#ifdef __unix__
  ::kill(pid, force ? SIGKILL : SIGTERM);
#else
  (void)pid;
  (void)force;
#endif
}

fs::path canonicalOrSame(const fs::path& p) {
  std::error_code ec;
  fs::path c = fs::weakly_canonical(p, ec);
  return ec ? p : c;
}

// A path beside `program` that does not exist yet: ".<name>.<tag><n>".
fs::path sidePath(const fs::path& program, const char* tag) {
  const fs::path dir = program.parent_path();
  const std::string base = "." + program.filename().string() + "." + tag;
  for (int n = 0;; ++n) {
    fs::path p = dir / (base + std::to_string(ownId()) + "-" + std::to_string(n));
    std::error_code ec;
    if (!fs::exists(fs::symlink_status(p, ec))) return p;
  }
}

bool folderWritable(const fs::path& dir) {
  // A probe file tells more than the permission bits (read-only mounts, ACLs).
  const fs::path probe = sidePath(dir / "probe", "w");
  std::error_code ec;
  {
    FILE* f = std::fopen(probe.c_str(), "wb");
    if (!f) return false;
    std::fclose(f);
  }
  fs::remove(probe, ec);
  return true;
}

}  // namespace

std::vector<int> processesRunning(const fs::path& program) {
  std::vector<int> ids;
#ifdef __linux__
  const fs::path target = canonicalOrSame(program);
  const int self = static_cast<int>(ownId());
  std::error_code ec;
  for (const auto& entry : fs::directory_iterator("/proc", ec)) {
    const std::string name = entry.path().filename().string();
    if (name.empty() || name.find_first_not_of("0123456789") != std::string::npos) continue;
    std::error_code link_ec;
    const fs::path exe = fs::read_symlink(entry.path() / "exe", link_ec);
    if (link_ec || exe != target) continue;  // zombies and other users' processes have no link
    const int pid = std::stoi(name);
    if (pid != self) ids.push_back(pid);
  }
#else
  (void)program;
#endif
  return ids;
}

bool endProgram(const fs::path& program, std::chrono::milliseconds grace) {
  std::vector<int> ids = processesRunning(program);
  if (ids.empty()) return true;
  for (int pid : ids) signalProcess(pid, false);
  const auto step = std::chrono::milliseconds(50);
  auto deadline = std::chrono::steady_clock::now() + grace;
  while (std::chrono::steady_clock::now() < deadline) {
    if (processesRunning(program).empty()) return true;
    std::this_thread::sleep_for(step);
  }
  for (int pid : processesRunning(program)) signalProcess(pid, true);
  deadline = std::chrono::steady_clock::now() + std::chrono::seconds(2);
  while (std::chrono::steady_clock::now() < deadline) {
    if (processesRunning(program).empty()) return true;
    std::this_thread::sleep_for(step);
  }
  return processesRunning(program).empty();
}

ReplaceResult checkReplaceable(const fs::path& download, const fs::path& program) {
  std::error_code ec;
  if (program.empty() || !program.is_absolute() || !program.has_filename())
    return {false, kNoProgram};
  if (!fs::is_regular_file(fs::symlink_status(download, ec))) return {false, kDownloadMissing};
  if (!sameExecutableFormat(download)) return {false, kNotThisMachine};
  if (!folderWritable(program.parent_path())) return {false, kFolderReadOnly};
  return {true, {}};
}

ReplaceResult replaceProgram(const fs::path& download, const fs::path& program,
                             const Starter& start, const Prober& answers) {
  if (ReplaceResult pre = checkReplaceable(download, program); !pre.ok) return pre;
  std::error_code ec;

  // 2. The new program beside the old one, so the final rename stays on one file system.
  const fs::path fresh = sidePath(program, "new");
  if (!fs::copy_file(download, fresh, fs::copy_options::overwrite_existing, ec)) {
    fs::remove(fresh, ec);
    return {false, kReplaceFailed};
  }
  fs::perms perms = fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read |
                    fs::perms::others_read;
  const bool had_old = fs::exists(program, ec);
  if (had_old) perms = fs::status(program, ec).permissions();
  perms |= fs::perms::owner_exec | fs::perms::group_exec | fs::perms::others_exec;
  fs::permissions(fresh, perms, ec);
  if (ec) {
    fs::remove(fresh, ec);
    return {false, kReplaceFailed};
  }

  // 3. The old program stays as a backup until the new one runs.
  const fs::path backup = sidePath(program, "old");
  if (had_old) {
    fs::create_hard_link(program, backup, ec);
    if (ec) {
      ec.clear();
      if (!fs::copy_file(program, backup, ec)) {
        fs::remove(fresh, ec);
        fs::remove(backup, ec);
        return {false, kReplaceFailed};
      }
      fs::permissions(backup, fs::status(program, ec).permissions(), ec);
    }
  }

  // 4. One rename puts the new program in place; there is no moment without a program file.
  fs::rename(fresh, program, ec);
  if (ec) {
    fs::remove(fresh, ec);
    fs::remove(backup, ec);
    return {false, kReplaceFailed};
  }

  // 5. A program that does not answer or start is taken back out; the backup stays until then.
  const bool answered = answers ? answers(program) : answersVersion(program);
  if (!answered || !start(program)) {
    if (had_old) {
      fs::rename(backup, program, ec);
    } else {
      fs::remove(program, ec);
    }
    return {false, kStartFailed};
  }

  // 6. Tidy up.
  fs::remove(backup, ec);
  fs::remove(download, ec);
  return {true, {}};
}

}  // namespace update
