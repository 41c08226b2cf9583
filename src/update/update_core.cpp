#include "update/update_core.h"

#include <algorithm>
#include <cctype>
#include <climits>
#include <cstdio>

namespace update {

namespace {

std::string_view trim(std::string_view s) {
  const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
  while (!s.empty() && blank(s.front())) s.remove_prefix(1);
  while (!s.empty() && blank(s.back())) s.remove_suffix(1);
  return s;
}

std::string lower(std::string_view s) {
  std::string out(s);
  for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return out;
}

bool isSha256(std::string_view s) {
  return s.size() == 64 && std::all_of(s.begin(), s.end(), [](char c) {
           return std::isxdigit(static_cast<unsigned char>(c)) != 0;
         });
}

// The component between the n-th and (n+1)-th dot (n = 0 is the text before the first dot).
std::string_view component(std::string_view v, int n) {
  for (int i = 0; i < n; ++i) {
    const auto dot = v.find('.');
    if (dot == std::string_view::npos) return {};
    v.remove_prefix(dot + 1);
  }
  return v.substr(0, v.find('.'));
}

}  // namespace

std::string checkAddress(std::string_view base_url) {
  // The base is meant without a trailing slash; one written with it still gives one address.
  base_url = trim(base_url);
  while (!base_url.empty() && base_url.back() == '/') base_url.remove_suffix(1);
  return std::string(base_url) + "/bbs/Update/kuva.asp";
}

Reply parseReply(std::string_view body) {
  Reply r;
  const auto h1 = body.find('#');
  if (h1 == std::string_view::npos) return r;
  const auto h2 = body.find('#', h1 + 1);
  if (h2 == std::string_view::npos) return r;
  r.version = std::string(trim(body.substr(h1 + 1, h2 - h1 - 1)));
  const auto h3 = body.find('#', h2 + 1);
  if (h3 == std::string_view::npos) return r;
  r.address = std::string(trim(body.substr(h2 + 1, h3 - h2 - 1)));
  // The optional fourth field: closed by a "#", or a bare run of hex digits at the end. A
  // checksum that is there but malformed must not be taken for no checksum at all.
  const std::string_view rest = body.substr(h3 + 1);
  const auto h4 = rest.find('#');
  const std::string_view field = trim(rest.substr(0, h4));
  const bool hex_only = std::all_of(field.begin(), field.end(), [](char c) {
    return std::isxdigit(static_cast<unsigned char>(c)) != 0;
  });
  if (field.empty() || (h4 == std::string_view::npos && !hex_only)) return r;
  if (isSha256(field))
    r.sha256 = lower(field);
  else
    r.bad_sha256 = true;
  return r;
}

long versionComponent(std::string_view text) {
  // Leading blanks, an optional sign, then digits; anything else ends the number.
  std::size_t i = 0;
  while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i]))) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  long value = 0;
  for (; i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])); ++i) {
    const long digit = text[i] - '0';
    if (value > (LONG_MAX - digit) / 10) return negative ? LONG_MIN : LONG_MAX;
    value = value * 10 + digit;
  }
  return negative ? -value : value;
}

bool isNewer(std::string_view installed, std::string_view offered) {
  for (int n = 0; n < 3; ++n) {
    const long a = versionComponent(component(installed, n));
    const long b = versionComponent(component(offered, n));
    if (a != b) return b > a;
  }
  return false;
}

std::string progressText(std::uint64_t received, std::uint64_t total) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.1fKB/%.1fKB", static_cast<double>(received) / 1024.0,
                static_cast<double>(total) / 1024.0);
  return buf;
}

int progressPercent(std::uint64_t received, std::uint64_t total) {
  if (total == 0) return 0;
  return static_cast<int>(std::min<std::uint64_t>(received * 100 / total, 100));
}

bool isWebAddress(std::string_view url) {
  const std::string u = lower(trim(url));
  for (std::string_view scheme : {std::string_view("http://"), std::string_view("https://")}) {
    if (u.starts_with(scheme)) {
      const std::string_view host = std::string_view(u).substr(scheme.size());
      return !host.empty() && host.front() != '/';
    }
  }
  return false;
}

bool isRedirectAllowed(std::string_view from, std::string_view to) {
  if (!isWebAddress(to)) return false;
  const bool secure_from = lower(trim(from)).starts_with("https://");
  const bool secure_to = lower(trim(to)).starts_with("https://");
  return secure_to || !secure_from;
}

Verdict judgeDownload(const DownloadFacts& f) {
  if (f.status == 404) return Verdict::NotFound;
  if (f.status != 200) return Verdict::ServerError;
  if (f.received == 0 || f.overrun) return Verdict::Incomplete;
  if (f.announced && *f.announced != f.received) return Verdict::Incomplete;
  if (!f.announced && f.expected_sha256.empty()) return Verdict::Incomplete;
  if (!f.expected_sha256.empty() && lower(f.expected_sha256) != lower(f.actual_sha256))
    return Verdict::HashMismatch;
  return Verdict::Complete;
}

const char* verdictMessage(Verdict v) {
  switch (v) {
    case Verdict::Complete: return kDownloaded;
    case Verdict::NotFound: return kNotOnServer;
    case Verdict::ServerError: return kServerError;
    case Verdict::Incomplete: return kIncomplete;
    case Verdict::HashMismatch: return kHashMismatch;
  }
  return kServerError;
}

}  // namespace update
