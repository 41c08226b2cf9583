// Industrial noise map page: a scene built by the page's own tools and tables computes the same
// receptor levels as the engine on the exported scene file; the site plan lands where its two
// points say; a project keeps the scene; a cancelled run leaves the previous results.
#include <QApplication>
#include <QGraphicsPixmapItem>
#include <QGraphicsScene>
#include <QHeaderView>
#include <QJsonArray>
#include <QJsonDocument>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QtTest>
#include <algorithm>
#include <cmath>

#include "app/calculator_page.h"
#include "app/main_window.h"
#include "app/pages/noise/noise_map/map_results.h"
#include "app/pages/noise/noise_map/noise_map_page.h"
#include "app/pages/noise/noise_map/scene_tables.h"
#include "models/noise/noise_map_desc.h"
#include "models/noise/propagation/engine.h"
#include "widgets/prompts.h"

using app::noisemap::PlanTool;
namespace prop = models::noise::propagation;

class NoiseMapPageTest : public QObject {
  Q_OBJECT
 private:
  QStringList messages;
  static app::NoiseMapPageHook& hook(app::CalculatorPage& page) {
    return *dynamic_cast<app::NoiseMapPageHook*>(page.hook());
  }
  static QString cell(const QTableWidget* t, int r, int c) {
    const QTableWidgetItem* it = t->item(r, c);
    return it ? it->text() : QString();
  }
  // Two sources (one from a pasted spectrum), a barrier between them and the receptors, two
  // receptors (a boundary point and one of class 2), all by the page's tools and tables.
  static void buildScene(app::NoiseMapPageHook& h) {
    auto* plan = h.plan();
    plan->setTool(PlanTool::PointSource);
    plan->clickAt({0, 0});
    plan->clickAt({20, 10});
    plan->setTool(PlanTool::Barrier);
    plan->clickAt({40, -20});
    plan->clickAt({40, 30});
    plan->finishShape();
    plan->setTool(PlanTool::Receptor);
    plan->clickAt({80, 0});
    plan->clickAt({-50, 20});
    plan->setTool(PlanTool::Select);
    auto* t = h.tables();
    t->spectra()->pasteText(QStringLiteral("P1\t水泵\tLw\t80\t85\t88\t90\t92\t89\t85\t78\n"), 0, 0);
    t->sources()->item(0, 5)->setText(QStringLiteral("P1"));
    t->sources()->item(1, 7)->setText(QStringLiteral("0"));  // stopped at night
    t->receptors()->item(0, app::noisemap::SceneTables::RBoundary)->setCheckState(Qt::Checked);
    t->setReceptorClass(1, 2);
    t->receptors()->item(1, app::noisemap::SceneTables::RBgDay)->setText(QStringLiteral("52"));
    t->settings()->item(6, 1)->setText(QStringLiteral("10"));
  }
  static void computeAndWait(app::NoiseMapPageHook& h) {
    h.compute();
    QTRY_VERIFY_WITH_TIMEOUT(!h.running(), 60000);
  }

 private slots:
  void init() {
    messages.clear();
    widgets::setMessageSink(
        [this](QWidget*, const QString& text, const QString&) { messages << text; });
  }
  void cleanup() { widgets::setMessageSink({}); }

