// Daily mean water temperature page: typed inputs fill the distance grid, which exports.
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

#include "app/calculator_page.h"
#include "models/water/water_temperature.h"
#include "widgets/grid_ctrl.h"
#include "widgets/prompts.h"

class WaterTemperatureTest : public QObject {
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
    widgets::setSaveFileSink({});
    messages.clear();
  }

  void typedInputsFillGrid() {
    app::CalculatorPage page(models::water::waterTempDesc());
    auto* grid = page.findChild<widgets::CGridCtrl*>(QStringLiteral("grid"));
    QVERIFY(grid);
    QCOMPARE(grid->GetItemText(0, 2), QStringLiteral("日均水温℃"));
    QCOMPARE(grid->GetColumnWidth(1), 70);
    type(page, "xmax", QStringLiteral("100"));
    QTest::mouseClick(page.button("compute"), Qt::LeftButton);
    QVERIFY(messages.isEmpty());
    QCOMPARE(grid->GetRowCount(), 3);
    QCOMPARE(grid->GetItemText(1, 0), QStringLiteral("1"));
    QCOMPARE(grid->GetItemText(1, 1), QStringLiteral("50"));
    QCOMPARE(grid->GetItemText(1, 2), QStringLiteral("18.1722"));

    type(page, "xmax", QStringLiteral("2000"));
    QTest::mouseClick(page.button("compute"), Qt::LeftButton);
    QCOMPARE(grid->GetRowCount(), 41);
    QCOMPARE(grid->GetItemText(40, 1), QStringLiteral("2000"));
    QCOMPARE(grid->GetItemText(40, 2), QStringLiteral("17.8"));
  }

  void exportWritesFile() {
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("t.xlsx"));
    widgets::setSaveFileSink(
        [path](QWidget*, const QString&, const QString&, const QString&) { return path; });
    app::CalculatorPage page(models::water::waterTempDesc());
    QTest::mouseClick(page.button("compute"), Qt::LeftButton);
    QTest::mouseClick(page.findChild<QPushButton*>(QStringLiteral("action:export")),
                      Qt::LeftButton);
    QVERIFY(QFile::exists(path));
    QCOMPARE(messages.size(), 1);
    QVERIFY2(messages[0].startsWith(QStringLiteral("导出文件保存于")), qPrintable(messages[0]));
  }

 private:
  QStringList messages;
};

QTEST_MAIN(WaterTemperatureTest)
#include "water_water_temperature_test.moc"
