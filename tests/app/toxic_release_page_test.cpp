// Toxic release page: the substance list fills the fields, a run shows the engine's results with
// tables, curves and threat zones, a refused run keeps the previous results, a project keeps the
// page, and the threat zones are drawn (grabbed to TOXIC_RELEASE_SHOT when set, to look at).
#include <QComboBox>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QTabWidget>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTextEdit>
#include <QtTest>

#include "app/calculator_page.h"
#include "app/main_window.h"
#include "app/pages/risk/toxic_release_inputs.h"
#include "app/pages/risk/toxic_release_page.h"
#include "widgets/list_table.h"
#include "widgets/paste_table.h"
#include "widgets/prompts.h"

using app::ToxicReleasePageHook;

class ToxicReleasePageTest : public QObject {
  Q_OBJECT
 private:
  QStringList messages;
  QTemporaryDir dir;
  static constexpr int kPage = 45;
  static ToxicReleasePageHook& hook(app::CalculatorPage& p) {
    return *dynamic_cast<ToxicReleasePageHook*>(p.hook());
  }
  static void type(app::CalculatorPage& p, const char* key, const QString& text) {
    if (auto* e = qobject_cast<QLineEdit*>(p.control(key))) e->setText(text);
  }

 private slots:
  void initTestCase() {
    widgets::setMessageSink([this](QWidget*, const QString& t, const QString&) { messages << t; });
    app::toxic::setUserSubstancePath(dir.filePath(QStringLiteral("substances.csv")));
  }

  void aRunShowsTheEngineResultsAndARefusalKeepsThem() {
    app::CMainDlg w;
    auto* page = qobject_cast<app::CalculatorPage*>(w.page(kPage));
    QVERIFY(page);
    auto& h = hook(*page);
    h.chooseSubstance(QStringLiteral("氨"));
    QCOMPARE(qobject_cast<QLineEdit*>(page->control("ep1"))->text(), QStringLiteral("770"));
    h.receptors()->table()->pasteText(QStringLiteral("村庄\t0\t800\t1.5"), 0, 0);
    qobject_cast<QComboBox*>(page->control("source"))->setCurrentIndex(1);
    page->setValue("wind", 0);  // towards the north
    messages.clear();
    QVERIFY(page->runAction("compute"));
    QVERIFY(messages.isEmpty());
    const auto& r = h.result();
    QCOMPARE(r.cases.size(), size_t(1));
    // The page's run is the engine's run on the deck the page wrote.
    const slab::Result e = slab::run(r.decks[0]);
    QCOMPARE(e.runs[0].conc.size(), r.cases[0].run.conc.size());
    for (size_t i = 0; i < e.runs[0].conc.size(); ++i)
      QCOMPARE(e.runs[0].conc[i].cz[0][0], r.cases[0].run.conc[i].cz[0][0]);
    QCOMPARE(r.decks[0].wms, 0.017031);
    QCOMPARE(r.decks[0].mets[0].stab, 6.0);  // class F
    QCOMPARE(r.decks[0].mets[0].ua, 1.5);
    QCOMPARE(r.decks[0].tav, 60.0);
    QVERIFY(h.zones()->hasResult());
    QCOMPARE(r.cases[0].receptors.size(), size_t(1));
    QCOMPARE(r.cases[0].receptors[0].downwind, 800.0);
    // The end-point table is one of the tabs, and it copies.
    auto* tabs = h.tabs();
    QVERIFY(tabs->isVisibleTo(page));
    auto* list = tabs->widget(1)->findChild<widgets::ListTable*>(QStringLiteral("list"));
    QVERIFY(list);
    QCOMPARE(list->rowCount(), 2);
    QCOMPARE(list->text(0, 1), QStringLiteral("大气毒性终点浓度-1"));
    QVERIFY(page->resultText()->toPlainText().contains(QStringLiteral("最远影响距离")));

    // A release of zero duration is refused by name; the results stay.
    type(*page, "tsd", QStringLiteral("0"));
    QVERIFY(!page->runAction("compute"));
    QCOMPARE(messages, QStringList{QStringLiteral("释放持续时间必须大于0，请重新输入！")});
    QVERIFY(h.zones()->hasResult());
    QCOMPARE(h.result().cases.size(), size_t(1));
    // A source the engine refuses (above the mixing height): its message, results kept.
    type(*page, "tsd", QStringLiteral("600"));
    type(*page, "hs", QStringLiteral("5000"));
    qobject_cast<QComboBox*>(page->control("source"))->setCurrentIndex(2);
    messages.clear();
    QVERIFY(!page->runAction("compute"));
    QCOMPARE(messages.size(), 1);
    QVERIFY(
        messages[0].startsWith(QStringLiteral("kuvaslab拒绝计算：最不利气象条件：source height")));
    QVERIFY(h.zones()->hasResult());
  }

