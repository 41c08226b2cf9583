#include "widgets/list_table.h"

#include <QApplication>
#include <QClipboard>
#include <QElapsedTimer>
#include <QScrollBar>
#include <QTest>

#include "widgets/prompts.h"

using widgets::ListTable;

class ListTableTest : public QObject {
  Q_OBJECT

 private slots:
  void tableFillsCaptionsCellsAndWidths() {
    ListTable l;
    core::Table t;
    t.headers = {"y\\x", "100", "200"};
    t.rows = {{"0", "0.1", "0.2"}, {"10", "0.3"}};
    t.widths = {60, 0, 80};
    l.setTable(t);
    QCOMPARE(l.rowCount(), 2);
    QCOMPARE(l.columnCount(), 3);
    QCOMPARE(l.caption(1), QStringLiteral("100"));
    QCOMPARE(l.text(1, 2), QString());  // a short row leaves empty cells
    QCOMPARE(l.text(5, 0), QString());
    QVERIFY(l.isColumnHidden(1));
    QCOMPARE(l.columnWidth(2), 80);
    QVERIFY(!l.setText(2, 0, QStringLiteral("x")));
  }

  void copyGivesTheSelectionWithoutCaptions() {
    ListTable l;
    l.setData({"a", "b", "c"}, 2, {"1", "2", "3", "4", "5", "6"});
    QApplication::clipboard()->setText(QStringLiteral("untouched"));
    QString said;
    widgets::setMessageSink([&](QWidget*, const QString& text, const QString&) { said = text; });
    QVERIFY(!widgets::copyListSelection(&l, l));
    widgets::setMessageSink({});
    QCOMPARE(said, QStringLiteral("至少选中一个单元格才能复制"));
    QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("untouched"));
    l.selectRange(0, 1, 1, 2);
    QTest::keyClick(&l, Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("2\t3\r\n5\t6"));
    l.setColumnWidths({10, 0, 10});
    QCOMPARE(l.selectionText(), std::string("3\r\n6"));
  }

  // The mixing models give one column per x step: thousands of columns must stay quick.
  void thousandsOfColumnsFillAndScrollQuickly() {
    ListTable l;
    l.resize(800, 600);
    l.show();
    QVERIFY(QTest::qWaitForWindowExposed(&l));
    const int rows = 200, cols = 5000;
    QStringList captions;
    for (int c = 0; c < cols; ++c) captions << QString::number(c * 10);
    std::vector<QString> cells(static_cast<size_t>(rows) * cols);
    for (size_t i = 0; i < cells.size(); ++i)
      cells[i] = QString::number(static_cast<double>(i) * 1e-4, 'f', 4);
    QElapsedTimer t;
    t.start();
    l.setData(captions, rows, std::move(cells));
    l.setColumnWidths(std::vector<int>(cols, 60));
    for (int step = 0; step < 20; ++step) {
      l.horizontalScrollBar()->setValue(l.horizontalScrollBar()->maximum() * step / 19);
      l.viewport()->repaint();
    }
    const qint64 ms = t.elapsed();
    qInfo("200 x 5000 list: %lld ms", ms);
    QCOMPARE(l.text(rows - 1, cols - 1), QString::number((rows * cols - 1) * 1e-4, 'f', 4));
    QVERIFY2(ms < 5000, "a large list is too slow");
  }
};

QTEST_MAIN(ListTableTest)
#include "list_table_test.moc"
