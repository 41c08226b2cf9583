// A small modal dialog holding the form of a calculator of its own (the Lp1 dialog of the Green
// page, the speed dialog of the highway page): its fields, checks and compute button come from
// the calculator's description; the caller reads the results after it closes.
#pragma once

#include <QDialog>
#include <string>

#include "core/calculator.h"

namespace app {

class CalculatorPage;

class SubCalculatorDialog : public QDialog {
  Q_OBJECT
 public:
  // closeOnCompute: a successful compute also closes the dialog (with the OK result).
  SubCalculatorDialog(const core::CalculatorDesc& desc, const QString& objectName,
                      bool closeOnCompute, QWidget* parent = nullptr);

  CalculatorPage* form() const { return m_page; }
  // True once a compute succeeded: only then are there results to hand back.
  bool computed() const { return m_computed; }
  // A result of the last successful compute.
  double result(const std::string& key) const;

 private:
  CalculatorPage* m_page = nullptr;
  bool m_computed = false;
};

// CLp1Dlg: "LP1计算", the level 1 m inside the wall from a source power and the room.
class CLp1Dlg : public SubCalculatorDialog {
  Q_OBJECT
 public:
  explicit CLp1Dlg(QWidget* parent = nullptr);
};

// CVehicleSpeedDlg: "车速计算", the class speeds from the volume and the vehicle mix; "计算"
// closes it when the mix is accepted.
class CVehicleSpeedDlg : public SubCalculatorDialog {
  Q_OBJECT
 public:
  explicit CVehicleSpeedDlg(QWidget* parent = nullptr);
};

}  // namespace app
