// The further air prediction page: a plant built by the page's own tools and tables computes the
// same 1-hour, daily and period values at the targets as kuvamod run directly on the exported deck;
// a keyword kuvamod refuses and a wrong cell are named; a project keeps the plant and the results;
// a cancelled run leaves the previous results.
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QtTest>
#include <fstream>
#include <sstream>

#include "app/calculator_page.h"
#include "app/main_window.h"
#include "app/pages/air/prediction/air_prediction_page.h"
#include "mod/run.h"
#include "models/air/prediction/prediction_desc.h"
#include "widgets/paste_table.h"
#include "widgets/prompts.h"

namespace {
const QString kMet = QStringLiteral(KUVA_TEST_DATA_DIR "/aermod/a1_nws/a1_nws");
enum { TSelect, TStack, TArea, TBoundary, TTarget };
}  // namespace

class AirPredictionPageTest : public QObject {
  Q_OBJECT
 private:
  QStringList messages;
  static app::AirPredictionPageHook& hook(app::CalculatorPage& page) {
    return *dynamic_cast<app::AirPredictionPageHook*>(page.hook());
  }
  // Two stacks and two targets placed on the plan, the boundary drawn, SO2 with the standard's
  // limits, the sample day of meteorology and a small grid.
  static void buildPlant(app::AirPredictionPageHook& h) {
    h.pollutants()->pasteText(QStringLiteral("SO2\n"), 0, 0);
    h.pollutants()->pasteText(QStringLiteral("NO2\n"), 1, 0);
    for (QPushButton* b : h.plan()->window()->findChildren<QPushButton*>())
      if (b->text() == QStringLiteral("按 GB 3095-2012 填入标准")) b->click();
    auto* plan = h.plan();
    plan->setTool(TStack, widgets::PlanDraw::Point);
    plan->clickAt({0, 0});
    plan->clickAt({40, -25});
    plan->setTool(TTarget, widgets::PlanDraw::Point);
    plan->clickAt({0, 400});
    plan->clickAt({-300, -200});
    plan->setTool(TBoundary, widgets::PlanDraw::Polygon);
    for (widgets::PlanPoint p : {widgets::PlanPoint{-60, -60}, {80, -60}, {80, 40}, {-60, 40}})
      plan->clickAt(p);
    plan->finishShape();
    plan->setTool(TSelect, widgets::PlanDraw::Select);
    // P1 a tall hot stack, P2 a short capped one with an abnormal release of SO2.
    h.stacks()->pasteText(QStringLiteral("60\t3\t450\t15\t竖直\t2.5\t0\t1.2\t0"), 0, 4);
    h.stacks()->pasteText(QStringLiteral("20\t0.6\t500\t12\t加盖\t0.8\t4\t0.4\t0"), 1, 4);
    QVERIFY(h.loadMet(kMet + QStringLiteral(".sfc"), kMet + QStringLiteral(".pfl")));
    QComboBox* grid = nullptr;
    for (QComboBox* c : h.plan()->window()->findChildren<QComboBox*>())
      if (c->count() == 2 && c->itemText(1) == QStringLiteral("自定义矩形网格")) grid = c;
    QVERIFY(grid);
    grid->setCurrentIndex(1);
    const std::pair<const char*, const char*> settings[] = {
        {"x0", "-600"},  {"y0", "-600"},    {"x1", "600"},       {"y1", "600"},
        {"step", "100"}, {"pd_step", "50"}, {"pd_margin", "150"}};
    for (const auto& [k, v] : settings) h.setting(k)->setText(QString::fromLatin1(v));
  }
  static void computeAndWait(app::AirPredictionPageHook& h) {
    h.compute();
    QTRY_VERIFY_WITH_TIMEOUT(!h.running(), 60000);
  }
  // Largest value per receptor of a result file (a PLOTFILE, or the days of a POSTFILE).
  static std::vector<double> maxima(const std::string& path) {
    std::ifstream in(path);
    std::string line;
    std::vector<double> best;
    std::map<std::pair<double, double>, size_t> index;
    while (std::getline(in, line)) {
      if (line.empty() || line[0] == '*') continue;
      std::istringstream s(line);
      double x, y, c;
      s >> x >> y >> c;
      auto [it, fresh] = index.emplace(std::pair{x, y}, best.size());
      if (fresh) best.push_back(0);
      best[it->second] = std::max(best[it->second], c);
    }
    return best;
  }
  static bool near(double a, double b) { return std::fabs(a - b) <= 1e-5 * std::fabs(b) + 1e-12; }

