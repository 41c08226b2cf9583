// kuvamod: hourly concentrations of point sources over flat, rural terrain from an AERMOD-style
// control file and AERMET surface and profile files. Usage: kuvamod DECK [OUT]; OUT receives the
// run summary and the result tables. Relative file names in
// the deck are taken from the deck's folder; the result files it names are written there.
// KUVAMOD_THREADS=n limits the threads (the results do not depend on it).

#include <cerrno>
#include <cstdlib>
#include <iostream>
#include <string>

#include "mod/run.h"

namespace {
const char* const kUsage =
    "用法：kuvamod 控制文件 [报告文件]\n"
    "按控制文件计算平坦乡村地形上点源的逐时浓度；控制文件中的相对路径以其所在文件夹为准，\n"
    "结果文件也写在那里。给出报告文件时，运行的输入和结果表写入该文件；进度和摘要显示在屏幕上。\n"
    "环境变量 KUVAMOD_THREADS=n 限制线程数（不影响结果）。\n"
    "  -h, --help  显示本说明并退出\n";
}  // namespace

int main(int argc, char** argv) {
  if (argc == 2 && (std::string(argv[1]) == "--help" || std::string(argv[1]) == "-h")) {
    std::cout << kUsage;
    return 0;
  }
  if ((argc != 2 && argc != 3) || (argv[1][0] == '-' && argv[1][1] != '\0')) {
    if (argc >= 2 && argv[1][0] == '-' && argv[1][1] != '\0')
      std::cerr << "kuvamod：未知选项 " << argv[1] << '\n';
    std::cerr << kUsage;
    return 2;
  }
  // KUVAMOD_THREADS limits the threads that share the receptors of an hour (default: all cores).
  unsigned threads = 0;
  if (const char* t = std::getenv("KUVAMOD_THREADS")) {
    char* end = nullptr;
    errno = 0;
    const long n = std::strtol(t, &end, 10);
    if (*t == '\0' || *end != '\0' || errno != 0 || n < 1 || n > mod::kMaxThreads) {
      std::cerr << "kuvamod: KUVAMOD_THREADS must be a whole number from 1 to " << mod::kMaxThreads
                << ", not \"" << t << "\"\n";
      return 2;
    }
    threads = static_cast<unsigned>(n);
  }
  const mod::RunSummary s = mod::runDeck(argv[1], std::cout, threads, argc == 3 ? argv[2] : "");
  if (s.exitCode != 0) std::cerr << s.error << '\n';
  return s.exitCode;
}
