// The decibel calculator window: keyboard alone (main keys and keypad), the buttons, the
// display that passes the focus on, a fresh window on each opening, its colours.
#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

#include "app/help.h"
#include "app/main_window.h"
#include "app/menu_table.h"
#include "app/pages/noise/decibel_calc_dialog.h"
#include "widgets/prompts.h"

using app::CDecibelCalcDlg;
using models::noise::DecibelKey;

class NoiseDecibelCalcTest : public QObject {
  Q_OBJECT
 private:
  static QString display(CDecibelCalcDlg* d) { return d->display()->text(); }
  static void keys(CDecibelCalcDlg* d, const QString& text) {
    QWidget* target = QApplication::focusWidget() ? QApplication::focusWidget() : d;
    QTest::keyClicks(target, text);
  }

 private slots:
  void keyboardAlone() {
    CDecibelCalcDlg* d = CDecibelCalcDlg::open();
    QVERIFY(QTest::qWaitForWindowActive(d));
    QCOMPARE(display(d), QStringLiteral("0"));
    keys(d, QStringLiteral("60+60"));
    QCOMPARE(display(d), QStringLiteral("60"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    QCOMPARE(display(d), QStringLiteral("63.0103"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Enter, Qt::KeypadModifier);
    QCOMPARE(display(d), QStringLiteral("64.7712"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Clear, Qt::KeypadModifier);
    QCOMPARE(display(d), QStringLiteral("0"));
    // Keypad digits, point and minus.
    for (Qt::Key k :
         {Qt::Key_6, Qt::Key_0, Qt::Key_Minus, Qt::Key_5, Qt::Key_7, Qt::Key_Period, Qt::Key_5})
      QTest::keyClick(QApplication::focusWidget(), k, Qt::KeypadModifier);
    QCOMPARE(display(d), QStringLiteral("57.5"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backspace);
    QCOMPARE(display(d), QStringLiteral("57"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Enter, Qt::KeypadModifier);
    QCOMPARE(display(d), QStringLiteral("56.9794"));
    d->close();
    QTRY_VERIFY(!CDecibelCalcDlg::current());
  }

  void buttonsAndTheDisplayFocus() {
    CDecibelCalcDlg* d = CDecibelCalcDlg::open();
    QVERIFY(QTest::qWaitForWindowActive(d));
    for (DecibelKey k : {DecibelKey::D6, DecibelKey::D0, DecibelKey::Plus, DecibelKey::Equals})
      QTest::mouseClick(d->keyButton(k), Qt::LeftButton);
    QCOMPARE(display(d), QStringLiteral("63.0103"));
    QCOMPARE(d->keyButton(DecibelKey::Back)->text(), QStringLiteral("←"));
    QCOMPARE(d->keyButton(DecibelKey::Clear)->text(), QStringLiteral("CE"));
    d->display()->setFocus();
    QCOMPARE(QApplication::focusWidget(), d->keyButton(DecibelKey::D0));
    // Enter on a focused key is the "=" key, not a press of that key.
    d->keyButton(DecibelKey::D5)->setFocus();
    QTest::keyClick(d->keyButton(DecibelKey::D5), Qt::Key_Return);
    QCOMPARE(display(d), QStringLiteral("64.7712"));
    QCOMPARE(d->windowTitle(), QStringLiteral("分贝计算器"));
    QCOMPARE(d->palette().color(QPalette::Window), QColor(84, 188, 214));
    QVERIFY(d->display()->styleSheet().contains(QStringLiteral("rgb(255,0,0)")));
    QVERIFY(!d->isModal());
    delete d;
  }

  // Levels that leave nothing to show are refused as the command line refuses them; the
  // display and the calculation stay as they were.
  void refusesWhatHasNoLevel() {
    QStringList shown;
    widgets::setMessageSink([&](QWidget*, const QString& text, const QString&) { shown << text; });
    CDecibelCalcDlg* d = CDecibelCalcDlg::create();
    d->show();
    const QString minus = QStringLiteral("相减时减去的声级必须小于被减的声级，请重新输入！");
    struct Case {
      const char* keys;
      QString message, display;
    };
    const Case cases[] = {
        {"60-70=", minus, QStringLiteral("70")},
        {"60-60=", minus, QStringLiteral("60")},
        {"999999999999999+1=", QStringLiteral("叠加的声级超出可计算的范围，请重新输入！"),
         QStringLiteral("1")},
    };
    for (const Case& c : cases) {
      shown.clear();
      QTest::keyClick(d, Qt::Key_Clear);
      QTest::keyClicks(d, QString::fromLatin1(c.keys));
      QCOMPARE(shown, QStringList{c.message});
      QCOMPARE(display(d), c.display);
    }
    // The calculation goes on from where it stood: 60 - 50 = 59.5424.
    QTest::keyClick(d, Qt::Key_Clear);
    QTest::keyClicks(d, QStringLiteral("60-70="));
    QTest::keyClick(d, Qt::Key_Backspace);
    QTest::keyClick(d, Qt::Key_Backspace);
    QTest::keyClicks(d, QStringLiteral("50="));
    QCOMPARE(display(d), QStringLiteral("59.5424"));
    widgets::setMessageSink({});
    delete d;
  }

  // With 窗口总在最前面 ticked the calculator opens above the main window and stays there;
  // asked for again it is the same window with its display, brought to the front.
  void oneCalculatorInFrontOfAStayOnTopWindow() {
    app::CMainDlg::setDecibelFactory([](QWidget* owner) { return CDecibelCalcDlg::open(owner); });
    app::CMainDlg dlg;
    dlg.show();
    dlg.topmostCheck()->click();
    QVERIFY(dlg.windowFlags() & Qt::WindowStaysOnTopHint);
    dlg.onCommand(app::kDecibelCommand);
    QPointer<QWidget> first = dlg.decibelWindow();
    auto* calc = qobject_cast<CDecibelCalcDlg*>(first.data());
    QVERIFY(calc && calc->isVisible());
    QCOMPARE(calc->window()->parentWidget(), &dlg);
    // A dialog window, which the window manager keeps above its owner; a plain window of the same
    // flag went behind the main window at a click on it.
    QCOMPARE(calc->windowType(), Qt::Dialog);
    QVERIFY(calc->windowFlags() & Qt::WindowStaysOnTopHint);
    QTest::keyClicks(calc, QStringLiteral("60+60="));
    dlg.activateWindow();  // a click on the main window
    dlg.onCommand(app::kDecibelCommand);
    QCOMPARE(dlg.decibelWindow(), first.data());
    QCOMPARE(display(calc), QStringLiteral("63.0103"));
    QVERIFY(calc->isVisible());
    // Ticking the box off and on again carries the calculator along.
    dlg.topmostCheck()->click();
    QVERIFY(!(calc->windowFlags() & Qt::WindowStaysOnTopHint));
    QVERIFY(calc->isVisible());
    dlg.topmostCheck()->click();
    QVERIFY(calc->windowFlags() & Qt::WindowStaysOnTopHint);
    // The help window opened from a page of that window keeps above it too.
    app::showHelpTopic(dlg.page(1), app::kManualTopic);
    auto* help = dlg.findChild<QWidget*>(QStringLiteral("helpBrowser"));
    QVERIFY(help && help->isVisible() && help->isWindow());
    QVERIFY(help->windowFlags() & Qt::WindowStaysOnTopHint);
    QCOMPARE(help->windowType(), Qt::Dialog);
    QCOMPARE(help->windowTitle(), QStringLiteral("使用说明"));
    app::CMainDlg::setDecibelFactory({});
  }
};

QTEST_MAIN(NoiseDecibelCalcTest)
#include "noise_decibel_calc_test.moc"
