#include "core/temp_name.h"

#include <unistd.h>

#include <atomic>
#include <filesystem>
#include <system_error>

namespace core {

std::string temporaryNameFor(const std::string& path) {
  static std::atomic<unsigned> counter{0};
  namespace fs = std::filesystem;
  const fs::path target(path);
  for (;;) {
    // Built piece by piece: GCC 12 warns falsely (-Wrestrict) on "." + std::string.
    std::string name(1, '.');
    name += target.filename().string();
    name += '.';
    name += std::to_string(::getpid());
    name += '-';
    name += std::to_string(counter++);
    name += ".tmp";
    const fs::path candidate = target.parent_path() / name;
    std::error_code ec;
    if (!fs::exists(candidate, ec)) return candidate.string();
  }
}

}  // namespace core