  void theThreatZonesAreDrawn() {
    app::CMainDlg w;
    auto* page = qobject_cast<app::CalculatorPage*>(w.page(kPage));
    auto& h = hook(*page);
    page->setValue("srcx", 39512345.5);
    page->setValue("srcy", 3312345.5);
    page->setValue("wind", 60);
    h.receptors()->setText("学校, 39514000, 3313500; 村庄, 39516000, 3311500");
    page->setValue("common", 1);
    QVERIFY(page->runAction("compute"));
    QCOMPARE(h.result().cases.size(), size_t(2));
    const auto fp = h.zones()->footprint(0);
    QVERIFY(fp.size() > 4);
    // The footprint lies downwind (north-east) of the source.
    const QPointF far = fp[fp.size() / 2];
    QVERIFY(far.x() > 39512345.5 && far.y() > 3312345.5);
    h.zones()->resize(800, 600);
    const QString shot = qEnvironmentVariable("TOXIC_RELEASE_SHOT");
    const QString path = shot.isEmpty() ? dir.filePath(QStringLiteral("zones.png")) : shot;
    QVERIFY(h.zones()->savePng(path));
    QVERIFY(h.zones()->saveSvg(dir.filePath(QStringLiteral("zones.svg"))));
    // The sheet prints both curves and the zones of each weather case, each with its caption
    // (written to TOXIC_RELEASE_SHEET when set, to look at).
    const QString sheetEnv = qEnvironmentVariable("TOXIC_RELEASE_SHEET");
    const QString pdf = sheetEnv.isEmpty() ? dir.filePath(QStringLiteral("sheet.pdf")) : sheetEnv;
    QCOMPARE(h.writeSheet(*page, pdf), QString());
    QProcess text;
    text.start(QStringLiteral("pdftotext"),
               {QStringLiteral("-enc"), QStringLiteral("UTF-8"), pdf, QStringLiteral("-")});
    if (!text.waitForFinished(30000) || text.exitCode() != 0) QSKIP("pdftotext is not installed");
    const QString all = QString::fromUtf8(text.readAllStandardOutput()).remove(QLatin1Char(' '));
    for (const char* caption : {"图1下风向轴线最大浓度", "图2敏感目标浓度随时间变化",
                                "图3威胁区域：最不利气象条件", "图4威胁区域：最常见气象条件"})
      QVERIFY2(all.contains(QString::fromUtf8(caption)), caption);
  }

  void aProjectKeepsThePage() {
    const QString path = dir.filePath(QStringLiteral("p.kuva"));
    {
      app::CMainDlg w;
      auto* page = qobject_cast<app::CalculatorPage*>(w.page(kPage));
      hook(*page).chooseSubstance(QStringLiteral("硫化氢"));
      type(*page, "qs", QStringLiteral("2.5"));
      hook(*page).receptors()->setText("厂界, 100, 0");
      page->setValue("common", 1);
      page->setValue("ua2", 3.2);
      QVERIFY(w.saveProjectFile(path));
    }
    app::CMainDlg w;
    QVERIFY(w.openProjectFile(path));
    auto* page = qobject_cast<app::CalculatorPage*>(w.page(kPage));
    QCOMPARE(qobject_cast<QLineEdit*>(page->control("substance"))->text(),
             QStringLiteral("硫化氢"));
    QCOMPARE(qobject_cast<QLineEdit*>(page->control("qs"))->text(), QStringLiteral("2.5"));
    QCOMPARE(qobject_cast<QLineEdit*>(page->control("ep1"))->text(), QStringLiteral("70"));
    QCOMPARE(hook(*page).receptors()->text(), std::string("厂界, 100, 0"));
    QCOMPARE(qobject_cast<QLineEdit*>(page->control("ua2"))->text(), QStringLiteral("3.2"));
  }