  void aDrawnSceneComputesAsTheEngineOnItsExportedFile() {
    app::CalculatorPage page(models::noise::noiseMapDesc());
    page.resize(1200, 700);
    page.show();
    auto& h = hook(page);
    buildScene(h);
    QCOMPARE(h.scene().sources.size(), size_t(2));
    QCOMPARE(h.scene().sources[0].emission.spectrum, std::string("P1"));
    QCOMPARE(h.scene().barriers.size(), size_t(1));
    QCOMPARE(*h.scene().receptors[1].limit_night, 50.0);
    QCOMPARE(h.scene().spectra.size(), size_t(1));
    QCOMPARE(h.sceneForCompute().spectra.size(), size_t(1));
    computeAndWait(h);
    QVERIFY2(messages.isEmpty(), qPrintable(messages.join('\n')));

    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("plant.geojson"));
    QVERIFY(h.exportScene(file));
    QVERIFY(QFile::exists(dir.filePath(QStringLiteral("plant_spectra.csv"))));
    const prop::SceneReadResult r = prop::readSceneFile(file.toStdString());
    QVERIFY2(r.ok(), r.error.c_str());
    const prop::ReceptorsResult ref = prop::computeReceptors(*r.scene, {});
    const QTableWidget* t = h.results()->table();
    QCOMPARE(t->rowCount(), 2);
    for (int i = 0; i < 2; ++i) {
      const auto& p = ref.receptors[static_cast<size_t>(i)];
      QCOMPARE(cell(t, i, 0), QString::fromStdString(p.name));
      QCOMPARE(cell(t, i, 2), QString::number(p.day.contribution_db, 'f', 1));
      QCOMPARE(cell(t, i, 3), QString::number(p.night.contribution_db, 'f', 1));
      QCOMPARE(cell(t, i, 6), QString::number(p.day.predicted_db, 'f', 1));
    }
    QCOMPARE(cell(t, 0, 1), QStringLiteral("厂界"));
    QCOMPARE(cell(t, 1, 8), QStringLiteral("60.0"));
    QCOMPARE(cell(t, 1, 12), ref.receptors[1].night.exceedance_db.value() > 0 ||
                                     ref.receptors[1].day.exceedance_db.value() > 0
                                 ? QStringLiteral("超标")
                                 : QStringLiteral("达标"));
    // The map: bands from the night limit of class 2 in 5 dB steps, drawn and exported.
    QVERIFY(h.results()->hasGrid());
    QCOMPARE(h.results()->levels().front(), 50.0);
    QCOMPARE(h.results()->levels()[1] - h.results()->levels()[0], 5.0);
    QRectF world;
    QVERIFY(!h.results()->bandImage(&world).isNull());
    QVERIFY(world.contains(QPointF(80, 0)));
    const QString png = dir.filePath(QStringLiteral("map.png"));
    QCOMPARE(h.results()->writeFigure(png, 100), QString());
    QCOMPARE(QImage(png).width(), 669);  // 170 mm at 100 dpi
    QCOMPARE(h.results()->writeSurferGrid(dir.filePath(QStringLiteral("map.grd"))), QString());
    QCOMPARE(h.results()->writeGeoJson(dir.filePath(QStringLiteral("map.geojson"))), QString());

    // The calculation sheet: settings, the input tables, the receptor table and the map.
    const QString sheet = dir.filePath(QStringLiteral("sheet.html"));
    widgets::setSaveFileSink(
        [&](QWidget*, const QString&, const QString&, const QString&) { return sheet; });
    bool written = false;
    QVERIFY(h.exportSheet(page, QStringLiteral("/tmp/plant.kuva"), written));
    widgets::setSaveFileSink({});
    QVERIFY(written);
    QFile html(sheet);
    QVERIFY(html.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(html.readAll());
    for (const char* part : {"气温", "水泵", "声屏障", "工业噪声地图预测结果", "<img", "plant.kuva",
                             "GB/T 17247.2", "Adiv = 20 lg d + 11"})
      QVERIFY2(text.contains(QString::fromUtf8(part)), part);

    // Moving and deleting on the plan edit the tables.
    h.plan()->select({app::noisemap::ItemKind::Receptor, 1});
    emit h.plan()->itemMoved({app::noisemap::ItemKind::Receptor, 1}, 5, -5);
    QCOMPARE(cell(h.tables()->receptors(), 1, 1), QStringLiteral("-45"));
    QTest::keyClick(h.plan(), Qt::Key_Delete);
    QCOMPARE(h.tables()->receptors()->rowCount(), 1);
    // A click of the receptor tool places one where the mouse is.
    h.plan()->setTool(PlanTool::Receptor);
    const QPoint at = h.plan()->viewport()->rect().center();
    QTest::mouseClick(h.plan()->viewport(), Qt::LeftButton, {}, at);
    QCOMPARE(h.scene().receptors.size(), size_t(2));
    const double x = app::noisemap::PlanView::toWorld(h.plan()->mapToScene(at)).x;
    QCOMPARE(h.scene().receptors[1].at.x, std::round(x * 100) / 100);
  }

