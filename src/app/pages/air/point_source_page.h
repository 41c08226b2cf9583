// Point-source dispersion page: a tab host with the source tab, the meteorology tab and the
// result tab. Every tab change copies the two input tabs into the result tab's working record;
// the computation runs on that copy in a worker thread, so the window stays responsive on the
// largest grid, and the list is filled through its model when the worker is done.
#pragma once

#include <QString>
#include <QWidget>
#include <memory>

#include "app/page_hook.h"
#include "core/calculator.h"
#include "models/air/point_source.h"

class QPushButton;
class QTextEdit;
class QThread;

namespace widgets {
class ListTable;
}

namespace app {

class CTabSheet;

inline const QString kPointSourceCaption = QStringLiteral("点源扩散模式导则计算");
inline const QString kPointSourceNoData = QStringLiteral("没有数据,请先计算!");
inline const QString kPointSourceExportTitle = QStringLiteral("点源扩散模式计算结果");

// Source tab ("污染源相关参数 "): the source group of the form and its radio rules.
class CPointSourceParamDlg : public QWidget {
  Q_OBJECT
 public:
  CPointSourceParamDlg(CalculatorPage& page, QWidget* parent);
  // Typed exit wind speed and typed plume rise enable their edits; a computed rise enables
  // the flue-gas fields instead.
  void updateEnabled();

 private:
  CalculatorPage& m_page;
};

// Meteorology tab ("气象相关参数 "): the meteorology group and its radio rules.
class CPointSourceMetDlg : public QWidget {
  Q_OBJECT
 public:
  CPointSourceMetDlg(CalculatorPage& page, QWidget* parent);
  // A computed mixing height enables latitude and region, a typed one its edit; typed
  // dispersion coefficients enable the four coefficient edits.
  void updateEnabled();

 private:
  CalculatorPage& m_page;
};

// Result tab ("预测结果 "): the working record, the computation, the table, the report and the
// curve, export and contour buttons.
class CPointSourceResultDlg : public QWidget {
  Q_OBJECT
 public:
  CPointSourceResultDlg(CalculatorPage& page, QWidget* parent);
  ~CPointSourceResultDlg() override;

  // The working record: copies of every input of the two other tabs.
  void setRecord(const core::Values& v) { m_record = v; }
  const core::Values& record() const { return m_record; }

  // "计算结果": checks the record and starts the computation; false when a check refused it
  // (its message shown) or a computation is still running.
  bool compute();
  void exportExcel();
  // "X-C图" and "等值线图"; the windows open modally unless modal is false (tests).
  void showCurve(bool modal = true);
  void showContour(bool modal = true);

  bool busy() const { return m_thread != nullptr; }
  // Empties the table and the report, forgets the last computation and closes its curve and
  // contour windows.
  void clear();
  widgets::ListTable* list() const { return m_list; }
  QTextEdit* report() const { return m_report; }
  // The last finished computation (nullptr before the first).
  const models::air::PointSourceResult* result() const { return m_result.get(); }
  const core::Outcome::Grid* grid() const { return m_grid.get(); }

 signals:
  void computeFinished();

 private:
  struct Computed;
  void apply(Computed& c);

  CalculatorPage& m_page;
  core::Values m_record;
  widgets::ListTable* m_list = nullptr;
  QTextEdit* m_report = nullptr;
  QThread* m_thread = nullptr;
  // Kept from the last computation for the curve and the grid file (the cells live in the list).
  std::unique_ptr<models::air::PointSourceResult> m_result;
  std::unique_ptr<core::Outcome::Grid> m_grid;
};

class PointSourcePageHook : public PageHook {
 public:
  void setup(CalculatorPage& page) override;
  bool handleAction(CalculatorPage& page, const std::string& action) override;
  void clearResults(CalculatorPage& page) override;

  CTabSheet* tabs() const { return m_tabs; }
  CPointSourceParamDlg* paramTab() const { return m_param; }
  CPointSourceMetDlg* metTab() const { return m_met; }
  CPointSourceResultDlg* resultTab() const { return m_result; }

  // Reads the two input tabs (the form's exchange) into the result tab's working record.
  void copyRecord(CalculatorPage& page);

 private:
  CTabSheet* m_tabs = nullptr;
  CPointSourceParamDlg* m_param = nullptr;
  CPointSourceMetDlg* m_met = nullptr;
  CPointSourceResultDlg* m_result = nullptr;
};

}  // namespace app
