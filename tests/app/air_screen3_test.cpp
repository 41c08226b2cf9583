// Estimation-mode page: the source tab's type groups, enabling rules and tables; the result
// tab computed from real kuvascreen runs on entering it, with its colours, views and messages.
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTabBar>
#include <QTextEdit>
#include <QtTest>

#include "app/calculator_page.h"
#include "app/pages/air/screen3_page.h"
#include "app/tab_sheet.h"
#include "models/air/screen3_estimate.h"
#include "widgets/grid_ctrl.h"
#include "widgets/prompts.h"

using app::Screen3PageHook;

class AirScreen3Test : public QObject {
  Q_OBJECT

  QStringList messages;

  static Screen3PageHook* hookOf(app::CalculatorPage& page) {
    return dynamic_cast<Screen3PageHook*>(page.hook());
  }
  static void type(app::CalculatorPage& page, const char* key, const QString& text) {
    auto* e = qobject_cast<QLineEdit*>(page.control(key));
    QVERIFY(e);
    e->clear();
    QTest::keyClicks(e, text);
  }
  static void choose(app::CalculatorPage& page, const char* key, int index) {
    auto* c = qobject_cast<QComboBox*>(page.control(key));
    QVERIFY(c);
    c->setCurrentIndex(index);
  }
  static QPushButton* button(app::CalculatorPage& page, const char* name) {
    return page.findChild<QPushButton*>(QLatin1String(name));
  }
  // Clicks the result tab and waits for the runs.
  static bool enterResults(app::CalculatorPage& page) {
    Screen3PageHook* hook = hookOf(page);
    QSignalSpy done(hook->resultTab(), &app::CScreen3ResultDlg::computeFinished);
    QTabBar* bar = hook->tabs()->tabBar();
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(1).center());
    return !done.isEmpty() || done.wait(60000);
  }
  static bool haveEngine() { return QFile::exists(QStringLiteral(KUVA_BIN_DIR "/kuvascreen")); }

 private slots:
  void init() {
    widgets::setMessageSink(
        [this](QWidget*, const QString& text, const QString&) { messages << text; });
  }
  void cleanup() {
    widgets::setMessageSink({});
    messages.clear();
  }

  void typeShowsItsGroupAndChecksEnableFields() {
    app::CalculatorPage page(models::air::screen3EstimateDesc());
    QVERIFY(hookOf(page));
    page.show();
    QCOMPARE(hookOf(page)->tabs()->tabText(0), QStringLiteral("SCREEN3参数输入 "));
    QVERIFY(page.group("点源参数")->isVisible());
    QVERIFY(!page.group("面源参数")->isVisible());
    choose(page, "type", 1);
    QVERIFY(page.group("面源参数")->isVisible());
    QVERIFY(!page.group("点源参数")->isVisible());
    QVERIFY(!page.group("建筑物与熏烟")->isVisible());
    choose(page, "type", 3);
    QVERIFY(page.group("点源（火炬）参数")->isVisible());
    QVERIFY(page.group("建筑物与熏烟")->isVisible());

    QVERIFY(!page.control("stab")->isEnabled());
    choose(page, "met", 1);
    QVERIFY(page.control("stab")->isEnabled());
    QVERIFY(!page.control("u10")->isEnabled());
    choose(page, "met", 2);
    QVERIFY(page.control("u10")->isEnabled());
    QVERIFY(!page.control("bl")->isEnabled());
    qobject_cast<QCheckBox*>(page.control("downwash"))->setChecked(true);
    QVERIFY(page.control("bl")->isEnabled());
    QVERIFY(!page.control("shore")->isEnabled());
    qobject_cast<QCheckBox*>(page.control("fumi"))->setChecked(true);
    QVERIFY(page.control("shore")->isEnabled());
    QVERIFY(!page.control("shore_d")->isEnabled());
    qobject_cast<QCheckBox*>(page.control("shore"))->setChecked(true);
    QVERIFY(page.control("shore_d")->isEnabled());
  }

  void tablesAddDeleteAndFillStandards() {
    app::CalculatorPage page(models::air::screen3EstimateDesc());
    auto* src = hookOf(page)->sourceTab();
    widgets::CGridCtrl* pol = src->pollutantGrid();
    QCOMPARE(pol->GetRowCount(), 2);
    QCOMPARE(pol->GetItemText(1, 0), QStringLiteral("SO2"));
    QCOMPARE(pol->GetItemText(1, 2), QStringLiteral("0.5"));
    QTest::mouseClick(button(page, "pollutantsAdd"), Qt::LeftButton);
    QCOMPARE(pol->GetRowCount(), 3);
    QCOMPARE(pol->GetItemText(2, 0), QStringLiteral("SO2"));
    QCOMPARE(pol->GetItemText(2, 1), QString());
    QVERIFY(pol->GetComboCell(2, 0));
    pol->SetItemText(2, 0, QStringLiteral("NO2"));
    src->pollutantEdited(2, 0);
    QCOMPARE(pol->GetItemText(2, 2), QStringLiteral("0.24"));
    pol->SetItemText(2, 0, QStringLiteral("甲苯"));
    src->pollutantEdited(2, 0);
    QCOMPARE(pol->GetItemText(2, 2), QStringLiteral("0.24"));  // 甲苯 keeps the standard

    widgets::CGridCtrl* pts = src->pointGrid();
    QCOMPARE(pts->GetRowCount(), 1);
    QTest::mouseClick(button(page, "pointsAdd"), Qt::LeftButton);
    QTest::mouseClick(button(page, "pointsAdd"), Qt::LeftButton);
    QCOMPARE(pts->GetItemText(1, 0), QStringLiteral("100"));
    QCOMPARE(pts->GetItemText(2, 0), QStringLiteral("200"));
    QCOMPARE(pts->GetItemText(2, 1), QStringLiteral("0"));
    QTest::mouseClick(button(page, "autoAdd"), Qt::LeftButton);
    QCOMPARE(src->automatedGrid()->GetItemText(2, 0), QStringLiteral("5100"));
    pts->SetFocusCell(1, 0);
    QTest::mouseClick(button(page, "pointsDelete"), Qt::LeftButton);
    QCOMPARE(pts->GetRowCount(), 2);
    QCOMPARE(pts->GetItemText(1, 0), QStringLiteral("200"));
    for (int i = 0; i < 3; ++i) QTest::mouseClick(button(page, "pointsDelete"), Qt::LeftButton);
    QCOMPARE(pts->GetRowCount(), 1);  // the header row stays
    QCOMPARE(pts->GetItemText(0, 0), QStringLiteral("距离[m]"));
  }

  void volumeDimensionsFollowTheSides() {
    app::CalculatorPage page(models::air::screen3EstimateDesc());
    choose(page, "type", 2);
    type(page, "vol_l", QStringLiteral("43"));
    type(page, "vol_w", QStringLiteral("20"));
    QCOMPARE(qobject_cast<QLineEdit*>(page.control("sy0"))->text(), QStringLiteral("10"));
    type(page, "vol_he", QStringLiteral("21.5"));
    QCOMPARE(qobject_cast<QLineEdit*>(page.control("sz0"))->text(), QStringLiteral("10"));
  }

  void resultTabComputesFromRealRuns() {
    if (!haveEngine()) QSKIP("kuvascreen is not built");
    app::CalculatorPage page(models::air::screen3EstimateDesc());
    auto* src = hookOf(page)->sourceTab();
    QTest::mouseClick(button(page, "pollutantsAdd"), Qt::LeftButton);
    src->pollutantGrid()->SetItemText(2, 0, QStringLiteral("NO2"));
    src->pollutantGrid()->SetItemText(2, 1, QStringLiteral("0.5"));
    src->pollutantEdited(2, 0);
    QVERIFY(enterResults(page));
    QVERIFY2(messages.isEmpty(), qPrintable(messages.join('\n')));
    auto* res = hookOf(page)->resultTab();
    widgets::CGridCtrl* g = res->grid();
    QCOMPARE(g->GetColumnCount(), 8);
    QCOMPARE(g->GetItemText(0, 4), QStringLiteral("SO2下风向浓度mg／m＾3"));
    QCOMPARE(g->GetItemText(0, 7), QStringLiteral("NO2浓度占标率％"));
    int maxRow = -1;
    for (int r = 1; r < g->GetRowCount(); ++r)
      if (g->GetItemText(r, 0) == QStringLiteral("最大值简单地形")) maxRow = r;
    QVERIFY(maxRow > 0);
    QCOMPARE(res->cellColour(maxRow, 2), QColor(255, 0, 0));
    const QColor c = res->cellColour(1, 4);
    QCOMPARE(c.red(), 0);
    QCOMPARE(c.green(), 255);
    QCOMPARE(res->cellColour(1, 5), c);
    const QString summary = res->summary()->toPlainText();
    QVERIFY2(
        summary.startsWith(QStringLiteral("所筛选的污染物中NO2的Pmax最大\n建议评价工作等级：")),
        qPrintable(summary));
    QVERIFY(summary.contains(QStringLiteral("SO2:Pmax=")));

    QVERIFY(res->fullText()->isHidden());
    res->viewChoice()->setCurrentIndex(1);
    QVERIFY(!res->fullText()->isHidden());
    QVERIFY(res->grid()->isHidden());
    QCOMPARE(res->pollutantChoice()->count(), 2);
    QVERIFY(res->fullText()->toPlainText().contains(QStringLiteral("SCREEN3 MODEL RUN")));
    res->pollutantChoice()->setCurrentIndex(1);
    QVERIFY(res->fullText()->toPlainText().contains(QStringLiteral("0.500000")));
    res->viewChoice()->setCurrentIndex(0);
    auto* copy = res->findChild<QPushButton*>(QStringLiteral("copy"));
    QVERIFY(copy);
    copy->click();
    QCOMPARE(messages, QStringList{QStringLiteral("至少选中一个单元格才能复制")});
  }

  void missingSourceStrengthReturnsToTheSourceTab() {
    app::CalculatorPage page(models::air::screen3EstimateDesc());
    hookOf(page)->sourceTab()->pollutantGrid()->SetItemText(1, 1, QString());
    QVERIFY(enterResults(page));
    QCOMPARE(messages, QStringList{QStringLiteral("污染物SO2源强不能为空")});
    QCOMPARE(hookOf(page)->tabs()->currentIndex(), 0);
  }

  void windOutsideTheClassRangeIsRefusedBeforeAnyRun() {
    app::CalculatorPage page(models::air::screen3EstimateDesc());
    choose(page, "met", 2);
    choose(page, "stab", 5);
    type(page, "u10", QStringLiteral("4.5"));
    QVERIFY(enterResults(page));
    QCOMPARE(messages,
             QStringList{QStringLiteral("稳定度F时10m风速应在1到4 m/s之间，请重新输入！")});
    QCOMPARE(hookOf(page)->tabs()->currentIndex(), 0);
    QCOMPARE(hookOf(page)->resultTab()->grid()->GetRowCount(), 0);
  }

  // An unreadable number stops the computation after the form's prompt: no run, back on the
  // source tab.
  void unreadableNumberStopsTheComputation() {
    app::CalculatorPage page(models::air::screen3EstimateDesc());
    type(page, "H", QStringLiteral("3o"));
    Screen3PageHook* hook = hookOf(page);
    QTabBar* bar = hook->tabs()->tabBar();
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(1).center());
    QCOMPARE(messages.size(), 1);
    QVERIFY(!hook->resultTab()->busy());
    QCOMPARE(hook->tabs()->currentIndex(), 0);
    QCOMPARE(hook->resultTab()->grid()->GetRowCount(), 0);
  }

  void emptyAutomatedTableIsRefused() {
    app::CalculatorPage page(models::air::screen3EstimateDesc());
    QTest::mouseClick(button(page, "autoDelete"), Qt::LeftButton);
    QVERIFY(enterResults(page));
    QCOMPARE(messages,
             QStringList{QStringLiteral("简单地形连续自动点输入表格中没有数据，请至少输入一行！")});
  }
};

QTEST_MAIN(AirScreen3Test)
#include "air_screen3_test.moc"
