// Industrial noise page (CIndustrialNoiseDlg): a tab host with the parameter tab and the result
// tab; switching to the result tab runs the prediction. The parameter tab's enabling rules, the
// "自动计算" buttons and the path difference calculator live here.
#pragma once

#include <QString>
#include <QWidget>

#include "app/page_hook.h"

class QPushButton;
class QTextEdit;

namespace widgets {
class CGridCtrl;
}

namespace app {

class CTabSheet;

inline const QString kIndustrialCaption = QStringLiteral("2009新导则工业噪声预测");

// Result tab ("预测结果 "): the result text above the grid, with copy and export.
class CIndustrialNoiseResultDlg : public QWidget {
  Q_OBJECT
 public:
  explicit CIndustrialNoiseResultDlg(QWidget* parent);
  void show(const core::Outcome& o);
  QTextEdit* text() const { return m_text; }
  widgets::CGridCtrl* grid() const { return m_grid; }
  void exportExcel();

 private:
  QTextEdit* m_text = nullptr;
  widgets::CGridCtrl* m_grid = nullptr;
};

class IndustrialNoisePageHook : public PageHook {
 public:
  void setup(CalculatorPage& page) override;
  bool handleAction(CalculatorPage& page, const std::string& action) override;
  void clearResults(CalculatorPage& page) override;
  bool showOutcome(CalculatorPage& page, const std::string& action,
                   const core::Outcome& outcome) override;

  CTabSheet* tabs() const { return m_tabs; }
  QWidget* paramTab() const { return m_param; }
  CIndustrialNoiseResultDlg* resultTab() const { return m_result; }
  QPushButton* pathDifferenceButton() const { return m_pathButton; }

  // The enabling rules of the parameter tab, from the current state of its controls.
  void updateEnabled(CalculatorPage& page);
  // "声程差计算": the path difference calculator with rmax and no preset kind.
  void openPathDifference(CalculatorPage& page);

 private:
  CTabSheet* m_tabs = nullptr;
  QWidget* m_param = nullptr;
  CIndustrialNoiseResultDlg* m_result = nullptr;
  QPushButton* m_pathButton = nullptr;
};

}  // namespace app
