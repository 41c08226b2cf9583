#include "app/pages/noise/road_noise_page.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTextEdit>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>
#include <initializer_list>
#include <optional>
#include <utility>
#include <vector>

#include "app/calculator_page.h"
#include "app/page_style.h"
#include "app/pages/noise/barrier_dialogs.h"
#include "app/pages/noise/noise_forms.h"
#include "app/pages/noise/path_difference_dialog.h"
#include "app/tab_sheet.h"
#include "core/format.h"
#include "core/parse.h"
#include "models/noise/road_noise.h"
#include "widgets/grid_ctrl.h"
#include "widgets/prompts.h"

namespace app {

namespace {

using models::noise::VehicleClass;

constexpr int kParamTemplate = 238;
constexpr int kResultTemplate = 240;
constexpr int kRowHeight = 25;
constexpr int kHeaderHeight = 40;  // two lines: the quantity with its unit, then what it is
constexpr int kWidths[4] = {50, 110, 140, 130};
// The full column titles, shown as the headers' tooltips; the headers show them in two short
// lines, so that the long title of the reference level can be read in its column.
constexpr const char* kTitles[4] = {"车型", "V[km/h]平均车速", "N[辆/h]平均小时车流量",
                                    "Lo[dBA]水平距离为7.5米处能量平均A声级"};
constexpr const char* kHeaders[4] = {"车型", "V[km/h]\n平均车速", "N[辆/h]\n平均小时车流量",
                                     "Lo[dBA]\n7.5米处平均A声级"};
constexpr const char* kClasses[3] = {"大型车", "中型车", "小型车"};
constexpr const char* kQuantities[3] = {"V", "N", "Lo"};
constexpr const char* kGroupVehicles = "各类型车参数输入";
const QString kLabelInfinite = QStringLiteral("无限长声屏障衰减量Abar[dB]");
const QString kLabelFinite = QStringLiteral("有限长声屏障衰减量Abar[dB]");

bool checked(CalculatorPage& page, const char* key) {
  auto* c = qobject_cast<QCheckBox*>(page.control(key));
  return c && c->isChecked();
}

// The number a cell holds, when it holds one a vehicle field can store; an empty cell (no
// speed, no level: a class left out) holds 0.
std::optional<double> cellNumber(const QString& text, const core::FieldDesc* f) {
  if (text.trimmed().isEmpty()) return 0.0;
  const auto p = core::parseNumber(text.trimmed().toStdString());
  if (!p.ok() || (f && !core::fitsStorage(f->type, p.value))) return std::nullopt;
  return p.value;
}

// The table cell (row, column) of a vehicle field, or (0, 0).
std::pair<int, int> cellOf(const std::string& key) {
  for (int k = 0; k < 3; ++k)
    for (int q = 0; q < 3; ++q)
      if (models::noise::vehicleKey(kQuantities[q], static_cast<VehicleClass>(k)) == key)
        return {k + 1, q + 1};
  return {0, 0};
}

// Reads a few fields for a dialog without touching the others (typed text stays as typed).
void readKeys(CalculatorPage& page, std::initializer_list<const char*> keys) {
  std::vector<std::string> k(keys.begin(), keys.end());
  page.readForm(
      [&k](const core::FieldDesc& f) { return std::find(k.begin(), k.end(), f.key) != k.end(); });
}

}  // namespace

void RoadNoisePageHook::setup(CalculatorPage& page) {
  using namespace models::noise;
  auto* caption = new QLabel(kRoadCaption, &page);
  caption->setObjectName(QStringLiteral("caption"));
  m_tabs = new CTabSheet(&page);
  m_tabs->setObjectName(QStringLiteral("tabs"));
  auto* param = new QWidget(m_tabs);
  param->setObjectName(QStringLiteral("CRoadNoiseParamDlg"));
  // The vehicle table beside the road parameters, the attenuations below both.
  auto* rows = new QVBoxLayout(param);
  auto* top = new QHBoxLayout;
  // The vehicle table replaces the vehicle fields, which stay hidden as the form's values.
  QGroupBox* vehicles = page.group(kGroupVehicles);
  for (int k = 0; k < 3; ++k)
    for (const char* q : kQuantities)
      setRowVisible(page, vehicleKey(q, static_cast<VehicleClass>(k)), false);
  m_vehicles = new widgets::CGridCtrl(4, 4, 1, 1);
  m_vehicles->setObjectName(QStringLiteral("vehicleGrid"));
  const RoadNoiseInput defaults;
  for (int c = 0; c < 4; ++c) {
    m_vehicles->SetColumnWidth(c, kWidths[c]);
    m_vehicles->SetItemText(0, c, kHeaders[c]);
    m_vehicles->SetColumnToolTip(c, QString::fromUtf8(kTitles[c]));
  }
  m_vehicles->SetRowHeight(0, kHeaderHeight);
  for (int r = 1; r < 4; ++r) m_vehicles->SetRowHeight(r, kRowHeight);
  for (int k = 0; k < 3; ++k) {
    m_vehicles->SetItemText(k + 1, 0, kClasses[k]);
    m_vehicles->SetItemText(k + 1, 1, core::cformat("%g", static_cast<double>(defaults.v_kmh[k])));
    m_vehicles->SetItemText(k + 1, 2,
                            core::cformat("%g", static_cast<double>(defaults.n_per_h[k])));
    m_vehicles->SetItemText(k + 1, 3,
                            core::cformat("%.2f", static_cast<double>(defaults.lo_dba[k])));
  }
  m_vehicles->setFixedHeight(kHeaderHeight + 3 * kRowHeight + 6);
  m_vehicles->setMinimumWidth(440);
  auto* table = new QGroupBox(QString::fromUtf8(kGroupVehicles), param);
  table->setObjectName(QStringLiteral("vehicleTable"));
  auto* tl = new QVBoxLayout(table);
  m_vehicles->setParent(table);
  tl->addWidget(m_vehicles);
  tl->addStretch(1);
  top->addWidget(table);
  if (vehicles) {
    vehicles->setParent(param);
    vehicles->hide();
  }
  if (QGroupBox* g = page.group("参数输入")) top->addWidget(g);
  rows->addLayout(top);
  if (QGroupBox* g = page.group("衰减")) rows->addWidget(g);
  rows->addStretch(1);
  auto* result = new QWidget(m_tabs);
  result->setObjectName(QStringLiteral("CRoadNoiseResultDlg"));
  auto* rl = new QVBoxLayout(result);
  m_text = new QTextEdit(result);
  m_text->setObjectName(QStringLiteral("resultText"));
  m_text->setReadOnly(true);
  rl->addWidget(m_text);
  m_tabs->AddPage(QStringLiteral("参数输入 "), param, kParamTemplate);
  m_tabs->AddPage(QStringLiteral("预测结果 "), result, kResultTemplate);
  m_tabs->CreatePages();
  m_tabs->SetBkgndColor(kPageBackground);
  m_tabs->EnableDraw(1);
  CTabSheet::EnableCustomLook(true, 6);
  page.contentLayout()->insertWidget(0, caption);
  page.contentLayout()->insertWidget(1, m_tabs, 1);
  fillPageWithSheet(page.contentLayout(), m_tabs);

  hideUnitsInLabels(page);
  narrowFields(page, 90);
  setRowVisible(page, "delta1", false);
  setRowVisible(page, "Aemb", false);
  if (QPushButton* b = page.button("compute")) b->hide();
  if (QPushButton* b = page.button("alpha")) placeBesideField(page, "alpha", b);
  // Beside the barrier attenuation: "声程差计算" and "修正为有限长屏障".
  auto* barButtons = new QWidget;
  auto* bh = new QHBoxLayout(barButtons);
  bh->setContentsMargins(0, 0, 0, 0);
  if (QPushButton* b = page.button("barrier")) bh->addWidget(b);
  m_finite = new QPushButton(QStringLiteral("修正为有限长屏障"), barButtons);
  m_finite->setObjectName(QStringLiteral("action:finite"));
  bh->addWidget(m_finite);
  placeBesideField(page, "Abar", barButtons);
  m_embankment = new QPushButton(QStringLiteral("声衰减计算"));
  m_embankment->setObjectName(QStringLiteral("action:embankment"));
  placeBesideField(page, "emb", m_embankment);
  QObject::connect(m_finite, &QPushButton::clicked, &page,
                   [this, &page] { openFiniteCorrection(page); });
  QObject::connect(m_embankment, &QPushButton::clicked, &page,
                   [this, &page] { openEmbankment(page); });

  if (auto* bar = qobject_cast<QCheckBox*>(page.control("bar")))
    QObject::connect(bar, &QCheckBox::toggled, &page, [this, &page](bool on) {
      if (auto* gr = qobject_cast<QCheckBox*>(page.control("gr"))) {
        if (on) gr->setChecked(false);
        gr->setEnabled(!on);
      }
      setRowEnabled(page, "hm", !on);
      updateEnabled(page);
    });
  if (auto* gr = qobject_cast<QCheckBox*>(page.control("gr")))
    QObject::connect(gr, &QCheckBox::toggled, &page,
                     [&page](bool on) { setRowEnabled(page, "hm", on); });
  for (const char* key : {"emb", "house", "atm", "cross"})
    if (auto* c = qobject_cast<QCheckBox*>(page.control(key)))
      QObject::connect(c, &QCheckBox::toggled, &page, [this, &page] { updateEnabled(page); });
  // Initial state: barrier on, so the ground check box and hm are disabled.
  const bool bar = checked(page, "bar");
  if (QWidget* gr = page.control("gr")) gr->setEnabled(!bar);
  setRowEnabled(page, "hm", !bar && checked(page, "gr"));
  updateEnabled(page);

  QObject::connect(m_vehicles, &widgets::CGridCtrl::endLabelEdit, &page,
                   [this](int row, int col) { cellEdited(row, col); });
  QObject::connect(m_tabs, &CTabSheet::selectionChanged, &page,
                   [this, &page](int) { predict(page); });
}

void RoadNoisePageHook::updateEnabled(CalculatorPage& page) {
  const bool bar = checked(page, "bar");
  setRowEnabled(page, "Abar", bar);
  if (QPushButton* b = page.button("barrier")) b->setEnabled(bar);
  m_finite->setEnabled(bar);
  m_embankment->setEnabled(checked(page, "emb"));
  setRowEnabled(page, "Ahouse", checked(page, "house"));
  const bool atm = checked(page, "atm");
  for (const char* key : {"alpha", "hr", "pa"}) setRowEnabled(page, key, atm);
  if (QPushButton* b = page.button("alpha")) b->setEnabled(atm);
  setRowEnabled(page, "dist", checked(page, "cross"));
}

void RoadNoisePageHook::cellEdited(int row, int col) {
  if (col != 1 || row < 1 || row > 3) return;
  // Lo follows a speed the model takes; any other text leaves the cell empty.
  const auto v = cellNumber(m_vehicles->GetItemText(row, 1), nullptr);
  const double lo = v && *v > 0 && core::fitsStorage(core::FieldType::Float, *v)
                        ? models::noise::referenceLevel(static_cast<VehicleClass>(row - 1), *v)
                        : NAN;
  m_vehicles->SetItemText(row, 3, std::isfinite(lo) ? core::cformat("%.2f", lo) : std::string());
}

bool RoadNoisePageHook::storeVehicles(CalculatorPage& page) {
  for (int k = 0; k < 3; ++k)
    for (int q = 0; q < 3; ++q) {
      const std::string key =
          models::noise::vehicleKey(kQuantities[q], static_cast<VehicleClass>(k));
      const auto v = cellNumber(m_vehicles->GetItemText(k + 1, q + 1), page.desc().field(key));
      if (!v) {
        widgets::showMessage(&page, kNumberPrompt);
        focusField(page, key);
        return false;
      }
      page.setValue(key, *v);
    }
  return true;
}

bool RoadNoisePageHook::keepsField(const std::string& key) const { return cellOf(key).first > 0; }

bool RoadNoisePageHook::focusField(CalculatorPage& page, const std::string& key) {
  (void)page;
  const auto [row, col] = cellOf(key);
  if (row == 0) return false;
  if (m_tabs->currentIndex() != 0) {
    // Back to the table without predicting again.
    m_refusing = true;
    m_tabs->SetCurrentPage(0);
    m_refusing = false;
  }
  m_vehicles->SetFocusCell(row, col);
  m_vehicles->SetSelectedRange(row, col, row, col);
  m_vehicles->setFocus();
  return true;
}

void RoadNoisePageHook::storeInputs(CalculatorPage& page, core::Values& inputs) {
  for (int k = 0; k < 3; ++k)
    for (int q = 0; q < 3; ++q) {
      const std::string key =
          models::noise::vehicleKey(kQuantities[q], static_cast<VehicleClass>(k));
      const core::FieldDesc* f = page.desc().field(key);
      if (!f) continue;
      const QString text = m_vehicles->GetItemText(k + 1, q + 1).trimmed();
      const auto v = cellNumber(text, f);
      // A cell that holds no number (left empty, say) is kept as 0 and shown empty again.
      inputs.setNum(key, core::storeAs(f->type, v.value_or(0)));
      inputs.setText(key, v && !text.isEmpty() ? text.toStdString() : "");
    }
}

void RoadNoisePageHook::loadInputs(CalculatorPage& page, const core::Values& inputs) {
  for (int k = 0; k < 3; ++k)
    for (int q = 0; q < 3; ++q) {
      const std::string key =
          models::noise::vehicleKey(kQuantities[q], static_cast<VehicleClass>(k));
      const core::FieldDesc* f = page.desc().field(key);
      if (!f || !inputs.has(key)) continue;
      const std::string& shown = inputs.text(key);
      m_vehicles->SetItemText(
          k + 1, q + 1,
          QString::fromStdString(shown.empty() ? core::displayValue(*f, inputs) : shown));
    }
}

bool RoadNoisePageHook::predict(CalculatorPage& page) {
  if (m_refusing) return false;
  if (!storeVehicles(page)) return false;
  return page.runAction("compute");
}

void RoadNoisePageHook::openPathDifference(CalculatorPage& page) {
  readKeys(page, {"r"});
  CPathDifferenceDlg dlg(&page, page.values().num("r"), CPathDifferenceDlg::kPresetInfinite);
  dlg.exec();
  // Closed before any successful computation: the Abar the user typed stays.
  if (!dlg.computed()) return;
  readKeys(page, {"f", "t"});
  const auto& v = page.values();
  page.setValue("delta1", dlg.delta1());
  page.setValue("Abar",
                models::noise::lineBarrierAttenuation(dlg.delta1(), v.num("f"), v.num("t")));
  if (QLabel* l = page.label("Abar")) l->setText(kLabelInfinite);
}

void RoadNoisePageHook::openFiniteCorrection(CalculatorPage& page) {
  readKeys(page, {"Abar"});
  CFiniteBarrierCorrectionDlg dlg(&page, page.values().num("Abar"));
  if (dlg.exec() != QDialog::Accepted) return;
  page.setValue("Abar", dlg.value());
  if (QLabel* l = page.label("Abar")) l->setText(kLabelFinite);
}

void RoadNoisePageHook::openEmbankment(CalculatorPage& page) {
  readKeys(page, {"r"});
  CEmbankmentAttenuationDlg dlg(&page, page.values().num("r"));
  if (dlg.exec() != QDialog::Accepted) return;
  page.setValue("Aemb", dlg.value());
}

bool RoadNoisePageHook::handleAction(CalculatorPage& page, const std::string& action) {
  if (action == "barrier") {
    openPathDifference(page);
    return true;
  }
  return false;
}

bool RoadNoisePageHook::showOutcome(CalculatorPage& page, const std::string& action,
                                    const core::Outcome& outcome) {
  (void)page;
  if (action != "compute") return false;
  m_text->setPlainText(
      QString::fromStdString(outcome.text).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
  return true;
}

void RoadNoisePageHook::clearResults(CalculatorPage&) { m_text->clear(); }

}  // namespace app
