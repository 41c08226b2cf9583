#include "core/file_io.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <system_error>

namespace core {

namespace {

namespace fs = std::filesystem;

std::string kindOf(mode_t mode) {
  if (S_ISDIR(mode)) return "目录";
  if (S_ISFIFO(mode)) return "管道（FIFO）";
  if (S_ISCHR(mode)) return "字符设备";
  if (S_ISBLK(mode)) return "块设备";
  if (S_ISSOCK(mode)) return "套接字";
  return "特殊文件";
}

// Closes a descriptor when it goes out of scope.
struct Fd {
  int fd;
  ~Fd() {
    if (fd >= 0) ::close(fd);
  }
};

// The file a path finally names: symbolic links followed one by one, relative ones from the
// folder of the link, so a link is written through rather than replaced by a regular file.
// A dangling link names the file it would point to, which writing then creates.
bool followLinks(const std::string& path, std::string& out, int& err) {
  fs::path p(path);
  for (int hops = 0; hops < 40; ++hops) {
    struct stat st {};
    if (::lstat(p.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) {
      out = p.string();
      return true;
    }
    std::error_code ec;
    fs::path next = fs::read_symlink(p, ec);
    if (ec) {
      err = ec.value();
      return false;
    }
    p = next.is_relative() ? p.parent_path() / next : next;
  }
  err = ELOOP;
  return false;
}

std::string folderOf(const std::string& file) {
  const fs::path dir = fs::path(file).parent_path();
  return dir.empty() ? std::string(".") : dir.string();
}

}  // namespace

std::string systemReason(int err) {
  switch (err) {
    case ENOENT: return "文件夹或文件不存在";
    case EACCES:
    case EPERM: return "没有权限";
    case ENOSPC: return "磁盘空间不足";
    case EDQUOT: return "超出磁盘配额";
    case EROFS: return "文件系统只读";
    case EISDIR: return "这是一个文件夹";
    case ENOTDIR: return "路径中有一部分不是文件夹";
    case ENAMETOOLONG: return "文件名过长";
    case EIO: return "读写出错";
    case EBADF: return "文件没有打开";
    default: return std::strerror(err);
  }
}

FileRead readRegularFile(const std::string& path, std::string& content, std::uintmax_t limit) {
  FileRead r;
  content.clear();
  // Non-blocking, so that opening a FIFO without a writer returns at once.
  const Fd f{::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC)};
  if (f.fd < 0) {
    const int err = errno;
    r.status = err == ENOENT ? ReadStatus::Missing : ReadStatus::Unreadable;
    r.reason = systemReason(err);
    return r;
  }
  struct stat st {};
  if (::fstat(f.fd, &st) != 0) {
    r.status = ReadStatus::Unreadable;
    r.reason = systemReason(errno);
    return r;
  }
  if (!S_ISREG(st.st_mode)) {
    r.status = ReadStatus::NotRegular;
    r.kind = kindOf(st.st_mode);
    return r;
  }
  if (static_cast<std::uintmax_t>(st.st_size) > limit) {
    r.status = ReadStatus::TooLarge;
    return r;
  }
  content.reserve(static_cast<size_t>(st.st_size));
  // The file may grow while it is read: stop one byte past the limit.
  char buf[1 << 16];
  for (;;) {
    const ssize_t n = ::read(f.fd, buf, sizeof buf);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      r.status = ReadStatus::Unreadable;
      r.reason = systemReason(errno);
      content.clear();
      return r;
    }
    if (n == 0) break;
    content.append(buf, static_cast<size_t>(n));
    if (content.size() > limit) {
      r.status = ReadStatus::TooLarge;
      content.clear();
      return r;
    }
  }
  return r;
}

std::string describeRead(const FileRead& r, const std::string& path, const std::string& what,
                         std::uintmax_t limit) {
  switch (r.status) {
    case ReadStatus::Ok: return {};
    case ReadStatus::Missing:
    case ReadStatus::Unreadable: return "无法打开 " + path + "：" + r.reason;
    case ReadStatus::NotRegular: return path + " 不是" + what + "（它是" + r.kind + "）";
    case ReadStatus::TooLarge:
      return "文件过大：" + path + " 超过 " + std::to_string(limit >> 20) + " MB，不是" + what;
  }
  return {};
}

