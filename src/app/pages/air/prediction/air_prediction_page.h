// The further air-quality prediction page (HJ 2.2-2018): the plant's sources, boundary and
// protection targets over its site plan, the pollutants with their standards and backgrounds,
// the grid and a year of AERMET meteorology; 计算 writes a deck and runs kuvamod off the GUI
// thread, and the results come back as the air chapter's tables, contour maps and the
// atmospheric protection distance.
#pragma once

#include <QImage>
#include <QString>
#include <atomic>
#include <memory>
#include <optional>

#include "app/page_hook.h"
#include "models/air/prediction/plant.h"
#include "present/grid_data.h"
#include "widgets/plan_view.h"
#include "widgets/run_bar.h"

class QBoxLayout;
class QComboBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QTableWidget;
class QTabWidget;
class QThread;

namespace widgets {
class PasteTable;
class SitePlanPanel;
}  // namespace widgets

namespace app {

namespace airpred {
namespace ap = models::air::prediction;

// The page's inputs: the plant as tabulated plus how its grids are made.
struct Inputs {
  ap::Plant plant;  // grid and protection cells not yet made
  bool nested = true;
  double half_width_m = 2500;
  double x0 = 0, y0 = 0, x1 = 0, y1 = 0, step_m = 100;  // user grid
  double protection_step_m = 50, protection_margin_m = 500;
};

// A field of the contour map over the regular block of the grid.
struct MapField {
  QString name;
  double standard = 0;  // µg/m³ (0: none)
  std::vector<float> z;
};

// A finished run as the page shows and the project keeps it.
struct Computed {
  ap::Plant plant;
  QString met_text;  // the met summary
  std::vector<ap::TableRow> contribution, superposed, abnormal;
  ap::ProtectionResult protection;
  int nx = 0, ny = 0;  // the regular block of the grid (the first nx·ny grid points)
  double x0 = 0, y0 = 0, x1 = 0, y1 = 0;
  std::vector<MapField> fields;
  std::vector<ap::Point> exceeding;  // protection cells that exceed
};
}  // namespace airpred

class AirPredictionPageHook : public PageHook {
 public:
  AirPredictionPageHook();
  ~AirPredictionPageHook() override;

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
  // The tables read and checked; a message naming the field when a cell is wrong.
  std::optional<airpred::Inputs> readInputs(QString* error);
  // The plant with its grids made (what a run computes).
  airpred::ap::Plant plantForRun(const airpred::Inputs& in) const;
  bool loadMet(const QString& surface, const QString& profile);
  bool exportDeck(const QString& folder);
  bool importDeck(const QString& path);
  bool saveMap(const QString& path, int dpi);

  widgets::PlanView* plan() const { return m_plan; }
  widgets::SitePlanPanel* sitePlan() const { return m_site; }
  widgets::PasteTable* stacks() const { return m_stacks; }
  widgets::PasteTable* others() const { return m_others; }
  widgets::PasteTable* pollutants() const { return m_pollutants; }
  widgets::PasteTable* targets() const { return m_targets; }
  widgets::PasteTable* boundary() const { return m_boundary; }
  QLineEdit* setting(const char* name) const;
  QTableWidget* resultTable() const { return m_result_table; }
  QComboBox* resultKind() const { return m_result_kind; }
  QComboBox* mapField() const { return m_map_field; }
  QComboBox* unit(const char* name) const;  // "temp_unit", "exit_unit", "rate_unit"
  QPushButton* computeButton() const { return m_bar->computeButton(); }
  QPushButton* cancelButton() const { return m_bar->cancelButton(); }
  QProgressBar* progress() const { return m_bar->progress(); }
  QLabel* status() const { return m_bar->status(); }
  QLabel* metLabel() const { return m_met_label; }
  const airpred::Computed* computed() const { return m_done.get(); }

 private:
  void buildToolBar(QWidget* parent, QBoxLayout* into);
  QWidget* buildSettings(QWidget* parent);
  QWidget* buildResults(QWidget* parent);
  void syncEmissionColumns();
  void syncUnitHeaders();
  void refreshPlan();
  void showInputs(const airpred::Inputs& in);
  void addPoint(int tool, double x, double y);
  void addShape(int tool, const std::vector<widgets::PlanPoint>& pts);
  void moveItem(int kind, int index, double dx, double dy);
  void removeItem(int kind, int index);
  void finished();
  void showResults();
  void showResultTable();
  void updateMap();
  core::Table currentTable() const;
  QString projectDir() const;

  CalculatorPage* m_page = nullptr;
  widgets::PlanView* m_plan = nullptr;
  widgets::SitePlanPanel* m_site = nullptr;
  QTabWidget* m_tabs = nullptr;
  widgets::PasteTable* m_stacks = nullptr;
  widgets::PasteTable* m_others = nullptr;
  widgets::PasteTable* m_pollutants = nullptr;
  widgets::PasteTable* m_targets = nullptr;
  widgets::PasteTable* m_boundary = nullptr;
  QWidget* m_settings = nullptr;
  QComboBox* m_grid_kind = nullptr;
  QComboBox* m_grade = nullptr;  // the grid's function class: 二类 (0) or 一类 (1)
  QComboBox* m_temp_unit = nullptr;
  QComboBox* m_exit_unit = nullptr;
  QComboBox* m_rate_unit = nullptr;
  QLabel* m_met_label = nullptr;
  QWidget* m_results = nullptr;
  QComboBox* m_result_kind = nullptr;
  QTableWidget* m_result_table = nullptr;
  QComboBox* m_map_field = nullptr;
  QLabel* m_protection_label = nullptr;
  widgets::RunBar* m_bar = nullptr;
  bool m_filling = false;
  QStringList m_pollutant_names;  // the emission columns shown
  // The map of the field shown.
  present::GridData m_map_grid;
  double m_map_standard = 0;
  // The run.
  QThread* m_thread = nullptr;
  std::atomic<bool> m_stop{false};
  struct RunOutput;
  std::shared_ptr<RunOutput> m_run;
  std::shared_ptr<airpred::Computed> m_done;
};

}  // namespace app
