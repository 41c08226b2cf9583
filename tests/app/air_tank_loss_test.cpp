// Oil tank losses page: the drop-downs switch the sub-forms, the support box shows the column
// fields, each sub-form's button writes its result line.
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

#include "app/calculator_page.h"
#include "app/pages/air/tank_losses_page.h"
#include "models/air/tank_losses.h"
#include "widgets/prompts.h"

using app::TankLossesPageHook;

class AirTankLossTest : public QObject {
  Q_OBJECT
 private:
  static QComboBox* combo(app::CalculatorPage& page, const char* key) {
    return qobject_cast<QComboBox*>(page.control(key));
  }
  static void type(app::CalculatorPage& page, const char* key, const QString& t) {
    auto* e = qobject_cast<QLineEdit*>(page.control(key));
    QVERIFY(e);
    e->clear();
    QTest::keyClicks(e, t);
  }

 private slots:
  void init() {
    widgets::setMessageSink([this](QWidget*, const QString& t, const QString&) { messages << t; });
  }
  void cleanup() {
    widgets::setMessageSink({});
    messages.clear();
  }

  void fixedRoofWorkingIsShownFirst() {
    app::CalculatorPage page(models::air::tankLossesDesc());
    page.show();
    QVERIFY(TankLossesPageHook::subForm(page, 0)->isVisible());
    for (int i = 1; i < 5; ++i) QVERIFY(!TankLossesPageHook::subForm(page, i)->isVisible());
    type(page, "fw_Q", QStringLiteral("7200"));  // N = 36: KN = 1
    QTest::mouseClick(page.button("fixed_working"), Qt::LeftButton);
    QCOMPARE(TankLossesPageHook::resultLine(page, "fixed_working")->text(),
             QStringLiteral("结果：拱顶罐大呼吸蒸发损耗量LDw：0.035700 [m^3/a]"));
  }

  void internalFloatingRoofSupportFields() {
    app::CalculatorPage page(models::air::tankLossesDesc());
    page.show();
    combo(page, "tank")->setCurrentIndex(1);
    QVERIFY(TankLossesPageHook::subForm(page, 1)->isVisible());
    QVERIFY(!page.control("lw_support")->isVisible());
    QVERIFY(!page.control("lw_Nc")->isVisible());
    combo(page, "tank")->setCurrentIndex(2);
    auto* support = qobject_cast<QCheckBox*>(page.control("lw_support"));
    QVERIFY(support->isVisible());
    QVERIFY(!page.control("lw_Fc")->isVisible());
    QTest::mouseClick(page.button("floating_working"), Qt::LeftButton);
    QCOMPARE(TankLossesPageHook::resultLine(page, "floating_working")->text(),
             QStringLiteral("结果：内浮顶油罐大呼吸损耗量Lw：76072.000340 [kg/a]"));
    support->click();
    QVERIFY(page.control("lw_Nc")->isVisible());
    QVERIFY(page.control("lw_Fc")->isVisible());
    combo(page, "lw_wall")->setCurrentIndex(1);
    QCOMPARE(qobject_cast<QLineEdit*>(page.control("lw_C"))->text(), QStringLiteral("0.01284"));
  }

  void breathingFormAtTheDiameterSwitch() {
    app::CalculatorPage page(models::air::tankLossesDesc());
    page.show();
    combo(page, "kind")->setCurrentIndex(1);
    QVERIFY(TankLossesPageHook::subForm(page, 2)->isVisible());
    type(page, "fb_D", QStringLiteral("9.14"));
    QTest::mouseClick(page.button("fixed_breathing"), Qt::LeftButton);
    QCOMPARE(TankLossesPageHook::resultLine(page, "fixed_breathing")->text(),
             QStringLiteral("结果：拱顶罐小呼吸蒸发损耗量LDs：6.269681 [m^3/a]"));
    combo(page, "tank")->setCurrentIndex(2);
    QVERIFY(TankLossesPageHook::subForm(page, 4)->isVisible());
    QTest::mouseClick(page.button("internal_standing"), Qt::LeftButton);
    QCOMPARE(TankLossesPageHook::resultLine(page, "internal_standing")->text(),
             QStringLiteral("结果：内浮顶罐小呼吸蒸发损耗量Ls：755.328638 [kg/a]"));
  }

  // Each sub-form reads only its own fields: junk left in a hidden one does not stop another.
  void junkInAHiddenSubFormDoesNotStopTheShownOne() {
    app::CalculatorPage page(models::air::tankLossesDesc());
    page.show();
    type(page, "fw_Q", QStringLiteral("abc"));
    combo(page, "kind")->setCurrentIndex(1);
    QTest::mouseClick(page.button("fixed_breathing"), Qt::LeftButton);
    QVERIFY2(messages.isEmpty(), qPrintable(messages.join('|')));
    QCOMPARE(TankLossesPageHook::resultLine(page, "fixed_breathing")->text(),
             QStringLiteral("结果：拱顶罐小呼吸蒸发损耗量LDs：0.106396 [m^3/a]"));
    QCOMPARE(qobject_cast<QLineEdit*>(page.control("fw_Q"))->text(), QStringLiteral("abc"));
    combo(page, "kind")->setCurrentIndex(0);
    QTest::mouseClick(page.button("fixed_working"), Qt::LeftButton);
    QCOMPARE(messages.size(), 1);
    QCOMPARE(TankLossesPageHook::resultLine(page, "fixed_working")->text(),
             QStringLiteral("结果："));
  }

 private:
  QStringList messages;
};

QTEST_MAIN(AirTankLossTest)
#include "air_tank_loss_test.moc"
