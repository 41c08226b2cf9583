#include "app/pages/noise/industrial_noise_page.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTextEdit>
#include <QVBoxLayout>
#include <algorithm>

#include "app/calculator_page.h"
#include "app/page_style.h"
#include "app/pages/noise/noise_forms.h"
#include "app/pages/noise/path_difference_dialog.h"
#include "app/tab_sheet.h"
#include "models/noise/industrial_noise.h"
#include "widgets/excel_export.h"
#include "widgets/grid_ctrl.h"

namespace app {

namespace {

constexpr int kParamTemplate = 235;
constexpr int kResultTemplate = 236;
constexpr int kRowHeight = 25;
const QString kExportTitle = QString::fromUtf8(models::noise::kIndustrialExportTitle);

bool checked(CalculatorPage& page, const char* key) {
  auto* c = qobject_cast<QCheckBox*>(page.control(key));
  return c && c->isChecked();
}

}  // namespace

// ---- result tab ------------------------------------------------------------------------------

CIndustrialNoiseResultDlg::CIndustrialNoiseResultDlg(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("CIndustrialNoiseResultDlg"));
  auto* layout = new QVBoxLayout(this);
  m_text = new QTextEdit(this);
  m_text->setObjectName(QStringLiteral("resultText"));
  m_text->setReadOnly(true);
  layout->addWidget(m_text, 3);
  m_grid = new widgets::CGridCtrl(this);
  m_grid->setObjectName(QStringLiteral("resultGrid"));
  widgets::attachGridPopup(m_grid, this, kExportTitle);
  layout->addWidget(m_grid, 2);
  auto* bar = new QHBoxLayout;
  auto* exportButton = new QPushButton(QStringLiteral("结果导入EXCEL"), this);
  exportButton->setObjectName(QStringLiteral("excel"));
  auto* copyButton = new QPushButton(QStringLiteral("复制选中表格"), this);
  copyButton->setObjectName(QStringLiteral("copy"));
  bar->addStretch(1);
  bar->addWidget(exportButton);
  bar->addWidget(copyButton);
  layout->addLayout(bar);
  connect(copyButton, &QPushButton::clicked, this,
          [this] { widgets::copyGridSelection(this, *m_grid); });
  connect(exportButton, &QPushButton::clicked, this, &CIndustrialNoiseResultDlg::exportExcel);
}

void CIndustrialNoiseResultDlg::exportExcel() { widgets::exportGrid(this, *m_grid, kExportTitle); }

