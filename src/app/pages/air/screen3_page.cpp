#include "app/pages/air/screen3_page.h"

#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRandomGenerator>
#include <QSettings>
#include <QStyledItemDelegate>
#include <QTextEdit>
#include <QThread>
#include <QVBoxLayout>

#include "app/calculator_page.h"
#include "app/page_style.h"
#include "app/tab_sheet.h"
#include "widgets/excel_export.h"
#include "widgets/grid_ctrl.h"
#include "widgets/prompts.h"

namespace app {

namespace {

QString q(const std::string& s) { return QString::fromStdString(s); }

constexpr int kHeaderHeight = 25;
constexpr int kPollutantColumnWidth = 150;
const QColor kMaximumRow(255, 0, 0);

}  // namespace

screen::RunStep screeningRunStep() {
  const QString path =
      QSettings(QStringLiteral("kuva"), QStringLiteral("Settings")).value("Screen3Path").toString();
  return screen::programStep(screen::programOptions(path.trimmed().toStdString()));
}

// Paints the background of single grid cells: each pollutant's columns in its colour, the
// maximum rows red.
class CellColourDelegate : public QStyledItemDelegate {
 public:
  explicit CellColourDelegate(widgets::CGridCtrl* grid) : QStyledItemDelegate(grid), m_grid(grid) {}
  std::map<std::pair<int, int>, QColor> colours;

 protected:
  void initStyleOption(QStyleOptionViewItem* o, const QModelIndex& index) const override {
    QStyledItemDelegate::initStyleOption(o, index);
    const auto it = colours.find(
        {index.row() + m_grid->GetFixedRowCount(), index.column() + m_grid->GetFixedColumnCount()});
    if (it != colours.end()) o->backgroundBrush = it->second;
  }

