// kuvascreen: the screening model as a console program. Answers come from standard input, or
// from the file named by a single argument of the form "<file"; SCREEN.OUT and SCREEN.DAT are
// written into the current directory.

#include <fstream>
#include <iostream>
#include <string>

#include "screen/engine/engine.h"

namespace {
const char* const kUsage =
    "用法：kuvascreen [<答案文件]\n"
    "估算模式的控制台程序：问题的答案从标准输入读取，或从参数 \"<文件\" 指定的文件读取；\n"
    "SCREEN.OUT 和 SCREEN.DAT 写在当前文件夹。\n"
    "  -h, --help  显示本说明并退出\n";
}  // namespace

int main(int argc, char** argv) {
  if (argc == 2 && (std::string(argv[1]) == "--help" || std::string(argv[1]) == "-h")) {
    std::cout << kUsage;
    return 0;
  }
  // Anything else but one "<file" is refused before a question is asked or a file written.
  if (argc > 2 || (argc == 2 && argv[1][0] != '<')) {
    std::cerr << "kuvascreen：无法识别的参数 " << argv[1] << '\n' << kUsage;
    return 2;
  }
  std::ifstream file;
  std::istream* answers = &std::cin;
  if (argc == 2 && argv[1][0] == '<') {
    const std::string name = argv[1] + 1;
    file.open(name, std::ios::binary);
    if (!file) {
      std::cerr << "kuvascreen：无法打开答案文件 \"" << name << "\"\n";
      return 1;
    }
    answers = &file;
  }
  const screen::engine::RunResult r = screen::engine::runScreenInDir(*answers, std::cout, ".");
  if (r.exitCode != 0) std::cerr << r.error << '\n';
  return r.exitCode;
}
