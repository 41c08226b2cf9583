// The updater's rules: reply fields, version order, progress text and the verdict on a
// finished download.
#include <gtest/gtest.h>

#include "update/update_core.h"

using namespace update;

TEST(UpdateReply, FieldsBetweenTheFirstThreeHashes) {
  const Reply r = parseReply("any text<br>#1.6.3.0#http://example.test/kuva.exe#trailing");
  EXPECT_EQ(r.version, "1.6.3.0");
  EXPECT_EQ(r.address, "http://example.test/kuva.exe");
  EXPECT_EQ(r.sha256, "");
  EXPECT_EQ(checkAddress("http://h.test"), "http://h.test/bbs/Update/kuva.asp");
  EXPECT_EQ(checkAddress("https://h.test/"), "https://h.test/bbs/Update/kuva.asp");
}

TEST(UpdateReply, MissingHashesLeaveFieldsEmpty) {
  EXPECT_EQ(parseReply("no hash at all").version, "");
  const Reply one = parseReply("#1.7.0.0");
  EXPECT_EQ(one.version, "");
  const Reply two = parseReply("#1.7.0.0#http://x.test/a");
  EXPECT_EQ(two.version, "1.7.0.0");
  EXPECT_EQ(two.address, "");  // the address needs its closing "#"
  // Line ends around a field (as a server script writes them) do not belong to it.
  const Reply crlf = parseReply("#1.7.0.0\r\n#http://x.test/a\r\n#\r\n");
  EXPECT_EQ(crlf.address, "http://x.test/a");
}

