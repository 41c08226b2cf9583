// Cumulative-flow mixing page: the single point, its check order, and the grid dialog of the
// decay mode with its export.
#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include "app/calculator_page.h"
#include "app/pages/water/mixing_grid_dialog.h"
#include "models/water/cumulative_flow.h"
#include "widgets/list_table.h"
#include "widgets/prompts.h"

class WaterCumulativeFlowTest : public QObject {
  Q_OBJECT
 private:
  static void type(app::CalculatorPage& page, const char* key, const QString& text) {
    auto* e = qobject_cast<QLineEdit*>(page.control(key));
    QVERIFY(e);
    e->clear();
    QTest::keyClicks(e, text);
  }

 private slots:
  void initTestCase() { QVERIFY(dir.isValid()); }
  void init() {
    widgets::setMessageSink(
        [this](QWidget*, const QString& text, const QString&) { messages << text; });
  }
  void cleanup() {
    widgets::setMessageSink({});
    widgets::setSaveFileSink({});
    messages.clear();
  }

  void singlePointAndItsChecks() {
    app::CalculatorPage page(models::water::cumulativeFlowDesc());
    QTest::mouseClick(page.button("compute"), Qt::LeftButton);
    QVERIFY(messages.isEmpty());
    QCOMPARE(qobject_cast<QLineEdit*>(page.control("C"))->text(), QStringLiteral("24.1008"));

    type(page, "a", QStringLiteral("-1"));
    QTest::mouseClick(page.button("compute"), Qt::LeftButton);
    QCOMPARE(messages, QStringList{QStringLiteral("a必须大于等于0，请重新输入！")});
    QCOMPARE(qobject_cast<QLineEdit*>(page.control("C"))->text(), QStringLiteral("24.1008"));
  }

  void decayGridDialogExports() {
    app::CalculatorPage page(models::water::cumulativeFlowDesc());
    QTest::mouseClick(page.findChild<QRadioButton*>(QStringLiteral("mode:1")), Qt::LeftButton);
    QVERIFY(page.control("K1")->isEnabled());
    const QString path = dir.filePath(QStringLiteral("grid.xlsx"));
    widgets::setSaveFileSink(
        [&](QWidget*, const QString&, const QString&, const QString&) { return path; });
    QString caption;
    int rows = 0, columns = 0;
    QObject guard;
    QTimer::singleShot(0, &guard, [&] {
      auto* d = qobject_cast<app::MixingGridDialog*>(QApplication::activeModalWidget());
      if (!d) return;
      caption = d->windowTitle();
      rows = d->list()->rowCount();
      columns = d->list()->columnCount();
      QTest::mouseClick(d->findChild<QPushButton*>(QStringLiteral("export")), Qt::LeftButton);
      QTest::mouseClick(d->findChild<QPushButton*>(QStringLiteral("close")), Qt::LeftButton);
    });
    QTest::mouseClick(page.button("grid"), Qt::LeftButton);
    QCOMPARE(caption, QStringLiteral("稳态混合衰减累积流量模式网格计算结果"));
    QCOMPARE(rows, 11);
    QCOMPARE(columns, 26);
    QVERIFY(QFileInfo::exists(path));
    QCOMPARE(messages, QStringList{QStringLiteral("导出文件保存于%1!").arg(path)});
  }

 private:
  QTemporaryDir dir;
  QStringList messages;
};

QTEST_MAIN(WaterCumulativeFlowTest)
#include "water_cumulative_flow_test.moc"
