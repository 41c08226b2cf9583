// The toxic release page (有毒物质扩散预测, HJ 169-2018): the substance list that fills the
// property fields (the shipped table plus the user's own rows, edited in the substance editor),
// the receptors as a table, the roughness by land cover, and the results a compute gives: every
// table with copy and EXCEL export, the downwind maximum against distance with both end-points,
// the receptor curves and the threat zones over the plan, all of which the calculation sheet
// prints.
#pragma once

#include <QString>
#include <QWidget>
#include <functional>
#include <limits>
#include <memory>
#include <optional>
#include <vector>

#include "app/page_hook.h"
#include "models/risk/toxic_release.h"
#include "widgets/plan_view.h"

class QChart;
class QChartView;
class QComboBox;
class QImage;
class QPainter;
class QTabWidget;

namespace app {

namespace toxic {

class ReceptorTable;

// The threat zones over the shared plan view: for each end-point the downwind footprint and the
// circle of its farthest distance, the source and the receptors.
class ThreatZonePlot : public QWidget {
  Q_OBJECT
 public:
  explicit ThreatZonePlot(QWidget* parent = nullptr);
  void setResult(const models::risk::ToxicReleaseInput& in, const models::risk::CaseResult* c);
  bool hasResult() const { return m_case != nullptr; }
  // The footprint of end-point k (0, 1) as plan points (x east, y north), closed.
  std::vector<QPointF> footprint(int k) const;
  // The map drawn afresh at `size` (logical pixels) times `ratio` physical pixels.
  QImage image(const QSize& size, double ratio = 1);
  bool savePng(const QString& path);
  bool saveSvg(const QString& path);
  widgets::PlanView* view() const { return m_view; }

 private:
  void fit();  // shows both circles and every receptor
  void render(QPainter& p, const QRectF& target);
  QRectF m_extent;  // what fit() shows, scene coordinates
  std::function<void(QPainter&, const QRectF&)> m_legend;
  models::risk::ToxicReleaseInput m_in;
  const models::risk::CaseResult* m_case = nullptr;
  widgets::PlanView* m_view = nullptr;
};

// The user's substance rows (per-user data folder); tests may point it elsewhere.
QString userSubstancePath();
void setUserSubstancePath(const QString& path);
// Writes the user's substance file (creating the data folder); an empty text or the reason.
QString writeUserSubstances(const std::string& csv);
std::vector<models::risk::Substance> substanceList();

// The curves of a result: the downwind maximum against distance with both end-points, and the
// receptor concentrations against time (nullptr without receptors).
QChart* distanceChart(const models::risk::ToxicReleaseInput& in,
                      const models::risk::ToxicReleaseResult& r);
QChart* receptorChart(const models::risk::ToxicReleaseResult& r);

}  // namespace toxic

class ToxicReleasePageHook : public PageHook {
 public:
  void setup(CalculatorPage& page) override;
  bool showOutcome(CalculatorPage& page, const std::string& action,
                   const core::Outcome& outcome) override;
  void clearResults(CalculatorPage& page) override;
  bool beforeCompute(CalculatorPage& page, const std::string& action) override;
  bool keepsField(const std::string& key) const override { return key == "receptors"; }
  bool focusField(CalculatorPage& page, const std::string& key) override;
  void storeInputs(CalculatorPage& page, core::Values& inputs) override;
  void loadInputs(CalculatorPage& page, const core::Values& inputs) override;
  bool exportSheet(CalculatorPage& page, const QString& project, bool& written) override;
  // The calculation sheet of the last result with its figures: the two curves and the threat
  // zones of every weather case. An empty text or the reason it was not written.
  QString writeSheet(CalculatorPage& page, const QString& path, const QString& project = {});

  void chooseSubstance(const QString& name);
  bool saveSubstance();
  const models::risk::ToxicReleaseResult& result() const { return m_result; }
  toxic::ThreatZonePlot* zones() const { return m_zones; }
  QTabWidget* tabs() const { return m_tabs; }
  QChartView* distanceChart() const { return m_distance; }
  QChartView* receptorChart() const { return m_receptor; }
  toxic::ReceptorTable* receptors() const { return m_receptors; }
  // Opens the substance table editor; refills the list when it was saved.
  void editSubstances();

 private:
  void fillSubstances();
  void showCase(int index);
  CalculatorPage* m_page = nullptr;
  QComboBox* m_substances = nullptr;
  QComboBox* m_case_choice = nullptr;
  QTabWidget* m_tabs = nullptr;
  QChartView* m_distance = nullptr;
  QChartView* m_receptor = nullptr;
  toxic::ThreatZonePlot* m_zones = nullptr;
  toxic::ReceptorTable* m_receptors = nullptr;
  std::vector<QWidget*> m_table_tabs;
  models::risk::ToxicReleaseInput m_input;
  models::risk::ToxicReleaseResult m_result;
};

}  // namespace app

namespace app {

// What a release page hands to the toxic release page: the source type and rate, and what else
// the release page knows (NaN: keep the toxic page's value).
struct ReleaseHandOver {
  int source = 0;  // models::risk::SourceType as index
  double qs_kg_s = 0;
  double tsd_s = std::numeric_limits<double>::quiet_NaN();
  double as_m2 = std::numeric_limits<double>::quiet_NaN();
  double ts_c = std::numeric_limits<double>::quiet_NaN();
  double wms_g_mol = std::numeric_limits<double>::quiet_NaN();
  double cmed0 = std::numeric_limits<double>::quiet_NaN();
};
// The release a computed release page hands over; nothing when it has no result yet.
using HandOverReader = std::function<std::optional<ReleaseHandOver>(CalculatorPage&)>;

// Wraps a release page's hook (or none) and adds the button "送有毒物质扩散预测", which fills the
// toxic release page from the page's last result and shows it.
std::unique_ptr<PageHook> withReleaseHandOver(std::unique_ptr<PageHook> inner,
                                              HandOverReader reader);
// The hand-over itself (the button's action): false with a message when there is nothing to
// hand over or no toxic release page. A pool handed over without its area asks for the area.
inline const QString kNoReleaseRate = QStringLiteral(
    "此页的计算结果没有大于0的释放速率，无法送有毒物质扩散预测，请检查输入后重新计算！");
inline const QString kCheckPoolArea = QStringLiteral(
    "已送入液池蒸发的释放速率。泄漏计算不含液池面积，请按液池（围堰）面积填写源面积A后再计算。");
bool handOverRelease(CalculatorPage& from, const HandOverReader& reader);

}  // namespace app

namespace app {
// The readers of the four release pages (liquid, gas and two-phase leak, spill evaporation).
HandOverReader releaseReader(const std::string& calculator_id);
}  // namespace app
