#include "app/pages/air/point_source_page.h"

#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTextEdit>
#include <QThread>
#include <QVBoxLayout>

#include "app/calculator_page.h"
#include "app/page_style.h"
#include "app/pages/air/point_source_windows.h"
#include "app/tab_sheet.h"
#include "widgets/excel_export.h"
#include "widgets/list_table.h"
#include "widgets/prompts.h"

namespace app {

namespace {

constexpr const char* kSourceGroup = "污染源相关参数";
constexpr const char* kMetGroup = "气象相关参数";
constexpr const char* kResultGroup = "计算结果";

QString q(const std::string& s) { return QString::fromStdString(s); }

bool radioIs(CalculatorPage& page, const char* key, int index) {
  auto* rb = page.findChild<QRadioButton*>(QStringLiteral("%1:%2").arg(key).arg(index));
  return rb && rb->isChecked();
}

// Enables a field's control with its label and unit.
void enableField(CalculatorPage& page, const char* key, bool on) {
  if (QWidget* w = page.control(key)) w->setEnabled(on);
  if (QLabel* l = page.label(key)) l->setEnabled(on);
  if (QLabel* u = page.unitLabel(key)) u->setEnabled(on);
}

// Moves a group box of the generic form into a tab.
void adoptGroup(CalculatorPage& page, const char* caption, QWidget* tab) {
  auto* layout = new QVBoxLayout(tab);
  if (QGroupBox* g = page.group(caption)) {
    g->setTitle(QString());
    layout->addWidget(g);
  }
  layout->addStretch(1);
}

void connectRadios(CalculatorPage& page, const char* key, QObject* context,
                   const std::function<void()>& update) {
  for (int i = 0; i < 2; ++i)
    if (auto* rb = page.findChild<QRadioButton*>(QStringLiteral("%1:%2").arg(key).arg(i)))
      QObject::connect(rb, &QRadioButton::toggled, context, update);
}

}  // namespace

// ---- source tab -------------------------------------------------------------------------

CPointSourceParamDlg::CPointSourceParamDlg(CalculatorPage& page, QWidget* parent)
    : QWidget(parent), m_page(page) {
  setObjectName(QStringLiteral("CPointSourceParamDlg"));
  adoptGroup(page, kSourceGroup, this);
  connectRadios(page, "Umode", this, [this] { updateEnabled(); });
  connectRadios(page, "dHmode", this, [this] { updateEnabled(); });
  updateEnabled();
}

void CPointSourceParamDlg::updateEnabled() {
  enableField(m_page, "U", radioIs(m_page, "Umode", 1));
  const bool typed_rise = radioIs(m_page, "dHmode", 1);
  enableField(m_page, "dH", typed_rise);
  for (const char* key : {"Qv", "Ts", "D", "dTdz", "Ta", "Pa"})
    enableField(m_page, key, !typed_rise);
}

// ---- meteorology tab --------------------------------------------------------------------

CPointSourceMetDlg::CPointSourceMetDlg(CalculatorPage& page, QWidget* parent)
    : QWidget(parent), m_page(page) {
  setObjectName(QStringLiteral("CPointSourceMetDlg"));
  adoptGroup(page, kMetGroup, this);
  connectRadios(page, "hmode", this, [this] { updateEnabled(); });
  connectRadios(page, "sigmode", this, [this] { updateEnabled(); });
  updateEnabled();
}

void CPointSourceMetDlg::updateEnabled() {
  const bool typed_h = radioIs(m_page, "hmode", 1);
  enableField(m_page, "lat", !typed_h);
  enableField(m_page, "region", !typed_h);
  enableField(m_page, "h", typed_h);
  const bool typed_sigma = radioIs(m_page, "sigmode", 1);
  for (const char* key : {"ay", "az", "gy", "gz"}) enableField(m_page, key, typed_sigma);
}

// ---- result tab -------------------------------------------------------------------------

// What the worker hands back: the result, the grid for the contour map, the list's content
// already converted for the model, and the report.
struct CPointSourceResultDlg::Computed {
  models::air::PointSourceResult result;
  core::Outcome::Grid grid;
  QStringList captions;
  std::vector<int> widths;
  int rows = 0;
  std::vector<QString> cells;
  QString report;
};

CPointSourceResultDlg::CPointSourceResultDlg(CalculatorPage& page, QWidget* parent)
    : QWidget(parent), m_page(page) {
  setObjectName(QStringLiteral("CPointSourceResultDlg"));
  auto* layout = new QVBoxLayout(this);
  auto* bar = new QHBoxLayout;
  for (const char* action : {"compute", "excel", "curve", "contour"})
    if (QPushButton* b = page.button(action)) bar->addWidget(b);
  bar->addStretch(1);
  layout->addLayout(bar);
  m_list = new widgets::ListTable(this);
  m_list->setObjectName(QStringLiteral("resultList"));
  m_list->setSelectionBehavior(QAbstractItemView::SelectRows);  // a report list selects whole rows
  m_list->setShowGrid(true);
  layout->addWidget(m_list, 3);
  m_report = page.resultText();
  if (m_report) {
    m_report->setParent(this);
    layout->addWidget(m_report, 1);
  }
}

CPointSourceResultDlg::~CPointSourceResultDlg() {
  if (m_thread) {
    m_thread->wait();
    delete m_thread;
    QApplication::restoreOverrideCursor();
  }
}

bool CPointSourceResultDlg::compute() {
  if (m_thread) return false;
  const models::air::PointSourceInput in = models::air::pointSourceInput(m_record);
  if (const auto f = models::air::checkPointSource(in)) {
    widgets::showMessage(this, q(f->message), q(f->caption));
    return false;
  }
  auto out = std::make_shared<Computed>();
  m_thread = QThread::create([in, out] {
    Computed& c = *out;
    c.result = models::air::computePointSource(in);
    core::Table t = models::air::pointSourceTable(c.result);
    c.grid = models::air::pointSourceGrid(c.result, t);
    for (const auto& h : t.headers) c.captions << q(h);
    c.widths = std::move(t.widths);
    c.rows = static_cast<int>(t.rows.size());
    c.cells.reserve(t.rows.size() * t.headers.size());
    for (auto& row : t.rows) {
      for (const auto& cell : row)
        c.cells.push_back(QString::fromLatin1(cell.data(), static_cast<qsizetype>(cell.size())));
      std::vector<std::string>().swap(row);  // release as we go: a full grid is large
    }
    c.report = q(models::air::pointSourceReport(c.result))
                   .replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    c.result.c_mg_m3.clear();  // the list holds the cells from now on
    c.result.c_mg_m3.shrink_to_fit();
  });
  m_thread->setObjectName(QStringLiteral("pointSourceCompute"));
  if (QPushButton* b = m_page.button("compute")) b->setEnabled(false);
  QApplication::setOverrideCursor(Qt::WaitCursor);
  connect(m_thread, &QThread::finished, this, [this, out, inputs = m_page.inputsReplaced()] {
    QApplication::restoreOverrideCursor();
    m_thread->wait();  // finished comes just before the thread ends
    delete m_thread;
    m_thread = nullptr;
    if (QPushButton* b = m_page.button("compute")) b->setEnabled(true);
    if (inputs == m_page.inputsReplaced())
      apply(*out);
    else
      emit computeFinished();  // of inputs no longer shown: nothing to show
  });
  m_thread->start();
  return true;
}

void CPointSourceResultDlg::apply(Computed& c) {
  m_list->setData(c.captions, c.rows, std::move(c.cells));
  m_list->setColumnWidths(c.widths);
  if (m_report) m_report->setPlainText(c.report);
  m_result = std::make_unique<models::air::PointSourceResult>(std::move(c.result));
  m_grid = std::make_unique<core::Outcome::Grid>(std::move(c.grid));
  emit computeFinished();
  emit m_page.computed(QStringLiteral("compute"));
}

void CPointSourceResultDlg::clear() {
  m_list->clear();
  if (m_report) m_report->clear();
  m_result.reset();
  m_grid.reset();
  // Curve and contour windows left open show the old computation.
  for (auto* w : findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
    if (w->isWindow()) w->close();
}

void CPointSourceResultDlg::exportExcel() {
  widgets::exportListTable(this, *m_list, kPointSourceExportTitle);
}

void CPointSourceResultDlg::showCurve(bool modal) {
  if (m_list->rowCount() == 0 || !m_result) {
    widgets::showMessage(this, kPointSourceNoData);
    return;
  }
  openPointSourceCurve(this, *m_result, modal);
}

void CPointSourceResultDlg::showContour(bool modal) {
  if (m_list->rowCount() == 0 || !m_grid) {
    widgets::showMessage(this, kPointSourceNoData);
    return;
  }
  openPointSourceContour(this, *m_grid, modal);
}

// ---- host -------------------------------------------------------------------------------

void PointSourcePageHook::setup(CalculatorPage& page) {
  auto* caption = new QLabel(kPointSourceCaption, &page);
  caption->setObjectName(QStringLiteral("caption"));
  page.contentLayout()->insertWidget(0, caption);

  m_tabs = new CTabSheet(&page);
  m_tabs->setObjectName(QStringLiteral("tabs"));
  m_param = new CPointSourceParamDlg(page, m_tabs);
  m_met = new CPointSourceMetDlg(page, m_tabs);
  m_result = new CPointSourceResultDlg(page, m_tabs);
  m_tabs->AddPage(QStringLiteral("污染源相关参数 "), m_param, 176);
  m_tabs->AddPage(QStringLiteral("气象相关参数 "), m_met, 177);
  m_tabs->AddPage(QStringLiteral("预测结果 "), m_result, 178);
  m_tabs->CreatePages();
  m_tabs->SetBkgndColor(kPageBackground);
  m_tabs->EnableDraw(1);
  CTabSheet::EnableCustomLook(true, 6);
  page.contentLayout()->insertWidget(1, m_tabs, 1);
  fillPageWithSheet(page.contentLayout(), m_tabs);
  if (QGroupBox* g = page.group(kResultGroup)) g->hide();

  m_result->setRecord(page.values());
  QObject::connect(m_tabs, &CTabSheet::selectionChanged, &page,
                   [this, &page] { copyRecord(page); });
}

void PointSourcePageHook::copyRecord(CalculatorPage& page) {
  // An unreadable number gets the form's prompt; the record takes the values the form holds.
  page.readForm();
  m_result->setRecord(page.values());
}

bool PointSourcePageHook::handleAction(CalculatorPage& page, const std::string& action) {
  (void)page;
  if (!m_result) return false;
  if (action == "compute")
    m_result->compute();
  else if (action == "excel")
    m_result->exportExcel();
  else if (action == "curve")
    m_result->showCurve();
  else if (action == "contour")
    m_result->showContour();
  else
    return false;
  return true;
}

void PointSourcePageHook::clearResults(CalculatorPage& page) {
  if (!m_result) return;
  m_result->clear();
  m_result->setRecord(page.values());  // the working record follows the new inputs
}

}  // namespace app
