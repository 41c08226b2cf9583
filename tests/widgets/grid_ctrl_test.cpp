#include "widgets/grid_ctrl.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QElapsedTimer>
#include <QHeaderView>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>

#include "widgets/prompts.h"

using widgets::CGridCtrl;

namespace {

// A grid with one header row and one header column around `data`:
//   ""  h1  h2 ...
//   r1  data...
void fill(CGridCtrl& g, const std::vector<std::vector<QString>>& data) {
  g.SetRowCount(static_cast<int>(data.size()) + 1);
  g.SetColumnCount(static_cast<int>(data.front().size()) + 1);
  g.SetFixedRowCount(1);
  g.SetFixedColumnCount(1);
  for (int c = 1; c < g.GetColumnCount(); ++c) g.SetItemText(0, c, QStringLiteral("h%1").arg(c));
  for (int r = 1; r < g.GetRowCount(); ++r) {
    g.SetItemText(r, 0, QStringLiteral("r%1").arg(r));
    for (int c = 1; c < g.GetColumnCount(); ++c)
      g.SetItemText(r, c, data[static_cast<size_t>(r - 1)][static_cast<size_t>(c - 1)]);
  }
}

QByteArray clipboardBytes() {
  return QApplication::clipboard()->mimeData()->data(QStringLiteral("text/plain"));
}

QPoint cellCenter(CGridCtrl& g, int row, int col) {
  return g.visualRect(g.model()->index(row - g.GetFixedRowCount(), col - g.GetFixedColumnCount()))
      .center();
}

}  // namespace

class GridCtrlTest : public QObject {
  Q_OBJECT

 private slots:
  void init() { QApplication::clipboard()->setText(QStringLiteral("untouched")); }
  void cleanup() { widgets::setMessageSink({}); }

  void settersRefuseOutOfRangeAndGettersGiveEmptyText() {
    CGridCtrl g;
    QVERIFY(g.SetRowCount(3));
    QVERIFY(g.SetColumnCount(2));
    QVERIFY(!g.SetItemText(3, 0, "x"));
    QVERIFY(!g.SetItemText(0, -1, "x"));
    QVERIFY(!g.SetRowHeight(3, 10));
    QVERIFY(!g.SetRowHeight(0, -1));
    QVERIFY(!g.SetColumnWidth(2, 10));
    QVERIFY(g.SetColumnWidth(1, 0));
    QCOMPARE(g.GetItemText(5, 5), QString());
    QVERIFY(g.SetItemText(2, 1, "浓度"));
    QCOMPARE(g.GetItemText(2, 1), QStringLiteral("浓度"));
    // Shrinking and growing again gives empty new cells.
    g.SetColumnCount(1);
    g.SetColumnCount(2);
    QCOMPARE(g.GetItemText(2, 1), QString());
  }

  void fixedCountsGrowTheGridAndShrinkWithIt() {
    CGridCtrl g;
    QVERIFY(g.SetFixedRowCount(2));
    QCOMPARE(g.GetRowCount(), 2);
    g.SetRowCount(1);
    QCOMPARE(g.GetFixedRowCount(), 1);
    QVERIFY(g.SetFixedColumnCount(1));
    QCOMPARE(g.GetColumnCount(), 1);
  }

