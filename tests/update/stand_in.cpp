// A stand-in for the main program in the updater tests. "--version" answers as the real program
// does, unless KUVA_STAND_IN says to fail ("fail": exit 1, "hang": never end, "crash": abort).
// Started without arguments it leaves a file "started" beside itself.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>

int main(int argc, char** argv) {
  const char* mode = std::getenv("KUVA_STAND_IN");
  const std::string how = mode ? mode : "";
  if (argc > 1 && std::strcmp(argv[1], "--version") == 0) {
    if (how == "fail") return 1;
    if (how == "crash") std::abort();
    if (how == "hang")
      for (;;) ::pause();
    std::puts("kuvacalc 9.9.9");
    return 0;
  }
  const auto self = std::filesystem::read_symlink("/proc/self/exe");
  std::ofstream(self.parent_path() / "started") << "new\n";
  return 0;
}
