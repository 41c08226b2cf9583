// Two-dimensional mixing page: the single point in both modes, the grid dialog with its
// caption, list, contour file and export, the lateral swap that leaves the form alone, and a
// refused grid.
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>
#include <functional>

#include "app/calculator_page.h"
#include "app/pages/water/mixing_grid_dialog.h"
#include "models/water/mixing_2d.h"
#include "widgets/contour_map_window.h"
#include "widgets/list_table.h"
#include "widgets/prompts.h"

class WaterMixing2DTest : public QObject {
  Q_OBJECT
 private:
  static void type(app::CalculatorPage& page, const char* key, const QString& text) {
    auto* e = qobject_cast<QLineEdit*>(page.control(key));
    QVERIFY(e);
    e->clear();
    QTest::keyClicks(e, text);
  }
  static QString shown(app::CalculatorPage& page, const char* key) {
    return qobject_cast<QLineEdit*>(page.control(key))->text();
  }
  // Presses the grid button and runs `inspect` on the grid dialog while it is open.
  static bool withGridDialog(app::CalculatorPage& page,
                             const std::function<void(app::MixingGridDialog&)>& inspect) {
    bool opened = false;
    QObject guard;  // a refused grid opens no dialog: the pending check dies with the guard
    QTimer::singleShot(0, &guard, [&] {
      auto* d = qobject_cast<app::MixingGridDialog*>(QApplication::activeModalWidget());
      if (!d) return;
      opened = true;
      inspect(*d);
      d->accept();
    });
    QTest::mouseClick(page.button("grid"), Qt::LeftButton);
    return opened;
  }

 private slots:
  void initTestCase() {
    QVERIFY(dir.isValid());
    QDir::setCurrent(dir.path());
  }
  void init() {
    widgets::setMessageSink(
        [this](QWidget*, const QString& text, const QString&) { messages << text; });
  }
  void cleanup() {
    widgets::setMessageSink({});
    messages.clear();
  }

  void singlePointInBothModes() {
    app::CalculatorPage page(models::water::mixing2DDesc());
    QVERIFY(!page.control("K1")->isEnabled());
    type(page, "a", QStringLiteral("10"));
    QTest::mouseClick(page.button("compute"), Qt::LeftButton);
    QVERIFY(messages.isEmpty());
    QCOMPARE(shown(page, "C"), QStringLiteral("13.0518"));

    type(page, "a", QStringLiteral("0"));
    QTest::mouseClick(page.findChild<QRadioButton*>(QStringLiteral("mode:1")), Qt::LeftButton);
    QVERIFY(page.control("K1")->isEnabled());
    QTest::mouseClick(page.button("compute"), Qt::LeftButton);
    QCOMPARE(shown(page, "C"), QStringLiteral("16.454"));
  }

  void gridDialogListsContoursAndCloses() {
    app::CalculatorPage page(models::water::mixing2DDesc());
    QFile::remove(QStringLiteral("result.grd"));
    bool contourOpened = false;
    const bool opened = withGridDialog(page, [&](app::MixingGridDialog& d) {
      QCOMPARE(d.windowTitle(), QStringLiteral("二维稳态混合模式网格计算结果"));
      QCOMPARE(d.objectName(), QStringLiteral("CMixing2DGridDlg"));
      widgets::ListTable* list = d.list();
      QCOMPARE(list->columnCount(), 26);
      QCOMPARE(list->rowCount(), 6);
      QCOMPARE(list->caption(0), QStringLiteral("Y＼X"));
      QCOMPARE(list->caption(25), QStringLiteral("500"));
      QCOMPARE(list->columnWidth(0), 40);
      QCOMPARE(list->columnWidth(1), 60);
      QCOMPARE(list->text(1, 0), QStringLiteral("10"));
      QCOMPARE(list->text(1, 1), QStringLiteral("16.4667"));
      d.copySelection();
      QCOMPARE(messages, QStringList{QStringLiteral("至少选中一个单元格才能复制")});
      messages.clear();
      list->selectRange(1, 1, 1, 2);
      QCOMPARE(list->selectionText(), std::string("16.4667\t12.7748"));
      QTimer::singleShot(0, [&] {
        auto* w = qobject_cast<widgets::ContourMapWindow*>(QApplication::activeModalWidget());
        if (!w) return;
        contourOpened = w->contourSet() != nullptr;
        w->reject();
      });
      QTest::mouseClick(d.findChild<QPushButton*>(QStringLiteral("contour")), Qt::LeftButton);
    });
    QVERIFY(opened);
    QVERIFY(contourOpened);
    QVERIFY(messages.isEmpty());
    QFile f(QStringLiteral("result.grd"));
    QVERIFY(f.open(QIODevice::ReadOnly));
    const QStringList lines = QString::fromLatin1(f.readAll()).split(QLatin1Char('\n'));
    QCOMPARE(lines[0].trimmed(), QStringLiteral("DSAA"));
    QCOMPARE(lines[1].trimmed(), QStringLiteral("25 6"));
    QCOMPARE(lines[2].trimmed(), QStringLiteral("0 500"));
    QCOMPARE(lines[3].trimmed(), QStringLiteral("0 50"));
    QVERIFY2(lines[4].startsWith(QStringLiteral("0 ")), qPrintable(lines[4]));
  }