  // Each release page hands its release over: the source type, the rate its result gives, and
  // what else it knows (duration, liquid fraction).
  void aReleasePageHandsItsReleaseOver_data() {
    QTest::addColumn<int>("from");
    QTest::addColumn<int>("source");
    QTest::addColumn<QString>("rate");  // where the release page shows the rate
    QTest::newRow("liquid leak") << 11 << 0 << "QL";
    QTest::newRow("spill evaporation") << 12 << 0 << "Wp/t3";
    QTest::newRow("gas leak") << 13 << 1 << "text";
    QTest::newRow("two-phase leak") << 14 << 1 << "QLG";
  }
  void aReleasePageHandsItsReleaseOver() {
    QFETCH(int, from);
    QFETCH(int, source);
    QFETCH(QString, rate);
    app::CMainDlg w;
    auto* leak = qobject_cast<app::CalculatorPage*>(w.page(from));
    auto* give = leak->findChild<QPushButton*>(QStringLiteral("action:toxic"));
    QVERIFY(give);
    messages.clear();
    give->click();  // nothing computed yet
    QCOMPARE(messages, QStringList{QStringLiteral("此页还没有计算结果，请先计算！")});
    if (from == 12) {
      // The spill page starts at zero: a result without a rate is not handed over.
      QVERIFY(leak->runAction("compute"));
      messages.clear();
      give->click();
      QCOMPARE(messages, QStringList{app::kNoReleaseRate});
      leak->setValue("Q3", 0.5);
      leak->setValue("t3", 1800);
    }
    QVERIFY(leak->runAction("compute"));
    messages.clear();
    give->click();
    // A pool's area is not known to the leak pages: the user is asked for it.
    QCOMPARE(messages, source == 0 ? QStringList{app::kCheckPoolArea} : QStringList());
    QCOMPARE(w.visiblePage(), kPage);
    const core::Values& v = leak->values();
    double qs = 0;
    if (rate == QLatin1String("text")) {  // "气体泄漏速率为：<QG> [kg/s]"
      const QString t = leak->resultText()->toPlainText();
      const qsizetype at = t.indexOf(QStringLiteral("为：")) + 2;
      qs = t.mid(at, t.indexOf(QLatin1Char(' '), at) - at).toDouble();
    } else if (rate == QLatin1String("Wp/t3")) {
      qs = v.num("Wp") / v.num("t3");
    } else {
      qs = v.num(rate.toStdString());
    }
    auto* page = qobject_cast<app::CalculatorPage*>(w.page(kPage));
    QVERIFY(qs > 0);
    QCOMPARE(page->values().num("qs"), qs);
    QCOMPARE(page->values().num("source"), double(source));
    if (from == 12) QCOMPARE(page->values().num("tsd"), v.num("t3"));
    if (from == 14) {
      const double fv = v.num("Cp") * (v.num("TLG") - v.num("Tc")) / v.num("H");
      QCOMPARE(page->values().num("cmed0"), std::clamp(1 - fv, 0.0, 0.999));
    }
    // The handed-over release runs (a pool of the area the user is asked for).
    if (source == 0) page->setValue("as", 300);
    QVERIFY2(page->runAction("compute"), qPrintable(messages.join(QLatin1Char('|'))));
  }

