// The main window as a user meets it: the start page, the menus, switching pages, the number
// prompt, the single instance and the closing animation.
#include <QCheckBox>
#include <QContextMenuEvent>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QProcess>
#include <QPushButton>
#include <QScreen>
#include <QSettings>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QWindow>
#include <QtTest>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

#include "app/about_dialog.h"
#include "app/calculator_page.h"
#include "app/main_window.h"
#include "app/menu_table.h"
#include "app/pages/noise/decibel_calc_dialog.h"
#include "app/pages/tools/unit_converter_page.h"
#include "app/single_instance.h"
#include "models/registry.h"
#include "widgets/category_button.h"
#include "widgets/color_label.h"
#include "widgets/prompts.h"

using app::CMainDlg;

namespace {
struct Shown {
  QString text, caption;
};

// Records a top-level window's geometry at every resize.
class GeometryRecorder : public QObject {
 public:
  explicit GeometryRecorder(QList<QRect>* out) : out_(out) {}
  bool eventFilter(QObject* o, QEvent* e) override {
    if (e->type() == QEvent::Resize) out_->append(static_cast<QWidget*>(o)->geometry());
    return false;
  }

 private:
  QList<QRect>* out_;
};

// Puts a window back to a minimum size, later, whenever it was made smaller.
class WindowManagerFloor : public QObject {
 public:
  explicit WindowManagerFloor(QSize floor) : floor_(floor) {}
  bool eventFilter(QObject* o, QEvent* e) override {
    auto* w = static_cast<QWidget*>(o);
    if (e->type() == QEvent::Resize &&
        (w->width() < floor_.width() || w->height() < floor_.height()))
      QMetaObject::invokeMethod(
          w, [w, f = floor_] { w->resize(f); }, Qt::QueuedConnection);
    return false;
  }

 private:
  QSize floor_;
};

QLineEdit* edit(QWidget* page, const char* key) {
  return page->findChild<QLineEdit*>(QString::fromLatin1(key));
}
}  // namespace

class ShellTest : public QObject {
  Q_OBJECT
 private:
  QList<Shown> shown_;
  QTemporaryDir data_dir_;  // the unit converter's table, kept out of the user's data folder

 private slots:
  void initTestCase() { app::setUnitTablePath(data_dir_.filePath(QStringLiteral("data.ini"))); }

  void init() {
    shown_.clear();
    widgets::setMessageSink([this](QWidget*, const QString& t, const QString& c) {
      shown_.append({t, c});
    });
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
    dlg.ShowPage(app::kPageCount + 1);
    QCOMPARE(dlg.visiblePage(), 1);
  }

  // The pool-fire page is offered right after the jet fire, with its status prompt.
  void poolFireHasItsMenuItem() {
    CMainDlg dlg;
    dlg.show();
    QMenu* risk = dlg.categoryButton(1008)->popupMenu();
    const auto actions = risk->actions();
    qsizetype jet = -1;
    for (qsizetype i = 0; i < actions.size(); ++i)
      if (actions[i]->text() == QStringLiteral("喷射火事故后果模型")) jet = i;
    QVERIFY(jet >= 0 && jet + 1 < actions.size());
    QAction* pool = actions[jet + 1];
    QCOMPARE(pool->text(), QStringLiteral("池火灾事故后果模型"));
    QCOMPARE(pool->data().toInt(), 32813);
    QCOMPARE(pool->statusTip(), QStringLiteral("用于预测池火热辐射对环境的影响"));
    QCOMPARE(app::pageOfCommand(32813), 26);
    pool->trigger();
    QCOMPARE(dlg.visiblePage(), 26);
  }

  void everyCalculatorSitsOnItsMenuItemAndPage() {
    for (const auto& d : models::registry().all()) {
      if (d.command == 0) {
        // Only dialogs opened from a page (evaporation stages, the overpressure chart) have
        // neither a menu item nor a page.
        QVERIFY2(d.page == 0, d.id.c_str());
        continue;
      }
      const auto* item = [&]() -> const app::MenuItem* {
        for (const auto& m : app::categoryMenus())
          for (const auto& it : m.items)
            if (it.command == d.command) return &it;
        return nullptr;
      }();
      QVERIFY2(item, d.id.c_str());
      QCOMPARE(item->page, d.page);
      QCOMPARE(item->text, d.title);
      if (d.page > 0) QCOMPARE(app::pageTitle(d.page), d.title);
      bool in_category = false;
      for (const auto& m : app::categoryMenus())
        if (m.button_text == d.category)
          for (const auto& it : m.items) in_category = in_category || it.command == d.command;
      QVERIFY2(in_category, d.id.c_str());
    }
  }

