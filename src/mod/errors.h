// Input refused with a message that names the file and line (or the deck line) at fault.
#pragma once

#include <stdexcept>
#include <string>

namespace mod {

struct InputError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

inline InputError fileError(const std::string& file, long line, const std::string& text) {
  return InputError(file + ":" + std::to_string(line) + ": " + text);
}

}  // namespace mod
