// The updater's check and download against a real HTTP server on 127.0.0.1.
#include <QCryptographicHash>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include "loopback_server.h"
#include "update/update_session.h"

using update::UpdateSession;
using Outcome = update::UpdateSession::Outcome;

namespace {

const QByteArray kAsp = "/bbs/Update/kuva.asp";

// A "program" of `size` bytes: the ELF header of this test program, then a pattern.
QByteArray program(int size) {
  QFile self(QStringLiteral("/proc/self/exe"));
  QByteArray b = self.open(QIODevice::ReadOnly) ? self.read(64) : QByteArray();
  for (qsizetype i = b.size(); i < size; ++i) b += static_cast<char>((i * 7 + 3) & 0xff);
  return b.left(size);
}

LoopbackRoute text(const QByteArray& body) {
  LoopbackRoute r;
  r.body = body;
  return r;
}

struct Run {
  Outcome outcome{};
  QStringList statuses;
  QStringList progress;
  QList<int> percents;
};

}  // namespace

class UpdateSessionTest : public QObject {
  Q_OBJECT

  QTemporaryDir m_dir;

  Run run(const QString& base, const QString& version = QStringLiteral("1.6.2.9"),
          int stall_ms = 5000) {
    UpdateSession s({version, QStringLiteral("/opt/kuva/kuvacalc"), base}, m_dir.path());
    s.setLimits({stall_ms, 5000, 4096, 1 << 20, 100});
    Run r;
    connect(&s, &UpdateSession::statusChanged, [&](const QString& t) { r.statuses << t; });
    connect(&s, &UpdateSession::progress, [&](const QString& t, int p) {
      r.progress << t;
      r.percents << p;
    });
    QSignalSpy done(&s, &UpdateSession::finished);
    s.start();
    if (done.isEmpty()) done.wait(10000);
    if (done.size() != 1) {
      qWarning("no end of the session");
      return r;
    }
    r.outcome = done.at(0).at(0).value<Outcome>();
    return r;
  }

  QString bf() const { return m_dir.filePath(QStringLiteral("kuva.bf")); }

  QByteArray readBf() const {
    QFile f(bf());
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
  }

 private slots:
  void newerVersionIsDownloadedWithProgress() {
    LoopbackServer srv;
    const QByteArray file = program(40000);
    srv.route(kAsp, text("<html>x#1.6.3.0#" + srv.base().toUtf8() + "/kuva.exe#</html>"));
    srv.route("/kuva.exe", text(file));
    const Run r = run(srv.base());
    QCOMPARE(r.outcome, Outcome::Downloaded);
    QCOMPARE(
        r.statuses,
        (QStringList{QStringLiteral("正在检测新版本......"), QStringLiteral("正在下载新版本......"),
                     QStringLiteral("程序下载完成，请按确定完成升级并体验最新版！")}));
    QCOMPARE(readBf(), file);
    QCOMPARE(r.progress.last(), QStringLiteral("39.1KB/39.1KB"));
    QCOMPARE(r.percents.last(), 100);
    QCOMPARE(r.progress.first(), QStringLiteral("0.0KB/0.0KB"));
    // The headers of both requests: no cache, the download's language and agent.
    QCOMPARE(srv.requests[kAsp].value("pragma"), QByteArray("no-cache"));
    QVERIFY(srv.requests[kAsp].value("user-agent").startsWith("Agent"));
    QCOMPARE(srv.requests["/kuva.exe"].value("accept-language"), QByteArray("zh-cn"));
    QCOMPARE(srv.requests["/kuva.exe"].value("accept"), QByteArray("*/*"));
    QVERIFY(srv.requests["/kuva.exe"].value("user-agent").startsWith("Mozilla/4.0"));
  }

  void sameOrOlderVersionIsLatest() {
    LoopbackServer srv;
    srv.route(kAsp, text("#1.6.3.0#" + srv.base().toUtf8() + "/kuva.exe#"));
    srv.route("/kuva.exe", text(program(100)));
    Run r = run(srv.base(), QStringLiteral("1.6.3.5"));
    QCOMPARE(r.outcome, Outcome::UpToDate);
    QCOMPARE(r.statuses.last(), QStringLiteral("您的程序已经升级为最新版本！"));
    QVERIFY(!srv.requests.contains("/kuva.exe"));
    // A reply without "#" has no version, which is never newer.
    QFile::remove(bf());
    srv.route(kAsp, text("maintenance"));
    r = run(srv.base());
    QCOMPARE(r.outcome, Outcome::UpToDate);
    QVERIFY(!QFile::exists(bf()));
  }

  void missingFileOnTheServer() {
    LoopbackServer srv;
    srv.route(kAsp, text("#9.0.0#" + srv.base().toUtf8() + "/gone.exe#"));
    const Run r = run(srv.base());
    QCOMPARE(r.outcome, Outcome::DownloadFailed);
    QCOMPARE(r.statuses.last(), QStringLiteral("更新失败，服务器上更新文件不存在!"));
    QVERIFY(!QFile::exists(bf()));
  }

