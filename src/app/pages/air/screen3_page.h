// Estimation-mode page (CScreen3Dlg): a tab host with the source tab and the result tab. The
// whole computation runs when the user switches to the result tab: one screening run per
// pollutant in a worker thread, so the window stays responsive (busy cursor meanwhile).
#pragma once

#include <QColor>
#include <QString>
#include <QWidget>
#include <map>
#include <memory>
#include <utility>

#include "app/page_hook.h"
#include "models/air/screen3_estimate.h"
#include "screen/runner.h"

class QComboBox;
class QPushButton;
class QTextEdit;
class QThread;

namespace widgets {
class CGridCtrl;
}

namespace app {

class CTabSheet;
class CellColourDelegate;

inline const QString kScreen3Caption = QStringLiteral("估算模式Screen3计算");
inline const QString kScreen3ExportTitle = QStringLiteral("估算模式Screen3计算结果");

// The run step of the screening pages: the program of the settings value "Screen3Path" of
// QSettings("kuva", "Settings") when set, else kuvascreen beside the application.
screen::RunStep screeningRunStep();

// Source tab ("SCREEN3参数输入 "): the source fields by type, the other parameters and the
// three input tables.
class CScreen3SourceDlg : public QWidget {
  Q_OBJECT
 public:
  CScreen3SourceDlg(CalculatorPage& page, QWidget* parent);

  widgets::CGridCtrl* pollutantGrid() const { return m_pollutants; }
  widgets::CGridCtrl* automatedGrid() const { return m_auto; }
  widgets::CGridCtrl* pointGrid() const { return m_points; }

  // Shows the fields of the chosen source type only.
  void updateType();
  // Drop-downs and check boxes that enable fields.
  void updateEnabled();
  // Initial dimensions of a volume source from its sides and placement.
  void updateVolumeDims();
  // Copies the three tables into the form's table fields (read with the form).
  void storeTables();
  // Shows the three tables held by table fields (a project being opened).
  void loadTables(const core::Values& v);

  void addPollutant();
  void addDistanceRow(widgets::CGridCtrl* grid);
  // Removes the focused data row, or the last one when no data row has the focus.
  static void deleteRow(widgets::CGridCtrl* grid);
  // A finished edit of a name cell writes that pollutant's standard.
  void pollutantEdited(int row, int col);

 private:
  widgets::CGridCtrl* makeGrid(const QString& caption, const QStringList& headers,
                               const std::vector<int>& widths, const char* name, QWidget* box);
  CalculatorPage& m_page;
  widgets::CGridCtrl* m_pollutants = nullptr;
  widgets::CGridCtrl* m_auto = nullptr;
  widgets::CGridCtrl* m_points = nullptr;
};

// Result tab ("预测结果 "): the table with its summary, or the full report of one pollutant.
class CScreen3ResultDlg : public QWidget {
  Q_OBJECT
 public:
  CScreen3ResultDlg(CalculatorPage& page, QWidget* parent);
  ~CScreen3ResultDlg() override;

  // Starts the computation; false when one is still running.
  bool compute(const models::air::Screen3Input& in);
  // Empties the table, the texts and the pollutant list.
  void clear();
  bool busy() const { return m_thread != nullptr; }

  // "查看方式": 0 table and summary, 1 full report text.
  void setView(int index);
  void showPollutant(int index);
  void exportExcel();

  widgets::CGridCtrl* grid() const { return m_grid; }
  QTextEdit* summary() const { return m_summary; }
  QTextEdit* fullText() const { return m_fullText; }
  QComboBox* viewChoice() const { return m_view; }
  QComboBox* pollutantChoice() const { return m_pollutant; }
  // Background colour of a grid cell (invalid when the cell has none).
  QColor cellColour(int row, int col) const;
  const models::air::Screen3Result* result() const { return m_result.get(); }

 signals:
  // After a computation: `stop` holds the message that stopped it (empty when none) and the
  // tab to return to.
  void computeFinished(const QString& stop, int tab, const QString& focus);

 private:
  void apply(const models::air::Screen3Result& r);

  CalculatorPage& m_page;
  QComboBox* m_view = nullptr;
  QComboBox* m_pollutant = nullptr;
  widgets::CGridCtrl* m_grid = nullptr;
  CellColourDelegate* m_colours = nullptr;
  QTextEdit* m_summary = nullptr;
  QTextEdit* m_fullText = nullptr;
  QPushButton* m_copy = nullptr;
  QPushButton* m_export = nullptr;
  QThread* m_thread = nullptr;
  std::unique_ptr<models::air::Screen3Result> m_result;
};

class Screen3PageHook : public PageHook {
 public:
  void setup(CalculatorPage& page) override;
  bool handleAction(CalculatorPage& page, const std::string& action) override;
  void clearResults(CalculatorPage& page) override;
  // The three input tables are saved and restored with a project.
  void storeInputs(CalculatorPage& page, core::Values& inputs) override;
  void loadInputs(CalculatorPage& page, const core::Values& inputs) override;

  CTabSheet* tabs() const { return m_tabs; }
  CScreen3SourceDlg* sourceTab() const { return m_source; }
  CScreen3ResultDlg* resultTab() const { return m_result; }

  // Entering the result tab: the tables and the form are read, the computation starts.
  void startComputation(CalculatorPage& page);

 private:
  CTabSheet* m_tabs = nullptr;
  CScreen3SourceDlg* m_source = nullptr;
  CScreen3ResultDlg* m_result = nullptr;
};

}  // namespace app