  // The plant, and the plant among buildings that screen and reflect, give on the page what the
  // engine gives for the file (as kuvacalc-cli noise-map does); grid points inside a building
  // stay blank.
  void anImportedPlantComputesEveryReceptor() {
    for (const char* name : {"plant.geojson", "plant_buildings.geojson"}) {
      app::CalculatorPage page(models::noise::noiseMapDesc());
      auto& h = hook(page);
      const QString file = QStringLiteral(KUVA_TEST_DATA_DIR "/noise/") + QLatin1String(name);
      QVERIFY(h.importScene(file));
      computeAndWait(h);
      QVERIFY2(messages.isEmpty(), qPrintable(messages.join('\n')));
      const prop::SceneReadResult r = prop::readSceneFile(file.toStdString());
      const prop::ReceptorsResult ref = prop::computeReceptors(*r.scene, {});
      const QTableWidget* t = h.results()->table();
      QCOMPARE(t->rowCount(), static_cast<int>(r.scene->receptors.size()));
      for (int i = 0; i < t->rowCount(); ++i)
        QCOMPARE(
            cell(t, i, 2),
            QString::number(ref.receptors[static_cast<size_t>(i)].day.contribution_db, 'f', 1));
      QCOMPARE(h.results()->grid()->nx, r.scene->grid->columns());
      const auto& la = h.results()->grid()->la;
      const auto blank = std::count_if(la.begin(), la.end(), [](float v) { return std::isnan(v); });
      QCOMPARE(blank > 0, !r.scene->buildings.empty());
      QCOMPARE(h.scene().buildings.size(), r.scene->buildings.size());
    }
  }