  void noServerOrServerError() {
    Run r = run(QStringLiteral("http://127.0.0.1:%1").arg(LoopbackServer::closedPort()));
    QCOMPARE(r.outcome, Outcome::NetworkFailed);
    QCOMPARE(r.statuses.last(), QStringLiteral("更新失败，请检测网络是否正常！"));
    r = run(QString());  // no server address in the settings
    QCOMPARE(r.outcome, Outcome::NetworkFailed);
    {
      LoopbackServer plain;  // https to a server that speaks no TLS
      plain.route(kAsp, text("#9.9.9#http://127.0.0.1/x#"));
      r = run(plain.base().replace(QStringLiteral("http:"), QStringLiteral("https:")), {}, 300);
    }
    QCOMPARE(r.outcome, Outcome::NetworkFailed);
    LoopbackServer srv;
    LoopbackRoute broken = text("#9.9.9#http://127.0.0.1/x#");
    broken.status = 500;
    srv.route(kAsp, broken);
    r = run(srv.base());
    QCOMPARE(r.outcome, Outcome::NetworkFailed);
  }

  void truncatedDownloadIsRefused() {
    LoopbackServer srv;
    srv.route(kAsp, text("#1.7#" + srv.base().toUtf8() + "/kuva.exe#"));
    LoopbackRoute cut = text(program(30000));
    cut.send = 12000;  // announces 30000, sends 12000 and hangs up
    srv.route("/kuva.exe", cut);
    const Run r = run(srv.base());
    QCOMPARE(r.outcome, Outcome::DownloadFailed);
    QCOMPARE(r.statuses.last(), QStringLiteral("更新失败，下载的文件不完整！"));
    QVERIFY(!QFile::exists(bf()));
  }

  void checksumDecides() {
    LoopbackServer srv;
    const QByteArray file = program(5000);
    const QByteArray sum = QCryptographicHash::hash(file, QCryptographicHash::Sha256).toHex();
    srv.route("/kuva.exe", text(file));
    QByteArray wrong = sum;
    wrong[0] = wrong[0] == 'a' ? 'b' : 'a';
    srv.route(kAsp, text("#1.7#" + srv.base().toUtf8() + "/kuva.exe#" + wrong + "#"));
    Run r = run(srv.base());
    QCOMPARE(r.outcome, Outcome::DownloadFailed);
    QCOMPARE(r.statuses.last(), QStringLiteral("更新失败，下载的文件校验不符，已丢弃！"));
    QVERIFY(!QFile::exists(bf()));
    srv.route(kAsp, text("#1.7#" + srv.base().toUtf8() + "/kuva.exe#" + sum.toUpper() + "#"));
    r = run(srv.base());
    QCOMPARE(r.outcome, Outcome::Downloaded);
    QCOMPARE(readBf(), file);
  }

  // Without a length only the reply's checksum can prove the file whole.
  void noContentLength() {
    LoopbackServer srv;
    const QByteArray file = program(3000);
    const QByteArray sum = QCryptographicHash::hash(file, QCryptographicHash::Sha256).toHex();
    srv.route(kAsp, text("#1.7#" + srv.base().toUtf8() + "/kuva.exe#" + sum + "#"));
    LoopbackRoute plain = text(file);
    plain.announce_length = false;
    srv.route("/kuva.exe", plain);
    const Run r = run(srv.base());
    QCOMPARE(r.outcome, Outcome::Downloaded);
    QCOMPARE(readBf(), file);
    QCOMPARE(r.progress.last(), QStringLiteral("2.9KB/0.0KB"));
    for (int p : r.percents) QCOMPARE(p, 0);
    // An empty answer without a length is nothing to install.
    LoopbackRoute empty;
    empty.announce_length = false;
    srv.route("/kuva.exe", empty);
    QCOMPARE(run(srv.base()).statuses.last(), QStringLiteral("更新失败，下载的文件不完整！"));
  }

  // Servers that answer correctly in other ways still deliver: one that keeps the connection
  // open after the announced length, chunked transfer with a checksum, an interim answer.
  void wellBehavedVariantsDeliver() {
    const QByteArray file = program(70000);
    const QByteArray sum = QCryptographicHash::hash(file, QCryptographicHash::Sha256).toHex();
    LoopbackRoute open_after = text(file);
    open_after.hold_open = true;
    LoopbackRoute chunked = text(file);
    chunked.chunked = true;
    chunked.chunk = 5000;
    chunked.interval_ms = 1;
    LoopbackRoute interim = text(file);
    interim.status = 100;  // "100 Continue", then the real answer as a second head
    interim.extra_headers =
        "\r\nHTTP/1.1 200 OK\r\nContent-Length: " + QByteArray::number(file.size()) + "\r\n";
    interim.announce_length = false;
    for (const auto& [route, tail] :
         {std::pair{open_after, QByteArray()}, std::pair{chunked, sum + "#"},
          std::pair{interim, QByteArray()}}) {
      LoopbackServer srv;
      srv.route(kAsp, text("#1.7#" + srv.base().toUtf8() + "/kuva.exe#" + tail));
      srv.route("/kuva.exe", route);
      const Run r = run(srv.base());
      QCOMPARE(r.outcome, Outcome::Downloaded);
      QCOMPARE(readBf(), file);
    }
  }

