// Groundwater pages: the compute fills both tables, the curves and the contour map open with the
// standard drawn, the sheet carries the formula, the tables and the extent, and a refused input
// is explained.
#include <QChartView>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTextEdit>
#include <QtTest>

#include "app/calculator_page.h"
#include "app/sheet_export.h"
#include "models/groundwater/gw_desc.h"
#include "present/contour.h"
#include "widgets/contour_map_window.h"
#include "widgets/list_table.h"
#include "widgets/prompts.h"

class GroundwaterPageTest : public QObject {
  Q_OBJECT
 private:
  static void type(app::CalculatorPage& page, const char* key, const QString& text) {
    auto* e = qobject_cast<QLineEdit*>(page.control(key));
    QVERIFY(e);
    e->setText(text);  // the lists hold full-width commas, which key clicks cannot type
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

  void continuousPointSourcePageShowsTablesCurvesMapAndSheet() {
    app::CalculatorPage page(models::groundwater::gw2DContinuousDesc());
    type(page, "x", QStringLiteral("10"));
    type(page, "xs", QStringLiteral("0，10, 500"));
    type(page, "ts", QStringLiteral("100 1000"));
    QTest::mouseClick(page.button("compute"), Qt::LeftButton);
    QVERIFY2(messages.isEmpty(), qPrintable(messages.join(QLatin1Char('\n'))));
    QCOMPARE(qobject_cast<QLineEdit*>(page.control("C"))->text(), QStringLiteral("11.0214"));
    auto* table = page.findChild<widgets::ListTable*>(QStringLiteral("concentrationTable"));
    QVERIFY(table);
    QCOMPARE(table->rowCount(), 2);
    QCOMPARE(table->text(0, 1), QStringLiteral("—"));  // the source point
    QCOMPARE(table->text(0, 3), QStringLiteral("1.3473e-127"));
    auto* extent = page.findChild<widgets::ListTable*>(QStringLiteral("extentTable"));
    QCOMPARE(extent->rowCount(), 4);
    QCOMPARE(extent->text(2, 4), QStringLiteral("266.082"));  // 超标范围 at 1000 d, downstream
    QVERIFY(page.resultText()->toPlainText().contains(QStringLiteral("超标范围（C ≥ 0.5 mg/L）")));

    QTest::mouseClick(page.button("curves"), Qt::LeftButton);
    QCOMPARE(page.findChildren<QChartView*>().size(), 2);
    QTest::mouseClick(page.button("map"), Qt::LeftButton);
    auto* map = page.findChild<widgets::ContourMapWindow*>();
    QVERIFY(map && map->contourSet());
    const auto& levels = map->contourSet()->levels().values();
    QVERIFY(std::find(levels.begin(), levels.end(), 0.5f) != levels.end());
    QCOMPARE(map->styles().styleFor(0.5f).colour, (present::Rgb{0, 0, 255}));

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("sheet.html"));
    QCOMPARE(app::writePageSheet(page, path, QString()), QString());
    QFile f(path);
    QVERIFY(f.open(QIODevice::ReadOnly));
    const QString html = QString::fromUtf8(f.readAll());
    for (const char* part : {"HJ 610-2016", "2·K0(β)", "超标范围与影响范围", "浓度预测表",
                             "单位时间注入的污染物质量", "kg/d", "266.082", "data:image/png"})
      QVERIFY2(html.contains(QString::fromUtf8(part)), part);
  }

  void zeroVelocityIsRefusedOnTheContinuousPointSource() {
    app::CalculatorPage page(models::groundwater::gw2DContinuousDesc());
    type(page, "u", QStringLiteral("0"));
    QTest::mouseClick(page.button("compute"), Qt::LeftButton);
    QCOMPARE(messages.size(), 1);
    QVERIFY(messages.front().contains(QStringLiteral("无定义")));
  }

 private:
  QStringList messages;
};

QTEST_MAIN(GroundwaterPageTest)
#include "groundwater_page_test.moc"