TEST(UpdateReply, FourthFieldIsTheChecksumOnlyWhenItIs64HexDigits) {
  const std::string sum = "E3B0C44298FC1C149AFBF4C8996FB92427AE41E4649B934CA495991B7852B855";
  EXPECT_EQ(parseReply("#2.0.0#http://x.test/a#" + sum + "#").sha256,
            "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
  EXPECT_EQ(parseReply("#2.0.0#http://x.test/a#" + sum).sha256.size(), 64u);
  // A fourth field that is there but malformed is flagged, never read as "no checksum".
  struct Case {
    std::string tail;
    bool bad;
  };
  const std::string no_hex(64, 'z');
  for (const Case& c :
       {Case{sum.substr(1) + "#", true}, Case{sum.substr(1) + "g#", true}, Case{no_hex + "#", true},
        Case{sum.substr(1), true}, Case{sum + "0#", true}, Case{sum + "#", false}, Case{"", false},
        Case{"\r\n", false}, Case{" #", false}, Case{"</html>", false}, Case{no_hex, false}}) {
    const Reply r = parseReply("#2.0.0#http://x.test/a#" + c.tail);
    EXPECT_EQ(r.bad_sha256, c.bad) << c.tail;
    EXPECT_EQ(r.sha256.empty(), c.tail != sum + "#") << c.tail;
  }
}

TEST(UpdateVersion, FirstThreeComponentsDecide) {
  EXPECT_TRUE(isNewer("1.6.2.9", "1.6.3.0"));
  EXPECT_FALSE(isNewer("1.6.3.5", "1.6.3.0"));
  EXPECT_FALSE(isNewer("1.6.2.1", "1.6.2.2"));  // the fourth component is never compared
  EXPECT_FALSE(isNewer("1.6.2.1", "1.6.2.1"));
  EXPECT_TRUE(isNewer("1.6.2.1", "2"));
  EXPECT_TRUE(isNewer("1.9.9", "1.10.0"));  // numbers, not text
  EXPECT_FALSE(isNewer("1.10.0", "1.9.9"));
}

TEST(UpdateVersion, EmptyOrJunkReadsAsZero) {
  EXPECT_FALSE(isNewer("1.6.2.1", ""));  // empty is 0.0.0
  EXPECT_FALSE(isNewer("", ""));
  EXPECT_TRUE(isNewer("", "0.0.1"));
  EXPECT_FALSE(isNewer("0.0.0", "a.b.c"));
  EXPECT_EQ(versionComponent(" 12abc"), 12);
  EXPECT_EQ(versionComponent("-3"), -3);
  EXPECT_EQ(versionComponent("x1"), 0);
  EXPECT_EQ(versionComponent("99999999999999999999999"), LONG_MAX);
}

TEST(UpdateProgress, KilobytesWithOneDecimal) {
  EXPECT_EQ(progressText(0, 0), "0.0KB/0.0KB");
  EXPECT_EQ(progressText(16384, 102400), "16.0KB/100.0KB");
  EXPECT_EQ(progressText(1536, 0), "1.5KB/0.0KB");  // no length announced
  EXPECT_EQ(progressPercent(16384, 102400), 16);
  EXPECT_EQ(progressPercent(102400, 102400), 100);
  EXPECT_EQ(progressPercent(5000, 0), 0);     // the bar stays without a length
  EXPECT_EQ(progressPercent(300, 200), 100);  // never past the end
}

TEST(UpdateAddress, OnlyWebAddressesAreFollowed) {
  EXPECT_TRUE(isWebAddress("http://127.0.0.1:8080/kuva.exe"));
  EXPECT_TRUE(isWebAddress("HTTPS://example.test/a"));
  EXPECT_FALSE(isWebAddress("file:///etc/passwd"));
  EXPECT_FALSE(isWebAddress("ftp://example.test/a"));
  EXPECT_FALSE(isWebAddress("http:///nohost"));
  EXPECT_FALSE(isWebAddress(""));
  EXPECT_TRUE(isRedirectAllowed("http://a.test/x", "https://b.test/y"));
  EXPECT_TRUE(isRedirectAllowed("https://a.test/x", "https://b.test/y"));
  EXPECT_FALSE(isRedirectAllowed("https://a.test/x", "http://b.test/y"));  // no downgrade
  EXPECT_FALSE(isRedirectAllowed("http://a.test/x", "file:///etc/passwd"));
}

TEST(UpdateVerdict, CompleteOnlyWithStatus200AndAllBytes) {
  DownloadFacts f;
  f.status = 200;
  f.announced = 1000;
  f.received = 1000;
  EXPECT_EQ(judgeDownload(f), Verdict::Complete);
  f.received = 999;
  EXPECT_EQ(judgeDownload(f), Verdict::Incomplete);
  f.received = 1000;
  f.overrun = true;  // more followed the announced length: the length was a lie
  EXPECT_EQ(judgeDownload(f), Verdict::Incomplete);
  f.overrun = false;
  // Without a length only a checksum proves the file whole.
  f.announced.reset();
  EXPECT_EQ(judgeDownload(f), Verdict::Incomplete);
  f.expected_sha256 = f.actual_sha256 = std::string(64, 'a');
  EXPECT_EQ(judgeDownload(f), Verdict::Complete);
  f.received = 0;
  EXPECT_EQ(judgeDownload(f), Verdict::Incomplete);
  f.received = 10;
  f.status = 404;
  EXPECT_EQ(judgeDownload(f), Verdict::NotFound);
  EXPECT_STREQ(verdictMessage(Verdict::NotFound), kNotOnServer);
  f.status = 500;
  EXPECT_EQ(judgeDownload(f), Verdict::ServerError);
  f.status = 206;  // a partial answer is not the whole program
  EXPECT_EQ(judgeDownload(f), Verdict::ServerError);
}

TEST(UpdateVerdict, ChecksumMismatchRefusesTheFile) {
  DownloadFacts f;
  f.status = 200;
  f.received = 3;
  f.actual_sha256 = "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad";
  f.expected_sha256 = "BA7816BF8F01CFEA414140DE5DAE2223B00361A396177A9CB410FF61F20015AD";
  EXPECT_EQ(judgeDownload(f), Verdict::Complete);
  f.expected_sha256[0] = 'c';
  EXPECT_EQ(judgeDownload(f), Verdict::HashMismatch);
  EXPECT_STREQ(verdictMessage(Verdict::HashMismatch), kHashMismatch);
}
