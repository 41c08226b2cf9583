// Road traffic noise page: the prediction on every tab switch, the vehicle table's Lo
// recomputation, the enabling rules, and the three barrier dialogs handing values back.
#include <QApplication>
#include <QCheckBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTextEdit>
#include <QTimer>
#include <QtTest>
#include <functional>

#include "app/calculator_page.h"
#include "app/pages/noise/barrier_dialogs.h"
#include "app/pages/noise/path_difference_dialog.h"
#include "app/pages/noise/road_noise_page.h"
#include "app/tab_sheet.h"
#include "models/noise/road_noise.h"
#include "widgets/grid_ctrl.h"
#include "widgets/prompts.h"

class NoiseRoadTest : public QObject {
  Q_OBJECT
 private:
  static app::RoadNoisePageHook& hook(app::CalculatorPage& page) {
    return *dynamic_cast<app::RoadNoisePageHook*>(page.hook());
  }
  static QString shown(app::CalculatorPage& page, const char* key) {
    return qobject_cast<QLineEdit*>(page.control(key))->text();
  }
  static void type(app::CalculatorPage& page, const char* key, const QString& text) {
    qobject_cast<QLineEdit*>(page.control(key))->setText(text);
  }
  // Presses a button and runs `act` on the modal dialog of type D it opens.
  template <class D>
  static bool withDialog(QPushButton* button, const std::function<void(D&)>& act) {
    bool opened = false;
    QObject guard;
    QTimer::singleShot(0, &guard, [&] {
      auto* d = qobject_cast<D*>(QApplication::activeModalWidget());
      if (!d) return;
      opened = true;
      act(*d);
      if (d->isVisible()) d->reject();
    });
    QTest::mouseClick(button, Qt::LeftButton);
    return opened;
  }
  static void edit(widgets::CGridCtrl* grid, int row, int col, const QString& text) {
    grid->SetItemText(row, col, text);
    emit grid->endLabelEdit(row, col);
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

  void everyTabSwitchPredicts() {
    app::CalculatorPage page(models::noise::roadNoiseDesc());
    auto& h = hook(page);
    QCOMPARE(h.vehicleGrid()->GetItemText(1, 3), QStringLiteral("83.71"));
    QCOMPARE(h.vehicleGrid()->GetColumnWidth(3), 130);
    h.tabs()->SetCurrentPage(1);
    QVERIFY(messages.isEmpty());
    const QString first = h.resultText()->toPlainText();
    QVERIFY(first.startsWith(QStringLiteral(
        "总车流小时等效声级Leq=58.67[dB]\n总车流小时等效声级＋背景噪声=60.22[dB]\n")));
    h.tabs()->SetCurrentPage(0);
    QCOMPARE(h.resultText()->toPlainText(), first);
    qobject_cast<QCheckBox*>(page.control("house"))->setChecked(true);
    type(page, "Ahouse", QStringLiteral("12"));
    h.tabs()->SetCurrentPage(1);
    QVERIFY(
        h.resultText()->toPlainText().contains(QStringLiteral("农村房屋附加衰减量Abar=10.00[dB]")));
  }

  // Each header line can be read within its column; the full title is the header's tooltip.
  void vehicleHeadersReadable() {
    app::CalculatorPage page(models::noise::roadNoiseDesc());
    widgets::CGridCtrl* grid = hook(page).vehicleGrid();
    QHeaderView* header = grid->horizontalHeader();
    const QFontMetrics fm(header->font());
    for (int c = 1; c < 4; ++c) {
      const QString shown = header->model()->headerData(c - 1, Qt::Horizontal).toString();
      QVERIFY((shown.count(QLatin1Char('\n')) + 1) * fm.height() <= grid->GetRowHeight(0));
      for (const QString& line : shown.split(QLatin1Char('\n')))
        QVERIFY2(fm.horizontalAdvance(line) + 8 <= grid->GetColumnWidth(c), qPrintable(line));
    }
    QCOMPARE(header->model()->headerData(2, Qt::Horizontal, Qt::ToolTipRole).toString(),
             QStringLiteral("Lo[dBA]水平距离为7.5米处能量平均A声级"));
  }

  void speedEditsRecomputeLo() {
    app::CalculatorPage page(models::noise::roadNoiseDesc());
    auto* grid = hook(page).vehicleGrid();
    edit(grid, 1, 1, QStringLiteral("80"));
    QCOMPARE(grid->GetItemText(1, 3), QStringLiteral("91.12"));
    edit(grid, 2, 1, QStringLiteral("0"));
    QCOMPARE(grid->GetItemText(2, 3), QString());
    edit(grid, 3, 1, QStringLiteral("abc"));  // no speed: no Lo
    QCOMPARE(grid->GetItemText(3, 3), QString());
    edit(grid, 3, 2, QStringLiteral("999"));  // a flow edit leaves Lo alone
    QCOMPARE(grid->GetItemText(3, 3), QString());
    // The table is what the prediction reads.
    edit(grid, 2, 1, QStringLiteral("60"));
    edit(grid, 3, 1, QStringLiteral("70"));
    edit(grid, 3, 2, QStringLiteral("200"));
    edit(grid, 1, 1, QStringLiteral("50"));
    hook(page).tabs()->SetCurrentPage(1);
    QVERIFY(hook(page).resultText()->toPlainText().contains(QStringLiteral("Leq=58.67[dB]")));
  }

  // The speed cell takes numbers only: no inf/nan in Lo, the number prompt for letters, the
  // model's own refusal for a speed not above 0, each pointing at the cell.
  void vehicleCellsRefuseWhatIsNoSpeed() {
    app::CalculatorPage page(models::noise::roadNoiseDesc());
    auto& h = hook(page);
    auto* grid = h.vehicleGrid();
    const QString before = h.resultText()->toPlainText();
    struct Case {
      const char* speed;
      QString message;
    };
    const Case cases[] = {
        {"1e400", QStringLiteral("请输入一个数字。")},
        {"abc", QStringLiteral("请输入一个数字。")},
        {"-1", QStringLiteral("大型车平均车速V必须大于0，请重新输入！")},
    };
    for (const Case& c : cases) {
      edit(grid, 1, 1, QString::fromLatin1(c.speed));
      QCOMPARE(grid->GetItemText(1, 3), QString());
      messages.clear();
      h.tabs()->SetCurrentPage(1);
      QCOMPARE(messages, QStringList{c.message});
      QCOMPARE(h.tabs()->currentIndex(), 0);
      QCOMPARE(grid->GetFocusCell(), QPoint(1, 1));
      QCOMPARE(h.resultText()->toPlainText(), before);
    }
  }

  void enablingRules() {
    app::CalculatorPage page(models::noise::roadNoiseDesc());
    auto& h = hook(page);
    auto* bar = qobject_cast<QCheckBox*>(page.control("bar"));
    auto* gr = qobject_cast<QCheckBox*>(page.control("gr"));
    QVERIFY(!gr->isEnabled());
    QVERIFY(!page.control("hm")->isEnabled());
    QVERIFY(h.finiteButton()->isEnabled());
    QVERIFY(!h.embankmentButton()->isEnabled());
    QVERIFY(!page.control("Ahouse")->isEnabled());
    QVERIFY(!page.control("dist")->isEnabled());
    bar->setChecked(false);
    QVERIFY(gr->isEnabled());
    QVERIFY(!page.control("Abar")->isEnabled());
    QVERIFY(!page.button("barrier")->isEnabled());
    QVERIFY(!h.finiteButton()->isEnabled());
    qobject_cast<QCheckBox*>(page.control("emb"))->setChecked(true);
    QVERIFY(h.embankmentButton()->isEnabled());
    qobject_cast<QCheckBox*>(page.control("cross"))->setChecked(true);
    QVERIFY(page.control("dist")->isEnabled());
  }

  void barrierDialogsHandValuesBack() {
    app::CalculatorPage page(models::noise::roadNoiseDesc());
    auto& h = hook(page);
    // The user types Abar, opens the path difference calculator and closes it unused: the
    // typed Abar stays.
    type(page, "Abar", QStringLiteral("12.5"));
    QVERIFY(
        withDialog<app::CPathDifferenceDlg>(page.button("barrier"), [](app::CPathDifferenceDlg& d) {
          QVERIFY(!d.kindButton(0)->isVisibleTo(&d));
          QCOMPARE(d.form().values().num("r"), 20.0);
        }));
    QCOMPARE(shown(page, "Abar"), QStringLiteral("12.5"));
    // Computed there, the infinite-barrier attenuation of delta1 comes back: r 20, D 8 give
    // delta1 = 8.07775 + 12.65899 - 20.02498 = 0.71176 m, x = 13.84, Abar = 10 lg 19.60.
    QVERIFY(withDialog<app::CPathDifferenceDlg>(
        page.button("barrier"), [](app::CPathDifferenceDlg& d) { QVERIFY(d.compute()); }));
    QCOMPARE(shown(page, "Abar"), QStringLiteral("12.9212"));
    QCOMPARE(page.label("Abar")->text(), QStringLiteral("无限长声屏障衰减量Abar[dB]"));

    QVERIFY(withDialog<app::CFiniteBarrierCorrectionDlg>(
        h.finiteButton(), [](app::CFiniteBarrierCorrectionDlg& d) {
          QCOMPARE(
              d.prompt(),
              QStringLiteral("无限长屏障衰减量为12.92dB，根据上图，请输入有限长屏障衰减量[dB]"));
          qobject_cast<QLineEdit*>(d.form().control("Afin"))->setText(QStringLiteral("3"));
          d.confirm();
        }));
    QCOMPARE(shown(page, "Abar"), QStringLiteral("3"));
    QCOMPARE(page.label("Abar")->text(), QStringLiteral("有限长声屏障衰减量Abar[dB]"));
    // Cancel leaves the page alone.
    QVERIFY(withDialog<app::CFiniteBarrierCorrectionDlg>(h.finiteButton(),
                                                         [](app::CFiniteBarrierCorrectionDlg&) {}));
    QCOMPARE(shown(page, "Abar"), QStringLiteral("3"));

    qobject_cast<QCheckBox*>(page.control("emb"))->setChecked(true);
    type(page, "r", QStringLiteral("8"));
    QVERIFY(withDialog<app::CEmbankmentAttenuationDlg>(
        h.embankmentButton(), [](app::CEmbankmentAttenuationDlg& d) {
          QVERIFY(d.computeDelta());
          qobject_cast<QLineEdit*>(d.form().control("Abar"))->setText(QStringLiteral("5"));
          d.confirm();
        }));
    QCOMPARE(page.values().num("Aemb"), 5.0);
    h.tabs()->SetCurrentPage(1);
    QVERIFY(h.resultText()->toPlainText().contains(
        QStringLiteral("高路堤或低路堑两侧声影区衰减量Abar=5.00[dB]")));
  }

 private:
  QStringList messages;
};

QTEST_MAIN(NoiseRoadTest)
#include "noise_road_test.moc"
