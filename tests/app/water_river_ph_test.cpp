// River pH page: the radio pair renames and resets the waste-water field; typed inputs give
// the result text.
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTextEdit>
#include <QtTest>

#include "app/calculator_page.h"
#include "models/water/river_ph.h"
#include "widgets/prompts.h"

class WaterRiverPhTest : public QObject {
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

  void computesAcidFromTypedInputs() {
    app::CalculatorPage page(models::water::riverPhDesc());
    type(page, "T", QStringLiteral("5"));
    QTest::mouseClick(page.button("compute"), Qt::LeftButton);
    QVERIFY(messages.isEmpty());
    const QString text = page.resultText()->toPlainText();
    QVERIFY2(text.contains(QStringLiteral("污染物为酸性物质")), qPrintable(text));
    QVERIFY2(text.contains(QStringLiteral("Ka1 =0.304")), qPrintable(text));
    QVERIFY(page.findChild<QLabel*>(QStringLiteral("note")));
  }

  void alkalineRadioRenamesAndResetsWasteField() {
    app::CalculatorPage page(models::water::riverPhDesc());
    auto* alkaline = page.findChild<QRadioButton*>(QStringLiteral("kind:1"));
    QVERIFY(alkaline);
    QTest::mouseClick(alkaline, Qt::LeftButton);
    QCOMPARE(page.label("Cw")->text(), QStringLiteral("废水碱度Cbp[mgN/L]"));
    QCOMPARE(qobject_cast<QLineEdit*>(page.control("Cw"))->text(), QStringLiteral("0.5"));
    QTest::mouseClick(page.button("compute"), Qt::LeftButton);
    const QString text = page.resultText()->toPlainText();
    QVERIFY2(text.contains(QStringLiteral("污染物为碱性物质")), qPrintable(text));
    QVERIFY2(text.endsWith(QStringLiteral("pH =7.0554")), qPrintable(text));

    auto* acid = page.findChild<QRadioButton*>(QStringLiteral("kind:0"));
    QTest::mouseClick(acid, Qt::LeftButton);
    QCOMPARE(page.label("Cw")->text(), QStringLiteral("废水酸度Cap[mgN/L]"));
    QCOMPARE(qobject_cast<QLineEdit*>(page.control("Cw"))->text(), QStringLiteral("10"));
    QTest::mouseClick(page.button("compute"), Qt::LeftButton);
    QVERIFY(page.resultText()->toPlainText().endsWith(QStringLiteral("pH =6.24551")));
  }

 private:
  QStringList messages;
};

QTEST_MAIN(WaterRiverPhTest)
#include "water_river_ph_test.moc"
