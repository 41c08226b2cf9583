// Mixing-stretch page: the radio pair switches the decay rate field; typed inputs fill the list.
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest>

#include "app/calculator_page.h"
#include "models/water/fro_mixing.h"
#include "widgets/list_table.h"
#include "widgets/prompts.h"

class WaterFroMixingTest : public QObject {
  Q_OBJECT
 private:
  static void type(app::CalculatorPage& page, const char* key, const QString& text) {
    auto* e = qobject_cast<QLineEdit*>(page.control(key));
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

  void radiosSwitchDecayAndListShowsRows() {
    app::CalculatorPage page(models::water::froDesc());
    auto* list = page.findChild<widgets::ListTable*>(QStringLiteral("list"));
    QVERIFY(list);
    QCOMPARE(list->captions(), (QStringList{"距离m", "浓度值mg/L"}));
    QVERIFY(!page.control("K1")->isEnabled());

    QTest::mouseClick(page.findChild<QRadioButton*>(QStringLiteral("mode:1")), Qt::LeftButton);
    QVERIFY(page.control("K1")->isEnabled());
    QTest::mouseClick(page.button("compute"), Qt::LeftButton);
    QVERIFY(messages.isEmpty());
    QCOMPARE(list->rowCount(), 100);
    QCOMPARE(list->text(0, 0), QStringLiteral("10"));
    QCOMPARE(list->text(0, 1), QStringLiteral("85.5775"));
    QCOMPARE(list->text(99, 1), QStringLiteral("47.1906"));

    QTest::mouseClick(page.findChild<QRadioButton*>(QStringLiteral("mode:0")), Qt::LeftButton);
    QVERIFY(!page.control("K1")->isEnabled());
    QTest::mouseClick(page.button("compute"), Qt::LeftButton);
    QCOMPARE(list->text(0, 1), QStringLiteral("85.6270"));
    QCOMPARE(list->text(99, 0), QStringLiteral("1000"));
    QCOMPARE(list->text(99, 1), QStringLiteral("50.0021"));
  }

  void typedGridLimits() {
    app::CalculatorPage page(models::water::froDesc());
    auto* list = page.findChild<widgets::ListTable*>(QStringLiteral("list"));
    type(page, "xmax", QStringLiteral("1"));
    type(page, "xc", QStringLiteral("0.1"));
    QTest::mouseClick(page.button("compute"), Qt::LeftButton);
    QCOMPARE(list->rowCount(), 10);
    QCOMPARE(list->text(9, 0), QStringLiteral("1"));
    type(page, "xc", QStringLiteral("0"));
    QTest::mouseClick(page.button("compute"), Qt::LeftButton);
    QCOMPARE(list->rowCount(), 0);
  }

 private:
  QStringList messages;
};

QTEST_MAIN(WaterFroMixingTest)
#include "water_fro_mixing_test.moc"
