// Ending the running main program and putting the downloaded file in its place, with the old
// program kept until the new one has started. Plain C++ (POSIX), no Qt.
#pragma once

#include <chrono>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace update {

inline constexpr const char* kFolderReadOnly =
    "程序所在的文件夹不可写，无法完成升级。请以有权限的用户运行更新程序，原程序未作改动。";
inline constexpr const char* kCannotEnd = "无法结束正在运行的程序，升级没有完成，原程序未作改动。";
inline constexpr const char* kReplaceFailed = "替换程序失败，已恢复原程序。";
inline constexpr const char* kStartFailed = "新程序无法启动，已恢复原程序。";
inline constexpr const char* kDownloadMissing = "下载的文件不存在，升级没有完成。";
inline constexpr const char* kNoProgram = "找不到要升级的程序（路径未知），升级没有完成。";
inline constexpr const char* kNotThisMachine =
    "下载的文件不是本机可运行的程序，升级没有完成，原程序未作改动。";

// Ids of the processes whose executable is exactly `program` (on Linux /proc/PID/exe), other
// than this process. A name that merely contains the path (kuvacalc-cli, another copy) does
// not match.
std::vector<int> processesRunning(const std::filesystem::path& program);

// Asks every process running `program` to end, waits until they are gone (ending them
// forcibly after `grace`) and reports whether none is left.
bool endProgram(const std::filesystem::path& program,
                std::chrono::milliseconds grace = std::chrono::milliseconds(5000));

struct ReplaceResult {
  bool ok = false;
  std::string message;  // empty on success
};

// Starts the program at the path; true when it is running.
using Starter = std::function<bool(const std::filesystem::path&)>;
// Runs the program at the path once to see that it works; true when it answered.
using Prober = std::function<bool(const std::filesystem::path&)>;

// The checks that come before anything is touched (the running program included): a known
// absolute program path, the download present and an executable of this machine's format,
// the program's folder writable.
ReplaceResult checkReplaceable(const std::filesystem::path& download,
                               const std::filesystem::path& program);

// Replaces `program` with the verified `download`:
//  1. refuse when the program's folder is not writable (nothing is touched);
//  2. copy the download into that folder under a temporary name (same file system) and give it
//     the old program's permissions plus execute;
//  3. keep the old program as a backup beside it;
//  4. rename the new file over the program (atomic);
//  5. let it answer once (`answers`, by default "--version" exiting 0 within 10 s) and then
//     start it; when either fails, put the backup back;
//  6. remove the backup and the download.
// On any failure the old program is where it was and the message says what happened.
ReplaceResult replaceProgram(const std::filesystem::path& download,
                             const std::filesystem::path& program, const Starter& start,
                             const Prober& answers = {});

}  // namespace update
