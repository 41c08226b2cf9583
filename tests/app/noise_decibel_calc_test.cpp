// The decibel calculator window: keyboard alone (main keys and keypad), the buttons, the
// display that passes the focus on, a fresh window on each opening, its colours.
#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

#include "app/main_window.h"
#include "app/menu_table.h"
#include "app/pages/noise/decibel_calc_dialog.h"

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
    CDecibelCalcDlg* d = CDecibelCalcDlg::openFresh();
    QVERIFY(QTest::qWaitForWindowActive(d));
    QCOMPARE(display(d), QStringLiteral("0"));
    keys(d, QStringLiteral("60+60"));
    QCOMPARE(display(d), QStringLiteral("60"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    QCOMPARE(display(d), QStringLiteral("63.0102999566398"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Enter, Qt::KeypadModifier);
    QCOMPARE(display(d), QStringLiteral("64.7712125471966"));
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
    QCOMPARE(display(d), QStringLiteral("56.979375600717"));
    d->close();
    QTRY_VERIFY(!CDecibelCalcDlg::current());
  }

  void buttonsAndTheDisplayFocus() {
    CDecibelCalcDlg* d = CDecibelCalcDlg::openFresh();
    QVERIFY(QTest::qWaitForWindowActive(d));
    for (DecibelKey k : {DecibelKey::D6, DecibelKey::D0, DecibelKey::Plus, DecibelKey::Equals})
      QTest::mouseClick(d->keyButton(k), Qt::LeftButton);
    QCOMPARE(display(d), QStringLiteral("63.0102999566398"));
    QCOMPARE(d->keyButton(DecibelKey::Back)->text(), QStringLiteral("←"));
    QCOMPARE(d->keyButton(DecibelKey::Clear)->text(), QStringLiteral("CE"));
    d->display()->setFocus();
    QCOMPARE(QApplication::focusWidget(), d->keyButton(DecibelKey::D0));
    // Enter on a focused key is the "=" key, not a press of that key.
    d->keyButton(DecibelKey::D5)->setFocus();
    QTest::keyClick(d->keyButton(DecibelKey::D5), Qt::Key_Return);
    QCOMPARE(display(d), QStringLiteral("64.7712125471966"));
    QCOMPARE(d->windowTitle(), QStringLiteral("分贝计算器"));
    QCOMPARE(d->palette().color(QPalette::Window), QColor(84, 188, 214));
    QVERIFY(d->display()->styleSheet().contains(QStringLiteral("rgb(255,0,0)")));
    QVERIFY(!d->isModal());
    delete d;
  }

  void reopeningGivesAFreshWindow() {
    QPointer<CDecibelCalcDlg> first = CDecibelCalcDlg::openFresh();
    QTest::mouseClick(first->keyButton(DecibelKey::D7), Qt::LeftButton);
    QPointer<CDecibelCalcDlg> second = CDecibelCalcDlg::openFresh();
    QVERIFY(!first);
    QCOMPARE(display(second), QStringLiteral("0"));
    QCOMPARE(CDecibelCalcDlg::current(), second.data());
    delete second.data();
  }

  void mainWindowCommandOpensIt() {
    app::CMainDlg::setDecibelFactory([] { return CDecibelCalcDlg::create(); });
    app::CMainDlg dlg;
    dlg.onCommand(app::kDecibelCommand);
    QPointer<QWidget> first = dlg.decibelWindow();
    QVERIFY(qobject_cast<CDecibelCalcDlg*>(first.data()));
    QVERIFY(first->isVisible());
    dlg.onCommand(app::kDecibelCommand);
    QVERIFY(!first);
    QVERIFY(dlg.decibelWindow());
    app::CMainDlg::setDecibelFactory({});
  }
};

QTEST_MAIN(NoiseDecibelCalcTest)
#include "noise_decibel_calc_test.moc"