 private:
  widgets::CGridCtrl* m_grid;
};

// ---- result tab -------------------------------------------------------------------------

CScreen3ResultDlg::CScreen3ResultDlg(CalculatorPage& page, QWidget* parent)
    : QWidget(parent), m_page(page) {
  setObjectName(QStringLiteral("CScreen3ResultDlg"));
  auto* layout = new QVBoxLayout(this);
  auto* top = new QHBoxLayout;
  m_view = new QComboBox(this);
  m_view->setObjectName(QStringLiteral("view"));
  m_view->addItems({QStringLiteral("列表报告"), QStringLiteral("文字报告")});
  m_pollutant = new QComboBox(this);
  m_pollutant->setObjectName(QStringLiteral("pollutant"));
  top->addWidget(new QLabel(QStringLiteral("查看方式"), this));
  top->addWidget(m_view);
  top->addSpacing(20);
  auto* choose = new QLabel(QStringLiteral("选择污染物"), this);
  choose->setObjectName(QStringLiteral("pollutantLabel"));
  top->addWidget(choose);
  top->addWidget(m_pollutant);
  top->addStretch(1);
  layout->addLayout(top);

  m_grid = new widgets::CGridCtrl(this);
  m_grid->setObjectName(QStringLiteral("resultGrid"));
  m_grid->SetEditable(false);
  m_colours = new CellColourDelegate(m_grid);
  m_grid->setItemDelegate(m_colours);
  widgets::attachGridPopup(m_grid, this, kScreen3ExportTitle);
  layout->addWidget(m_grid, 3);
  m_summary = new QTextEdit(this);
  m_summary->setObjectName(QStringLiteral("summary"));
  m_summary->setReadOnly(true);
  layout->addWidget(m_summary, 1);
  auto* buttons = new QHBoxLayout;
  m_copy = new QPushButton(QStringLiteral("复制选中表格"), this);
  m_copy->setObjectName(QStringLiteral("copy"));
  m_export = new QPushButton(QStringLiteral("结果导入EXCEL"), this);
  m_export->setObjectName(QStringLiteral("excel"));
  buttons->addWidget(m_copy);
  buttons->addWidget(m_export);
  buttons->addStretch(1);
  layout->addLayout(buttons);
  m_fullText = new QTextEdit(this);
  m_fullText->setObjectName(QStringLiteral("fullText"));
  m_fullText->setReadOnly(true);
  m_fullText->setLineWrapMode(QTextEdit::NoWrap);
  m_fullText->setFontFamily(QStringLiteral("monospace"));
  layout->addWidget(m_fullText, 4);

  connect(m_view, &QComboBox::currentIndexChanged, this, &CScreen3ResultDlg::setView);
  connect(m_pollutant, &QComboBox::currentIndexChanged, this, &CScreen3ResultDlg::showPollutant);
  connect(m_copy, &QPushButton::clicked, this,
          [this] { widgets::copyGridSelection(this, *m_grid); });
  connect(m_export, &QPushButton::clicked, this, &CScreen3ResultDlg::exportExcel);
  setView(0);
}

CScreen3ResultDlg::~CScreen3ResultDlg() {
  if (m_thread) {
    m_thread->wait();
    delete m_thread;
  }
}

void CScreen3ResultDlg::setView(int index) {
  const bool table = index == 0;
  m_grid->setVisible(table);
  m_summary->setVisible(table);
  m_copy->setVisible(table);
  m_export->setVisible(table);
  m_fullText->setVisible(!table);
  m_pollutant->setVisible(!table);
  if (auto* l = findChild<QLabel*>(QStringLiteral("pollutantLabel"))) l->setVisible(!table);
}

void CScreen3ResultDlg::showPollutant(int index) {
  if (!m_result || index < 0 || index >= static_cast<int>(m_result->pollutants.size())) return;
  m_fullText->setPlainText(q(m_result->pollutants[static_cast<size_t>(index)].report));
}

void CScreen3ResultDlg::exportExcel() { widgets::exportGrid(this, *m_grid, kScreen3ExportTitle); }

QColor CScreen3ResultDlg::cellColour(int row, int col) const {
  const auto it = m_colours->colours.find({row, col});
  return it == m_colours->colours.end() ? QColor() : it->second;
}

void CScreen3ResultDlg::clear() {
  m_grid->DeleteAllItems();
  m_colours->colours.clear();
  m_pollutant->clear();
  m_summary->clear();
  m_fullText->clear();
  m_result.reset();
}

bool CScreen3ResultDlg::compute(const models::air::Screen3Input& in) {
  if (m_thread) return false;
  // The table is cleared at once; the new one appears when the runs are done.
  clear();
  auto out = std::make_shared<models::air::Screen3Result>();
  const screen::RunStep run = screeningRunStep();
  m_thread = QThread::create([in, run, out] { *out = models::air::computeScreen3(in, run); });
  m_thread->setObjectName(QStringLiteral("screen3Compute"));
  QApplication::setOverrideCursor(Qt::WaitCursor);
  connect(m_thread, &QThread::finished, this, [this, out, inputs = m_page.inputsReplaced()] {
    QApplication::restoreOverrideCursor();
    m_thread->wait();
    delete m_thread;
    m_thread = nullptr;
    if (inputs == m_page.inputsReplaced())
      apply(*out);
    else
      emit computeFinished({}, -1, {});  // of inputs no longer shown: nothing to show
  });
  m_thread->start();
  return true;
}

void CScreen3ResultDlg::apply(const models::air::Screen3Result& r) {
  m_result = std::make_unique<models::air::Screen3Result>(r);
  const auto& t = r.table;
  const int cols = static_cast<int>(t.headers.size());
  m_grid->SetColumnCount(cols);
  m_grid->SetRowCount(cols > 0 ? 1 + static_cast<int>(t.rows.size()) : 0);
  m_grid->SetFixedRowCount(cols > 0 ? 1 : 0);
  m_grid->SetFixedColumnCount(cols > 0 ? 1 : 0);
  if (cols > 0) m_grid->SetRowHeight(0, kHeaderHeight);
  for (int c = 0; c < cols; ++c) {
    m_grid->SetItemText(0, c, t.headers[static_cast<size_t>(c)]);
    const size_t cc = static_cast<size_t>(c);
    m_grid->SetColumnWidth(c, cc < t.widths.size() ? t.widths[cc] : kPollutantColumnWidth);
  }
  for (size_t k = 0; k < t.rows.size(); ++k) {
    const int row = static_cast<int>(k) + 1;
    for (int c = 0; c < cols; ++c) m_grid->SetItemText(row, c, t.rows[k][static_cast<size_t>(c)]);
  }
  // A colour per pollutant: red 0, green 255, blue from a fresh random number.
  for (size_t i = 0; i < r.pollutants.size(); ++i) {
    const int rnd = static_cast<int>(QRandomGenerator::global()->bounded(32768));
    const QColor colour(0, 255, (rnd * 255) % 256);
    const int c = 4 + 2 * static_cast<int>(i);
    for (size_t k = 0; k < t.rows.size(); ++k) {
      if (r.row_kinds[k] == models::air::Screen3RowKind::Maximum) continue;
      m_colours->colours[{static_cast<int>(k) + 1, c}] = colour;
      m_colours->colours[{static_cast<int>(k) + 1, c + 1}] = colour;
    }
  }
  for (size_t k = 0; k < t.rows.size(); ++k)
    if (r.row_kinds[k] == models::air::Screen3RowKind::Maximum)
      for (int c = 0; c < cols; ++c) m_colours->colours[{static_cast<int>(k) + 1, c}] = kMaximumRow;
  m_summary->setPlainText(q(r.summary).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
  {
    const QSignalBlocker block(m_pollutant);
    for (const auto& p : r.pollutants) m_pollutant->addItem(q(p.name));
  }
  m_pollutant->setCurrentIndex(r.pollutants.empty() ? -1 : 0);
  showPollutant(0);
  m_grid->ClearSelection();
  m_grid->Invalidate();
  QString stop;
  int tab = -1;
  QString focus;
  if (r.stop) {
    stop = q(r.stop->message);
    tab = r.stop->tab;
    focus = q(r.stop->focus);
  }
  emit computeFinished(stop, tab, focus);
  if (!r.stop) emit m_page.computed(QStringLiteral("compute"));
}

// ---- host -------------------------------------------------------------------------------

void Screen3PageHook::setup(CalculatorPage& page) {
  auto* caption = new QLabel(kScreen3Caption, &page);
  caption->setObjectName(QStringLiteral("caption"));
  page.contentLayout()->insertWidget(0, caption);
  m_tabs = new CTabSheet(&page);
  m_tabs->setObjectName(QStringLiteral("tabs"));
  m_source = new CScreen3SourceDlg(page, m_tabs);
  m_result = new CScreen3ResultDlg(page, m_tabs);
  m_tabs->AddPage(QStringLiteral("SCREEN3参数输入 "), m_source, 231);
  m_tabs->AddPage(QStringLiteral("预测结果 "), m_result, 232);
  m_tabs->CreatePages();
  m_tabs->SetBkgndColor(kPageBackground);
  m_tabs->EnableDraw(1);
  CTabSheet::EnableCustomLook(true, 6);
  page.contentLayout()->insertWidget(1, m_tabs, 1);
  fillPageWithSheet(page.contentLayout(), m_tabs);
  if (QPushButton* b = page.button("compute")) b->hide();
  if (QTextEdit* t = page.resultText()) t->hide();

  QObject::connect(m_tabs, &CTabSheet::selectionChanged, &page, [this, &page](int index) {
    if (index == 1) startComputation(page);
  });
  QObject::connect(m_result, &CScreen3ResultDlg::computeFinished, &page,
                   [this, &page](const QString& stop, int tab, const QString& focus) {
                     if (stop.isEmpty()) return;
                     widgets::showMessage(&page, stop);
                     if (tab == 0) m_tabs->SetCurrentPage(0);
                     if (!focus.isEmpty())
                       if (QWidget* w = page.control(focus.toStdString())) w->setFocus();
                   });
}

void Screen3PageHook::startComputation(CalculatorPage& page) {
  if (m_result->busy()) return;
  m_source->storeTables();
  // An unreadable number gets the form's prompt and stops the computation: back to the
  // source tab, where the field has the focus.
  if (!page.readForm()) {
    m_tabs->SetCurrentPage(0);
    return;
  }
  m_result->compute(models::air::screen3InputFromValues(page.values()));
}

bool Screen3PageHook::handleAction(CalculatorPage& page, const std::string& action) {
  (void)page;
  if (action != "compute" || !m_tabs) return false;
  if (m_tabs->GetCurrentPage() == 1)
    startComputation(page);
  else
    m_tabs->SetCurrentPage(1);
  return true;
}

void Screen3PageHook::clearResults(CalculatorPage&) {
  if (m_result) m_result->clear();
}

}  // namespace app
