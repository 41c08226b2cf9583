// Road traffic noise page (CRoadNoiseDlg): a tab host with the parameter tab (the editable
// vehicle table and the scalar fields) and the result tab (the result text). Every change of
// the tab selection runs the prediction. The barrier buttons open the barrier dialogs.
#pragma once

#include <QString>

#include "app/page_hook.h"

class QPushButton;
class QTextEdit;
class QWidget;

namespace widgets {
class CGridCtrl;
}

namespace app {

class CTabSheet;

inline const QString kRoadCaption = QStringLiteral("2009新导则公路交通噪声预测");

class RoadNoisePageHook : public PageHook {
 public:
  void setup(CalculatorPage& page) override;
  bool handleAction(CalculatorPage& page, const std::string& action) override;
  void clearResults(CalculatorPage& page) override;
  bool showOutcome(CalculatorPage& page, const std::string& action,
                   const core::Outcome& outcome) override;
  // The vehicle table is the page's input for the vehicle fields: saved and restored with it.
  void storeInputs(CalculatorPage& page, core::Values& inputs) override;
  void loadInputs(CalculatorPage& page, const core::Values& inputs) override;
  // The vehicle fields are the table's cells: a refusal of one points at its cell.
  bool keepsField(const std::string& key) const override;
  bool focusField(CalculatorPage& page, const std::string& key) override;

  CTabSheet* tabs() const { return m_tabs; }
  widgets::CGridCtrl* vehicleGrid() const { return m_vehicles; }
  QTextEdit* resultText() const { return m_text; }
  QPushButton* finiteButton() const { return m_finite; }
  QPushButton* embankmentButton() const { return m_embankment; }

  // A finished edit of a cell: a speed cell recomputes the Lo cell of its row.
  void cellEdited(int row, int col);
  // The vehicle table into the form's vehicle fields. A cell that does not hold a number the
  // field can store is refused with the number prompt and gets the focus: false.
  bool storeVehicles(CalculatorPage& page);
  // Runs the prediction into the result text.
  bool predict(CalculatorPage& page);
  void updateEnabled(CalculatorPage& page);

  // The barrier buttons.
  void openPathDifference(CalculatorPage& page);
  void openFiniteCorrection(CalculatorPage& page);
  void openEmbankment(CalculatorPage& page);

 private:
  CTabSheet* m_tabs = nullptr;
  widgets::CGridCtrl* m_vehicles = nullptr;
  QTextEdit* m_text = nullptr;
  QPushButton* m_finite = nullptr;
  QPushButton* m_embankment = nullptr;
  bool m_refusing = false;  // a refusal is moving the focus to the parameter tab
};

}  // namespace app
