// The finite-barrier correction dialog (CFiniteBarrierCorrectionDlg, "无限长屏障修正") and the
// embankment attenuation dialog (CEmbankmentAttenuationDlg, "高路堤或低路堑衰减量计算") that the
// road traffic page opens. Both close with "确定" (Accepted, the value handed back) or
// "取消" (Rejected, nothing handed back).
//
//   CFiniteBarrierCorrectionDlg dlg(page, abar_db);
//   if (dlg.exec() == QDialog::Accepted) abar_db = dlg.value();
//   CEmbankmentAttenuationDlg emb(page, r_m);
//   if (emb.exec() == QDialog::Accepted) aemb_db = emb.value();
#pragma once

#include <QDialog>

class QLabel;

namespace app {

class CalculatorPage;
class EmbankmentFigure;
class FiniteBarrierChart;

class CFiniteBarrierCorrectionDlg : public QDialog {
  Q_OBJECT
 public:
  CFiniteBarrierCorrectionDlg(QWidget* parent, double infinite_db);
  // The attenuation entered, dB (0 when the dialog opens).
  double value() const { return m_value; }
  QString prompt() const;
  // "确定": reads the field (the number prompt on a bad entry) and accepts.
  bool confirm();

  CalculatorPage& form() const { return *m_form; }
  FiniteBarrierChart* chart() const { return m_chart; }

 private:
  CalculatorPage* m_form = nullptr;
  FiniteBarrierChart* m_chart = nullptr;
  double m_value = 0;
};

class CEmbankmentAttenuationDlg : public QDialog {
  Q_OBJECT
 public:
  CEmbankmentAttenuationDlg(QWidget* parent, double r_m);
  // The attenuation read from the curve, handed back on "确定".
  double value() const { return m_value; }
  // "计算声程差": true when delta was computed.
  bool computeDelta();
  // "确定".
  bool confirm();

  CalculatorPage& form() const { return *m_form; }
  EmbankmentFigure* figure() const { return m_figure; }

 private:
  CalculatorPage* m_form = nullptr;
  EmbankmentFigure* m_figure = nullptr;
  double m_value = 0;
};

}  // namespace app
