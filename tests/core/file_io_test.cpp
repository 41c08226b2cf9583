// Reading only regular files of bounded size, and atomic replacement that keeps the target's
// permissions, writes through symbolic links, refuses special files and never opens a name
// planted in the folder.
#include "core/file_io.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace fs = std::filesystem;

namespace {

struct TempDir {
  fs::path path;
  TempDir() {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    path = fs::temp_directory_path() /
           (std::string("kuva_file_io_") + info->name() + "_" + std::to_string(::getpid()));
    fs::remove_all(path);
    fs::create_directories(path);
  }
  ~TempDir() {
    std::error_code ec;
    fs::remove_all(path, ec);
  }
};

std::string readAll(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::ostringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

mode_t modeOf(const fs::path& p) {
  struct stat st {};
  ::stat(p.c_str(), &st);
  return st.st_mode & 07777;
}

size_t entries(const fs::path& dir) {
  return static_cast<size_t>(std::distance(fs::directory_iterator(dir), fs::directory_iterator{}));
}

}  // namespace

TEST(FileRead, OnlyRegularFilesWithinTheLimit) {
  TempDir d;
  const fs::path fifo = d.path / "fifo";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  std::ofstream(d.path / "small") << "12345";
  std::string content;
  EXPECT_EQ(core::readRegularFile((d.path / "small").string(), content).status,
            core::ReadStatus::Ok);
  EXPECT_EQ(content, "12345");
  EXPECT_EQ(core::readRegularFile((d.path / "small").string(), content, 4).status,
            core::ReadStatus::TooLarge);
  EXPECT_TRUE(content.empty());

  const core::FileRead f = core::readRegularFile(fifo.string(), content);  // must not block
  EXPECT_EQ(f.status, core::ReadStatus::NotRegular);
  EXPECT_EQ(core::describeRead(f, "p.kuva", "工程文件"), "p.kuva 不是工程文件（它是管道（FIFO））");
  EXPECT_EQ(core::readRegularFile(d.path.string(), content).kind, "目录");
  EXPECT_EQ(core::readRegularFile("/dev/zero", content).kind, "字符设备");
  EXPECT_EQ(core::readRegularFile((d.path / "none").string(), content).status,
            core::ReadStatus::Missing);
}

TEST(AtomicWrite, KeepsModeAndWritesThroughLinks) {
  TempDir d;
  const fs::path target = d.path / "a.kuva";
  std::ofstream(target) << "old";
  ::chmod(target.c_str(), 0640);
  ASSERT_EQ(core::writeFileAtomic(target.string(), "new"), "");
  EXPECT_EQ(readAll(target), "new");
  EXPECT_EQ(modeOf(target), 0640u);

  // A link, relative to its own folder, stays a link; the file it names gets the content.
  fs::create_directory(d.path / "sub");
  const fs::path link = d.path / "sub" / "link.kuva";
  fs::create_symlink("../a.kuva", link);
  ASSERT_EQ(core::writeFileAtomic(link.string(), "through"), "");
  EXPECT_TRUE(fs::is_symlink(link));
  EXPECT_EQ(readAll(target), "through");
  EXPECT_EQ(modeOf(target), 0640u);
  EXPECT_EQ(entries(d.path / "sub"), 1u) << "no temporary file left beside the link";

  // A new file gets the usual permissions, not those of a private temporary file.
  const mode_t mask = ::umask(022);
  ASSERT_EQ(core::writeFileAtomic((d.path / "fresh").string(), "x"), "");
  ::umask(mask);
  EXPECT_EQ(modeOf(d.path / "fresh"), 0644u);
}

TEST(AtomicWrite, RefusesSpecialFilesAndPlantedNames) {
  TempDir d;
  const fs::path fifo = d.path / "out.html";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  const std::string e = core::writeFileAtomic(fifo.string(), "x");
  EXPECT_NE(e.find("不是普通文件"), std::string::npos) << e;
  EXPECT_TRUE(fs::is_fifo(fifo));
  EXPECT_NE(core::writeFileAtomic(d.path.string(), "x"), "");
  EXPECT_TRUE(fs::is_directory(d.path));
  // The reason is said in words a user reads.
  const std::string lost = (d.path / "gone" / "fig.png").string();
  EXPECT_EQ(core::writeFileAtomic(lost, "x"), "无法写入 " + lost + "：文件夹或文件不存在");

  // Every name this process would pick for its next temporary files is taken by a link to a
  // file of someone else's: the links are not followed and other names are used.
  const fs::path victim = d.path / "victim";
  std::ofstream(victim) << "precious";
  const fs::path target = d.path / "p.kuva";
  for (int k = 0; k < 200; ++k)
    fs::create_symlink(victim, d.path / (".p.kuva." + std::to_string(::getpid()) + "-" +
                                         std::to_string(k) + ".tmp"));
  ASSERT_EQ(core::writeFileAtomic(target.string(), "mine"), "");
  EXPECT_EQ(readAll(target), "mine");
  EXPECT_EQ(readAll(victim), "precious");
  EXPECT_EQ(entries(d.path), 203u) << "fifo, victim, target and the untouched links";
}

// Renaming needs only the folder's permission; a file the user may not write is still refused,
// and left as it was. Run as an ordinary user (a child that drops root's rights when needed).
TEST(AtomicWrite, RefusesFilesTheUserMayNotWrite) {
  TempDir d;
  ::chmod(d.path.c_str(), 0777);  // a shared folder
  const fs::path readonly = d.path / "readonly.pdf";
  const fs::path others = d.path / "others.pdf";
  std::ofstream(readonly) << "kept";
  std::ofstream(others) << "theirs";
  ::chmod(readonly.c_str(), 0444);
  ::chmod(others.c_str(), 0644);
  const bool root = ::geteuid() == 0;
  if (root) {
    ASSERT_EQ(::chown(readonly.c_str(), 65534, 65534), 0);
  } else {
    // Not root: the second file cannot be given to someone else; it is made read-only too.
    ::chmod(others.c_str(), 0444);
  }
  const pid_t pid = ::fork();
  ASSERT_GE(pid, 0);
  if (pid == 0) {
    if (root && (::setgid(65533) != 0 || ::setuid(65533) != 0)) {
      ::_exit(9);
    }
    int failures = 0;
    for (const fs::path& p : {readonly, others}) {
      const std::string e = core::writeFileAtomic(p.string(), "replaced");
      if (e.find("无法写入 " + p.string()) != 0) failures |= 1;
    }
    if (core::writeFileAtomic((d.path / "new.pdf").string(), "new") != "") failures |= 2;
    ::_exit(failures);
  }
  int status = 0;
  ASSERT_EQ(::waitpid(pid, &status, 0), pid);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);
  EXPECT_EQ(readAll(readonly), "kept");
  EXPECT_EQ(readAll(others), "theirs");
  EXPECT_EQ(readAll(d.path / "new.pdf"), "new");
  EXPECT_EQ(entries(d.path), 3u) << "no temporary file left";
}
