// Leak and spill-evaporation pages: results as the pages show them, the shape drop-down, and the
// stage dialogs handing their values back to the spill page.
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTextEdit>
#include <QTimer>
#include <QtTest>
#include <functional>

#include "app/calculator_page.h"
#include "app/pages/risk/stage_dialog.h"
#include "models/risk/gas_leak.h"
#include "models/risk/liquid_leak.h"
#include "models/risk/spill_evaporation.h"
#include "models/risk/two_phase_leak.h"
#include "widgets/prompts.h"

class RiskLeakEvaporationTest : public QObject {
  Q_OBJECT
 private:
  QStringList messages;

  static void type(app::CalculatorPage& page, const char* key, const QString& text) {
    auto* e = qobject_cast<QLineEdit*>(page.control(key));
    QVERIFY(e);
    e->clear();
    QTest::keyClicks(e, text);
  }
  static QString field(app::CalculatorPage& page, const char* key) {
    auto* e = qobject_cast<QLineEdit*>(page.control(key));
    return e ? e->text() : QStringLiteral("<none>");
  }
  // Press a button that opens a stage dialog and work in the dialog while it runs.
  static void withStage(QPushButton* opener, const std::function<void(app::StageDialog*)>& work) {
    bool ran = false;
    QTimer::singleShot(0, [&] {
      auto* d = qobject_cast<app::StageDialog*>(QApplication::activeModalWidget());
      if (!d) return;
      ran = true;
      work(d);
    });
    QTest::mouseClick(opener, Qt::LeftButton);
    QVERIFY(ran);
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

  void liquidLeakShowsRateToSixDigits() {
    app::CalculatorPage page(models::risk::liquidLeakDesc());
    QTest::mouseClick(page.button("compute"), Qt::LeftButton);
    QCOMPARE(field(page, "QL"), QStringLiteral("213.455"));  // 6 significant digits
    QStringList notes;
    for (auto* l : page.findChildren<QLabel*>(QStringLiteral("note"))) notes << l->text();
    QCOMPARE(notes, (QStringList{"计算公式如下:", "QL=Cd*A*ρ*(2*(P-P0)/ρ+2*g*h)^0.5",
                                 "应用条件：液体在喷口内不应有急剧蒸发"}));
    type(page, "P", QStringLiteral("1000"));
    type(page, "h", QStringLiteral("0"));
    QTest::mouseClick(page.button("compute"), Qt::LeftButton);
    // P < P0 drives no liquid out: refused, the last rate stays.
    QVERIFY2(field(page, "QL").startsWith(QStringLiteral("213.45")), qPrintable(field(page, "QL")));
    QCOMPARE(messages, QStringList{"容器内介质压力 P必须大于等于环境压力 P0，请重新输入！"});
  }

  void gasLeakShapeSetsTheCoefficient() {
    app::CalculatorPage page(models::risk::gasLeakDesc());
    QTest::mouseClick(page.button("compute"), Qt::LeftButton);
    QString text = page.resultText()->toPlainText();
    QVERIFY2(text.startsWith(
                 QStringLiteral("气体流速在亚音速范围，是次临界流。\n气体泄漏速率为：21.468")),
             qPrintable(text));
    qobject_cast<QComboBox*>(page.control("shape"))->setCurrentIndex(1);
    QTest::mouseClick(page.button("compute"), Qt::LeftButton);
    text = page.resultText()->toPlainText();
    QVERIFY2(text.contains(QStringLiteral("：20.395")), qPrintable(text));
  }

  void twoPhaseLeakShowsFractionAndRate() {
    app::CalculatorPage page(models::risk::twoPhaseLeakDesc());
    QTest::mouseClick(page.button("compute"), Qt::LeftButton);
    QCOMPARE(page.resultText()->toPlainText(),
             QStringLiteral("蒸发的液体占液体总量的比例Fv：0.727273 "));
    QVERIFY(field(page, "QLG").startsWith(QStringLiteral("21.047")));
  }

  void stageDialogsHandTheirValuesBack() {
    app::CalculatorPage page(models::risk::spillEvaporationDesc());
    page.show();
    type(page, "t3", QStringLiteral("10"));  // typed, not yet computed: must survive the dialogs

    // Flash: the first check wins; then the computed rate and the time as typed come back.
    withStage(page.findChild<QPushButton*>(QStringLiteral("action:flash")),
              [&](app::StageDialog* d) {
                QCOMPARE(d->windowTitle(), QStringLiteral("过热液体闪蒸量计算"));
                app::CalculatorPage& f = *d->page();
                type(f, "H", QStringLiteral("0"));
                type(f, "t1", QStringLiteral("0"));
                QTest::mouseClick(f.button("compute"), Qt::LeftButton);
                // 450 kJ/kg: Cp (TL - Tb) / H = 0.473 of the spill flashes.
                type(f, "H", QStringLiteral("450000"));
                QTest::mouseClick(f.button("compute"), Qt::LeftButton);
                type(f, "t1", QStringLiteral("50"));
                QTest::mouseClick(f.button("compute"), Qt::LeftButton);
                QCOMPARE(field(f, "Q1"), QStringLiteral("0.189333"));
                d->close();
              });
    QCOMPARE(messages, (QStringList{"液体气化热要大于0", "闪蒸蒸发时间要大于0"}));
    QCOMPARE(field(page, "Q1"), QStringLiteral("0.189333"));
    QCOMPARE(field(page, "t1"), QStringLiteral("50"));
    QCOMPARE(field(page, "t3"), QStringLiteral("10"));

    // Heat: the time of the last computation, not a time typed afterwards.
    withStage(page.findChild<QPushButton*>(QStringLiteral("action:heat")),
              [&](app::StageDialog* d) {
                QCOMPARE(d->windowTitle(), QStringLiteral("热量蒸发量计算"));
                QTest::mouseClick(d->page()->button("compute"), Qt::LeftButton);
                type(*d->page(), "t", QStringLiteral("80"));
                d->close();
              });
    QCOMPARE(field(page, "Q2"), QStringLiteral("21.9928"));
    QCOMPARE(field(page, "t2"), QStringLiteral("50"));

    // Mass: a dialog closed with an unreadable field stays open with the prompt.
    withStage(page.findChild<QPushButton*>(QStringLiteral("action:mass")),
              [&](app::StageDialog* d) {
                QCOMPARE(d->windowTitle(), QStringLiteral("质量蒸发量计算"));
                QTest::mouseClick(d->page()->button("compute"), Qt::LeftButton);
                type(*d->page(), "u", QStringLiteral("x"));
                d->close();
                QVERIFY(d->isVisible());
                type(*d->page(), "u", QStringLiteral("2"));
                d->close();
              });
    QCOMPARE(field(page, "Q3"), QStringLiteral("37.8295"));
    QCOMPARE(messages.size(), 3);

    QTest::mouseClick(page.button("compute"), Qt::LeftButton);
    // 0.189333 * 50 + 21.9928 * 50 + 37.8295 * 10
    QCOMPARE(field(page, "Wp"), QStringLiteral("1487.4"));
  }

  void untouchedStageLeavesThePage() {
    // The user types a rate, opens a stage dialog and closes it without computing.
    app::CalculatorPage page(models::risk::spillEvaporationDesc());
    type(page, "Q3", QStringLiteral("7"));
    type(page, "t1", QStringLiteral("30"));
    withStage(page.findChild<QPushButton*>(QStringLiteral("action:mass")),
              [](app::StageDialog* d) { d->close(); });
    withStage(page.findChild<QPushButton*>(QStringLiteral("action:flash")),
              [](app::StageDialog* d) { d->close(); });
    QCOMPARE(field(page, "Q3"), QStringLiteral("7"));
    QCOMPARE(field(page, "t1"), QStringLiteral("30"));
  }
};

QTEST_MAIN(RiskLeakEvaporationTest)
#include "risk_leak_evaporation_test.moc"
