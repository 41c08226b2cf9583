// Industrial noise page: the prediction on switching tabs, the grid layout, the enabling rules
// of the barrier, source and radio controls, the automatic fields, and the path difference
// calculator handing its values back.
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTextEdit>
#include <QTimer>
#include <QtTest>

#include "app/calculator_page.h"
#include "app/pages/noise/industrial_noise_page.h"
#include "app/pages/noise/path_difference_dialog.h"
#include "app/tab_sheet.h"
#include "models/noise/industrial_noise.h"
#include "widgets/grid_ctrl.h"
#include "widgets/prompts.h"

class NoiseIndustrialTest : public QObject {
  Q_OBJECT
 private:
  static app::IndustrialNoisePageHook& hook(app::CalculatorPage& page) {
    return *dynamic_cast<app::IndustrialNoisePageHook*>(page.hook());
  }
  static QString shown(app::CalculatorPage& page, const char* key) {
    return qobject_cast<QLineEdit*>(page.control(key))->text();
  }
  static void type(app::CalculatorPage& page, const char* key, const QString& text) {
    qobject_cast<QLineEdit*>(page.control(key))->setText(text);
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

  void switchingToTheResultTabPredicts() {
    app::CalculatorPage page(models::noise::industrialNoiseDesc());
    auto& h = hook(page);
    QCOMPARE(h.tabs()->tabText(0), QStringLiteral("参数输入 "));
    QCOMPARE(h.tabs()->tabText(1), QStringLiteral("预测结果 "));
    h.tabs()->SetCurrentPage(1);
    QVERIFY(messages.isEmpty());
    widgets::CGridCtrl* grid = h.resultTab()->grid();
    QCOMPARE(grid->GetRowCount(), 4);
    QCOMPARE(grid->GetColumnCount(), 21);
    QCOMPARE(grid->GetFixedColumnCount(), 1);
    QCOMPARE(grid->GetColumnWidth(0), 140);
    QCOMPARE(grid->GetColumnWidth(5), 45);
    QCOMPARE(grid->GetItemText(1, 0), QStringLiteral("贡献值倍频带声压级dB"));
    QCOMPARE(grid->GetItemText(0, 20), QStringLiteral("20"));
    QCOMPARE(grid->GetItemText(3, 20), QStringLiteral("55.39"));
    QVERIFY(h.resultTab()->text()->toPlainText().startsWith(
        QStringLiteral("距声源1[m]预测点计算结果：\n室内声源等效室外声源声功率级Lw=85.04[dB]\n")));

    // A step of 0 gives an empty result without a message: the title column only.
    h.tabs()->SetCurrentPage(0);
    type(page, "dr", QStringLiteral("0"));
    h.tabs()->SetCurrentPage(1);
    QVERIFY(messages.isEmpty());
    QCOMPARE(grid->GetColumnCount(), 1);
    QCOMPARE(grid->GetItemText(3, 0), QStringLiteral("叠加背景值A声级dBA"));
    QVERIFY(h.resultTab()->text()->toPlainText().isEmpty());
    // A step that would give billions of points is refused, back on the parameter tab.
    h.tabs()->SetCurrentPage(0);
    type(page, "dr", QStringLiteral("1"));
    type(page, "rmax", QStringLiteral("2000000000"));
    h.tabs()->SetCurrentPage(1);
    QCOMPARE(messages.size(), 1);
    QCOMPARE(h.tabs()->GetCurrentPage(), 0);
  }

  void copyAndExportTheGrid() {
    app::CalculatorPage page(models::noise::industrialNoiseDesc());
    auto& h = hook(page);
    h.tabs()->SetCurrentPage(1);
    auto* copy = h.resultTab()->findChild<QPushButton*>(QStringLiteral("copy"));
    copy->click();
    QCOMPARE(messages, QStringList{QStringLiteral("至少选中一个单元格才能复制")});
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("noise.xlsx"));
    widgets::setSaveFileSink(
        [&](QWidget*, const QString&, const QString&, const QString&) { return path; });
    h.resultTab()->findChild<QPushButton*>(QStringLiteral("excel"))->click();
    widgets::setSaveFileSink({});
    QVERIFY(QFile::exists(path));
    QCOMPARE(messages.last(), QStringLiteral("导出文件保存于%1!").arg(path));
  }