 private slots:
  void init() {
    messages.clear();
    widgets::setMessageSink(
        [this](QWidget*, const QString& text, const QString&) { messages << text; });
  }
  void cleanup() { widgets::setMessageSink({}); }

  void theTargetsMatchKuvamodOnTheExportedDeck() {
    app::CalculatorPage page(models::air::airPredictionDesc());
    auto& h = hook(page);
    buildPlant(h);
    // A polygon area, a volume and a circular area beside the stacks, emitting SO2.
    h.others()->pasteText(
        QStringLiteral("面1\t面源\t-50 -50; -20 -50; -20 -20; -50 -20\t0\t2\t\t\t0.5\t0\n"
                       "体1\t体源\t30 10\t0\t5\t3\t2\t0.3\t0\n"
                       "圆1\t圆形面源\t-30 20\t0\t1\t15\t\t0.2\t0"),
        0, 0);
    QVERIFY(h.metLabel()->text().contains(QStringLiteral("共 24 小时，静风 1 小时，缺测 1 小时")));
    computeAndWait(h);
    QVERIFY2(messages.isEmpty(), qPrintable(messages.join('\n')));
    const auto* done = h.computed();
    QVERIFY(done);
    QTemporaryDir dir;
    QVERIFY(h.exportDeck(dir.path()));
    std::ostringstream log;
    const mod::RunSummary run =
        mod::runDeck(dir.filePath(QStringLiteral("aermod.inp")).toStdString(), log, 1);
    QCOMPARE(run.exitCode, 0);
    {
      std::ifstream deck(dir.filePath(QStringLiteral("aermod.inp")).toStdString());
      const std::string text{std::istreambuf_iterator<char>(deck), {}};
      for (const char* kind :
           {"  AREAPOLY  ", "  VOLUME  ", "  AREACIRC  ", "  POINT  ", "  POINTCAP  "})
        QVERIFY2(text.find(kind) != std::string::npos, kind);
    }
    // The 1-hour maxima of both cases, the daily maximum and the period mean of the normal one.
    const std::tuple<const char*, const char*,
                     const std::vector<models::air::prediction::TableRow>*>
        checks[] = {{"N01_01h_1st.plt", "1小时", &done->contribution},
                    {"N01_24h.pst", "日平均", &done->contribution},
                    {"N01_per.plt", "年平均", &done->contribution},
                    {"A01_01h_1st.plt", "1小时", &done->abnormal}};
    for (const auto& [file, average, rows] : checks) {
      const QString group = QString::fromLatin1(file);
      const auto ref = maxima(dir.filePath(group).toStdString());
      QVERIFY(ref.size() > 2);
      int checked = 0;
      for (const auto& r : *rows)
        if (r.pollutant == "SO2" && r.average == average)
          for (size_t t = 0; t < 2; ++t)
            if (r.place == (t == 0 ? "目标1" : "目标2")) {
              QVERIFY(ref[t] > 0);
              QVERIFY2(near(r.value, ref[t]),
                       qPrintable(QStringLiteral("%1 %2: %3 vs %4")
                                      .arg(group, QString::fromStdString(r.place))
                                      .arg(r.value)
                                      .arg(ref[t])));
              ++checked;
            }
      QCOMPARE(checked, 2);
    }
    // NO2 has no abnormal release: no abnormal rows for it; a map of every field.
    for (const auto& r : done->abnormal) QCOMPARE(r.pollutant, std::string("SO2"));
    QVERIFY(h.mapField()->count() >= 9);
    QVERIFY(h.resultTable()->rowCount() > 0);
    if (const QByteArray shot = qgetenv("AIR_PREDICTION_SHOT"); !shot.isEmpty()) {
      page.resize(1280, 760);
      page.show();
      h.mapField()->setCurrentIndex(0);
      h.plan()->fitAll();
      QTest::qWait(200);
      page.grab().save(QString::fromLocal8Bit(shot));
    }
  }

