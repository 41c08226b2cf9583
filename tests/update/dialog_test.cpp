// The updater dialog end to end against a server on 127.0.0.1: the running "program" (a copy
// of sleep) is ended, replaced by the download (a stand-in program) and the new one started.
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
    QCOMPARE(d.windowTitle(), QStringLiteral("kuva环评计算器自动更新程序V1.0"));
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

  void cancelAsksAndNoResumes() {
    QTemporaryDir cache;
    LoopbackServer srv;
    const QByteArray file(200000, 'k');
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
