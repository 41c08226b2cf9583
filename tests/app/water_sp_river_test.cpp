// S-P model page: typed inputs fill the distance grid; the complete-mixing check box switches
// the grid layout and the fields the table needs.
#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

#include "app/calculator_page.h"
#include "models/water/sp_river.h"
#include "widgets/grid_ctrl.h"
#include "widgets/prompts.h"

class WaterSpRiverTest : public QObject {
  Q_OBJECT
 private:
  static void type(app::CalculatorPage& page, const char* key, const QString& text) {
    auto* e = qobject_cast<QLineEdit*>(page.control(key));
    QVERIFY(e);
    e->clear();
    QTest::keyClicks(e, text);
  }
  static QStringList row(widgets::CGridCtrl* g, int r) {
    QStringList cells;
    for (int c = 0; c < g->GetColumnCount(); ++c) cells << g->GetItemText(r, c);
    return cells;
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

  void defaultsFillThirtyRows() {
    app::CalculatorPage page(models::water::spDesc());
    auto* grid = page.findChild<widgets::CGridCtrl*>(QStringLiteral("grid"));
    QVERIFY(grid);
    QCOMPARE(row(grid, 0), (QStringList{"序号", "距离m", "浓度值mg／L", "氧亏值mg／L"}));
    QCOMPARE(grid->GetColumnWidth(2), 80);
    QTest::mouseClick(page.button("compute"), Qt::LeftButton);
    QVERIFY(messages.isEmpty());
    QCOMPARE(grid->GetRowCount(), 31);
    QCOMPARE(row(grid, 1), (QStringList{"1", "100", "9.5344", "1.6536"}));
    QCOMPARE(row(grid, 30), (QStringList{"30", "3000", "9.2197", "1.8793"}));

    // Nothing selected: the copy button refuses.
    QTest::mouseClick(page.findChild<QPushButton*>(QStringLiteral("action:copy")), Qt::LeftButton);
    QCOMPARE(messages, QStringList{"至少选中一个单元格才能复制"});
  }

  // 1 / 0.1 computed from the single-precision fields is 9.99999985; the 1 m row was lost.
  void tenthMetreStepKeepsLastRow() {
    app::CalculatorPage page(models::water::spDesc());
    type(page, "lmax", QStringLiteral("1"));
    type(page, "l", QStringLiteral("0.1"));
    QTest::mouseClick(page.button("compute"), Qt::LeftButton);
    auto* grid = page.findChild<widgets::CGridCtrl*>(QStringLiteral("grid"));
    QCOMPARE(grid->GetRowCount(), 11);
    QCOMPARE(grid->GetItemText(10, 1), QStringLiteral("1"));
    // A farthest distance below the step leaves only the header row.
    type(page, "lmax", QStringLiteral("0.05"));
    QTest::mouseClick(page.button("compute"), Qt::LeftButton);
    QCOMPARE(grid->GetRowCount(), 1);
    // A billion rows would exhaust the memory: refused, naming the step, focus on it.
    page.show();
    type(page, "lmax", QStringLiteral("1e9"));
    type(page, "l", QStringLiteral("1"));
    QTest::mouseClick(page.button("compute"), Qt::LeftButton);
    QCOMPARE(messages, QStringList{"预测点数超过100000，无法显示，请加大距离间隔l，请重新输入！"});
    QCOMPARE(grid->GetRowCount(), 1);
    QTRY_COMPARE(QApplication::focusWidget(), page.control("l"));
  }

  void mixOnlyCheckBoxSwitchesLayout() {
    app::CalculatorPage page(models::water::spDesc());
    auto* grid = page.findChild<widgets::CGridCtrl*>(QStringLiteral("grid"));
    auto* box = qobject_cast<QCheckBox*>(page.control("mixonly"));
    QVERIFY(box);
    QTest::mouseClick(box, Qt::LeftButton);
    QVERIFY(!page.control("u")->isEnabled());
    QVERIFY(!page.control("lmax")->isEnabled());
    QVERIFY(page.control("Qh")->isEnabled());
    QCOMPARE(grid->GetColumnCount(), 1);
    QCOMPARE(grid->GetFixedColumnCount(), 0);
    QCOMPARE(grid->GetItemText(0, 0), QStringLiteral("完全混合浓度值mg／L"));
    QCOMPARE(grid->GetColumnWidth(0), 150);
    QTest::mouseClick(page.button("compute"), Qt::LeftButton);
    QCOMPARE(grid->GetRowCount(), 2);
    QCOMPARE(grid->GetItemText(1, 0), QStringLiteral("9.54545"));

    QTest::mouseClick(box, Qt::LeftButton);
    QVERIFY(page.control("u")->isEnabled());
    QCOMPARE(grid->GetRowCount(), 1);
    QCOMPARE(row(grid, 0), (QStringList{"序号", "距离m", "浓度值mg／L", "氧亏值mg／L"}));
    QCOMPARE(grid->GetColumnWidth(2), 90);
    QCOMPARE(grid->GetColumnWidth(3), 90);
  }

 private:
  QStringList messages;
};

QTEST_MAIN(WaterSpRiverTest)
#include "water_sp_river_test.moc"