AtomicFile::~AtomicFile() { discard(); }

void AtomicFile::discard() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
  if (!temp_.empty()) ::unlink(temp_.c_str());
  temp_.clear();
}

std::string AtomicFile::fail(int err) {
  discard();
  return "无法写入 " + path_ + "：" + systemReason(err);
}

std::string AtomicFile::open(const std::string& path) {
  static std::atomic<unsigned> counter{0};
  discard();
  path_ = path;
  int err = 0;
  if (!followLinks(path, target_, err)) return fail(err);
  struct stat st {};
  const bool exists = ::stat(target_.c_str(), &st) == 0;
  if (exists && !S_ISREG(st.st_mode))
    return "无法写入 " + path + "：它不是普通文件，而是" + kindOf(st.st_mode);
  // Renaming over a file needs only the folder's permission: a read-only file, or another
  // user's file in a shared folder, would be replaced though the user may not write it.
  if (exists && ::faccessat(AT_FDCWD, target_.c_str(), W_OK, AT_EACCESS) != 0) return fail(errno);

  // O_EXCL with O_NOFOLLOW: a name planted in the folder (a file or a link) is never opened,
  // another name is tried. A new target gets the usual permissions (0666 less the umask).
  const std::string dir = folderOf(target_);
  // Cut so that the temporary name stays within the 255 bytes a folder entry may have.
  const std::string base = fs::path(target_).filename().string().substr(0, 200);
  for (int tries = 0; tries < 1000; ++tries) {
    std::string name = dir;
    name += "/.";
    name += base;
    name += '.';
    name += std::to_string(::getpid());
    name += '-';
    name += std::to_string(counter++);
    name += ".tmp";
    fd_ = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                 exists ? 0600 : 0666);
    if (fd_ >= 0) {
      temp_ = name;
      break;
    }
    if (errno != EEXIST) return fail(errno);
  }
  if (fd_ < 0) return fail(EEXIST);
  if (exists) {
    // Owner first: changing it may clear set-id bits that the mode then restores.
    if (st.st_uid != ::geteuid() || st.st_gid != ::getegid())
      if (::fchown(fd_, st.st_uid, st.st_gid) != 0) {
        // Not permitted for other users' files: the replacement is then owned by this user.
      }
    if (::fchmod(fd_, st.st_mode & 07777) != 0) return fail(errno);
  }
  return {};
}

std::string AtomicFile::write(const std::string& bytes) {
  if (fd_ < 0) return "无法写入 " + path_ + "：" + systemReason(EBADF);
  size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::write(fd_, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return fail(errno);
    done += static_cast<size_t>(n);
  }
  return {};
}

std::string AtomicFile::commit() {
  if (fd_ < 0) return "无法写入 " + path_ + "：" + systemReason(EBADF);
  // On disk before the rename, so a crash leaves the old or the new content, not an empty file.
  if (::fsync(fd_) != 0) return fail(errno);
  const int fd = fd_;
  fd_ = -1;
  if (::close(fd) != 0) return fail(errno);
  // Checked again: the target may have been made read-only while the content was written.
  if (::faccessat(AT_FDCWD, target_.c_str(), W_OK, AT_EACCESS) != 0 && errno != ENOENT)
    return fail(errno);
  if (std::rename(temp_.c_str(), target_.c_str()) != 0) return fail(errno);
  temp_.clear();
  // The rename itself is durable once the folder is flushed; some file systems refuse a flush
  // of a folder, which loses nothing that was not already at risk.
  const Fd dir{::open(folderOf(target_).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)};
  if (dir.fd >= 0) ::fsync(dir.fd);
  return {};
}

bool sameFile(const std::string& a, const std::string& b) {
  struct stat sa {
  }, sb{};
  return ::stat(a.c_str(), &sa) == 0 && ::stat(b.c_str(), &sb) == 0 && sa.st_dev == sb.st_dev &&
         sa.st_ino == sb.st_ino;
}

std::string writeFileAtomic(const std::string& path, const std::string& content) {
  AtomicFile f;
  if (std::string e = f.open(path); !e.empty()) return e;
  if (std::string e = f.write(content); !e.empty()) return e;
  return f.commit();
}

}  // namespace core