void CIndustrialNoiseResultDlg::show(const core::Outcome& o) {
  m_text->setPlainText(
      QString::fromStdString(o.text).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
  m_grid->DeleteAllItems();
  if (o.tables.empty()) return;
  // One row per quantity, one column per distance; the title column is the fixed one.
  const core::Table& t = o.tables.front();
  const int cols = static_cast<int>(t.headers.size());
  m_grid->SetRowCount(4);
  m_grid->SetColumnCount(cols);
  m_grid->SetFixedColumnCount(1);
  for (int row = 0; row < 4; ++row) m_grid->SetRowHeight(row, kRowHeight);
  for (int c = 0; c < cols; ++c) {
    const size_t cc = static_cast<size_t>(c);
    m_grid->SetColumnWidth(c, t.widths[cc]);
    m_grid->SetItemText(0, c, t.headers[cc]);
    for (int row = 1; row < 4; ++row)
      m_grid->SetItemText(row, c, t.rows[static_cast<size_t>(row - 1)][cc]);
  }
  m_grid->ClearSelection();
  m_grid->Invalidate();
}

// ---- host ------------------------------------------------------------------------------------

void IndustrialNoisePageHook::setup(CalculatorPage& page) {
  auto* caption = new QLabel(kIndustrialCaption, &page);
  caption->setObjectName(QStringLiteral("caption"));
  m_tabs = new CTabSheet(&page);
  m_tabs->setObjectName(QStringLiteral("tabs"));
  m_param = new QWidget(m_tabs);
  m_param->setObjectName(QStringLiteral("CIndustrialNoiseParamDlg"));
  // The source beside the room and reflection groups, the attenuations below both.
  auto* rows = new QVBoxLayout(m_param);
  auto* top = new QHBoxLayout;
  auto* right = new QVBoxLayout;
  if (QGroupBox* box = page.group("声源参数")) top->addWidget(box);
  for (const char* g : {"室内参数", "反射体"})
    if (QGroupBox* box = page.group(g)) right->addWidget(box);
  right->addStretch(1);
  top->addLayout(right);
  rows->addLayout(top);
  if (QGroupBox* box = page.group("衰减")) rows->addWidget(box);
  rows->addStretch(1);
  m_result = new CIndustrialNoiseResultDlg(m_tabs);
  m_tabs->AddPage(QStringLiteral("参数输入 "), m_param, kParamTemplate);
  m_tabs->AddPage(QStringLiteral("预测结果 "), m_result, kResultTemplate);
  m_tabs->CreatePages();
  m_tabs->SetBkgndColor(kPageBackground);
  m_tabs->EnableDraw(1);
  CTabSheet::EnableCustomLook(true, 6);
  page.contentLayout()->insertWidget(0, caption);
  page.contentLayout()->insertWidget(1, m_tabs, 1);
  fillPageWithSheet(page.contentLayout(), m_tabs);

  hideUnitsInLabels(page);
  narrowFields(page, 90);
  stackRadios(page, "basis");
  if (QPushButton* b = page.button("compute")) b->hide();
  if (QPushButton* b = page.button("alpha")) placeBesideField(page, "alpha", b);
  if (QPushButton* b = page.button("dA")) placeBesideField(page, "dA", b);
  m_pathButton = new QPushButton(QStringLiteral("声程差计算"));
  m_pathButton->setObjectName(QStringLiteral("action:pathdiff"));
  placeBesideField(page, "delta1", m_pathButton);
  QObject::connect(m_pathButton, &QPushButton::clicked, &page,
                   [this, &page] { openPathDifference(page); });

  auto update = [this, &page] { updateEnabled(page); };
  if (auto* c = qobject_cast<QComboBox*>(page.control("source")))
    QObject::connect(c, &QComboBox::currentIndexChanged, &page, update);
  for (const char* key : {"basis:0", "basis:1"})
    if (auto* rb = page.findChild<QRadioButton*>(QString::fromLatin1(key)))
      QObject::connect(rb, &QRadioButton::toggled, &page, update);
  for (const char* key : {"reflect", "atm", "gr"})
    if (auto* c = qobject_cast<QCheckBox*>(page.control(key)))
      QObject::connect(c, &QCheckBox::toggled, &page, update);
  if (auto* bar = qobject_cast<QCheckBox*>(page.control("bar")))
    QObject::connect(bar, &QCheckBox::toggled, &page, [this, &page](bool on) {
      // Barrier and ground attenuation are never applied together.
      if (on)
        if (auto* gr = qobject_cast<QCheckBox*>(page.control("gr"))) gr->setChecked(false);
      updateEnabled(page);
    });
  updateEnabled(page);

  QObject::connect(m_tabs, &CTabSheet::selectionChanged, &page, [this, &page](int index) {
    if (index != 0 && !page.runAction("compute")) m_tabs->SetCurrentPage(0);
  });
}

void IndustrialNoisePageHook::updateEnabled(CalculatorPage& page) {
  const bool indoor = static_cast<QComboBox*>(page.control("source"))->currentIndex() == 0;
  if (QGroupBox* g = page.group("室内参数")) g->setEnabled(indoor);
  if (auto* rb = page.findChild<QRadioButton*>(QStringLiteral("basis:1"))) rb->setEnabled(!indoor);
  auto* lwButton = page.findChild<QRadioButton*>(QStringLiteral("basis:0"));
  const bool lw = !lwButton || lwButton->isChecked();
  setRowVisible(page, "Lw", lw);
  setRowVisible(page, "r0", !lw);
  setRowVisible(page, "Lp0", !lw);
  setRowEnabled(page, "h0", checked(page, "reflect"));
  setRowEnabled(page, "h1", checked(page, "reflect"));

  const bool bar = checked(page, "bar");
  setRowEnabled(page, "delta1", bar);
  // An infinite-barrier result keeps delta2 and delta3 disabled while the barrier is on.
  const bool finiteDeltas = !page.property("infiniteDeltas").toBool();
  setRowEnabled(page, "delta2", bar && finiteDeltas);
  setRowEnabled(page, "delta3", bar && finiteDeltas);
  if (m_pathButton) m_pathButton->setEnabled(bar);
  if (QWidget* gr = page.control("gr")) gr->setEnabled(!bar);
  setRowEnabled(page, "hm", !bar && checked(page, "gr"));
  if (QLabel* l = page.label("rmax")) {
    const QString single = QStringLiteral("预测点距声源水平距离r[m]");
    const QString most = QStringLiteral("预测点距声源水平距离r[m]最大值");
    // As wide for either text, so the columns beside it stay put when the barrier is ticked.
    l->setMinimumWidth(std::max(l->fontMetrics().horizontalAdvance(single),
                                l->fontMetrics().horizontalAdvance(most)) +
                       4);
    l->setText(bar ? single : most);
  }
  setRowVisible(page, "dr", !bar);

  const bool atm = checked(page, "atm");
  for (const char* key : {"alpha", "hr", "pa"}) setRowEnabled(page, key, atm);
  if (QPushButton* b = page.button("alpha")) b->setEnabled(atm);
}

void IndustrialNoisePageHook::openPathDifference(CalculatorPage& page) {
  page.readForm([](const core::FieldDesc& f) { return f.key == "rmax"; });
  CPathDifferenceDlg dlg(&page, page.values().num("rmax"), CPathDifferenceDlg::kPresetNone);
  dlg.exec();
  // Closed before any successful computation: the page keeps its path differences.
  if (!dlg.computed()) return;
  const bool infinite = dlg.kind() == CPathDifferenceDlg::kPresetInfinite;
  page.setValue("delta1", dlg.delta1());
  page.setValue("delta2", infinite ? 0 : dlg.delta2());
  page.setValue("delta3", infinite ? 0 : dlg.delta3());
  page.setProperty("infiniteDeltas", infinite);
  updateEnabled(page);
}

bool IndustrialNoisePageHook::handleAction(CalculatorPage& page, const std::string& action) {
  if (action != "pathdiff") return false;
  openPathDifference(page);
  return true;
}

bool IndustrialNoisePageHook::showOutcome(CalculatorPage& page, const std::string& action,
                                          const core::Outcome& outcome) {
  (void)page;
  if (action != "compute") return false;
  m_result->show(outcome);
  return true;
}

void IndustrialNoisePageHook::clearResults(CalculatorPage&) { m_result->show(core::Outcome{}); }

}  // namespace app