  void badInputAndARefusedKeywordAreNamedAndKeepTheResults() {
    app::CalculatorPage page(models::air::airPredictionDesc());
    auto& h = hook(page);
    buildPlant(h);
    computeAndWait(h);
    const auto* before = h.computed();
    QVERIFY(before);
    h.stacks()->item(1, 4)->setText(QStringLiteral("0"));
    h.compute();
    QCOMPARE(messages.value(0), QStringLiteral("排气筒“P2”的高度必须大于 0。"));
    h.stacks()->item(1, 4)->setText(QStringLiteral("20"));
    // An area drawn on the plan runs now.
    h.plan()->setTool(TArea, widgets::PlanDraw::Polygon);
    for (widgets::PlanPoint p : {widgets::PlanPoint{-40, -40}, {-10, -40}, {-10, -10}})
      h.plan()->clickAt(p);
    h.plan()->finishShape();
    messages.clear();
    computeAndWait(h);
    QVERIFY2(messages.isEmpty(), qPrintable(messages.join('\n')));
    QVERIFY(h.computed());
    QCOMPARE(h.computed()->plant.sources.size(), size_t(3));
    // A circle the page lets through but kuvamod refuses: its message names the table row, and
    // the results stay.
    const auto* kept = h.computed();
    h.others()->pasteText(QStringLiteral("圆1\t圆形面源\t-30 20\t0\t1\t0.3\t\t0.2\t0"), 1, 0);
    computeAndWait(h);
    QCOMPARE(messages.size(), 1);
    QVERIFY2(
        messages[0].startsWith(QStringLiteral("kuvamod 拒绝了“圆形面源 圆1（正常排放，SO2）”：")) &&
            messages[0].contains(QStringLiteral("aermod.inp:")) &&
            messages[0].contains(QStringLiteral("radius")),
        qPrintable(messages[0]));
    QCOMPARE(h.computed(), kept);
    QCOMPARE(h.status()->text(), QStringLiteral("计算未完成，保留上次的结果。"));
  }

  void backgroundsClassesAndUnitsReachTheTables() {
    app::CalculatorPage page(models::air::airPredictionDesc());
    auto& h = hook(page);
    buildPlant(h);
    computeAndWait(h);
    QVERIFY(h.computed());
    const auto before = h.computed()->contribution;
    // The same stacks typed in °C, m³/h and kg/h compute the same values.
    h.unit("temp_unit")->setCurrentIndex(1);
    h.unit("exit_unit")->setCurrentIndex(1);
    h.unit("rate_unit")->setCurrentIndex(1);
    QCOMPARE(h.stacks()->horizontalHeaderItem(9)->text(), QStringLiteral("SO2 正常 (kg/h)"));
    const double area = std::acos(-1.0) / 4 * 3600;  // m³/h per (m/s)·d²
    h.stacks()->pasteText(
        QStringLiteral("176.85\t%1\t\t9\t0\t4.32\t0\n226.85\t%2\t加盖\t2.88\t14.4\t1.44\t0")
            .arg(15 * 9 * area, 0, 'g', 17)
            .arg(12 * 0.36 * area, 0, 'g', 17),
        0, 6);
    // 目标1 lies in a class-1 area; SO2 has its own daily series there and one for the rest.
    h.targets()->item(0, 4)->setText(QStringLiteral("一类"));
    QTemporaryDir dir;
    const QString csv = dir.filePath(QStringLiteral("so2.csv"));
    std::ofstream(csv.toStdString()) << "日期,目标1,全部\n2023-07-21,30,10\n";
    h.pollutants()->pasteText(csv, 0, 8);
    computeAndWait(h);
    QVERIFY2(messages.isEmpty(), qPrintable(messages.join('\n')));
    const auto& after = h.computed()->contribution;
    QCOMPARE(after.size(), before.size());
    for (size_t i = 0; i < after.size(); ++i) {
      QVERIFY(near(after[i].value, before[i].value));
      const bool grade1 = after[i].pollutant == "SO2" && after[i].place == "目标1";
      if (after[i].average == "1小时")
        QCOMPARE(after[i].limit, grade1 ? 150.0 : after[i].pollutant == "SO2" ? 500.0 : 200.0);
    }
    int checked = 0;
    for (const auto& r : h.computed()->superposed)
      if (r.pollutant == "SO2" && r.average == "保证率日平均") {
        QCOMPARE(r.background, r.place == "目标1" ? 30.0 : 10.0);
        QVERIFY(near(r.total, r.value + r.background));
        QCOMPARE(r.limit, r.place == "目标1" ? 50.0 : 150.0);
        ++checked;
      }
    QCOMPARE(checked, 3);
    // A series of another year, or a line that does not read, is refused by name.
    std::ofstream(csv.toStdString()) << "日期,目标1,全部\n2022-07-21,30,10\n";
    messages.clear();
    computeAndWait(h);
    QCOMPARE(h.computed()->superposed.size(), size_t(12));  // the last results stay
    QCOMPARE(messages.value(0),
             QStringLiteral("污染物“SO2”的背景日均序列文件 %1 是 2022 年的，气象数据是 2023 年的。")
                 .arg(csv));
    std::ofstream(csv.toStdString()) << "日期,目标1,全部\n2023-07-21,30\n";
    messages.clear();
    h.compute();
    QVERIFY(!h.running());
    QCOMPARE(messages.value(0),
             QStringLiteral("背景日均序列文件 %1 第 2 行有 2 列，应为 3 列。").arg(csv));
  }

