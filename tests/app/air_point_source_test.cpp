// Point-source dispersion page: the three tabs, the record copied on a tab change, the
// computation in the background, and the curve, contour and export buttons.
#include <QApplication>
#include <QChart>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QLineSeries>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTabBar>
#include <QTemporaryDir>
#include <QTextEdit>
#include <QtTest>

#include "app/calculator_page.h"
#include "app/pages/air/point_source_page.h"
#include "app/tab_sheet.h"
#include "models/air/point_source.h"
#include "present/grid_data.h"
#include "widgets/contour_map_window.h"
#include "widgets/curve_plot.h"
#include "widgets/list_table.h"
#include "widgets/prompts.h"

using app::PointSourcePageHook;

class AirPointSourceTest : public QObject {
  Q_OBJECT

  static PointSourcePageHook* hookOf(app::CalculatorPage& page) {
    return dynamic_cast<PointSourcePageHook*>(page.hook());
  }
  static void type(app::CalculatorPage& page, const char* key, const QString& text) {
    auto* e = qobject_cast<QLineEdit*>(page.control(key));
    QVERIFY(e);
    e->clear();
    QTest::keyClicks(e, text);
  }
  static void clickTab(PointSourcePageHook* hook, int index) {
    QTabBar* bar = hook->tabs()->tabBar();
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(index).center());
    QCOMPARE(hook->tabs()->currentIndex(), index);
  }
  // Presses "计算结果" and waits for the worker.
  static bool computeAndWait(app::CalculatorPage& page) {
    QSignalSpy done(hookOf(page)->resultTab(), &app::CPointSourceResultDlg::computeFinished);
    QTest::mouseClick(page.button("compute"), Qt::LeftButton);
    return !done.isEmpty() || done.wait(20000);
  }
  template <class T>
  static T* topLevel(const QString& name) {
    for (QWidget* w : QApplication::topLevelWidgets())
      if (auto* t = qobject_cast<T*>(w); t && t->objectName() == name && t->isVisible()) return t;
    return nullptr;
  }

 private slots:
  void init() {
    widgets::setMessageSink(
        [this](QWidget*, const QString& text, const QString&) { messages << text; });
    QVERIFY(dir.isValid());
    QDir::setCurrent(dir.path());
  }
  void cleanup() {
    widgets::setMessageSink({});
    widgets::setSaveFileSink({});
    messages.clear();
    for (QWidget* w : QApplication::topLevelWidgets())
      if (qobject_cast<QDialog*>(w)) w->close();
  }

  void tabsAndTheirRadioRules() {
    app::CalculatorPage page(models::air::pointSourceDesc());
    PointSourcePageHook* hook = hookOf(page);
    QVERIFY(hook);
    QCOMPARE(hook->tabs()->count(), 3);
    QCOMPARE(hook->tabs()->tabText(0), QStringLiteral("污染源相关参数 "));
    QCOMPARE(hook->tabs()->tabText(1), QStringLiteral("气象相关参数 "));
    QCOMPARE(hook->tabs()->tabText(2), QStringLiteral("预测结果 "));
    QCOMPARE(hook->tabs()->currentIndex(), 0);

    QVERIFY(!page.control("U")->isEnabled());
    QVERIFY(!page.control("dH")->isEnabled());
    QVERIFY(page.control("Qv")->isEnabled());
    QTest::mouseClick(page.findChild<QRadioButton*>(QStringLiteral("Umode:1")), Qt::LeftButton);
    QVERIFY(page.control("U")->isEnabled());
    QTest::mouseClick(page.findChild<QRadioButton*>(QStringLiteral("dHmode:1")), Qt::LeftButton);
    QVERIFY(page.control("dH")->isEnabled());
    QVERIFY(!page.control("Pa")->isEnabled());

    QVERIFY(page.control("lat")->isEnabled());
    QVERIFY(!page.control("h")->isEnabled());
    QVERIFY(!page.control("ay")->isEnabled());
    QTest::mouseClick(page.findChild<QRadioButton*>(QStringLiteral("hmode:1")), Qt::LeftButton);
    QTest::mouseClick(page.findChild<QRadioButton*>(QStringLiteral("sigmode:1")), Qt::LeftButton);
    QVERIFY(!page.control("region")->isEnabled());
    QVERIFY(page.control("h")->isEnabled());
    QVERIFY(page.control("gz")->isEnabled());
  }

  void computesFromTheRecordCopiedOnTabChange() {
    app::CalculatorPage page(models::air::pointSourceDesc());
    page.show();
    PointSourcePageHook* hook = hookOf(page);
    app::CPointSourceResultDlg* result = hook->resultTab();

    // Nothing computed yet: the curve and contour buttons refuse.
    QTest::mouseClick(page.button("curve"), Qt::LeftButton);
    QTest::mouseClick(page.button("contour"), Qt::LeftButton);
    QCOMPARE(messages, QStringList({QStringLiteral("没有数据,请先计算!"),
                                    QStringLiteral("没有数据,请先计算!")}));
    messages.clear();

    type(page, "Xmax", QStringLiteral("1050"));
    clickTab(hook, 1);
    type(page, "U10", QStringLiteral("1.5"));
    clickTab(hook, 2);
    QCOMPARE(result->record().f("U10"), 1.5f);
    QCOMPARE(result->record().f("Xmax"), 1050.0f);
    QVERIFY(computeAndWait(page));
    QVERIFY2(messages.isEmpty(), qPrintable(messages.join('|')));

    widgets::ListTable* list = result->list();
    QCOMPARE(list->selectionBehavior(), QAbstractItemView::SelectRows);  // a report list
    QCOMPARE(list->rowCount(), 11);
    QCOMPARE(list->columnCount(), 12);
    QCOMPARE(list->caption(0), QStringLiteral("Y＼X"));
    QCOMPARE(list->caption(11), QStringLiteral("1000"));  // the remainder is dropped
    QCOMPARE(list->text(0, 0), QStringLiteral("-500"));
    QCOMPARE(list->text(5, 1), QStringLiteral("0.000000"));
    const QString report = result->report()->toPlainText();
    QVERIFY2(report.startsWith(QStringLiteral("——————————有风时，各参数详细结果如下————————\n")),
             qPrintable(report));

    // A refused computation keeps the previous results.
    clickTab(hook, 0);
    type(page, "step", QStringLiteral("0"));
    clickTab(hook, 2);
    QTest::mouseClick(page.button("compute"), Qt::LeftButton);
    QCOMPARE(messages, QStringList{QStringLiteral("步长必须大于0，请重新输入！")});
    QVERIFY(!result->busy());
    QCOMPARE(list->rowCount(), 11);
  }

  void curveTakesTheTrueXOfEachColumn() {
    app::CalculatorPage page(models::air::pointSourceDesc());
    page.show();
    PointSourcePageHook* hook = hookOf(page);
    type(page, "Xmin", QStringLiteral("50"));
    type(page, "Xmax", QStringLiteral("300"));
    type(page, "step", QStringLiteral("12.5"));
    clickTab(hook, 2);
    QVERIFY(computeAndWait(page));
    hook->resultTab()->showCurve(false);
    auto* plot = topLevel<widgets::CurvePlot>(QStringLiteral("pointSourceCurve"));
    QVERIFY(plot);
    QVERIFY(!plot->chart()->series().isEmpty());
    auto* line = qobject_cast<QLineSeries*>(plot->chart()->series().first());
    QVERIFY(line);
    QCOMPARE(line->count(), 21);
    QCOMPARE(line->at(0).x(), 50.0);
    QCOMPARE(line->at(1).x(), 62.5);
    QCOMPARE(line->at(20).x(), 300.0);
    const models::air::PointSourceResult* r = hook->resultTab()->result();
    QCOMPARE(line->at(10).y(), static_cast<double>(r->centre_mg_m3[10]));
    plot->close();
  }

  void contourWritesTheGridWithItsPeakAndExportWritesAFile() {
    app::CalculatorPage page(models::air::pointSourceDesc());
    page.show();
    PointSourcePageHook* hook = hookOf(page);
    clickTab(hook, 2);
    QVERIFY(computeAndWait(page));
    hook->resultTab()->showContour(false);
    QVERIFY(topLevel<widgets::ContourMapWindow>(QStringLiteral("pointSourceContour")));
    present::GridData g;
    QCOMPARE(present::readGrdFile("result.grd", g), present::GrdReadStatus::Ok);
    QCOMPARE(g.nx, 11);
    QCOMPARE(g.ny, 11);
    QCOMPARE(g.xmax, 1000.0);
    QCOMPARE(g.ymin, -500.0);
    QCOMPARE(g.zmax, hook->resultTab()->result()->cm_mg_m3);
    QVERIFY(g.zmax >= g.at(5, 3));

    const QString path = dir.filePath(QStringLiteral("ps.xlsx"));
    widgets::setSaveFileSink(
        [&](QWidget*, const QString&, const QString&, const QString&) { return path; });
    QTest::mouseClick(page.button("excel"), Qt::LeftButton);
    QVERIFY(QFile::exists(path));
  }

  // A range running backwards leaves rows without columns; the windows open on the empty
  // field without failing.
  void gridWithoutColumnsOpensEmptyWindows() {
    app::CalculatorPage page(models::air::pointSourceDesc());
    page.show();
    PointSourcePageHook* hook = hookOf(page);
    type(page, "Xmax", QStringLiteral("-100"));
    clickTab(hook, 2);
    QVERIFY(computeAndWait(page));
    QCOMPARE(hook->resultTab()->list()->rowCount(), 11);
    QCOMPARE(hook->resultTab()->list()->columnCount(), 1);
    hook->resultTab()->showCurve(false);
    QVERIFY(topLevel<widgets::CurvePlot>(QStringLiteral("pointSourceCurve")));
    hook->resultTab()->showContour(false);
    QVERIFY(topLevel<widgets::ContourMapWindow>(QStringLiteral("pointSourceContour")));
    QApplication::processEvents();
  }

  // The largest grid in light wind stays responsive: the page keeps handling events while the
  // worker runs.
  void largestLightWindGridRunsInTheBackground() {
    app::CalculatorPage page(models::air::pointSourceDesc());
    page.show();
    PointSourcePageHook* hook = hookOf(page);
    type(page, "Xmax", QStringLiteral("999"));
    type(page, "Ymin", QStringLiteral("-500"));
    type(page, "Ymax", QStringLiteral("499"));
    type(page, "step", QStringLiteral("1"));
    clickTab(hook, 1);
    type(page, "U10", QStringLiteral("1"));
    clickTab(hook, 2);
    QSignalSpy done(hook->resultTab(), &app::CPointSourceResultDlg::computeFinished);
    QTest::mouseClick(page.button("compute"), Qt::LeftButton);
    QVERIFY(hook->resultTab()->busy());
    QVERIFY(!page.button("compute")->isEnabled());
    QVERIFY(done.wait(60000));
    QVERIFY(page.button("compute")->isEnabled());
    QCOMPARE(hook->resultTab()->list()->rowCount(), 1000);
    QCOMPARE(hook->resultTab()->list()->columnCount(), 1001);
    QVERIFY(hook->resultTab()->report()->toPlainText().startsWith(
        QStringLiteral("——————————小风和静风时")));
  }

 private:
  QStringList messages;
  QTemporaryDir dir;
};

QTEST_MAIN(AirPointSourceTest)
#include "air_point_source_test.moc"