  void insertAndDeleteRowsAsPagesUseThem() {
    CGridCtrl g;
    QCOMPARE(g.InsertRow(QStringLiteral("序号")), 0);  // no columns yet: one is made
    QCOMPARE(g.GetColumnCount(), 1);
    g.SetColumnCount(3);
    g.SetFixedRowCount(1);
    QCOMPARE(g.InsertRow(QStringLiteral("1")), 1);  // only the header row: appends as row 1
    QCOMPARE(g.InsertRow(QStringLiteral("2")), 2);
    QCOMPARE(g.InsertRow(QStringLiteral("x"), 0), -1);  // among the header rows
    QCOMPARE(g.InsertRow(QStringLiteral("x"), 3), -1);  // at the row count
    QCOMPARE(g.InsertRow(QStringLiteral("1.5"), 2), 2);
    QCOMPARE(g.GetItemText(2, 0), QStringLiteral("1.5"));
    QCOMPARE(g.GetItemText(3, 0), QStringLiteral("2"));
    // Pages delete from the row count down to 1: the first call is a no-op.
    QVERIFY(!g.DeleteRow(g.GetRowCount()));
    for (int r = g.GetRowCount(); r >= 1; --r) g.DeleteRow(r);
    QCOMPARE(g.GetRowCount(), 1);
    QCOMPARE(g.GetItemText(0, 0), QStringLiteral("序号"));
    QVERIFY(g.DeleteAllItems());
    QCOMPARE(g.GetRowCount() + g.GetColumnCount() + g.GetFixedRowCount() + g.GetFixedColumnCount(),
             0);
  }

  void copyOfTwoByThreeGivesTabsAndCrLfAsUtf8() {
    CGridCtrl g;
    fill(g, {{"a", "b", "c"}, {"d", "e", "浓"}});
    g.SetSelectedRange(1, 1, 2, 3);
    QCOMPARE(g.GetSelectedCount(), 6);
    g.OnEditCopy();
    QCOMPARE(clipboardBytes(), QByteArray("a\tb\tc\r\nd\te\t\xe6\xb5\x93"));
  }

  void headerCellsAreNeverSelectedNorCopied() {
    CGridCtrl g;
    fill(g, {{"a", "b"}, {"c", "d"}});
    g.SetSelectedRange(0, 0, 2, 2);
    QVERIFY(!g.IsCellSelected(0, 0));
    QVERIFY(!g.IsCellSelected(0, 1));
    QVERIFY(!g.IsCellSelected(1, 0));
    QVERIFY(g.IsCellSelected(1, 1));
    QCOMPARE(g.GetSelectedCount(), 4);
    QCOMPARE(g.SelectionText(), std::string("a\tb\r\nc\td"));
    g.SetCellSelected(0, 1, true);
    QCOMPARE(g.GetSelectedCount(), 4);
  }

  void singleCellAndScatteredSelectionsCopyTheirRectangle() {
    CGridCtrl g;
    fill(g, {{"a", "b", "c"}, {"d", "e", "f"}});
    g.SetCellSelected(2, 2, true);
    g.OnEditCopy();
    QCOMPARE(clipboardBytes(), QByteArray("e"));
    g.ClearSelection();
    g.SetCellSelected(1, 1, true);
    g.SetCellSelected(1, 3, true);
    g.SetCellSelected(2, 2, true);
    QCOMPARE(g.GetSelectedCount(), 3);
    QCOMPARE(g.SelectionText(), std::string("a\t\tc\r\n\te\t"));
  }

  void hiddenColumnsAndRowsAreSkipped() {
    CGridCtrl g;
    fill(g, {{"a", "b", "c"}, {"d", "e", "f"}});
    g.SetColumnWidth(2, 0);
    g.SetSelectedRange(1, 1, 2, 3);
    QCOMPARE(g.SelectionText(), std::string("a\tc\r\nd\tf"));
    g.SetRowHeight(2, 0);
    QCOMPARE(g.SelectionText(), std::string("a\tc"));
  }

