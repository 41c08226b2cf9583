// Flue gas page: the fuel drop-down writes its presets; typed inputs give the results; no fuel
// shows zero concentrations.
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

#include "app/calculator_page.h"
#include "models/air/flue_gas.h"
#include "widgets/prompts.h"

class AirFlueGasTest : public QObject {
  Q_OBJECT
 private:
  static QString text(app::CalculatorPage& page, const char* key) {
    return qobject_cast<QLineEdit*>(page.control(key))->text();
  }
  static void type(app::CalculatorPage& page, const char* key, const QString& t) {
    auto* e = qobject_cast<QLineEdit*>(page.control(key));
    QVERIFY(e);
    e->clear();
    QTest::keyClicks(e, t);
  }

 private slots:
  void init() {
    widgets::setMessageSink(
        [this](QWidget*, const QString& t, const QString& c) { messages << c + ":" + t; });
  }
  void cleanup() {
    widgets::setMessageSink({});
    messages.clear();
  }

  void coalFromTypedInputsThenNoFuel() {
    app::CalculatorPage page(models::air::flueGasDesc());
    type(page, "B", QStringLiteral("1000"));
    auto* fuel = qobject_cast<QComboBox*>(page.control("fuel"));
    fuel->setFocus();
    QTest::keyClick(fuel, Qt::Key_Down);  // 煤
    QCOMPARE(fuel->currentIndex(), 1);
    QCOMPARE(text(page, "S"), QStringLiteral("0.7"));
    QCOMPARE(text(page, "Cs"), QStringLiteral("900"));
    QCOMPARE(text(page, "Cd"), QStringLiteral("200"));
    QCOMPARE(text(page, "B"), QStringLiteral("1000"));  // typed text survives the choice
    QTest::mouseClick(page.button("compute"), Qt::LeftButton);
    QVERIFY(messages.isEmpty());
    QCOMPARE(text(page, "V"), QStringLiteral("1000"));
    QCOMPARE(text(page, "Cso2"), QStringLiteral("1120"));
    QCOMPARE(text(page, "Cdust"), QStringLiteral("3000"));
    QCOMPARE(text(page, "Gd"), QStringLiteral("30"));
    QCOMPARE(text(page, "Gd_cut"), QStringLiteral("28"));

    type(page, "B", QStringLiteral("0"));
    QTest::mouseClick(page.button("compute"), Qt::LeftButton);
    QCOMPARE(text(page, "Cso2"), QStringLiteral("0"));
    QCOMPARE(text(page, "Cdust"), QStringLiteral("0"));
  }

  void negativeFuelRefused() {
    app::CalculatorPage page(models::air::flueGasDesc());
    type(page, "B", QStringLiteral("-5"));
    QTest::mouseClick(page.button("compute"), Qt::LeftButton);
    QCOMPARE(messages, QStringList{QStringLiteral("错误:不能是负数，请重新输入")});
    QCOMPARE(text(page, "V"), QStringLiteral("0"));
  }

 private:
  QStringList messages;
};

QTEST_MAIN(AirFlueGasTest)
#include "air_flue_gas_test.moc"
