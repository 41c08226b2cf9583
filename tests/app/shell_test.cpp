// The main window as a user meets it: the start page, the menus, switching pages, the number
// prompt, the single instance and the closing animation.
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QMenu>
#include <QProcess>
#include <QPushButton>
#include <QSettings>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include "app/calculator_page.h"
#include "app/main_window.h"
#include "app/menu_table.h"
#include "app/single_instance.h"
#include "widgets/category_button.h"
#include "widgets/color_label.h"
#include "widgets/prompts.h"

using app::CMainDlg;

namespace {
struct Shown {
  QString text, caption;
};

QLineEdit* edit(QWidget* page, const char* key) {
  return page->findChild<QLineEdit*>(QString::fromLatin1(key));
}
}  // namespace

class ShellTest : public QObject {
  Q_OBJECT
 private:
  QList<Shown> shown_;

 private slots:
  void init() {
    shown_.clear();
    widgets::setMessageSink([this](QWidget*, const QString& t, const QString& c) { shown_.append({t, c}); });
  }
  void cleanup() { widgets::setMessageSink({}); }

  void startPageIsTheOnlyVisiblePage() {
    CMainDlg dlg;
    dlg.show();
    QCOMPARE(dlg.windowTitle(), QStringLiteral("kuva环评计算"));
    QCOMPARE(dlg.visiblePage(), 1);
    int visible = 0;
    for (int n = 1; n <= app::kPageCount; ++n)
      if (dlg.page(n)->isVisibleTo(&dlg)) ++visible;
    QCOMPARE(visible, 1);
    QVERIFY(qobject_cast<app::CalculatorPage*>(dlg.page(1)));
  }

  void everyMenuCommandShowsExactlyItsPage() {
    CMainDlg dlg;
    dlg.show();
    for (const auto& m : app::categoryMenus()) {
      widgets::CCategoryButton* b = dlg.categoryButton(m.button_id);
      QVERIFY2(b, m.button_text.c_str());
      QCOMPARE(b->isHidden(), m.hidden);
      const auto actions = b->popupMenu()->actions();
      QCOMPARE(actions.size(), static_cast<qsizetype>(m.items.size()));
      for (qsizetype i = 0; i < actions.size(); ++i) {
        const auto& item = m.items[static_cast<size_t>(i)];
        QCOMPARE(actions[i]->isSeparator(), item.separator());
        if (item.separator()) continue;
        QCOMPARE(actions[i]->text(), QString::fromStdString(item.text));
        if (item.page == 0) continue;
        dlg.ShowPage(1);
        actions[i]->trigger();
        QCOMPARE(dlg.visiblePage(), item.page);
      }
    }
    dlg.ShowPage(0);
    QCOMPARE(dlg.visiblePage(), 1);
    dlg.ShowPage(39);
    QCOMPARE(dlg.visiblePage(), 1);
    dlg.ShowPage(26);  // the pool-fire page exists although no menu shows it
    QCOMPARE(dlg.visiblePage(), 26);
  }

  void decibelCommandDoesNothingWithoutItsWindow() {
    CMainDlg dlg;
    dlg.show();
    dlg.onCommand(app::kDecibelCommand);
    QCOMPARE(dlg.visiblePage(), 1);
  }

  void typedValuesSurviveSwitchingPages() {
    CMainDlg dlg;
    dlg.show();
    QWidget* p = dlg.page(1);
    edit(p, "N")->setText(QStringLiteral("100"));
    edit(p, "Nr")->setText(QStringLiteral("20"));
    QTest::mouseClick(p->findChild<QPushButton*>(QStringLiteral("action:compute")), Qt::LeftButton);
    QCOMPARE(edit(p, "Qd")->text(), QStringLiteral("4.8"));
    dlg.onCommand(32808);
    QCOMPARE(dlg.visiblePage(), 22);
    dlg.onCommand(32807);
    QCOMPARE(dlg.visiblePage(), 1);
    QCOMPARE(edit(p, "N")->text(), QStringLiteral("100"));
    QCOMPARE(edit(p, "Qd")->text(), QStringLiteral("4.8"));
    QVERIFY(shown_.isEmpty());
  }

  void unreadableNumberPromptsFocusesAndStops() {
    CMainDlg dlg;
    dlg.show();
    QApplication::setActiveWindow(&dlg);
    QWidget* p = dlg.page(1);
    auto* compute = p->findChild<QPushButton*>(QStringLiteral("action:compute"));
    edit(p, "N")->setText(QStringLiteral("100"));
    edit(p, "Nr")->setText(QStringLiteral("20"));
    QTest::mouseClick(compute, Qt::LeftButton);
    QCOMPARE(edit(p, "Qy")->text(), QStringLiteral("1440"));

    for (const QString& bad : {QStringLiteral("abc"), QString(), QStringLiteral("3x")}) {
      shown_.clear();
      edit(p, "N")->setText(QStringLiteral("200"));  // would change every result
      edit(p, "d")->setText(bad);
      QTest::mouseClick(compute, Qt::LeftButton);
      QCOMPARE(shown_.size(), 1);
      QCOMPARE(shown_[0].text, QStringLiteral("请输入一个数字。"));
      QVERIFY(edit(p, "d")->hasFocus());
      QCOMPARE(edit(p, "Qy")->text(), QStringLiteral("1440"));
      QCOMPARE(edit(p, "Qd")->text(), QStringLiteral("4.8"));
    }
  }