  // The receptor table: pasted rows run, a bad cell is named, and a project written with the
  // one-line field (line ends, tabs, a fifth cell) opens as rows with nothing dropped.
  void theReceptorTable() {
    app::CMainDlg w;
    auto* page = qobject_cast<app::CalculatorPage*>(w.page(kPage));
    auto& h = hook(*page);
    auto* t = h.receptors()->table();
    t->pasteText(QStringLiteral("学校\t300\t400\t1.5\n村庄\tx\t900\n"), 0, 0);
    QCOMPARE(t->rowCount(), 2);
    messages.clear();
    QVERIFY(!page->runAction("compute"));
    QCOMPARE(messages, QStringList{QStringLiteral("敏感目标表第2行：X应为数字，请重新输入！")});
    QCOMPARE(t->currentRow(), 1);
    t->item(1, 1)->setText(QStringLiteral("600"));
    t->item(1, 0)->setText(QStringLiteral("村庄,东"));
    QVERIFY(page->runAction("compute"));
    QCOMPARE(h.result().cases[0].receptors.size(), size_t(2));
    QCOMPARE(h.result().cases[0].receptors[1].name, std::string("村庄，东"));
    t->selectRow(0);
    h.receptors()->deleteSelectedRows();
    QCOMPARE(h.receptors()->text(), std::string("村庄，东, 600, 900"));
    core::Values old = page->formValues();
    old.setText("receptors", "甲, 1, 2\n乙\t3\t4\t5; 丙, 6, 7, 8, 9");
    page->setFormValues(old);
    QCOMPARE(t->rowCount(), 3);
    QCOMPARE(t->item(1, 3)->text(), QStringLiteral("5"));
    QCOMPARE(t->item(2, 3)->text(), QStringLiteral("8, 9"));
  }

  // The substance editor: shipped rows cannot be deleted but copy into user rows, user rows are
  // added, checked, deleted and saved (into a data folder that does not exist yet), and lines of
  // the user's file that cannot be read are kept.
  void theSubstanceEditor() {
    const QString path = dir.filePath(QStringLiteral("new/folder/substances.csv"));
    app::toxic::setUserSubstancePath(path);
    {
      app::toxic::SubstanceEditor e;
      QTableWidget* t = e.table();
      const int n = e.builtinRows();
      QCOMPARE(n, 20);
      messages.clear();
      QVERIFY(!e.deleteRow(1));
      QCOMPARE(messages, QStringList{QStringLiteral("程序自带的物质不能删除。")});
      e.copyRow(1);  // chlorine, now editable
      QVERIFY(t->item(n, 0)->flags() & Qt::ItemIsEditable);
      t->item(n, 11)->setText(QStringLiteral("60"));  // end-point 1
      e.addRow();
      t->item(n + 1, 0)->setText(QStringLiteral("自定义气体"));
      t->item(n + 1, 3)->setText(QStringLiteral("abc"));
      messages.clear();
      QVERIFY(!e.save());
      QCOMPARE(
          messages,
          QStringList{QStringLiteral("第22行“自定义气体”的摩尔质量“abc”不是数字，请重新输入！")});
      t->item(n + 1, 3)->setText(QStringLiteral("0"));
      messages.clear();
      QVERIFY(!e.save());
      QCOMPARE(messages, QStringList{QStringLiteral(
                             "第22行“自定义气体”的摩尔质量必须大于0（未知时留空），请重新输入！")});
      t->item(n + 1, 3)->setText(QStringLiteral("44"));
      QVERIFY(e.save());
    }
    auto rows = app::toxic::substanceList();
    QCOMPARE(rows.size(), size_t(21));
    QCOMPARE(rows[1].endpoint1, 60.0);
    QCOMPARE(rows.back().wms, 0.044);
    QFile f(path);
    QVERIFY(f.open(QIODevice::Append));
    f.write("坏行,缺少数值\n");
    f.close();
    {
      messages.clear();
      app::toxic::SubstanceEditor e;
      QCOMPARE(messages.size(), 1);  // the unreadable line is named
      QVERIFY(e.deleteRow(e.builtinRows() + 1));
      QVERIFY(e.save());
    }
    rows = app::toxic::substanceList();
    QCOMPARE(rows.size(), size_t(20));
    QVERIFY(f.open(QIODevice::ReadOnly));
    QVERIFY(f.readAll().contains("坏行,缺少数值"));
    app::toxic::setUserSubstancePath(dir.filePath(QStringLiteral("substances.csv")));
  }

  void aUserRowIsKept() {
    app::CMainDlg w;
    auto* page = qobject_cast<app::CalculatorPage*>(w.page(kPage));
    auto& h = hook(*page);
    type(*page, "substance", QStringLiteral("自定义气体"));
    type(*page, "ep1", QStringLiteral("123"));
    QVERIFY(h.saveSubstance());
    const auto rows = app::toxic::substanceList();
    QCOMPARE(rows.size(), size_t(21));
    QCOMPARE(rows.back().endpoint1, 123.0);
  }
};

QTEST_MAIN(ToxicReleasePageTest)
#include "toxic_release_page_test.moc"
