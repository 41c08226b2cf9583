// Reading and writing whole files the user names: project files, unit tables, value files and
// calculation sheets.
//
// Reading takes only a regular file of bounded size, so a device (/dev/zero), a FIFO, a folder
// or a huge file is refused before anything is read instead of blocking or filling memory.
//
// Writing is atomic: the content goes to a temporary file created exclusively beside the target,
// is flushed to disk with the folder, and is renamed over the target, so the target holds the old
// or the new content, never a part. The replacement keeps the target's permissions, a symbolic
// link is written through to the file it names, and a target that exists but is not a regular
// file (a FIFO, a device) or that the user may not open for writing (a read-only file, another
// user's file in a shared folder) is refused, before it is created and again before the rename.
#pragma once

#include <cstdint>
#include <string>

namespace core {

// The largest file read as input; real project files and tables are a few kilobytes.
inline constexpr std::uintmax_t kMaxInputFileBytes = 64u << 20;

enum class ReadStatus { Ok, Missing, NotRegular, TooLarge, Unreadable };

struct FileRead {
  ReadStatus status = ReadStatus::Ok;
  std::string kind;    // what a non-regular file is ("目录", "设备", "管道（FIFO）", ...)
  std::string reason;  // why the file could not be opened or read (systemReason)
};

// The bytes of the regular file at `path` when it holds at most `limit` bytes.
FileRead readRegularFile(const std::string& path, std::string& content,
                         std::uintmax_t limit = kMaxInputFileBytes);

// The refusal of a failed read in words; `what` names the file expected ("工程文件", "单位表文件").
// The reason of a failed system call as a user reads it ("磁盘空间不足"); the system's own
// text for a rare one.
std::string systemReason(int err);

std::string describeRead(const FileRead& r, const std::string& path, const std::string& what,
                         std::uintmax_t limit = kMaxInputFileBytes);

// A file written in one piece: open() creates the temporary file, the caller writes to fd() (or
// to tempPath() by name, for a library that opens files itself), commit() puts it in place.
// Destroyed without a commit, the temporary file is removed and the target is untouched.
class AtomicFile {
 public:
  AtomicFile() = default;
  AtomicFile(const AtomicFile&) = delete;
  AtomicFile& operator=(const AtomicFile&) = delete;
  ~AtomicFile();

  // An empty text on success, else why the target cannot be written.
  std::string open(const std::string& path);
  int fd() const { return fd_; }
  const std::string& tempPath() const { return temp_; }
  std::string write(const std::string& bytes);
  std::string commit();

 private:
  std::string fail(int err);
  void discard();

  std::string path_;    // as the caller named it, for messages
  std::string target_;  // the file replaced: path_ with symbolic links followed
  std::string temp_;
  int fd_ = -1;
};

// True when both paths name one existing file (the same device and inode, links followed), so
// an output that is a link or a hard link to an input is recognised whatever its name.
bool sameFile(const std::string& a, const std::string& b);

// Writes `content` to `path` atomically; an empty text on success.
std::string writeFileAtomic(const std::string& path, const std::string& content);

}  // namespace core
