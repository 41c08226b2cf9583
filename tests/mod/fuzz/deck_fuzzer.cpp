// libFuzzer target: any byte string as a deck, surface file and profile file (split at the first
// two form feeds). Every run must end with results or with a message and a non-zero status; it
// must not crash, hang or leave result files behind after a refusal.

#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "mod/run.h"

namespace fs = std::filesystem;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const fs::path dir =
      fs::temp_directory_path() / ("kuva_mod_fuzz_" + std::to_string(::getpid()));
  const std::string all(reinterpret_cast<const char*>(data), size);
  const size_t a = all.find('\f'), b = a == std::string::npos ? a : all.find('\f', a + 1);
  fs::remove_all(dir);
  fs::create_directories(dir);
  std::ofstream(dir / "d.inp", std::ios::binary) << all.substr(0, a);
  std::ofstream(dir / "m.sfc", std::ios::binary)
      << (a == std::string::npos ? std::string() : all.substr(a + 1, b - a - 1));
  std::ofstream(dir / "m.pfl", std::ios::binary)
      << (b == std::string::npos ? std::string() : all.substr(b + 1));
  std::ostringstream log;
  const mod::RunSummary r = mod::runDeck((dir / "d.inp").string(), log, 1);
  if (r.exitCode != 0 && r.error.empty()) std::abort();
  if (r.exitCode != 0 && fs::exists(dir / "o.pst")) std::abort();
  return 0;
}
