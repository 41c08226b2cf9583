// Whether a downloaded file can be the main program on this machine: an executable of the
// same format as the running updater, and one that starts and answers. POSIX, no Qt.
#pragma once

#include <chrono>
#include <filesystem>

namespace update {

// The running updater's own file; it is built and installed with the main program, so its
// format is the one the main program must have.
inline constexpr const char* kOwnExecutable = "/proc/self/exe";

// True when `file` is a regular file holding an ELF executable (or position-independent
// executable) whose class, byte order and machine equal those of `reference`.
bool sameExecutableFormat(const std::filesystem::path& file,
                          const std::filesystem::path& reference = kOwnExecutable);

// Runs "`program` --version" with no input and its output discarded, and reports whether it
// exited with status 0 within `within`. A program still running then is killed.
bool answersVersion(const std::filesystem::path& program,
                    std::chrono::milliseconds within = std::chrono::seconds(10));

}  // namespace update