  void aDeckWithSeveralPollutantsImportsAColumnEach() {
    QTemporaryDir dir;
    {
      app::CalculatorPage page(models::air::airPredictionDesc());
      auto& h = hook(page);
      buildPlant(h);
      h.stacks()->pasteText(QStringLiteral("0.7\t0.1"), 0, 11);  // P1 emits NO2 too
      QVERIFY(h.exportDeck(dir.path()));
    }
    app::CalculatorPage page(models::air::airPredictionDesc());
    auto& h = hook(page);
    QVERIFY(h.importDeck(dir.filePath(QStringLiteral("aermod.inp"))));
    QString err;
    const auto in = h.readInputs(&err);
    QVERIFY2(in, qPrintable(err));
    const auto& p = in->plant;
    QCOMPARE(p.pollutants.size(), size_t(2));
    QCOMPARE(p.pollutants[1].name, std::string("NO2"));
    QCOMPARE(p.pollutants[1].limits.h1, 200.0);
    QCOMPARE(p.sources.size(), size_t(2));
    QCOMPARE(p.sources[0].name, std::string("P1"));
    QCOMPARE(p.sources[0].normal, (std::vector<double>{2.5, 0.7}));
    QCOMPARE(p.sources[0].abnormal, (std::vector<double>{0, 0.1}));
    QCOMPARE(p.sources[1].abnormal, (std::vector<double>{4, 0}));
    QCOMPARE(p.targets.size(), size_t(2));  // not the grid's receptors
    QCOMPARE(p.targets[1].name, std::string("目标2"));
    // Another program's deck: one group per pollutant over shared sources.
    const QString other = dir.filePath(QStringLiteral("o.inp"));
    std::ofstream(other.toStdString())
        << "CO STARTING\nCO FINISHED\nSO STARTING\n"
           "   LOCATION  S1  POINT  0  0  0\n   SRCPARAM  S1  1.5  30  400  10  1\n"
           "   LOCATION  S2  POINT  50  0  0\n   SRCPARAM  S2  2  30  400  10  1\n"
           "   SRCGROUP  PM10  S1  S2\n   SRCGROUP  XYZ  S2\n   SRCGROUP  ALL\n"
           "SO FINISHED\n";
    QVERIFY(h.importDeck(other));
    QCOMPARE(h.pollutants()->rowCount(), 2);
    QCOMPARE(h.pollutants()->item(1, 0)->text(), QStringLiteral("XYZ"));
    QCOMPARE(h.stacks()->item(0, 9)->text(), QStringLiteral("1.5"));
    QCOMPARE(h.stacks()->item(0, 11)->text(), QStringLiteral("0"));
    QCOMPARE(h.stacks()->item(1, 11)->text(), QStringLiteral("2"));
    // A pollutant outside the standard gets no invented limit: the run asks for one.
    QVERIFY(!h.readInputs(&err));
    QVERIFY2(err.contains(QStringLiteral("污染物“XYZ”没有任何标准值")), qPrintable(err));
  }

