// The updater dialog end to end against a server on 127.0.0.1: the running "program" (a copy
// of sleep) is ended, replaced by the download (a stand-in program) and the new one started.
#include <QCryptographicHash>
#include <QLabel>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

#include <unistd.h>

#include "loopback_server.h"
#include "update/replace.h"
#include "update/update_dialog.h"

using update::CUpdateDlg;

namespace {
const QByteArray kAsp = "/bbs/Update/kuva.asp";

LoopbackRoute text(const QByteArray& body) {
  LoopbackRoute r;
  r.body = body;
  return r;
}

QPushButton* button(CUpdateDlg& d, const char* name) {
  return d.findChild<QPushButton*>(QString::fromLatin1(name));
}
QLabel* label(CUpdateDlg& d, const char* name) {
  return d.findChild<QLabel*>(QString::fromLatin1(name));
}

// The bytes of a small program of this machine that answers "--version".
QByteArray standIn() {
  QFile f(QStringLiteral(KUVA_BIN_DIR "/update_stand_in"));
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}
}  // namespace

class UpdateDialogTest : public QObject {
  Q_OBJECT
 private slots:
  void startsIdle() {
    CUpdateDlg d({}, QDir::tempPath());
    d.show();
    QCOMPARE(d.windowTitle(), QStringLiteral("kuva环评计算器自动更新程序 V1.6.2.1"));
    QVERIFY(!label(d, "statusText")->isVisible());
    QVERIFY(!d.findChild<QProgressBar*>(QStringLiteral("progressBar"))->isVisible());
    QCOMPARE(button(d, "updateButton")->text(), QStringLiteral("更新"));
    // Nothing runs: "取消" closes at once without asking.
    bool asked = false;
    d.setAsk([&](QWidget*, const QString&) { return asked = true; });
    button(d, "cancelButton")->click();
    QVERIFY(!asked);
    QVERIFY(!d.isVisible());
  }

