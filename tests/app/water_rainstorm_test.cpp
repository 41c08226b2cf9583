// Rainstorm page: the defaults, a province without cities, a city further down a list, and the
// reference formula that follows the choices.
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTextEdit>
#include <QtTest>

#include "app/calculator_page.h"
#include "models/water/rainstorm.h"
#include "widgets/prompts.h"

class WaterRainstormTest : public QObject {
  Q_OBJECT
 private:
  static QComboBox* combo(app::CalculatorPage& page, const char* key) {
    if (QByteArray(key) == "city") return page.findChild<QComboBox*>(QStringLiteral("cityList"));
    return qobject_cast<QComboBox*>(page.control(key));
  }
  // A choice the user makes: select the entry and send the notification.
  static void choose(QComboBox* c, const QString& text) {
    const int i = c->findText(text);
    QVERIFY2(i >= 0, qPrintable(text));
    c->setCurrentIndex(i);
    emit c->activated(i);
  }
  static QString reference(app::CalculatorPage& page) {
    return page.findChild<QLabel*>(QStringLiteral("reference"))->text();
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

  void defaultsCompute() {
    app::CalculatorPage page(models::water::rainstormDesc());
    QCOMPARE(combo(page, "province")->count(), 29);
    QCOMPARE(combo(page, "province")->currentText(), QStringLiteral("浙江"));
    QCOMPARE(combo(page, "city")->currentText(), QStringLiteral("温州"));
    QCOMPARE(reference(page), QString::fromUtf8(models::water::kRainstormInitialReference));
    QTest::mouseClick(page.button("compute"), Qt::LeftButton);
    QVERIFY(messages.isEmpty());
    QCOMPARE(
        page.resultText()->toPlainText(),
        QStringLiteral("暴雨强度q=285.741升/秒·公顷\n雨水流量Q=257.167升/秒，即925.8立方米/小时"));
  }

  void provinceWithoutCities() {
    app::CalculatorPage page(models::water::rainstormDesc());
    choose(combo(page, "province"), QStringLiteral("北京"));
    QCOMPARE(combo(page, "city")->count(), 0);
    QVERIFY2(reference(page).startsWith(QStringLiteral("      2001×(1+0.811lgP)\nq =")),
             qPrintable(reference(page)));
    QVERIFY(reference(page).endsWith(QStringLiteral("0.711\n           (t+8)")));
    auto* t = qobject_cast<QLineEdit*>(page.control("t"));
    t->clear();
    QTest::keyClicks(t, QStringLiteral("10"));
    QTest::mouseClick(page.button("compute"), Qt::LeftButton);
    // 2001 (1 + 0.811 lg 2) / 18^0.711 = 318.872 L/(s·ha)
    QVERIFY2(page.resultText()->toPlainText().startsWith(QStringLiteral("暴雨强度q=318.872升")),
             qPrintable(page.resultText()->toPlainText()));
  }

  void cityFurtherDownUsesItsRow() {
    app::CalculatorPage page(models::water::rainstormDesc());
    choose(combo(page, "province"), QStringLiteral("浙江"));
    QCOMPARE(combo(page, "city")->count(), 4);
    choose(combo(page, "city"), QStringLiteral("宁波"));
    QVERIFY2(reference(page).contains(QStringLiteral("i =  ──────────  [毫米/分钟]")),
             qPrintable(reference(page)));
    QTest::mouseClick(page.button("compute"), Qt::LeftButton);
    // (18.105 + 13.9 lg 2) / 28.265^0.778 mm/min × 166.67 = 275.978 L/(s·ha)
    QVERIFY2(page.resultText()->toPlainText().startsWith(QStringLiteral("暴雨强度q=275.978升")),
             qPrintable(page.resultText()->toPlainText()));
    // The reference text follows the choices only, not the compute.
    QVERIFY(reference(page).contains(QStringLiteral("(18.105+13.9lgP)")));
  }

 private:
  QStringList messages;
};

QTEST_MAIN(WaterRainstormTest)
#include "water_rainstorm_test.moc"