  void anImportedDeckKeepsEverySourceKind() {
    app::CalculatorPage page(models::air::airPredictionDesc());
    auto& h = hook(page);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("d.inp"));
    std::ofstream(path.toStdString())
        << "CO STARTING\n   POLLUTID  SO2\nCO FINISHED\nSO STARTING\n"
           "   LOCATION  C1  POINTCAP  40.5  30  0\n"
           "   SRCPARAM  C1  2  30  400  10  1\n"
           "   LOCATION  R1  AREA  10  20  0\n   SRCPARAM  R1  0.001  2  20  10  90\n"
           "   LOCATION  K1  AREACIRC  0  0  0\n   SRCPARAM  K1  0.001  1  10\n"
           "   LOCATION  L1  LINE  0  0  30  40  0\n   SRCPARAM  L1  0.001  1  4\n"
           "SO FINISHED\nRE STARTING\n   DISCCART  100  100\nRE FINISHED\n";
    QVERIFY(h.importDeck(path));
    QCOMPARE(h.stacks()->item(0, 1)->text(), QStringLiteral("40.5"));
    QCOMPARE(h.stacks()->item(0, 8)->text(), QStringLiteral("加盖"));
    QCOMPARE(h.others()->rowCount(), 3);
    // The rectangle turned 90° clockwise about its corner; totals in g/s.
    QCOMPARE(h.others()->item(0, 2)->text(),
             QStringLiteral("10.000 20.000; 10.000 0.000; 20.000 0.000; 20.000 20.000"));
    QCOMPARE(h.others()->item(0, 7)->text().toDouble(), 0.2);
    QCOMPARE(h.others()->item(1, 1)->text(), QStringLiteral("圆形面源"));
    QVERIFY(std::fabs(h.others()->item(1, 7)->text().toDouble() - 0.1 * std::acos(-1.0)) < 1e-9);
    QCOMPARE(h.others()->item(2, 2)->text(), QStringLiteral("0 0; 30 40"));
    QCOMPARE(h.others()->item(2, 7)->text().toDouble(), 0.2);
    // A stack 4000 km away (a slip in a coordinate): the default grid is refused, not built.
    h.stacks()->item(0, 1)->setText(QStringLiteral("4000000.5"));
    QString err;
    QVERIFY(!h.readInputs(&err));
    QVERIFY2(err.contains(QStringLiteral("超过 50 km")), qPrintable(err));
  }

  void aProjectKeepsThePlantAndTheResults() {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("p.kuva"));
    std::vector<std::string> rows;
    {
      app::CMainDlg w;
      auto* page = qobject_cast<app::CalculatorPage*>(w.page(44));
      QVERIFY(page);
      auto& h = hook(*page);
      buildPlant(h);
      h.unit("rate_unit")->setCurrentIndex(1);
      computeAndWait(h);
      QVERIFY(h.computed());
      for (const auto& r : h.computed()->contribution) rows.push_back(r.place + r.average);
      QVERIFY(w.saveProjectFile(path));
    }
    app::CMainDlg w;
    QVERIFY(w.openProjectFile(path));
    auto& h = hook(*qobject_cast<app::CalculatorPage*>(w.page(44)));
    QString err;
    const auto in = h.readInputs(&err);
    QVERIFY2(in, qPrintable(err));
    QCOMPARE(in->plant.sources.size(), size_t(2));
    QCOMPARE(in->plant.sources[1].abnormal[0], 4.0);
    QCOMPARE(in->plant.sources[1].rate_unit, models::air::prediction::RateUnit::KilogramsPerHour);
    QCOMPARE(in->plant.targets.size(), size_t(2));
    QCOMPARE(in->plant.boundary.size(), size_t(4));
    QCOMPARE(in->plant.pollutants[1].limits.h1, 200.0);
    QCOMPARE(QFileInfo(QString::fromStdString(in->plant.surface_file)).canonicalFilePath(),
             QFileInfo(kMet + QStringLiteral(".sfc")).canonicalFilePath());
    QVERIFY(h.computed());
    std::vector<std::string> again;
    for (const auto& r : h.computed()->contribution) again.push_back(r.place + r.average);
    QCOMPARE(again, rows);
    QVERIFY(h.mapField()->count() >= 9);
    QVERIFY2(messages.isEmpty(), qPrintable(messages.join('\n')));
  }

  void cancelKeepsThePreviousResults() {
    app::CalculatorPage page(models::air::airPredictionDesc());
    auto& h = hook(page);
    buildPlant(h);
    computeAndWait(h);
    const auto* before = h.computed();
    QVERIFY(before);
    const QString first = h.resultTable()->item(0, 3)->text();
    h.setting("x0")->setText(QStringLiteral("-8000"));
    h.setting("x1")->setText(QStringLiteral("8000"));
    h.setting("y0")->setText(QStringLiteral("-8000"));
    h.setting("y1")->setText(QStringLiteral("8000"));
    h.setting("step")->setText(QStringLiteral("50"));  // 103,041 receptors: a long run
    h.compute();
    QVERIFY(h.running());
    QTest::qWait(300);
    QTest::mouseClick(h.cancelButton(), Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(!h.running(), 20000);
    QCOMPARE(h.computed(), before);
    QCOMPARE(h.resultTable()->item(0, 3)->text(), first);
    QCOMPARE(h.status()->text(), QStringLiteral("已取消，保留上次的结果。"));
  }
};

QTEST_MAIN(AirPredictionPageTest)
#include "air_prediction_page_test.moc"