  // A building drawn with its tool shows in its table, screens the receptor behind it, is edited,
  // pasted, dragged and deleted like the other items, and a project and the scene file keep it.
  void aDrawnBuildingScreensAndIsKept() {
    using T = app::noisemap::SceneTables;
    QTemporaryDir dir;
    const QString project = dir.filePath(QStringLiteral("b.kuva"));
    {
      app::CMainDlg w;
      auto* page = qobject_cast<app::CalculatorPage*>(w.page(39));
      auto& h = hook(*page);
      auto* plan = h.plan();
      plan->setTool(PlanTool::PointSource);
      plan->clickAt({0, 0});
      plan->setTool(PlanTool::Receptor);
      plan->clickAt({60, 0});  // behind the building
      plan->clickAt({0, 60});  // in the open, as far
      plan->setTool(PlanTool::Building);
      for (const auto& p : {QPointF(20, -15), QPointF(40, -15), QPointF(40, 15), QPointF(20, 15)})
        plan->clickAt({p.x(), p.y()});
      plan->finishShape();
      const QTableWidget* b = h.tables()->buildings();
      QCOMPARE(b->rowCount(), 1);
      QCOMPARE(cell(b, 0, T::DName), QStringLiteral("BD1"));
      QCOMPARE(cell(b, 0, T::DCorners), QStringLiteral("20 -15; 40 -15; 40 15; 20 15"));
      QCOMPARE(cell(b, 0, T::DHeight), QStringLiteral("10"));
      QCOMPARE(b->item(0, T::DReflective)->checkState(), Qt::Checked);
      QCOMPARE(h.tables()->currentIndex(), int(T::BuildingsTab));
      computeAndWait(h);
      QVERIFY2(messages.isEmpty(), qPrintable(messages.join('\n')));
      const double behind = cell(h.results()->table(), 0, 2).toDouble();
      const double open = cell(h.results()->table(), 1, 2).toDouble();
      QVERIFY2(behind < open - 10, qPrintable(QStringLiteral("%1 %2").arg(behind).arg(open)));
      const QString sheet = dir.filePath(QStringLiteral("b.html"));
      widgets::setSaveFileSink(
          [&](QWidget*, const QString&, const QString&, const QString&) { return sheet; });
      bool written = false;
      QVERIFY(h.exportSheet(*page, QString(), written) && written);
      widgets::setSaveFileSink({});
      QFile html(sheet);
      QVERIFY(html.open(QIODevice::ReadOnly));
      const QString text = QString::fromUtf8(html.readAll());
      for (const char* part :
           {"反射阶数", "屋顶高程 (m)", "20 -15; 40 -15; 40 15; 20 15", "顶部绕射棱数"})
        QVERIFY2(text.contains(QString::fromUtf8(part)), part);

      // Bad input is named as the table shows it.
      h.tables()->buildings()->item(0, T::DAlpha)->setText(QStringLiteral("1.5"));
      h.compute();
      QCOMPARE(messages, QStringList{QStringLiteral(
                             "场景有误：建筑物1（BD1）：吸声系数alpha超出0～1的范围（1.5）")});
      messages.clear();
      h.tables()->buildings()->item(0, T::DAlpha)->setText(QStringLiteral("0.3"));
      h.tables()->buildings()->item(0, T::DReflective)->setCheckState(Qt::Unchecked);
      // A row pasted after an empty one: one more building, with its roof elevation and bands.
      h.tables()->buildings()->setRowCount(2);
      h.tables()->buildings()->pasteText(
          QStringLiteral("仓库\t100 100; 130 100; 130 120\t\t12\t否\t0.1 0.2 0.3 0.4 0.5 0.6 "
                         "0.7 0.8\n"),
          2, 0);
      h.tables()->settings()->item(T::SettingReflection, 1)->setCheckState(Qt::Checked);
      // A receptor typed two rows past the last: one more, the others as they were (the row used
      // to index past the receptors).
      auto* rt = h.tables()->receptors();
      rt->setRowCount(4);
      rt->setItem(3, T::RX, new QTableWidgetItem(QStringLiteral("70")));
      rt->setItem(3, T::RY, new QTableWidgetItem(QStringLiteral("5")));
      QCOMPARE(h.scene().receptors.size(), size_t(3));
      QCOMPARE(h.scene().receptors[2].at.x, 70.0);
      QCOMPARE(h.scene().receptors[1].at.y, 60.0);
      const prop::Scene& s = h.scene();
      QCOMPARE(s.buildings.size(), size_t(2));
      QCOMPARE(s.buildings[0].alpha->at(7), 0.3);
      QVERIFY(!s.buildings[0].reflective);
      QCOMPARE(s.buildings[1].name, std::string("仓库"));
      QCOMPARE(s.buildings[1].footprint.size(), size_t(3));
      QVERIFY(!s.buildings[1].h_m);
      QCOMPARE(*s.buildings[1].top_z, 12.0);
      QCOMPARE(s.buildings[1].alpha->at(7), 0.8);
      QVERIFY(!s.buildings[1].reflective);  // pasted as 否
      QCOMPARE(s.settings.reflection_order, 1);
      // Dragged on the plan, the corners move; Delete removes it and its row.
      h.plan()->select({app::noisemap::ItemKind::Building, 1});
      emit h.plan()->itemMoved({app::noisemap::ItemKind::Building, 1}, 10, 0);
      QCOMPARE(cell(b, 1, T::DCorners), QStringLiteral("110 100; 140 100; 140 120"));
      QTest::keyClick(h.plan(), Qt::Key_Delete);
      QCOMPARE(b->rowCount(), 1);
      QVERIFY(w.saveProjectFile(project));

      const QString file = dir.filePath(QStringLiteral("b.geojson"));
      QVERIFY(h.exportScene(file));
      const prop::SceneReadResult r = prop::readSceneFile(file.toStdString());
      QVERIFY2(r.ok(), r.error.c_str());
      QCOMPARE(r.scene->buildings.size(), size_t(1));
      QCOMPARE(r.scene->buildings[0].footprint[2].x, 40.0);
      QCOMPARE(r.scene->settings.reflection_order, 1);
    }
    app::CMainDlg w;
    QVERIFY(w.openProjectFile(project));
    auto& h = hook(*qobject_cast<app::CalculatorPage*>(w.page(39)));
    const prop::Scene& s = h.scene();
    QCOMPARE(s.buildings.size(), size_t(1));
    QCOMPARE(s.buildings[0].name, std::string("BD1"));
    QCOMPARE(*s.buildings[0].h_m, 10.0);
    QCOMPARE(s.buildings[0].alpha->at(0), 0.3);
    QVERIFY(!s.buildings[0].reflective);
    QCOMPARE(s.settings.reflection_order, 1);
    QCOMPARE(h.tables()->buildings()->item(0, T::DCorners)->text(),
             QStringLiteral("20 -15; 40 -15; 40 15; 20 15"));
    QVERIFY2(messages.isEmpty(), qPrintable(messages.join('\n')));
  }

