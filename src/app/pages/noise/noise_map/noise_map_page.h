// The industrial noise map page (工业噪声地图, HJ 2.4-2021): the plant drawn over its site plan,
// the scene tables beside it, the octave-band propagation run off the GUI thread with a
// progress bar and 取消, the receptor table and the contour map of the plant's contribution.
// The whole scene and the site plan's placement are kept in the page's one text field, so a
// project file holds them.
#pragma once

#include <QImage>
#include <QPointF>
#include <QString>
#include <QTransform>
#include <atomic>
#include <memory>
#include <utility>

#include "app/page_hook.h"
#include "app/pages/noise/noise_map/map_results.h"
#include "app/pages/noise/noise_map/plan_view.h"
#include "app/pages/noise/noise_map/scene_tables.h"
#include "widgets/run_bar.h"
#include "widgets/site_plan.h"

class QBoxLayout;
class QLabel;
class QProgressBar;
class QPushButton;
class QThread;

namespace app {

namespace noisemap {
using widgets::SitePlanPlacement;
using widgets::sitePlanTransform;
using widgets::sitePlanWorld;
}  // namespace noisemap

class NoiseMapPageHook : public PageHook {
 public:
  NoiseMapPageHook();
  ~NoiseMapPageHook() override;

  void setup(CalculatorPage& page) override;
  bool handleAction(CalculatorPage& page, const std::string& action) override;
  void storeInputs(CalculatorPage& page, core::Values& inputs) override;
  void loadInputs(CalculatorPage& page, const core::Values& inputs) override;
  void clearResults(CalculatorPage& page) override;
  bool exportSheet(CalculatorPage& page, const QString& project, bool& written) override;

  // The page's own actions (buttons and tests).
  void compute();
  void cancel();
  bool running() const { return m_thread != nullptr; }
  bool importScene(const QString& path);
  bool exportScene(const QString& path);
  bool loadSitePlan(const QString& path);
  void setSitePlacement(const noisemap::SitePlanPlacement& p);
  void setSitePlanOpacity(int percent);
  // The tables read into the scene (what a compute would use).
  const noisemap::prop::Scene& scene();
  // The scene with the grid of the contour map filled in (its extent made when none is drawn).
  noisemap::prop::Scene sceneForCompute();

  noisemap::PlanView* plan() const { return m_plan; }
  noisemap::SceneTables* tables() const { return m_tables; }
  noisemap::MapResults* results() const { return m_results; }
  QPushButton* computeButton() const { return m_bar->computeButton(); }
  QPushButton* cancelButton() const { return m_bar->cancelButton(); }
  QProgressBar* progress() const { return m_bar->progress(); }
  QLabel* status() const { return m_bar->status(); }
  const QString& sitePlanFile() const;
  const noisemap::SitePlanPlacement& sitePlacement() const;

 private:
  void buildToolBar(QWidget* parent, QBoxLayout* into);
  void refresh(bool tables_too);
  void readTables();
  std::vector<noisemap::prop::Point2> gridRing() const;
  void addPoint(noisemap::PlanTool tool, double x, double y);
  void addShape(noisemap::PlanTool tool, const std::vector<noisemap::prop::Point2>& placed);
  void moveItem(noisemap::ItemRef r, double dx, double dy);
  void removeItem(noisemap::ItemRef r);
  void finished();
  void updateMap();
  std::string uniqueName(const char* prefix) const;

  CalculatorPage* m_page = nullptr;
  noisemap::prop::Scene m_scene;
  noisemap::GridSettings m_grid;
  bool m_grid_drawn = false;  // the scene came with its own grid extent
  noisemap::PlanView* m_plan = nullptr;
  noisemap::SceneTables* m_tables = nullptr;
  noisemap::MapResults* m_results = nullptr;
  widgets::RunBar* m_bar = nullptr;
  widgets::SitePlanPanel* m_site = nullptr;
  // The run.
  QThread* m_thread = nullptr;
  std::atomic<bool> m_stop{false};
  struct RunOutput;
  std::shared_ptr<RunOutput> m_run;
  // The scene and grid settings the results shown were computed from.
  std::shared_ptr<std::pair<noisemap::prop::Scene, noisemap::GridSettings>> m_result_inputs;
};

}  // namespace app