  void swappedLateralLimitsStayAsTyped() {
    app::CalculatorPage page(models::water::mixing2DDesc());
    type(page, "ylow", QStringLiteral("50"));
    type(page, "yhigh", QStringLiteral("0"));
    QString first, last;
    QVERIFY(withGridDialog(page, [&](app::MixingGridDialog& d) {
      first = d.list()->text(0, 0);
      last = d.list()->text(d.list()->rowCount() - 1, 0);
    }));
    QCOMPARE(first, QStringLiteral("0"));
    QCOMPARE(last, QStringLiteral("50"));
    QCOMPARE(shown(page, "ylow"), QStringLiteral("50"));
    QCOMPARE(shown(page, "yhigh"), QStringLiteral("0"));
  }

  void decayModeCaption() {
    app::CalculatorPage page(models::water::mixing2DDesc());
    QTest::mouseClick(page.findChild<QRadioButton*>(QStringLiteral("mode:1")), Qt::LeftButton);
    QString caption;
    QVERIFY(withGridDialog(page, [&](app::MixingGridDialog& d) { caption = d.windowTitle(); }));
    QCOMPARE(caption, QStringLiteral("二维稳态混合衰减模式网格计算结果"));
  }

  void refusedGridOpensNoDialog() {
    app::CalculatorPage page(models::water::mixing2DDesc());
    page.show();
    QApplication::setActiveWindow(&page);
    QVERIFY(QTest::qWaitForWindowActive(&page));
    type(page, "ylow", QStringLiteral("-10"));
    QVERIFY(!withGridDialog(page, [](app::MixingGridDialog&) {}));
    QCOMPARE(messages, QStringList{QStringLiteral("y最远间距必须小于等于B，请重新输入！")});
    messages.clear();
    type(page, "ylow", QStringLiteral("0"));
    type(page, "yc", QStringLiteral("0"));
    QVERIFY(!withGridDialog(page, [](app::MixingGridDialog&) {}));
    QCOMPARE(messages, QStringList{QStringLiteral("距离间隔yc必须大于0，请重新输入！")});
    QCOMPARE(QApplication::focusWidget(), page.control("yc"));
  }

  void emptyListHasNoContours() {
    app::MixingGridDialog d(nullptr, QStringLiteral("CMixing2DGridDlg"), QStringLiteral("x"),
                            core::Table{}, core::Outcome::Grid{});
    QVERIFY(!d.drawContours());
    QCOMPARE(messages, QStringList{QStringLiteral("没有数据,请先计算!")});
  }

  // Five thousand columns: the list is filled without building a widget per cell.
  void wideGridOpensQuickly() {
    app::CalculatorPage page(models::water::mixing2DDesc());
    type(page, "xmax", QStringLiteral("50000"));
    type(page, "xc", QStringLiteral("10"));
    QElapsedTimer timer;
    timer.start();
    int columns = 0;
    QVERIFY(
        withGridDialog(page, [&](app::MixingGridDialog& d) { columns = d.list()->columnCount(); }));
    QCOMPARE(columns, 5001);
    QVERIFY2(timer.elapsed() < 20000, qPrintable(QString::number(timer.elapsed())));
  }

 private:
  QTemporaryDir dir;
  QStringList messages;
};

QTEST_MAIN(WaterMixing2DTest)
#include "water_mixing_2d_test.moc"
