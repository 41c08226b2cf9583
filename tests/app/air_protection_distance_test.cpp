// Atmospheric protection distance page: the side-ratio check, the pollutant drop-down, and the
// result sentence of a real kuvascreen run with the button's running state.
#include <QComboBox>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QSignalSpy>
#include <QTextEdit>
#include <QtTest>

#include "app/calculator_page.h"
#include "app/pages/air/protection_distance_page.h"
#include "models/air/protection_distance.h"
#include "widgets/prompts.h"

class AirProtectionDistanceTest : public QObject {
  Q_OBJECT

  QStringList messages;

  static void type(app::CalculatorPage& page, const char* key, const QString& text) {
    auto* e = qobject_cast<QLineEdit*>(page.control(key));
    QVERIFY(e);
    e->clear();
    QTest::keyClicks(e, text);
  }
  static QString computeAndWait(app::CalculatorPage& page) {
    QSignalSpy done(&page, &app::CalculatorPage::computed);
    QPushButton* b = page.button("compute");
    QTest::mouseClick(b, Qt::LeftButton);
    if (done.isEmpty()) {
      if (b->text() != app::kProtectionRunning || b->isEnabled())
        return QStringLiteral("(not running)");
      if (!done.wait(60000)) return QStringLiteral("(timeout)");
    }
    if (b->text() != QStringLiteral("计  算") || !b->isEnabled()) return QStringLiteral("(button)");
    return page.resultText()->toPlainText();
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

  void sideRatioIsChecked() {
    app::CalculatorPage page(models::air::protectionDistanceDesc());
    page.show();
    type(page, "L", QStringLiteral("21"));
    QTest::mouseClick(page.button("compute"), Qt::LeftButton);
    QCOMPARE(messages,
             QStringList{QStringLiteral("要求面源的两条边比值不超过10，超出的宜分成多个面源！")});
    QCOMPARE(page.focusWidget(), page.control("W"));
    QVERIFY(page.resultText()->toPlainText().isEmpty());
  }

  // An unreadable number stops the computation after the form's prompt.
  void unreadableNumberStopsTheComputation() {
    app::CalculatorPage page(models::air::protectionDistanceDesc());
    page.show();
    type(page, "Q", QStringLiteral("1x"));
    QTest::mouseClick(page.button("compute"), Qt::LeftButton);
    QCOMPARE(messages.size(), 1);
    auto* hook = dynamic_cast<app::ProtectionDistancePageHook*>(page.hook());
    QVERIFY(hook);
    QVERIFY(!hook->busy());
    QCOMPARE(page.button("compute")->text(), QStringLiteral("计  算"));
    QVERIFY(page.resultText()->toPlainText().isEmpty());
  }

  void captionAndGroups() {
    app::CalculatorPage page(models::air::protectionDistanceDesc());
    QVERIFY(page.group("大气环境防护距离 参数输入"));
    auto* result = page.findChild<QGroupBox*>(QStringLiteral("resultGroup"));
    QVERIFY(result);
    QCOMPARE(result->title(), QStringLiteral("计算结果"));
    QVERIFY(result->isAncestorOf(page.resultText()));
    auto* caption = page.findChild<QLabel*>(QStringLiteral("caption"));
    QVERIFY(caption);
    QCOMPARE(caption->text(), QStringLiteral("—————大气导则HJ2.2-2008"));
  }

  void pollutantChoiceFillsTheStandard() {
    app::CalculatorPage page(models::air::protectionDistanceDesc());
    auto* combo = page.findChild<QComboBox*>(QStringLiteral("pollutant:choice"));
    QVERIFY(combo);
    QCOMPARE(combo->currentText(), QStringLiteral("苯"));
    QCOMPARE(qobject_cast<QLineEdit*>(page.control("Cs"))->text(), QStringLiteral("2.4"));
    combo->setCurrentIndex(2);
    emit combo->activated(2);
    QCOMPARE(qobject_cast<QLineEdit*>(page.control("Cs"))->text(), QStringLiteral("0.60"));
  }

  void weakAndStrongSourcesFromRealRuns() {
    if (!QFile::exists(QStringLiteral(KUVA_BIN_DIR "/kuvascreen")))
      QSKIP("kuvascreen is not built");
    app::CalculatorPage page(models::air::protectionDistanceDesc());
    QCOMPARE(computeAndWait(page), QStringLiteral("大气环境防护距离建议值 = 500 [m]"));
    type(page, "Q", QStringLiteral("0.001"));
    QCOMPARE(computeAndWait(page), QStringLiteral("无超标点"));
    QVERIFY2(messages.isEmpty(), qPrintable(messages.join('\n')));
  }

  // The page runs the program the settings value Screen3Path names (the model gets the run
  // step from the page, not from a process-wide choice).
  void runsTheProgramOfTheSettings() {
    QSettings settings(QStringLiteral("kuva"), QStringLiteral("Settings"));
    const QVariant old = settings.value("Screen3Path");
    settings.setValue("Screen3Path", QStringLiteral("/nonexistent/screen3-of-settings"));
    app::CalculatorPage page(models::air::protectionDistanceDesc());
    page.show();
    QSignalSpy done(&page, &app::CalculatorPage::computed);
    QTest::mouseClick(page.button("compute"), Qt::LeftButton);
    QTRY_COMPARE_WITH_TIMEOUT(messages.size(), 1, 30000);
    if (old.isValid())
      settings.setValue("Screen3Path", old);
    else
      settings.remove("Screen3Path");
    QVERIFY2(messages[0].contains(QStringLiteral("/nonexistent/screen3-of-settings")),
             qPrintable(messages[0]));
    QVERIFY(done.isEmpty());
    QCOMPARE(page.button("compute")->text(), QStringLiteral("计  算"));
  }
};

QTEST_MAIN(AirProtectionDistanceTest)
#include "air_protection_distance_test.moc"