  // Dragging a marker moves its item by the drag; a cell without a number stops the run with
  // a message naming it; typed levels are sorted and the map's lines stay in world coordinates.
  void dragTypeAndLevels() {
    app::CalculatorPage page(models::noise::noiseMapDesc());
    page.resize(1000, 650);
    page.show();
    QVERIFY(QTest::qWaitForWindowExposed(&page));
    auto& h = hook(page);
    buildScene(h);
    h.plan()->fitAll();
    auto* vp = h.plan()->viewport();
    const QPoint from = h.plan()->mapFromScene(app::noisemap::PlanView::toScene({20, 10}));
    const QPoint to = from + QPoint(40, 0);
    QTest::mousePress(vp, Qt::LeftButton, {}, from);
    QMouseEvent move(QEvent::MouseMove, QPointF(to), vp->mapToGlobal(QPointF(to)), Qt::NoButton,
                     Qt::LeftButton, {});
    QApplication::sendEvent(vp, &move);
    QTest::mouseRelease(vp, Qt::LeftButton, {}, to);
    const double dx = h.plan()->mapToScene(to).x() - h.plan()->mapToScene(from).x();
    QCOMPARE(h.scene().sources[1].geometry[0].x, 20 + std::round(dx * 100) / 100);
    QCOMPARE(h.scene().sources[1].geometry[0].y, 10.0);
    QCOMPARE(h.scene().sources[0].geometry[0].x, 0.0);

    h.tables()->receptors()->item(0, 1)->setText(QStringLiteral("东"));
    h.compute();
    QVERIFY(!h.running());
    QCOMPARE(messages, QStringList{QStringLiteral("“预测点”表第 1 行“X (m)”列不是数字。")});
    h.tables()->receptors()->item(0, 1)->setText(QStringLiteral("80"));
    computeAndWait(h);

    h.results()->setLevelsText(QStringLiteral("65, 55，60 x"));
    QCOMPARE(h.results()->levels(), (std::vector<double>{55, 60, 65}));
    QTemporaryDir dir;
    const QString geo = dir.filePath(QStringLiteral("lines.geojson"));
    QCOMPARE(h.results()->writeGeoJson(geo), QString());
    QFile f(geo);
    QVERIFY(f.open(QIODevice::ReadOnly));
    const QJsonArray features = QJsonDocument::fromJson(f.readAll())["features"].toArray();
    QVERIFY(!features.isEmpty());
    const prop::GridResult* g = h.results()->grid();
    for (const QJsonValue& feature : features)
      for (const QJsonValue& v :
           feature.toObject()["geometry"].toObject()["coordinates"].toArray()) {
        const QJsonArray pt = v.toArray();
        QVERIFY(pt[0].toDouble() >= g->xmin - 0.01);
        QVERIFY(pt[0].toDouble() <= g->xmin + (g->nx - 1) * g->spacing_m + 0.01);
        QVERIFY(pt[1].toDouble() >= g->ymin - 0.01);
      }
  }

  void theSitePlanLandsOnItsTwoPoints() {
    // The image's x axis points north: the pixel 100 below the first lies 100 m east of it.
    const app::noisemap::SitePlanPlacement p{{0, 0}, {100, 0}, {500, 500}, {500, 600}};
    QCOMPARE(app::noisemap::sitePlanWorld(p, {0, 100}), QPointF(600, 500));
    QCOMPARE(app::noisemap::sitePlanWorld(p, {100, 0}), QPointF(500, 600));

    QTemporaryDir dir;
    QImage img(200, 100, QImage::Format_RGB32);
    img.fill(Qt::gray);
    const QString file = dir.filePath(QStringLiteral("site.png"));
    QVERIFY(img.save(file));
    app::CalculatorPage page(models::noise::noiseMapDesc());
    auto& h = hook(page);
    QVERIFY(h.loadSitePlan(file));
    h.setSitePlacement({{20, 80}, {180, 80}, {1000, 2000}, {1160, 2000}});
    QGraphicsPixmapItem* site = nullptr;
    for (QGraphicsItem* it : h.plan()->scene()->items())
      if (auto* px = dynamic_cast<QGraphicsPixmapItem*>(it); px && px->zValue() == -10) site = px;
    QVERIFY(site);
    const QPointF s = site->sceneTransform().map(QPointF(100, 30));
    QCOMPARE(app::noisemap::PlanView::toWorld(s).x, 1080.0);
    QCOMPARE(app::noisemap::PlanView::toWorld(s).y, 2050.0);
  }

