#include "update/program_check.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cstdint>
#include <cstring>
#include <optional>
#include <thread>

namespace fs = std::filesystem;

namespace update {

namespace {

// The fields of the ELF identification and header that tell where a program can run.
struct ElfKind {
  unsigned char elf_class = 0;  // 1: 32-bit, 2: 64-bit
  unsigned char data = 0;       // 1: little-endian, 2: big-endian
  std::uint16_t type = 0;       // 2: executable, 3: shared object or PIE
  std::uint16_t machine = 0;
};

std::optional<ElfKind> readElfKind(const fs::path& file, bool follow_link) {
  const int flags = O_RDONLY | O_CLOEXEC | O_NONBLOCK | (follow_link ? 0 : O_NOFOLLOW);
  const int fd = ::open(file.c_str(), flags);
  if (fd < 0) return std::nullopt;
  struct stat st {};
  std::array<unsigned char, 20> h{};
  const bool regular = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
  const bool read_all = regular && ::read(fd, h.data(), h.size()) == static_cast<ssize_t>(h.size());
  ::close(fd);
  if (!read_all || std::memcmp(h.data(),
                               "\x7f"
                               "ELF",
                               4) != 0)
    return std::nullopt;
  ElfKind k;
  k.elf_class = h[4];
  k.data = h[5];
  if ((k.elf_class != 1 && k.elf_class != 2) || (k.data != 1 && k.data != 2)) return std::nullopt;
  const auto half = [&](std::size_t at) {
    return k.data == 1 ? static_cast<std::uint16_t>(h[at] | (h[at + 1] << 8))
                       : static_cast<std::uint16_t>((h[at] << 8) | h[at + 1]);
  };
  k.type = half(16);
  k.machine = half(18);
  return k;
}

}  // namespace

bool sameExecutableFormat(const fs::path& file, const fs::path& reference) {
  const std::optional<ElfKind> f = readElfKind(file, false);
  const std::optional<ElfKind> r = readElfKind(reference, true);  // /proc/self/exe is a link
  if (!f || !r) return false;
  if (f->type != 2 && f->type != 3) return false;
  return f->elf_class == r->elf_class && f->data == r->data && f->machine == r->machine;
}

bool answersVersion(const fs::path& program, std::chrono::milliseconds within) {
  const pid_t pid = ::fork();
  if (pid < 0) return false;
  if (pid == 0) {
    // Own process group, so a program that hangs is ended together with its children.
    ::setpgid(0, 0);
    const int null = ::open("/dev/null", O_RDWR);
    if (null >= 0) {
      ::dup2(null, 0);
      ::dup2(null, 1);
      ::dup2(null, 2);
    }
    ::execl(program.c_str(), program.c_str(), "--version", static_cast<char*>(nullptr));
    ::_exit(127);
  }
  ::setpgid(pid, pid);
  const auto deadline = std::chrono::steady_clock::now() + within;
  int status = 0;
  for (;;) {
    const pid_t done = ::waitpid(pid, &status, WNOHANG);
    if (done == pid) return WIFEXITED(status) && WEXITSTATUS(status) == 0;
    if (done < 0 || std::chrono::steady_clock::now() >= deadline) break;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  ::kill(-pid, SIGKILL);
  ::kill(pid, SIGKILL);
  ::waitpid(pid, &status, 0);
  return false;
}

}  // namespace update
