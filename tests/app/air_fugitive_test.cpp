// The four fugitive emission pages: typed inputs, compute, what the page shows.
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTextEdit>
#include <QtTest>

#include "app/calculator_page.h"
#include "models/air/fugitive_equipment_leak.h"
#include "models/air/fugitive_liquid_evaporation.h"
#include "models/air/fugitive_odour.h"
#include "models/air/fugitive_open_storage.h"
#include "widgets/prompts.h"

class AirFugitiveTest : public QObject {
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
    widgets::setMessageSink([this](QWidget*, const QString& t, const QString&) { messages << t; });
  }
  void cleanup() {
    widgets::setMessageSink({});
    messages.clear();
  }

  void odourRateAndItsRefusal() {
    app::CalculatorPage page(models::air::odourRateDesc());
    const char* keys[] = {"u", "D", "W", "L", "m", "M", "C", "F"};
    const char* vals[] = {"2", "0.1", "100", "200", "5", "100", "0.5", "1.2"};
    for (int i = 0; i < 8; ++i) type(page, keys[i], QString::fromLatin1(vals[i]));
    QTest::mouseClick(page.button("compute"), Qt::LeftButton);
    QVERIFY(messages.isEmpty());
    QCOMPARE(text(page, "E"), QStringLiteral("16.2868"));
    type(page, "u", QStringLiteral("0"));
    QTest::mouseClick(page.button("compute"), Qt::LeftButton);
    QCOMPARE(messages, QStringList{QStringLiteral("无效的数字，请重新输入！")});
    QCOMPARE(text(page, "E"), QStringLiteral("0"));
  }

  void openStorageSubstanceFillsPressure() {
    app::CalculatorPage page(models::air::openStorageDesc());
    type(page, "T", QStringLiteral("300"));
    auto* combo = page.findChild<QComboBox*>(QStringLiteral("substance:choice"));
    QVERIFY(combo);
    combo->setCurrentIndex(5);  // 甲苯
    emit combo->activated(5);
    const double pv = std::pow(10.0, 8.33 - 0.05223 * 39198 / 300);
    QCOMPARE(text(page, "Pv"), QString::number(static_cast<float>(pv), 'g', 6));
    QTest::mouseClick(page.button("compute"), Qt::LeftButton);
    // The compute reads Pv back as the field shows it (6 significant digits).
    const double g = (5.38 + 4.1 * 0.8f) * text(page, "Pv").toFloat() * 1.44f * std::sqrt(78.0);
    QCOMPARE(text(page, "G"), QString::number(static_cast<float>(g), 'g', 6));
    QVERIFY(page.button("help"));
  }

  void equipmentLeakFromTypedInputs() {
    app::CalculatorPage page(models::air::equipmentLeakDesc());
    type(page, "V", QStringLiteral("4"));
    QTest::mouseClick(page.button("compute"), Qt::LeftButton);
    QCOMPARE(text(page, "Gc"), QStringLiteral("0.644629"));
    QVERIFY(page.button("help"));
  }

  void liquidEvaporationText() {
    app::CalculatorPage page(models::air::liquidEvaporationDesc());
    type(page, "eta_c", QStringLiteral("0"));
    QTest::mouseClick(page.button("compute"), Qt::LeftButton);
    const QString t = page.resultText()->toPlainText();
    QVERIFY2(t.startsWith(QStringLiteral("计算结果如下：\n液体蒸发量Gz=0.06983064 [kg/h]")),
             qPrintable(t));
    QVERIFY2(t.endsWith(QStringLiteral(
                 "其中无组织排放量0.06983064 [kg/h]；有组织排放量0.00000000 [kg/h]")),
             qPrintable(t));
  }

 private:
  QStringList messages;
};

QTEST_MAIN(AirFugitiveTest)
#include "air_fugitive_test.moc"