  void barrierRules() {
    app::CalculatorPage page(models::noise::industrialNoiseDesc());
    auto& h = hook(page);
    auto* bar = qobject_cast<QCheckBox*>(page.control("bar"));
    auto* gr = qobject_cast<QCheckBox*>(page.control("gr"));
    QVERIFY(!page.control("delta1")->isEnabled());
    QVERIFY(!h.pathDifferenceButton()->isEnabled());
    gr->setChecked(true);
    QVERIFY(page.control("hm")->isEnabled());
    bar->setChecked(true);
    QVERIFY(!gr->isChecked());
    QVERIFY(!gr->isEnabled());
    QVERIFY(!page.control("hm")->isEnabled());
    QVERIFY(page.control("delta3")->isEnabled());
    QCOMPARE(page.label("rmax")->text(), QStringLiteral("预测点距声源水平距离r[m]"));
    QVERIFY(!page.control("dr")->isVisibleTo(&page));
    h.tabs()->SetCurrentPage(1);
    QCOMPARE(h.resultTab()->grid()->GetColumnCount(), 2);
    QVERIFY(h.resultTab()->text()->toPlainText().contains(
        QStringLiteral("屏障无限长，屏障衰减Abar=17.88[dB]")));
    h.tabs()->SetCurrentPage(0);
    bar->setChecked(false);
    QVERIFY(gr->isEnabled());
    QCOMPARE(page.label("rmax")->text(), QStringLiteral("预测点距声源水平距离r[m]最大值"));
    QVERIFY(page.control("dr")->isVisibleTo(&page));
  }

  void sourceAndLevelRules() {
    app::CalculatorPage page(models::noise::industrialNoiseDesc());
    auto* basis1 = page.findChild<QRadioButton*>(QStringLiteral("basis:1"));
    QVERIFY(page.group("室内参数")->isEnabled());
    QVERIFY(!basis1->isEnabled());
    qobject_cast<QComboBox*>(page.control("source"))->setCurrentIndex(1);
    QVERIFY(!page.group("室内参数")->isEnabled());
    QVERIFY(basis1->isEnabled());
    QVERIFY(page.control("Lw")->isVisibleTo(&page));
    QVERIFY(!page.control("Lp0")->isVisibleTo(&page));
    QTest::mouseClick(basis1, Qt::LeftButton);
    QVERIFY(!page.control("Lw")->isVisibleTo(&page));
    QVERIFY(page.control("r0")->isVisibleTo(&page));
    QVERIFY(page.control("Lp0")->isVisibleTo(&page));
    QVERIFY(!page.control("h0")->isEnabled());
    qobject_cast<QCheckBox*>(page.control("reflect"))->setChecked(true);
    QVERIFY(page.control("h0")->isEnabled());
    qobject_cast<QCheckBox*>(page.control("atm"))->setChecked(false);
    QVERIFY(!page.control("alpha")->isEnabled());
    QVERIFY(!page.button("alpha")->isEnabled());
  }

  void automaticFields() {
    app::CalculatorPage page(models::noise::industrialNoiseDesc());
    type(page, "Lw", QStringLiteral("90"));  // typed, not yet read: stays
    QTest::mouseClick(page.button("alpha"), Qt::LeftButton);
    QCOMPARE(shown(page, "alpha"), QStringLiteral("2.79109"));
    QTest::mouseClick(page.button("dA"), Qt::LeftButton);
    QCOMPARE(shown(page, "dA"), QStringLiteral("-3.24779"));
    QCOMPARE(shown(page, "Lw"), QStringLiteral("90"));
  }

  void pathDifferenceValuesComeBack() {
    app::CalculatorPage page(models::noise::industrialNoiseDesc());
    auto& h = hook(page);
    qobject_cast<QCheckBox*>(page.control("bar"))->setChecked(true);
    type(page, "rmax", QStringLiteral("8"));
    type(page, "Lw", QStringLiteral("95"));
    bool opened = false;
    QTimer::singleShot(0, &page, [&] {
      auto* d = qobject_cast<app::CPathDifferenceDlg*>(QApplication::activeModalWidget());
      if (!d) return;
      opened = true;
      // rmax reaches the dialog; both kinds are offered.
      QCOMPARE(d->form().values().num("r"), 8.0);
      QVERIFY(d->kindButton(0)->isVisibleTo(d));
      QTest::mouseClick(d->kindButton(1), Qt::LeftButton);
      d->compute();
      d->reject();
    });
    QTest::mouseClick(h.pathDifferenceButton(), Qt::LeftButton);
    QVERIFY(opened);
    QCOMPARE(shown(page, "delta1"), QStringLiteral("1.56555"));
    // Opened again and closed unused: the path differences stay.
    QTimer::singleShot(0, &page, [] {
      if (auto* d = qobject_cast<app::CPathDifferenceDlg*>(QApplication::activeModalWidget()))
        d->reject();
    });
    QTest::mouseClick(h.pathDifferenceButton(), Qt::LeftButton);
    QCOMPARE(shown(page, "delta1"), QStringLiteral("1.56555"));
    QCOMPARE(shown(page, "delta2"), QStringLiteral("0"));
    QVERIFY(!page.control("delta2")->isEnabled());
    QVERIFY(!page.control("delta3")->isEnabled());
    QCOMPARE(shown(page, "Lw"), QStringLiteral("95"));
  }

 private:
  QStringList messages;
};

QTEST_MAIN(NoiseIndustrialTest)
#include "noise_industrial_test.moc"
