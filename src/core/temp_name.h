// Names for files written atomically: the content goes to a temporary file beside the target,
// which is then renamed over it.
#pragma once

#include <string>

namespace core {

// A fresh name beside `path` for the file being written; never equal to an existing file.
std::string temporaryNameFor(const std::string& path);

}  // namespace core
