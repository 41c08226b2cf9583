// Sanitary protection distance page: both directions from typed inputs, the stack radio pair,
// the pollutant drop-down and the no-root message.
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest>

#include "app/calculator_page.h"
#include "models/air/sanitary_distance.h"
#include "widgets/prompts.h"

class AirSanitaryTest : public QObject {
  Q_OBJECT
 private:
  static QLineEdit* edit(app::CalculatorPage& page, const char* key) {
    return qobject_cast<QLineEdit*>(page.control(key));
  }
  static void type(app::CalculatorPage& page, const char* key, const QString& text) {
    auto* e = edit(page, key);
    QVERIFY(e);
    e->clear();
    QTest::keyClicks(e, text);
  }

 private slots:
  void init() {
    widgets::setMessageSink(
        [this](QWidget*, const QString& text, const QString&) { messages << text; });
  }
  void cleanup() {
    widgets::setMessageSink({});
    messages.clear();
  }

  void distanceThenEmissionFromTypedInputs() {
    app::CalculatorPage page(models::air::sanitaryDistanceDesc());
    type(page, "S", QStringLiteral("1000"));
    type(page, "Qc", QStringLiteral("300"));
    QTest::mouseClick(page.button("distance"), Qt::LeftButton);
    QVERIFY2(messages.isEmpty(), qPrintable(messages.join('|')));
    QCOMPARE(edit(page, "L")->text(), QStringLiteral("1282.36186641466"));
    QCOMPARE(edit(page, "Lr")->text(), QStringLiteral("1400"));

    type(page, "L", QStringLiteral("1500"));
    QTest::mouseClick(page.button("emission"), Qt::LeftButton);
    QVERIFY(edit(page, "Qc")->text().startsWith(QStringLiteral("392.822037600973")));
    QCOMPARE(edit(page, "Lr")->text(), QStringLiteral("1400"));  // only Qc is rewritten
  }

  void stackRadioShowsTheMatchingPair() {
    app::CalculatorPage page(models::air::sanitaryDistanceDesc());
    page.show();
    QVERIFY(page.label("basis")->isVisible());
    QVERIFY(!page.label("share")->isVisible());
    QTest::mouseClick(page.findChild<QRadioButton*>(QStringLiteral("stack:0")), Qt::LeftButton);
    QVERIFY(!page.label("basis")->isVisible());
    QVERIFY(page.label("share")->isVisible());
    QVERIFY(page.findChild<QRadioButton*>(QStringLiteral("share:0"))->isVisible());
    QCOMPARE(page.button("distance")->toolTip(),
             QStringLiteral("已知无组织排放量计算卫生防护距离的值"));
  }

  void pollutantFillsTheStandardAndTypedNamesDoNot() {
    app::CalculatorPage page(models::air::sanitaryDistanceDesc());
    auto* combo = page.findChild<QComboBox*>(QStringLiteral("pollutant:choice"));
    QVERIFY(combo);
    QCOMPARE(combo->count(), 22);
    QCOMPARE(combo->currentText(), QStringLiteral("苯"));
    combo->setCurrentIndex(2);
    emit combo->activated(2);
    QCOMPARE(edit(page, "Cm")->text(), QStringLiteral("0.60"));
    combo->setEditText(QStringLiteral("氨"));
    QCOMPARE(edit(page, "Cm")->text(), QStringLiteral("0.60"));
    QCOMPARE(combo->currentText(), QStringLiteral("氨"));
    QVERIFY(page.readForm());
    QCOMPARE(page.values().text("pollutant"), std::string("氨"));
  }

  void noRootIsReportedAndKeepsTheOldDistance() {
    app::CalculatorPage page(models::air::sanitaryDistanceDesc());
    type(page, "Qc", QStringLiteral("100000"));
    QTest::mouseClick(page.button("distance"), Qt::LeftButton);
    QCOMPARE(messages.size(), 1);
    QVERIFY(messages.front().startsWith(QStringLiteral("在0～20000米范围内求不出卫生防护距离")));
    QCOMPARE(edit(page, "L")->text(), QStringLiteral("0"));
  }

 private:
  QStringList messages;
};

QTEST_MAIN(AirSanitaryTest)
#include "air_sanitary_test.moc"