  void copyWithNothingSelectedLeavesTheClipboardAndThePageSaysSo() {
    CGridCtrl g;
    fill(g, {{"a"}});
    QString said;
    widgets::setMessageSink([&](QWidget*, const QString& text, const QString&) { said = text; });
    g.OnEditCopy();
    QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("untouched"));
    QVERIFY(!widgets::copyGridSelection(&g, g));
    QCOMPARE(said, QStringLiteral("至少选中一个单元格才能复制"));
    g.SetSelectedRange(1, 1, 1, 1);
    said.clear();
    QVERIFY(widgets::copyGridSelection(&g, g));
    QVERIFY(said.isEmpty());
    QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("a"));
  }

  void readOnlyGridIgnoresDeleteCutAndPasteButCopies() {
    CGridCtrl g;
    fill(g, {{"a", "b"}, {"c", "d"}});
    g.SetEditable(false);
    g.SetFocusCell(1, 1);
    g.SetSelectedRange(1, 1, 2, 2);
    QApplication::clipboard()->setText(QStringLiteral("x\ty"));
    QTest::keyClick(&g, Qt::Key_Delete);
    QTest::keyClick(&g, Qt::Key_V, Qt::ControlModifier);
    QTest::keyClick(&g, Qt::Key_X, Qt::ControlModifier);
    QCOMPARE(g.GetItemText(1, 1), QStringLiteral("a"));
    QCOMPARE(g.GetItemText(2, 2), QStringLiteral("d"));
    QTest::keyClick(&g, Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("a\tb\r\nc\td"));
    QTest::keyClick(&g, Qt::Key_5);
    QVERIFY(!g.findChild<QLineEdit*>());  // no in-place editor either
  }

  void editableGridDeletesCutsAndPastes() {
    CGridCtrl g;
    fill(g, {{"a", "b", "c"}, {"d", "e", "f"}, {"g", "h", "i"}});
    g.SetSelectedRange(1, 1, 1, 2);
    QTest::keyClick(&g, Qt::Key_Delete);
    QCOMPARE(g.GetItemText(1, 1), QString());
    QCOMPARE(g.GetItemText(1, 3), QStringLiteral("c"));
    g.SetSelectedRange(2, 1, 2, 1);
    QTest::keyClick(&g, Qt::Key_X, Qt::ControlModifier);
    QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("d"));
    QCOMPARE(g.GetItemText(2, 1), QString());

    // Paste from the focus cell; the hidden column 2 is passed over, fields past the last
    // column are dropped, and the pasted cells become the selection.
    g.SetColumnWidth(2, 0);
    g.SetFocusCell(2, 1);
    QApplication::clipboard()->setText(QStringLiteral(" 1 , 2\t3\r\n4\t5\r\n"));
    QTest::keyClick(&g, Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(g.GetItemText(2, 1), QStringLiteral("1"));
    QCOMPARE(g.GetItemText(2, 2), QStringLiteral("e"));
    QCOMPARE(g.GetItemText(2, 3), QStringLiteral("2"));
    QCOMPARE(g.GetItemText(3, 1), QStringLiteral("4"));
    QCOMPARE(g.GetItemText(3, 3), QStringLiteral("5"));
    QVERIFY(g.IsCellSelected(2, 1));
    QVERIFY(g.IsCellSelected(3, 3));
    QVERIFY(!g.IsCellSelected(1, 1));
    QCOMPARE(g.SelectionText(), std::string("1\t2\r\n4\t5"));
  }

  void ctrlASelectsAllDataCells() {
    CGridCtrl g;
    fill(g, {{"a", "b", "c"}, {"d", "e", "f"}});
    QTest::keyClick(&g, Qt::Key_A, Qt::ControlModifier);
    QCOMPARE(g.GetSelectedCount(), 6);
    QVERIFY(!g.IsCellSelected(0, 1));
  }

  void mouseDragSelectsARectangle() {
    CGridCtrl g;
    fill(g, {{"a", "b", "c"}, {"d", "e", "f"}});
    g.resize(500, 300);
    g.show();
    QVERIFY(QTest::qWaitForWindowExposed(&g));
    QTest::mousePress(g.viewport(), Qt::LeftButton, {}, cellCenter(g, 1, 2));
    QTest::mouseMove(g.viewport(), cellCenter(g, 2, 3));
    QTest::mouseRelease(g.viewport(), Qt::LeftButton, {}, cellCenter(g, 2, 3));
    QCOMPARE(g.GetSelectedCount(), 4);
    QCOMPARE(g.SelectionText(), std::string("b\tc\r\ne\tf"));
  }

  void arrowKeysSkipHiddenColumns() {
    CGridCtrl g;
    fill(g, {{"a", "b", "c"}});
    g.SetColumnWidth(2, 0);
    g.SetFocusCell(1, 1);
    QTest::keyClick(&g, Qt::Key_Right);
    QCOMPARE(g.GetFocusCell(), QPoint(3, 1));
  }

  void rightClickMovesTheFocusButKeepsTheSelection() {
    CGridCtrl g;
    fill(g, {{"a", "b"}, {"c", "d"}});
    g.resize(400, 300);
    g.show();
    QVERIFY(QTest::qWaitForWindowExposed(&g));
    g.SetSelectedRange(1, 1, 1, 1);
    QSignalSpy spy(&g, &CGridCtrl::rightClicked);
    QTest::mouseClick(g.viewport(), Qt::RightButton, {}, cellCenter(g, 2, 2));
    QCOMPARE(spy.size(), 1);
    QCOMPARE(spy.at(0).at(0).toInt(), 2);
    QCOMPARE(spy.at(0).at(1).toInt(), 2);
    QCOMPARE(g.GetFocusCell(), QPoint(2, 2));
    QCOMPARE(g.GetSelectedCount(), 1);
    QVERIFY(g.IsCellSelected(1, 1));
    // A header cell raises the row to the first data row.
    const int x = g.horizontalHeader()->sectionViewportPosition(1) + 5;
    QTest::mouseClick(g.horizontalHeader()->viewport(), Qt::RightButton, {}, QPoint(x, 5));
    QCOMPARE(spy.size(), 2);
    QCOMPARE(spy.at(1).at(0).toInt(), 1);
    QCOMPARE(spy.at(1).at(1).toInt(), 2);
    // Below the last row there is no cell.
    QTest::mouseClick(g.viewport(), Qt::RightButton, {}, QPoint(5, g.viewport()->height() - 3));
    QCOMPARE(spy.at(2).at(0).toInt(), -1);
    QCOMPARE(spy.at(2).at(1).toInt(), -1);
  }

  void typingEditsInPlaceAndNotifiesTheEnd() {
    CGridCtrl g;
    fill(g, {{"a", "b"}});
    g.show();
    QVERIFY(QTest::qWaitForWindowExposed(&g));
    g.setFocus();
    g.SetFocusCell(1, 2);
    QSignalSpy spy(&g, &CGridCtrl::endLabelEdit);
    QTest::keyClick(&g, Qt::Key_5);
    auto* editor = g.findChild<QLineEdit*>();
    QVERIFY(editor);
    QTest::keyClicks(editor, "0.25");
    QTest::keyClick(editor, Qt::Key_Return);
    QTRY_COMPARE(g.GetItemText(1, 2), QStringLiteral("50.25"));  // committed from the event loop
    QCOMPARE(spy.size(), 1);
    QCOMPARE(spy.at(0).at(0).toInt(), 1);
    QCOMPARE(spy.at(0).at(1).toInt(), 2);

    // Escape restores the text and still notifies.
    QTest::keyClick(&g, Qt::Key_7);
    editor = g.findChild<QLineEdit*>();
    QVERIFY(editor);
    QTest::keyClick(editor, Qt::Key_Escape);
    QTRY_COMPARE(spy.size(), 2);
    QCOMPARE(g.GetItemText(1, 2), QStringLiteral("50.25"));

    // Down ends the edit, stores the text and moves the focus cell down.
    g.InsertRow(QStringLiteral("r2"));
    QTest::keyClick(&g, Qt::Key_8);
    editor = g.findChild<QLineEdit*>();
    QVERIFY(editor);
    QTest::keyClick(editor, Qt::Key_Down);
    QTRY_COMPARE(g.GetFocusCell(), QPoint(2, 2));
    QCOMPARE(g.GetItemText(1, 2), QStringLiteral("8"));
    QCOMPARE(spy.size(), 3);
  }

  void comboCellOffersItsOptions() {
    CGridCtrl g;
    fill(g, {{"SO2", "1"}});
    QVERIFY(g.SetCellType(1, 1, widgets::GridCellKind::Combo));
    QVERIFY(!g.GetComboCell(1, 2));
    g.GetComboCell(1, 1)->SetOptions({"SO2", "NO2", "PM10"});
    g.show();
    QVERIFY(QTest::qWaitForWindowExposed(&g));
    g.setFocus();
    g.SetFocusCell(1, 1);
    QSignalSpy spy(&g, &CGridCtrl::endLabelEdit);
    g.edit(g.currentIndex());
    auto* box = g.findChild<QComboBox*>();
    QVERIFY(box);
    QCOMPARE(box->count(), 3);
    QCOMPARE(box->currentText(), QStringLiteral("SO2"));
    box->setCurrentIndex(2);
    emit box->activated(2);
    QCOMPARE(g.GetItemText(1, 1), QStringLiteral("PM10"));
    QCOMPARE(spy.size(), 1);
    // The drop-down follows its row when a row is inserted above it.
    QCOMPARE(g.InsertRow(QStringLiteral("new"), 1), 1);
    QVERIFY(g.GetComboCell(2, 1));
    QVERIFY(!g.GetComboCell(1, 1));
  }

  void popupMenuHasTheTwoCommands() {
    QWidget page;
    std::unique_ptr<QMenu> menu(widgets::createGridPopupMenu(&page));
    const auto actions = menu->actions();
    QCOMPARE(actions.size(), 2);
    QCOMPARE(actions[0]->text(), QStringLiteral("复制  Ctrl+&C"));
    QCOMPARE(actions[0]->data().toInt(), 32827);
    QCOMPARE(actions[1]->text(), QStringLiteral("导出EXCEL"));
    QCOMPARE(actions[1]->data().toInt(), 32828);
    CGridCtrl g;
    fill(g, {{"a"}});
    g.SetSelectedRange(1, 1, 1, 1);
    widgets::runGridPopupCommand(&page, g, QStringLiteral("t"), widgets::kCmdGridCopy);
    QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("a"));
  }

  // A million cells: filling and scrolling must stay well under a second.
  void millionCellsFillAndScrollQuickly() {
    CGridCtrl g;
    g.resize(800, 600);
    g.show();
    QVERIFY(QTest::qWaitForWindowExposed(&g));
    QStringList texts;
    for (int i = 0; i < 1000; ++i) texts << QString::number(i * 0.001, 'f', 4);
    QElapsedTimer t;
    t.start();
    g.SetRowCount(1001);
    g.SetColumnCount(1001);
    g.SetFixedRowCount(1);
    g.SetFixedColumnCount(1);
    for (int r = 1; r <= 1000; ++r)
      for (int c = 1; c <= 1000; ++c) g.SetItemText(r, c, texts[(r + c) % 1000]);
    QApplication::processEvents();
    const qint64 fillMs = t.restart();
    for (int step = 0; step < 20; ++step) {
      g.verticalScrollBar()->setValue(g.verticalScrollBar()->maximum() * step / 19);
      g.horizontalScrollBar()->setValue(g.horizontalScrollBar()->maximum() * step / 19);
      g.viewport()->repaint();
    }
    const qint64 scrollMs = t.elapsed();
    qInfo("fill 1000x1000: %lld ms, 20 scroll+repaint steps: %lld ms", fillMs, scrollMs);
    QCOMPARE(g.GetItemText(1000, 1000), texts[0]);
    // Generous bound: debug builds and a shared machine are slower than the release figure.
    QVERIFY2(fillMs + scrollMs < 5000, "a million cells are too slow");
  }
};

QTEST_MAIN(GridCtrlTest)
#include "grid_ctrl_test.moc"