  void decibelCommandDoesNothingWithoutItsWindow() {
    CMainDlg dlg;
    dlg.show();
    dlg.onCommand(app::kDecibelCommand);
    QCOMPARE(dlg.visiblePage(), 1);
    QVERIFY(!dlg.decibelWindow());

    // Once the window exists, choosing it twice brings the same window to the front.
    int made = 0;
    CMainDlg::setDecibelFactory([&made](QWidget*) {
      auto* w = new QWidget;
      w->setObjectName(QStringLiteral("decibel%1").arg(++made));
      return w;
    });
    dlg.onCommand(app::kDecibelCommand);
    QPointer<QWidget> first = dlg.decibelWindow();
    QVERIFY(first && first->isVisible());
    first->hide();
    dlg.onCommand(app::kDecibelCommand);
    QCOMPARE(dlg.decibelWindow(), first.data());
    QCOMPARE(made, 1);
    QVERIFY(dlg.decibelWindow()->isVisible());
    QCOMPARE(dlg.visiblePage(), 1);
    CMainDlg::setDecibelFactory({});
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
    QCOMPARE(s.value(QStringLiteral("AppName")).toString(),
             QCoreApplication::applicationFilePath());
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

  void linkLabelAndAboutBox() {
    CMainDlg dlg;
    widgets::CColorLabel* link = dlg.linkLabel();
    QCOMPARE(link->textColour(), QColor(255, 0, 0));
    QCOMPARE(link->palette().color(QPalette::Window), QColor(0, 166, 228));
    QCOMPARE(link->raisedHighlight(), QColor(0, 255, 0));  // raised text, green highlight
    QSettings s(QStringLiteral("kuva"), QStringLiteral("Settings"));
    QCOMPARE(link->link(), s.value(QStringLiteral("URL")).toString());
    QCOMPARE(link->cursor().shape(), Qt::PointingHandCursor);

    app::CAboutDlg about;
    QCOMPARE(about.windowTitle(), QStringLiteral("关于 kuva"));
    QCOMPARE(about.findChild<QLabel*>(QStringLiteral("versionLabel"))->text(),
             QStringLiteral("kuva 1.6.2.1"));
    auto* contact = about.findChild<widgets::CColorLabel*>(QStringLiteral("contactLabel"));
    QCOMPARE(contact->textColour(), QColor(0, 0, 255));
    QCOMPARE(contact->link(), QStringLiteral("mailto:") + contact->text());
    QCOMPARE(contact->cursor().shape(), Qt::PointingHandCursor);
  }

  void contextMenuOffersTheAboutBox() {
#ifdef Q_OS_WIN
    QSKIP("the item is in the system menu there");
#endif
    CMainDlg dlg;
    dlg.show();
    QStringList items;
    bool about_shown = false;
    QTimer driver;
    connect(&driver, &QTimer::timeout, [&] {
      for (QWidget* w : QApplication::topLevelWidgets()) {
        if (!w->isVisible()) continue;
        if (auto* m = qobject_cast<QMenu*>(w)) {
          for (QAction* a : m->actions()) items << a->text();
          m->setActiveAction(m->actions().back());
          QTest::keyClick(m, Qt::Key_Return);
        } else if (auto* a = qobject_cast<app::CAboutDlg*>(w)) {
          about_shown = true;
          a->accept();
        }
      }
    });
    driver.start(50);
    QContextMenuEvent e(QContextMenuEvent::Mouse, QPoint(5, 5), dlg.mapToGlobal(QPoint(5, 5)));
    QApplication::sendEvent(&dlg, &e);
    QCOMPARE(items, (QStringList{QStringLiteral("新建工程"), QStringLiteral("打开工程…"),
                                 QStringLiteral("保存工程…"), QString(),
                                 QStringLiteral("关于 kuva(&A)...")}));
    QVERIFY(about_shown);
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

  void closeAnimationStepsThirtyPixelsTowardTheCentre() {
    CMainDlg dlg;
    dlg.show();
    QList<QRect> steps;
    GeometryRecorder rec(&steps);
    dlg.installEventFilter(&rec);
    const QRect start = dlg.geometry();
    const QRect desk = dlg.screen()->geometry();
    QSignalSpy finished(&dlg, &QDialog::finished);
    dlg.close();
    QTRY_COMPARE_WITH_TIMEOUT(finished.count(), 1, 10000);
    QVERIFY(steps.size() >= 2);
    // First tick: 30 px narrower and lower, placed by the window's size before the tick with
    // the 40-pixel centring biases.
    QCOMPARE(steps[0].size(), start.size() - QSize(30, 30));
    QCOMPARE(steps[0].topLeft(), QPoint((40 + desk.width() - start.width()) / 2,
                                        (40 + desk.height() - start.height()) / 2));
    QCOMPARE(steps[1].size(), start.size() - QSize(60, 60));
  }

  void closeAnimationEndsWhenTheWindowManagerRestoresASize() {
    CMainDlg dlg;
    dlg.show();
    // A window manager that, after each step, quietly puts back its own minimum size.
    const QSize floor(400, 300);
    WindowManagerFloor wm(floor);
    dlg.installEventFilter(&wm);
    QSignalSpy finished(&dlg, &QDialog::finished);
    dlg.close();
    QTRY_COMPARE_WITH_TIMEOUT(finished.count(), 1, 10000);
    QVERIFY(!dlg.closing());
  }

  void enterInAFieldNeitherEndsTheWindowNorPressesAnotherButton() {
    CMainDlg dlg;
    dlg.show();
    QApplication::setActiveWindow(&dlg);
    QWidget* p = dlg.page(1);
    edit(p, "N")->setFocus();
    edit(p, "N")->setText(QStringLiteral("100"));
    bool menu_opened = false;
    // A menu opened by the key would block here; close it and note it.
    QTimer closer;
    connect(&closer, &QTimer::timeout, [&] {
      for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* m = qobject_cast<QMenu*>(w); m && m->isVisible()) {
          menu_opened = true;
          m->close();
        }
    });
    closer.start(100);
    QSignalSpy finished(&dlg, &QDialog::finished);
    QTest::keyClick(edit(p, "N"), Qt::Key_Return);
    QTest::keyClick(edit(p, "N"), Qt::Key_Enter);
    QTest::qWait(400);
    QVERIFY(!menu_opened);
    QCOMPARE(finished.count(), 0);
    QVERIFY(dlg.isVisible());
    QCOMPARE(edit(p, "N")->text(), QStringLiteral("100"));
    QCOMPARE(dlg.visiblePage(), 1);
  }

  // The window runs as the program runs it; the calculator opened from the noise menu takes
  // typed keys (through the window system, where a modal main window would block them) while
  // the main window stays open.
  void decibelCalculatorTakesKeysBesideTheOpenMainWindow() {
    CMainDlg::setDecibelFactory([](QWidget* owner) { return app::CDecibelCalcDlg::open(owner); });
    CMainDlg dlg;
    bool modal = true;
    QString display;
    QTimer::singleShot(0, &dlg, [&] {
      modal = dlg.isModal() || QGuiApplication::modalWindow() != nullptr;
      for (QAction* a : dlg.categoryButton(1003)->popupMenu()->actions())
        if (a->text() == QStringLiteral("分贝计算器")) a->trigger();
      auto* calc = app::CDecibelCalcDlg::current();
      if (calc && calc->isVisible() && dlg.isVisible()) {
        for (Qt::Key k : {Qt::Key_6, Qt::Key_0, Qt::Key_Plus, Qt::Key_6, Qt::Key_0, Qt::Key_Return})
          QTest::keyClick(calc->windowHandle(), k);
        display = calc->display()->text();
      }
      dlg.close();
    });
    QCOMPARE(dlg.run(), 0);  // returns once the window has closed
    QVERIFY(!modal);
    QCOMPARE(display, QStringLiteral("63.0103"));
    CMainDlg::setDecibelFactory({});
  }

  void escapeInAFieldOrOnTheWindowLeavesItOpen() {
    CMainDlg dlg;
    dlg.show();
    QApplication::setActiveWindow(&dlg);
    QWidget* p = dlg.page(1);
    edit(p, "N")->setFocus();
    edit(p, "N")->setText(QStringLiteral("100"));
    QSignalSpy finished(&dlg, &QDialog::finished);
    QTest::keyClick(dlg.windowHandle(), Qt::Key_Escape);  // typed into the field
    QTest::keyClick(&dlg, Qt::Key_Escape);
    QTest::qWait(100);
    QCOMPARE(finished.count(), 0);
    QVERIFY(dlg.isVisible());
    QVERIFY(!dlg.closing());
    QCOMPARE(edit(p, "N")->text(), QStringLiteral("100"));
    // A rejection from elsewhere takes the closing path: the question, then the animation.
    QStringList asked;
    widgets::setChoiceSink(
        [&asked](QWidget*, const QString& t, const QString&, const QStringList&) {
          asked << t;
          return 1;  // 不保存
        });
    dlg.reject();
    widgets::setChoiceSink({});
    QCOMPARE(asked.size(), 1);
    QVERIFY(dlg.closing());
    QTRY_COMPARE_WITH_TIMEOUT(finished.count(), 1, 10000);
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

    // A lock file without an owner (a run that died while writing it): refused while fresh,
    // since a starting copy may be writing it, taken over once it is old.
    const QString empty = dir.filePath(QStringLiteral("empty"));
    QFile e(empty);
    QVERIFY(e.open(QIODevice::WriteOnly));
    e.close();
    QVERIFY(!app::SingleInstance(empty).acquire());
    QVERIFY(e.open(QIODevice::ReadWrite));
    QVERIFY(e.setFileTime(QDateTime::currentDateTime().addSecs(-60),
                          QFileDevice::FileModificationTime));
    e.close();
    app::SingleInstance after_torn_write(empty);
    QVERIFY(after_torn_write.acquire());
    QVERIFY(!app::SingleInstance(empty).acquire());

#ifdef Q_OS_UNIX
    // One lock per user: another user's copy in the shared temporary folder is not this one's.
    QVERIFY(app::SingleInstance::defaultLockPath().contains(
        QStringLiteral("-%1.lock").arg(static_cast<qulonglong>(::getuid()))));
#endif
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