  void aProjectKeepsTheSceneAndTheSitePlan() {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("p.kuva"));
    QImage img(50, 50, QImage::Format_RGB32);
    img.fill(Qt::white);
    QVERIFY(img.save(dir.filePath(QStringLiteral("site.png"))));
    {
      app::CMainDlg w;
      auto* page = qobject_cast<app::CalculatorPage*>(w.page(39));
      QVERIFY(page);
      auto& h = hook(*page);
      buildScene(h);
      QVERIFY(h.loadSitePlan(dir.filePath(QStringLiteral("site.png"))));
      h.setSitePlacement({{0, 50}, {50, 50}, {-10, -10}, {40, -10}});
      h.setSitePlanOpacity(35);
      QVERIFY(w.saveProjectFile(path));
      QVERIFY(!w.projectModified());
    }
    app::CMainDlg w;
    QVERIFY(w.openProjectFile(path));
    auto& h = hook(*qobject_cast<app::CalculatorPage*>(w.page(39)));
    const prop::Scene& s = h.scene();
    QCOMPARE(s.sources.size(), size_t(2));
    QCOMPARE(s.sources[0].emission.spectrum, std::string("P1"));
    QCOMPARE(s.spectra.size(), size_t(1));
    QCOMPARE(s.spectra[0].values[4], 92.0);
    QCOMPARE(s.sources[1].hours_night, 0.0);
    QCOMPARE(s.barriers.size(), size_t(1));
    QCOMPARE(*s.barriers[0].h_m, 3.0);
    QCOMPARE(s.receptors.size(), size_t(2));
    QVERIFY(s.receptors[0].boundary);
    QCOMPARE(*s.receptors[1].background_day, 52.0);
    QCOMPARE(h.tables()->settings()->item(6, 1)->text(), QStringLiteral("10"));
    QCOMPARE(h.sitePlanFile(),
             QFileInfo(dir.filePath(QStringLiteral("site.png"))).absoluteFilePath());
    QCOMPARE(h.sitePlacement().world2, QPointF(40, -10));
    QVERIFY(!w.projectModified());
    QVERIFY2(messages.isEmpty(), qPrintable(messages.join('\n')));
  }

  // A project whose terrain file was moved away reopens with its scene, says so, and refuses to
  // compute until the file is back; a save keeps the terrain's path.
  void aProjectWithoutItsTerrainFileKeepsTheScene() {
    QTemporaryDir dir;
    for (const char* f : {"t10.geojson", "ramp.grd"})
      QVERIFY(QFile::copy(QStringLiteral(KUVA_TEST_DATA_DIR "/noise/") + QLatin1String(f),
                          dir.filePath(QLatin1String(f))));
    const QString path = dir.filePath(QStringLiteral("p.kuva"));
    {
      app::CMainDlg w;
      auto& h = hook(*qobject_cast<app::CalculatorPage*>(w.page(39)));
      QVERIFY(h.importScene(dir.filePath(QStringLiteral("t10.geojson"))));
      QVERIFY(h.scene().terrain);
      QVERIFY(w.saveProjectFile(path));
    }
    QVERIFY(QFile::rename(dir.filePath(QStringLiteral("ramp.grd")),
                          dir.filePath(QStringLiteral("moved.grd"))));
    app::CMainDlg w;
    QVERIFY(w.openProjectFile(path));
    auto& h = hook(*qobject_cast<app::CalculatorPage*>(w.page(39)));
    QCOMPARE(messages.size(), 1);
    QVERIFY2(messages[0].startsWith(QStringLiteral("工程中的地形文件未能读取：")),
             qPrintable(messages[0]));
    QCOMPARE(h.scene().sources.size(), size_t(1));
    QCOMPARE(h.scene().barriers.size(), size_t(1));
    QVERIFY(!h.scene().terrain);
    messages.clear();
    h.compute();
    QTRY_VERIFY_WITH_TIMEOUT(!h.running(), 10000);
    QVERIFY2(messages.join('\n').contains(QStringLiteral("未能读取，请将该文件放回原处")),
             qPrintable(messages.join('\n')));
    const QString again = dir.filePath(QStringLiteral("again.kuva"));
    QVERIFY(w.saveProjectFile(again));
    QVERIFY(QFile::rename(dir.filePath(QStringLiteral("moved.grd")),
                          dir.filePath(QStringLiteral("ramp.grd"))));
    messages.clear();
    app::CMainDlg w2;
    QVERIFY(w2.openProjectFile(again));
    QVERIFY(hook(*qobject_cast<app::CalculatorPage*>(w2.page(39))).scene().terrain);
    QVERIFY2(messages.isEmpty(), qPrintable(messages.join('\n')));
  }

  void cancelStopsALongRunAndKeepsThePreviousResults() {
    app::CalculatorPage page(models::noise::noiseMapDesc());
    auto& h = hook(page);
    buildScene(h);
    computeAndWait(h);
    const QString before = cell(h.results()->table(), 0, 2);
    QVERIFY(!before.isEmpty());
    // Two hundred sources pasted and a 1 m grid: a run of many seconds.
    QString rows;
    for (int i = 0; i < 200; ++i)
      rows += QStringLiteral("X%1\t\t%2\t%3\t2\t95\t16\t8\n").arg(i).arg(i * 3).arg((i % 20) * 20);
    h.tables()->sources()->pasteText(rows, 2, 0);
    QCOMPARE(h.scene().sources.size(), size_t(202));
    h.tables()->settings()->item(6, 1)->setText(QStringLiteral("1"));
    h.compute();
    QVERIFY(h.running());
    h.compute();  // a second press while running does nothing
    QVERIFY(h.running());
    QTest::mouseClick(h.cancelButton(), Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(!h.running(), 20000);
    QCOMPARE(cell(h.results()->table(), 0, 2), before);
    QCOMPARE(h.results()->table()->rowCount(), 2);
    QCOMPARE(h.status()->text(), QStringLiteral("已取消，保留上次的结果。"));
    QVERIFY(h.computeButton()->isEnabled());
    QVERIFY(messages.isEmpty());
  }

  // The sheet prints the inputs the results came from, not an edit made since.
  void theSheetPrintsWhatWasComputed() {
    QTemporaryDir dir;
    app::CMainDlg w;
    auto* page = qobject_cast<app::CalculatorPage*>(w.page(39));
    auto& h = hook(*page);
    buildScene(h);
    computeAndWait(h);
    auto* lw = h.tables()->sources()->item(1, 5);
    const QString computed = lw->text();
    QVERIFY(!computed.isEmpty() && computed != QStringLiteral("110"));
    lw->setText(QStringLiteral("110"));
    const QString path = dir.filePath(QStringLiteral("map.html"));
    widgets::setSaveFileSink(
        [&](QWidget*, const QString&, const QString&, const QString&) { return path; });
    bool written = false;
    QVERIFY(h.exportSheet(*page, QString(), written));
    widgets::setSaveFileSink({});
    QVERIFY(written);
    QFile f(path);
    QVERIFY(f.open(QIODevice::ReadOnly));
    const QString html = QString::fromUtf8(f.readAll());
    QVERIFY(html.contains(QStringLiteral(">%1<").arg(computed)));
    QVERIFY(!html.contains(QStringLiteral(">110<")));
    QVERIFY2(messages.isEmpty(), qPrintable(messages.join('\n')));
  }

  // A paste into the site plan's control points applies as typing; both rows show; only rows
  // that become items can be added; a new project clears the status and the map settings.
  void pastedControlPointsRowsAndANewProject() {
    app::CMainDlg w;
    w.show();
    auto* page = qobject_cast<app::CalculatorPage*>(w.page(39));
    w.ShowPage(39);
    auto& h = hook(*page);
    auto* points = page->findChild<app::noisemap::PasteTable*>(QStringLiteral("sitePlanPoints"));
    QVERIFY(points);
    points->pasteText(QStringLiteral("0\t100\t500\t600\n200\t100\t700\t600\n9\t9\t9\t9\n"), 0, 0);
    QCOMPARE(h.sitePlacement().world2, QPointF(700, 600));
    QCOMPARE(points->rowCount(), 2);
    QVERIFY(points->height() >= points->horizontalHeader()->height() + 2 * points->rowHeight(0));
    for (int c = 0; c < 4; ++c) {
      const QString head = points->horizontalHeaderItem(c)->text();
      QVERIFY2(points->columnWidth(c) >= points->fontMetrics().horizontalAdvance(head),
               qPrintable(head));
    }
    auto buttons = [&](QTableWidget* t) {
      QStringList shown;
      for (auto* b : t->parentWidget()->findChildren<QPushButton*>())
        if (!b->isHidden()) shown << b->text();
      return shown;
    };
    QCOMPARE(buttons(h.tables()->barriers()), QStringList{QStringLiteral("删除行")});
    QVERIFY(buttons(h.tables()->settings()).isEmpty());
    QCOMPARE(buttons(h.tables()->sources()).size(), 2);
    h.tables()->spectra()->pasteText(
        QStringLiteral("pmup\t循环水泵\tLw\t80\t85\t88\t90\t92\t89\t85\t78\n"), 0, 0);
    const QFontMetrics fm(h.tables()->spectra()->font());
    QVERIFY(h.tables()->spectra()->columnWidth(1) >=
            fm.horizontalAdvance(QStringLiteral("循环水泵")));

    buildScene(h);
    computeAndWait(h);
    QVERIFY(!h.status()->text().isEmpty());
    h.results()->setFigureTitle(QStringLiteral("厂界噪声贡献值"));
    widgets::setChoiceSink([](QWidget*, const QString&, const QString&, const QStringList&) {
      return 1;  // 不保存
    });
    w.newProject();
    widgets::setChoiceSink({});
    QVERIFY(h.status()->text().isEmpty());
    QVERIFY(h.status()->toolTip().isEmpty());
    QVERIFY(!h.results()->hasGrid());
    QVERIFY(h.results()->figureTitle().isEmpty());
  }

  // The page's messages are Chinese and name the row as the table shows it, before and after
  // the project is reopened; a project saved with a fault in its tables reopens with them.
  void messagesNameTheRowAsTheTableShowsIt() {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("m.kuva"));
    QString name;
    auto expectMessages = [this, &name](app::NoiseMapPageHook& h) {
      auto* sources = h.tables()->sources();
      sources->item(1, 5)->setText(QStringLiteral("pmup"));
      h.compute();
      sources->item(1, 5)->setText(QStringLiteral("90"));
      h.compute();
      QVERIFY(!h.running());
      QCOMPARE(messages,
               (QStringList{QStringLiteral("声源第2行（“%1”）的频谱编号“pmup”不在频谱表中，"
                                           "请在频谱表中添加或改正编号。")
                                .arg(name),
                            QStringLiteral("场景有误：声源第2行（“%1”）：高度h超过10000 "
                                           "m（20000）")
                                .arg(name)}));
      messages.clear();
      sources->item(1, 4)->setText(QStringLiteral("1"));
      computeAndWait(h);
      QCOMPARE(h.status()->toolTip(),
               QStringLiteral("声源第2行（“%1”）：只给出了A声级声功率，八个倍频带按相等取值。")
                   .arg(name));
      QVERIFY2(messages.isEmpty(), qPrintable(messages.join('\n')));
    };
    {
      app::CMainDlg w;
      auto& h = hook(*qobject_cast<app::CalculatorPage*>(w.page(39)));
      buildScene(h);
      name = cell(h.tables()->sources(), 1, 0);
      h.tables()->sources()->item(1, 4)->setText(QStringLiteral("20000"));
      h.tables()->sources()->item(1, 5)->setText(QStringLiteral("pmup"));
      QVERIFY(w.saveProjectFile(path));
      expectMessages(h);
    }
    app::CMainDlg w;
    QVERIFY(w.openProjectFile(path));
    QVERIFY2(messages.isEmpty(), qPrintable(messages.join('\n')));
    auto& h = hook(*qobject_cast<app::CalculatorPage*>(w.page(39)));
    QCOMPARE(cell(h.tables()->sources(), 1, 5), QStringLiteral("pmup"));
    expectMessages(h);
  }

  // The report figure: a colour of its own for every band, its title, the legend beside the map.
  void theFigureIsFitForAReport() {
    QSet<QRgb> colours;
    for (int k = 0; k < 12; ++k) colours.insert(app::noisemap::MapResults::bandColour(k, 12).rgb());
    QCOMPARE(colours.size(), 12);
    app::CalculatorPage page(models::noise::noiseMapDesc());
    auto& h = hook(page);
    buildScene(h);
    computeAndWait(h);
    const QImage plain = h.results()->figure(300);
    h.results()->setFigureTitle(QStringLiteral("图1 厂界噪声贡献值"));
    const QImage titled = h.results()->figure(300);
    QCOMPARE(plain.width(), static_cast<int>(std::lround(170 * 300 / 25.4)));
    QVERIFY(titled.height() > plain.height());
    // Nothing of the legend lies over the map (124 mm wide): its column starts right of it.
    const int map_right = static_cast<int>(124 * 300 / 25.4);
    bool legend_beside = false;
    for (int y = 0; y < plain.height() && !legend_beside; ++y)
      for (int x = map_right + 20; x < plain.width(); ++x)
        if (qGray(plain.pixel(x, y)) < 128) {
          legend_beside = true;
          break;
        }
    QVERIFY(legend_beside);
  }
};

QTEST_MAIN(NoiseMapPageTest)
#include "noise_map_page_test.moc"