  void onlyWebAddressesAreFollowed() {
    LoopbackServer srv;
    srv.route(kAsp, text("#1.7#file:///etc/passwd#"));
    Run r = run(srv.base());
    QCOMPARE(r.outcome, Outcome::DownloadFailed);
    QCOMPARE(r.statuses.last(), QStringLiteral("更新失败，下载地址无效！"));
    // A redirect to another web address is followed; to a file it is refused.
    const QByteArray file = program(2000);
    srv.route("/kuva.exe", text(file));
    LoopbackRoute moved = text({});
    moved.status = 302;
    moved.extra_headers = "Location: " + srv.base().toUtf8() + "/kuva.exe\r\n";
    srv.route("/moved", moved);
    srv.route(kAsp, text("#1.7#" + srv.base().toUtf8() + "/moved#"));
    r = run(srv.base());
    QCOMPARE(r.outcome, Outcome::Downloaded);
    QCOMPARE(readBf(), file);
    moved.extra_headers = "Location: file:///etc/passwd\r\n";
    srv.route("/moved", moved);
    r = run(srv.base());
    QCOMPARE(r.outcome, Outcome::DownloadFailed);
    QCOMPARE(r.statuses.last(), QStringLiteral("更新失败，下载地址无效！"));
    QVERIFY(!QFile::exists(bf()));
  }

  void unwritableDownloadFolderIsAFailure() {
    LoopbackServer srv;
    srv.route(kAsp, text("#1.7#" + srv.base().toUtf8() + "/kuva.exe#"));
    srv.route("/kuva.exe", text(program(1000)));
    const QString notAFolder = m_dir.filePath(QStringLiteral("plain-file"));
    QFile f(notAFolder);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.close();
    UpdateSession s({QStringLiteral("1.0"), QString(), srv.base()}, notAFolder);
    QSignalSpy status(&s, &UpdateSession::statusChanged);
    QSignalSpy done(&s, &UpdateSession::finished);
    s.start();
    QVERIFY(done.wait(5000));
    QCOMPARE(done.size(), 1);
    QCOMPARE(done.at(0).at(0).value<Outcome>(), Outcome::DownloadFailed);
    QCOMPARE(status.last().at(0).toString(), QStringLiteral("更新失败，无法保存下载的文件！"));
  }

  void pauseHoldsTheDownloadAndResumeFinishesIt() {
    LoopbackServer srv;
    const QByteArray file = program(300000);
    srv.route(kAsp, text("#1.7#" + srv.base().toUtf8() + "/kuva.exe#"));
    LoopbackRoute slow = text(file);
    slow.chunk = 30000;
    slow.interval_ms = 5;
    srv.route("/kuva.exe", slow);
    UpdateSession s({QStringLiteral("1.0"), QString(), srv.base()}, m_dir.path());
    QSignalSpy started(&s, &UpdateSession::downloadStarted);
    QSignalSpy progress(&s, &UpdateSession::progress);
    QSignalSpy done(&s, &UpdateSession::finished);
    s.start();
    QVERIFY(started.wait(5000));
    QTRY_VERIFY_WITH_TIMEOUT(progress.size() > 1, 5000);
    s.pause();
    const qsizetype seen = progress.size();
    QTest::qWait(300);  // the server has long sent everything by now
    QCOMPARE(progress.size(), seen);
    QVERIFY(done.isEmpty());
    QVERIFY(s.running());
    s.resume();
    QTRY_COMPARE_WITH_TIMEOUT(done.size(), 1, 5000);
    QCOMPARE(done.at(0).at(0).value<Outcome>(), Outcome::Downloaded);
    QCOMPARE(readBf(), file);
  }

  void abortDeletesThePartialFile() {
    LoopbackServer srv;
    srv.route(kAsp, text("#1.7#" + srv.base().toUtf8() + "/kuva.exe#"));
    LoopbackRoute slow = text(program(200000));
    slow.chunk = 1000;
    slow.interval_ms = 20;
    srv.route("/kuva.exe", slow);
    UpdateSession s({QStringLiteral("1.0"), QString(), srv.base()}, m_dir.path());
    QSignalSpy progress(&s, &UpdateSession::progress);
    QSignalSpy done(&s, &UpdateSession::finished);
    s.start();
    QTRY_VERIFY_WITH_TIMEOUT(progress.size() > 2, 5000);
    QVERIFY(QFile::exists(bf()));
    s.abort();
    QVERIFY(!s.running());
    QVERIFY(!QFile::exists(bf()));
    QTest::qWait(100);
    QVERIFY(done.isEmpty());
  }
};

QTEST_MAIN(UpdateSessionTest)
#include "session_test.moc"
