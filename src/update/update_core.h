// The updater's plain parts: the server's reply, version comparison, progress text, the
// verdict on a finished download and the messages the dialog shows. No Qt here, so the rules
// are tested on their own.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace update {

// Texts of the updater dialog.
inline constexpr const char* kTitle = "kuva环评计算器自动更新程序 V" KUVA_VERSION;
inline constexpr const char* kIntro =
    "  "
    "欢迎使用kuva环评计算器自动更新程序，该程序将使用互联网升级您的程序，请确认系统已经联接上互联网"
    "。";
inline constexpr const char* kUpdating = "正在更新中...";
inline constexpr const char* kChecking = "正在检测新版本......";
inline constexpr const char* kDownloading = "正在下载新版本......";
inline constexpr const char* kNetworkFailed = "更新失败，请检测网络是否正常！";
inline constexpr const char* kUpToDate = "您的程序已经升级为最新版本！";
inline constexpr const char* kNotOnServer = "更新失败，服务器上更新文件不存在!";
inline constexpr const char* kDownloaded = "程序下载完成，请按确定完成升级并体验最新版！";
inline constexpr const char* kIncomplete = "更新失败，下载的文件不完整！";
inline constexpr const char* kHashMismatch = "更新失败，下载的文件校验不符，已丢弃！";
inline constexpr const char* kServerError = "更新失败，服务器返回错误！";
inline constexpr const char* kBadAddress = "更新失败，下载地址无效！";
inline constexpr const char* kCannotSave = "更新失败，无法保存下载的文件！";
inline constexpr const char* kBadChecksum = "更新失败，服务器给出的校验值无效！";
inline constexpr const char* kTooLarge = "更新失败，下载的文件过大！";
inline constexpr const char* kNotAProgram = "更新失败，下载的文件不是本机可运行的程序！";
inline constexpr const char* kAskQuit = "升级没有完成，是否退出？";
inline constexpr const char* kButtonUpdate = "更新";
inline constexpr const char* kButtonConfirm = "确定";
inline constexpr const char* kButtonCancel = "取消";

// Download file name; the file lies in a per-user folder, never in the current directory.
inline constexpr const char* kDownloadName = "kuva.bf";

// "%s/bbs/Update/kuva.asp" with the server's base address.
std::string checkAddress(std::string_view base_url);

// What the server answered to the check: "...#version#address#" with an optional fourth field,
// the SHA-256 of the file as 64 hex digits ("...#version#address#sha256#").
struct Reply {
  std::string version;
  std::string address;
  std::string sha256;       // lower-case hex, empty when the reply carries none
  bool bad_sha256 = false;  // a fourth field is there but is not 64 hex digits
};

// Fields are the texts between the first and second, and second and third "#"; a field whose
// closing "#" is missing is empty. Text before the first "#" is ignored. The fourth field is
// there when a fourth "#" closes it, or when the text after the third "#" is a bare run of hex
// digits; other text after the third "#" (the end of a web page) is ignored.
Reply parseReply(std::string_view body);

// Whether `offered` is newer than `installed`: the first three dot-separated components are
// read as decimal integers (empty or non-numeric text gives 0) and the first difference
// decides; a fourth component is never compared.
bool isNewer(std::string_view installed, std::string_view offered);

// One version component as the standard text-to-integer conversion reads it.
long versionComponent(std::string_view text);

// "%.1fKB/%.1fKB" of the bytes received and announced (0 when no length was announced).
std::string progressText(std::uint64_t received, std::uint64_t total);

// received * 100 / total in whole numbers, 0 without a total, at most 100.
int progressPercent(std::uint64_t received, std::uint64_t total);

// Only plain web addresses are followed: "http://" or "https://" with a host.
bool isWebAddress(std::string_view url);

// A redirect is followed only to a web address, and never from https down to plain http.
bool isRedirectAllowed(std::string_view from, std::string_view to);

// Verdict on a finished download. A download is complete only when the server answered 200,
// something arrived, the bytes received equal the announced length (when one was announced),
// nothing followed that length, and the file's SHA-256 equals the one the reply carried. A
// reply without a SHA-256 leaves the length as the only proof, so then a length is required.
enum class Verdict { Complete, NotFound, ServerError, Incomplete, HashMismatch };

struct DownloadFacts {
  int status = 0;                          // HTTP status code
  std::optional<std::uint64_t> announced;  // Content-Length, if the server sent one
  std::uint64_t received = 0;              // bytes written to the file
  bool overrun = false;                    // the server sent more than it announced
  std::string expected_sha256;             // from the reply, may be empty
  std::string actual_sha256;               // of the written file, lower-case hex
};

Verdict judgeDownload(const DownloadFacts& f);

// The status text for a verdict.
const char* verdictMessage(Verdict v);

}  // namespace update
