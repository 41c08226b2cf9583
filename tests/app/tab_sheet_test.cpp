// The tab sheet of the tab-host pages: its tab limit, which tab shows, switching and the
// host's notification.
#include <QLineEdit>
#include <QSignalSpy>
#include <QTabBar>
#include <QtTest>

#include "app/tab_sheet.h"

class TabSheetTest : public QObject {
  Q_OBJECT
 private slots:
  void seventeenthPageIsRefused() {
    app::CTabSheet sheet;
    QVERIFY(!sheet.AddPage(QStringLiteral("x "), nullptr, 999));  // no dialog, no tab
    QCOMPARE(sheet.GetPageCount(), 0);
    for (int i = 0; i < 16; ++i)
      QVERIFY(sheet.AddPage(QStringLiteral("t%1 ").arg(i), new QWidget(&sheet), 300 + i));
    QWidget extra;
    QVERIFY(!sheet.AddPage(QStringLiteral("x "), &extra, 999));
    QCOMPARE(sheet.GetPageCount(), 16);
    sheet.CreatePages();
    QCOMPARE(sheet.count(), 16);
    QCOMPARE(sheet.templateId(15), 315);
  }

  void onlyTheFirstTabShowsAfterCreation() {
    app::CTabSheet sheet;
    auto* a = new QWidget(&sheet);
    auto* b = new QWidget(&sheet);
    sheet.AddPage(QStringLiteral("参数输入 "), a, 238);
    sheet.AddPage(QStringLiteral("预测结果 "), b, 240);
    sheet.CreatePages();
    sheet.show();
    QCOMPARE(sheet.GetCurrentPage(), 0);
    QVERIFY(a->isVisible());
    QVERIFY(!b->isVisible());
    QCOMPARE(sheet.tabText(1), QStringLiteral("预测结果 "));
  }

  void switchingKeepsContentsAndNotifiesTheHost() {
    app::CTabSheet sheet;
    auto* a = new QLineEdit(&sheet);
    auto* b = new QLineEdit(&sheet);
    sheet.AddPage(QStringLiteral("a "), a, 1);
    sheet.AddPage(QStringLiteral("b "), b, 2);
    sheet.CreatePages();
    sheet.show();
    QSignalSpy spy(&sheet, &app::CTabSheet::selectionChanged);
    a->setText(QStringLiteral("12.5"));
    QTest::mouseClick(sheet.tabBar(), Qt::LeftButton, {}, sheet.tabBar()->tabRect(1).center());
    QCOMPARE(sheet.GetCurrentPage(), 1);
    QCOMPARE(spy.count(), 1);
    QCOMPARE(spy.at(0).at(0).toInt(), 1);
    // Clicking the tab that is already selected changes nothing.
    QTest::mouseClick(sheet.tabBar(), Qt::LeftButton, {}, sheet.tabBar()->tabRect(1).center());
    QCOMPARE(spy.count(), 1);
    QTest::mouseClick(sheet.tabBar(), Qt::LeftButton, {}, sheet.tabBar()->tabRect(0).center());
    QCOMPARE(a->text(), QStringLiteral("12.5"));
    QVERIFY(a->isVisible());
  }

  void drawModesOutsideZeroToTwoAreRefused() {
    app::CTabSheet sheet;
    QVERIFY(sheet.EnableDraw(1));
    QCOMPARE(sheet.drawMode(), 1);
    QVERIFY(!sheet.EnableDraw(3));
    QVERIFY(!sheet.EnableDraw(-1));
    QCOMPARE(sheet.drawMode(), 1);
    sheet.SetBkgndColor(QColor(159, 185, 245));
    QCOMPARE(sheet.backgroundColour(), QColor(159, 185, 245));
    app::CTabSheet::EnableCustomLook(true, 6);
    QCOMPARE(app::CTabSheet::CustomLookStyle(), 6u);
    app::CTabSheet::EnableCustomLook(false, 6);
    QCOMPARE(app::CTabSheet::CustomLookStyle(), 0u);
  }
};

QTEST_MAIN(TabSheetTest)
#include "tab_sheet_test.moc"