  void failedCheckShowsItsMessageWithCaptionAndFocus() {
    CMainDlg dlg;
    dlg.show();
    QApplication::setActiveWindow(&dlg);
    QWidget* p = dlg.page(1);
    edit(p, "N")->setText(QStringLiteral("10"));
    edit(p, "Nr")->setText(QStringLiteral("20"));
    QTest::mouseClick(p->findChild<QPushButton*>(QStringLiteral("action:compute")), Qt::LeftButton);
    QCOMPARE(shown_.size(), 1);
    QCOMPARE(shown_[0].text, QStringLiteral("逻辑常识错误，请重新输入"));
    QCOMPARE(shown_[0].caption, QStringLiteral("错误"));
    QVERIFY(edit(p, "Nr")->hasFocus());
    QCOMPARE(edit(p, "Qd")->text(), QStringLiteral("0"));
  }

  void settingsAreWrittenAtStart() {
    CMainDlg dlg;
    QSettings s(QStringLiteral("kuva"), QStringLiteral("Settings"));
    QCOMPARE(s.value(QStringLiteral("Version")).toString(), QStringLiteral("1.6.2.1"));
    QCOMPARE(s.value(QStringLiteral("AppName")).toString(), QCoreApplication::applicationFilePath());
    QVERIFY(!s.value(QStringLiteral("URL")).toString().isEmpty());
  }

  void clockShowsTheTimeAndChangesColour() {
    CMainDlg dlg;
    dlg.show();
    QVERIFY(dlg.clockLabel()->text().startsWith(QStringLiteral("现在时间 ")));
    QCOMPARE(dlg.clockLabel()->textColour(), QColor(249, 6, 240));
    const QString before = dlg.clockLabel()->text();
    QTRY_VERIFY_WITH_TIMEOUT(dlg.clockLabel()->text() != before, 2500);
  }

  void topmostSwitchKeepsTheWindowAbove() {
    CMainDlg dlg;
    dlg.show();
    dlg.topmostCheck()->setChecked(true);
    QVERIFY(dlg.windowFlags() & Qt::WindowStaysOnTopHint);
    dlg.topmostCheck()->setChecked(false);
    QVERIFY(!(dlg.windowFlags() & Qt::WindowStaysOnTopHint));
  }

  void closeAnimationShrinksAndEndsTheWindow() {
    CMainDlg dlg;
    dlg.show();
    const QSize start = dlg.size();
    QSignalSpy finished(&dlg, &QDialog::finished);
    dlg.close();
    QVERIFY(dlg.closing());
    QTRY_VERIFY_WITH_TIMEOUT(dlg.size().width() < start.width() || finished.count() > 0, 2000);
    QTRY_COMPARE_WITH_TIMEOUT(finished.count(), 1, 10000);
    QVERIFY(!dlg.closing());
  }

  void secondInstanceIsRefusedAndStaleLockTakenOver() {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("lock"));
    app::SingleInstance first(path);
    QVERIFY(first.acquire());
    app::SingleInstance second(path);
    QVERIFY(!second.acquire());

    // A lock left behind by a crashed run: its process no longer exists.
    const QString stale = dir.filePath(QStringLiteral("stale"));
    QFile f(stale);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write("999999999\nkuvacalc\n" + QSysInfo::machineHostName().toUtf8() + "\n");
    f.close();
    app::SingleInstance after_crash(stale);
    QVERIFY(after_crash.acquire());
  }

  void realProgramRefusesASecondStart() {
    const QString prog = QStringLiteral(KUVA_BIN_DIR "/kuvacalc");
    if (!QFile::exists(prog)) QSKIP("kuvacalc not built");
    app::SingleInstance held;  // the default lock, as a running first instance holds it
    if (!held.acquire()) QSKIP("another kuvacalc is running on this machine");
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("KUVACALC_MESSAGES_TO_STDERR"), QStringLiteral("1"));
    p.setProcessEnvironment(env);
    p.start(prog, {});
    QVERIFY(p.waitForFinished(20000));
    QCOMPARE(p.exitCode(), 0);
    QVERIFY(QString::fromUtf8(p.readAllStandardError()).contains(app::kSecondInstanceMessage));
  }
};

QTEST_MAIN(ShellTest)
#include "shell_test.moc"