  void downloadReplaceAndRestart() {
    QTemporaryDir dir;
    QTemporaryDir cache;
    const QString program = dir.filePath(QStringLiteral("kuvacalc"));
    const QString marker = dir.filePath(QStringLiteral("started"));
    QVERIFY(QFile::copy(QStringLiteral("/bin/sleep"), program));
    QFile::setPermissions(program, QFile::permissions(program) | QFileDevice::ExeOwner);
    QProcess running;
    running.start(program, {QStringLiteral("30")});
    QVERIFY(running.waitForStarted());

    const QByteArray fresh = standIn();  // leaves "started" beside itself
    LoopbackServer srv;
    srv.route(kAsp, text("#1.6.3.0#" + srv.base().toUtf8() + "/kuva.exe#"));
    srv.route("/kuva.exe", text(fresh));
    CUpdateDlg d({QStringLiteral("1.6.2.9"), program, srv.base()}, cache.path());
    QStringList told;
    d.setTell([&](QWidget*, const QString& t) { told << t; });
    d.show();
    button(d, "updateButton")->click();
    QVERIFY(!button(d, "updateButton")->isVisible());
    QTRY_COMPARE_WITH_TIMEOUT(button(d, "updateButton")->text(), QStringLiteral("确定"), 10000);
    QVERIFY(button(d, "updateButton")->isVisible());
    QCOMPARE(label(d, "statusText")->text(),
             QStringLiteral("程序下载完成，请按确定完成升级并体验最新版！"));
    QVERIFY(!label(d, "byteCount")->isVisible());
    QVERIFY(QFile::exists(cache.filePath(QStringLiteral("kuva.bf"))));

    button(d, "updateButton")->click();
    QVERIFY2(told.isEmpty(), qPrintable(told.join(QLatin1Char('\n'))));
    QVERIFY(running.waitForFinished(5000));  // the old program was ended
    QFile now(program);
    QVERIFY(now.open(QIODevice::ReadOnly));
    QCOMPARE(now.readAll(), fresh);
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(marker), 5000);  // and the new one started
    QVERIFY(!QFile::exists(cache.filePath(QStringLiteral("kuva.bf"))));
    QVERIFY(!d.isVisible());
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 2);
  }

  // Broken or hostile servers: the update fails with a message, "确定" is never offered, and
  // the program, alone in its folder, stays as it was.
  void hostileServersLeaveTheProgramAlone() {
    const QByteArray file = standIn();
    const QByteArray sum = QCryptographicHash::hash(file, QCryptographicHash::Sha256).toHex();
    const qsizetype cut = file.size() * 6 / 10;
    const auto route = [&](auto&& edit) {
      LoopbackRoute r = text(file);
      edit(r);
      return r;
    };
    const auto as_is = [](LoopbackRoute&) {};
    struct Case {
      const char* name;
      QByteArray hash_field;  // the reply's fourth field with its "#"
      LoopbackRoute download;
      const char* status;
      std::optional<LoopbackRoute> check;  // instead of the plain reply
    };
    LoopbackRoute endless_reply = text(QByteArray(1000, 'x'));
    endless_reply.chunked = endless_reply.endless = true;
    endless_reply.interval_ms = 1;
    LoopbackRoute slow_reply = text("#2.0#http://127.0.0.1/kuva.exe#" + QByteArray(40, ' '));
    slow_reply.chunk = 1;
    slow_reply.interval_ms = 20;
    const QList<Case> cases{
        {"no length, cut at 60 %",
         {},
         route([&](LoopbackRoute& r) { r.announce_length = false, r.send = cut; }),
         update::kIncomplete,
         {}},
        {"length shorter than the body",
         {},
         route([&](LoopbackRoute& r) { r.announced = cut; }),
         update::kIncomplete,
         {}},
        {"chunked and cut",
         sum + "#",
         route([&](LoopbackRoute& r) { r.chunked = true, r.chunk = 4096, r.send = cut; }),
         update::kIncomplete,
         {}},
        {"63 hex digits", sum.left(63) + "#", route(as_is), update::kBadChecksum, {}},
        {"64 non-hex", QByteArray(64, 'z') + "#", route(as_is), update::kBadChecksum, {}},
        {"stalled download",
         {},
         route([&](LoopbackRoute& r) { r.send = cut, r.hold_open = true; }),
         update::kNetworkFailed,
         {}},
        {"a byte now and then",
         {},
         route([&](LoopbackRoute& r) { r.chunk = 1, r.interval_ms = 2000; }),
         update::kNetworkFailed,
         {}},
        {"endless check reply", {}, route(as_is), update::kNetworkFailed, endless_reply},
        {"slow check reply", {}, route(as_is), update::kNetworkFailed, slow_reply},
        {"endless download",
         sum + "#",
         route([&](LoopbackRoute& r) {
           r.announce_length = false, r.endless = true, r.interval_ms = 1;
         }),
         update::kTooLarge,
         {}},
        {"announced beyond the limit",
         {},
         route([&](LoopbackRoute& r) { r.announced = qint64(1) << 40, r.hold_open = true; }),
         update::kTooLarge,
         {}},
        {"not a program", {}, text("#!/bin/sh\nrm -rf ~\n"), update::kNotAProgram, {}},
    };
    for (const Case& c : cases) {
      QTemporaryDir dir;
      QTemporaryDir cache;
      const QString program = dir.filePath(QStringLiteral("kuvacalc"));
      QVERIFY(QFile::copy(QStringLiteral("/bin/true"), program));
      LoopbackServer srv;
      srv.route(kAsp, c.check.value_or(
                          text("#2.0#" + srv.base().toUtf8() + "/kuva.exe#" + c.hash_field)));
      srv.route("/kuva.exe", c.download);
      CUpdateDlg d({QStringLiteral("1.0"), program, srv.base()}, cache.path());
      d.session().setLimits({300, 600, 4096, 4 * file.size()});
      d.show();
      QElapsedTimer clock;
      clock.start();
      button(d, "updateButton")->click();
      QTRY_VERIFY_WITH_TIMEOUT(button(d, "updateButton")->isVisible(), 5000);
      QVERIFY2(clock.elapsed() < 3000, c.name);
      QVERIFY2(label(d, "statusText")->text() == QString::fromUtf8(c.status),
               qPrintable(QString::fromUtf8(c.name) + QStringLiteral(": ") +
                          label(d, "statusText")->text()));
      QCOMPARE(button(d, "updateButton")->text(), QStringLiteral("更新"));
      QVERIFY2(!QFile::exists(cache.filePath(QStringLiteral("kuva.bf"))), c.name);
      QFile now(program);
      QFile old(QStringLiteral("/bin/true"));
      QVERIFY(now.open(QIODevice::ReadOnly) && old.open(QIODevice::ReadOnly));
      QVERIFY2(now.readAll() == old.readAll(), c.name);
      QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 1);
    }
  }

  // A new program that does not answer "--version" is taken out again and the old one put back.
  void programThatDoesNotAnswerIsTakenBack() {
    QTemporaryDir dir;
    QTemporaryDir cache;
    const QString program = dir.filePath(QStringLiteral("kuvacalc"));
    QVERIFY(QFile::copy(QStringLiteral("/bin/sleep"), program));
    QProcess running;
    running.start(program, {QStringLiteral("30")});
    QVERIFY(running.waitForStarted());
    LoopbackServer srv;
    srv.route(kAsp, text("#2.0#" + srv.base().toUtf8() + "/kuva.exe#"));
    srv.route("/kuva.exe", text(standIn()));
    CUpdateDlg d({QStringLiteral("1.0"), program, srv.base()}, cache.path());
    QStringList told;
    d.setTell([&](QWidget*, const QString& t) { told << t; });
    d.show();
    button(d, "updateButton")->click();
    QTRY_COMPARE_WITH_TIMEOUT(button(d, "updateButton")->text(), QStringLiteral("确定"), 10000);
    qputenv("KUVA_STAND_IN", "fail");
    button(d, "updateButton")->click();
    qunsetenv("KUVA_STAND_IN");
    QCOMPARE(told, QStringList{QString::fromUtf8(update::kStartFailed)});
    QVERIFY(running.waitForFinished(5000));
    QFile now(program);
    QFile old(QStringLiteral("/bin/sleep"));
    QVERIFY(now.open(QIODevice::ReadOnly) && old.open(QIODevice::ReadOnly));
    QVERIFY(now.readAll() == old.readAll());
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden),
             QStringList{QStringLiteral("kuvacalc")});  // never started, no leftovers
    QVERIFY(d.isVisible());
  }

  void cancelAsksAndNoResumes() {
    QTemporaryDir cache;
    LoopbackServer srv;
    const QByteArray file = standIn().left(64) + QByteArray(200000 - 64, 'k');
    srv.route(kAsp, text("#2.0#" + srv.base().toUtf8() + "/kuva.exe#"));
    LoopbackRoute slow = text(file);
    slow.chunk = 4000;
    slow.interval_ms = 10;
    srv.route("/kuva.exe", slow);
    CUpdateDlg d({QStringLiteral("1.0"), QString(), srv.base()}, cache.path());
    QStringList questions;
    bool answer = false;
    d.setAsk([&](QWidget*, const QString& q) {
      questions << q;
      return answer;
    });
    d.show();
    button(d, "updateButton")->click();
    auto* bar = d.findChild<QProgressBar*>(QStringLiteral("progressBar"));
    QTRY_VERIFY_WITH_TIMEOUT(bar->isVisible() && bar->value() > 0, 5000);
    QVERIFY(label(d, "byteCount")->text().endsWith(QStringLiteral("KB/195.3KB")));
    button(d, "cancelButton")->click();  // No: the download goes on
    QCOMPARE(questions, QStringList{QStringLiteral("升级没有完成，是否退出？")});
    QVERIFY(d.isVisible());
    QTRY_COMPARE_WITH_TIMEOUT(button(d, "updateButton")->text(), QStringLiteral("确定"), 10000);
    QFile got(cache.filePath(QStringLiteral("kuva.bf")));
    QVERIFY(got.open(QIODevice::ReadOnly));
    QCOMPARE(got.readAll(), file);
  }

  void cancelYesStopsAndDeletesTheDownload() {
    QTemporaryDir cache;
    LoopbackServer srv;
    srv.route(kAsp, text("#2.0#" + srv.base().toUtf8() + "/kuva.exe#"));
    LoopbackRoute slow = text(QByteArray(200000, 'k'));
    slow.chunk = 1000;
    slow.interval_ms = 20;
    srv.route("/kuva.exe", slow);
    CUpdateDlg d({QStringLiteral("1.0"), QString(), srv.base()}, cache.path());
    d.setAsk([](QWidget*, const QString&) { return true; });
    d.show();
    button(d, "updateButton")->click();
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(cache.filePath(QStringLiteral("kuva.bf"))), 5000);
    d.close();  // closing the window asks like "取消"
    QVERIFY(!d.isVisible());
    QVERIFY(!d.session().running());
    QVERIFY(!QFile::exists(cache.filePath(QStringLiteral("kuva.bf"))));
  }

  // A folder the user may not write: the running program is left alone and nothing changes.
  void readOnlyProgramFolderLeavesTheProgramRunning() {
    QTemporaryDir dir;
    QTemporaryDir cache;
    QString program = dir.filePath(QStringLiteral("kuvacalc"));
    QVERIFY(QFile::copy(QStringLiteral("/bin/sleep"), program));
    QProcess running;
    running.start(program, {QStringLiteral("30")});
    QVERIFY(running.waitForStarted());
    QFile::setPermissions(dir.path(), QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    // The superuser writes anywhere the mode forbids; /proc takes no new file from anyone.
    if (::geteuid() == 0) program = QStringLiteral("/proc/kuvacalc");
    LoopbackServer srv;
    srv.route(kAsp, text("#2.0#" + srv.base().toUtf8() + "/kuva.exe#"));
    srv.route("/kuva.exe", text(standIn()));
    CUpdateDlg d({QStringLiteral("1.0"), program, srv.base()}, cache.path());
    QStringList told;
    d.setTell([&](QWidget*, const QString& t) { told << t; });
    d.show();
    button(d, "updateButton")->click();
    QTRY_COMPARE_WITH_TIMEOUT(button(d, "updateButton")->text(), QStringLiteral("确定"), 10000);
    button(d, "updateButton")->click();
    QCOMPARE(told, QStringList{QString::fromUtf8(update::kFolderReadOnly)});
    QCOMPARE(running.state(), QProcess::Running);
    QVERIFY(QFile::exists(cache.filePath(QStringLiteral("kuva.bf"))));
    QVERIFY(d.isVisible());
    running.kill();
    running.waitForFinished();
    QFile::setPermissions(dir.path(),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
  }

  void upgradeWithoutAProgramPathIsReported() {
    QTemporaryDir cache;
    LoopbackServer srv;
    srv.route(kAsp, text("#2.0#" + srv.base().toUtf8() + "/kuva.exe#"));
    srv.route("/kuva.exe", text(standIn()));
    CUpdateDlg d({QStringLiteral("1.0"), QString(), srv.base()}, cache.path());
    QStringList told;
    d.setTell([&](QWidget*, const QString& t) { told << t; });
    d.show();
    button(d, "updateButton")->click();
    QTRY_COMPARE_WITH_TIMEOUT(button(d, "updateButton")->text(), QStringLiteral("确定"), 10000);
    button(d, "updateButton")->click();
    QCOMPARE(told, QStringList{QStringLiteral("找不到要升级的程序（路径未知），升级没有完成。")});
    QVERIFY(d.isVisible());
  }
};

QTEST_MAIN(UpdateDialogTest)
#include "dialog_test.moc"
